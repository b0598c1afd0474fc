#include "headscan/naoscan.h"
#include "perception/naoparse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

const char* const YAW_PLUS = "(he1 2.00) (he2 0)";
const char* const YAW_MINUS = "(he1 -2.00) (he2 0)";
const char* const PITCH_PLUS = "(he1 0) (he2 2.00)";
const char* const PITCH_MINUS = "(he1 0) (he2 -2.00)";

// One call of the scanner: the perceived head angles and the command the
// call must write.
struct Step {
    double yaw;
    double pitch;
    const char* expected;
};

class HeadScanTest : public ::testing::Test {
protected:
    NaoParse parse{"brevane"};

    void SetUp() override
    {
        NaoParse::reset_static_state();
        head_scan_t::reset_pattern_state();
        parse.nv.reset();
    }

    static void set_head(double yaw, double pitch)
    {
        NaoParse::mHingeJointSenseMap[NaoParse::JID_HEAD_1] = {static_cast<float>(yaw), 0.0f};
        NaoParse::mHingeJointSenseMap[NaoParse::JID_HEAD_2] = {static_cast<float>(pitch), 0.0f};
    }

    void see_ball(double azimuth, double elevation)
    {
        parse.nv.seen[NaoParse::VO_BALL] = true;
        parse.nv.pol[NaoParse::VO_BALL][0] = 2.0;
        parse.nv.pol[NaoParse::VO_BALL][1] = azimuth;
        parse.nv.pol[NaoParse::VO_BALL][2] = elevation;
    }

    std::string scan(head_scan_t& hs, double speed = 2.0)
    {
        std::stringstream out;
        hs.headScan(out, speed, &parse);
        return out.str();
    }

    void run_steps(head_scan_t& hs, const std::vector<Step>& steps)
    {
        for (size_t i = 0; i < steps.size(); ++i) {
            set_head(steps[i].yaw, steps[i].pitch);
            EXPECT_EQ(scan(hs), steps[i].expected)
                << "step " << i << " at yaw " << steps[i].yaw << " pitch " << steps[i].pitch;
        }
    }
};

TEST_F(HeadScanTest, CentreWritesZeroSpeedsWithOrWithoutBall)
{
    head_scan_t hs(head_scan_t::SEQ_CENTER, 40, 20);
    set_head(30, -10);
    EXPECT_EQ(scan(hs), "(he1 0) (he2 0)");
    see_ball(25, -30);
    EXPECT_EQ(scan(hs), "(he1 0) (he2 0)");
}

TEST_F(HeadScanTest, SeenBallIsTrackedWithDeadZone)
{
    struct Case {
        double azimuth;
        double elevation;
        const char* expected;
    };
    const Case cases[] = {
        {0.5, -25.0, "(he1 0.00) (he2 -2.50)"}, {30.0, 10.0, "(he1 3.00) (he2 1.00)"},
        {-0.99, 0.99, "(he1 0.00) (he2 0.00)"},  // both inside (-0.1, 0.1)
        {1.0, -1.0, "(he1 0.10) (he2 -0.10)"},   // the bounds are outside the dead zone
        {-45.0, 0.0, "(he1 -4.50) (he2 0.00)"},
    };
    const head_scan_t::seq_id tracking_sequences[] = {head_scan_t::SEQ_YAW, head_scan_t::SEQ_PITCH,
                                                      head_scan_t::SEQ_RECTANGLE, head_scan_t::SEQ_FIVE_LEGS};
    set_head(5, 5);
    for (head_scan_t::seq_id id : tracking_sequences) {
        head_scan_t hs(id, 40, 20);
        for (const Case& c : cases) {
            see_ball(c.azimuth, c.elevation);
            EXPECT_EQ(scan(hs), c.expected) << "sequence " << id << " azimuth " << c.azimuth;
        }
    }
}

// A ball known to lie out of view: the head turns towards it, its speeds
// proportional to what is left of each angle, nothing within the dead zone;
// a ball in view is tracked instead.
TEST_F(HeadScanTest, LookTowardsAKnownBallThenTrackIt)
{
    struct Case {
        double yaw, pitch;  // the head's angles now
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, "(he1 -2.70) (he2 -3.00)"},
        {-20, -25, "(he1 -0.70) (he2 -0.50)"},
        {-26.5, -29.5, "(he1 0.00) (he2 0.00)"},
    };
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    for (const Case& c : cases) {
        set_head(c.yaw, c.pitch);
        std::stringstream out;
        hs.lookTowards(out, -27.0, -30.0, &parse);
        EXPECT_EQ(out.str(), c.expected) << c.yaw << " " << c.pitch;
    }
    see_ball(-10, -40);
    std::stringstream out;
    hs.lookTowards(out, -27.0, -30.0, &parse);
    EXPECT_EQ(out.str(), "(he1 -1.00) (he2 -4.00)");
}

// A target beyond the neck's range (yaw -120 to 120 degrees, pitch -45 to
// 45) is looked at from the range's edge: the head is not driven against
// its stop, and rests there.
TEST_F(HeadScanTest, LookTowardsKeepsToTheNecksRange)
{
    struct Case {
        double yaw, pitch;                // the head's angles now
        double target_yaw, target_pitch;  // where the ball is known to lie
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 170, -60, "(he1 12.00) (he2 -4.50)"},
        {120, -45, 170, -60, "(he1 0.00) (he2 0.00)"},
        {-120, 0, -179, 50, "(he1 0.00) (he2 4.50)"},
        {100, 45, 125, 46, "(he1 2.00) (he2 0.00)"},
    };
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    for (const Case& c : cases) {
        set_head(c.yaw, c.pitch);
        std::stringstream out;
        hs.lookTowards(out, c.target_yaw, c.target_pitch, &parse);
        EXPECT_EQ(out.str(), c.expected) << c.target_yaw << " " << c.target_pitch << " from " << c.yaw;
    }
}

TEST_F(HeadScanTest, NullPerceptionRunsThePattern)
{
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    see_ball(10, 10);
    set_head(0, 0);
    std::stringstream out;
    hs.headScan(out, 2.0, nullptr);
    EXPECT_EQ(out.str(), YAW_PLUS);
}

TEST_F(HeadScanTest, FiveLegPatternVisitsItsLegsInOrder)
{
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    run_steps(hs, {
                      {0, 0, YAW_PLUS},      // leg 0 from rest
                      {39.9, 0, YAW_PLUS},   // still below +A
                      {40.0, 0, YAW_MINUS},  // reached: leg 1 starts at once
                      {20.0, 0, YAW_MINUS},
                      {0.0, 0, PITCH_MINUS},  // centre reached: leg 2
                      {0.0, -19.9, PITCH_MINUS},
                      {0.0, -20.0, PITCH_PLUS},  // leg 3
                      {0.0, -5.0, PITCH_PLUS},
                      {0.0, 0.0, YAW_MINUS},  // leg 4
                      {-39.9, 0.0, YAW_MINUS},
                      {-40.0, 0.0, YAW_PLUS},  // back to leg 0
                      {0.0, 0.0, YAW_PLUS},
                  });
}

TEST_F(HeadScanTest, RectangleVisitsItsCornersInOrder)
{
    head_scan_t hs(head_scan_t::SEQ_RECTANGLE, 40, 20);
    run_steps(hs, {
                      {0, 0, YAW_PLUS},
                      {40, 0, PITCH_MINUS},
                      {40, -19, PITCH_MINUS},
                      {40, -20, YAW_MINUS},
                      {0, -20, YAW_MINUS},
                      {-40, -20, PITCH_PLUS},
                      {-40, 19, PITCH_PLUS},
                      {-40, 20, YAW_PLUS},
                      {-39, 20, YAW_PLUS},
                  });
}

TEST_F(HeadScanTest, YawSweepSkipsTheReversalCycleAndCountsReversals)
{
    head_scan_t hs(head_scan_t::SEQ_YAW, 40, 20);
    set_head(0, 0);
    EXPECT_EQ(scan(hs), YAW_MINUS);
    set_head(-40, 0);
    EXPECT_EQ(scan(hs), "");
    EXPECT_EQ(hs.reversal_count, 1);
    EXPECT_TRUE(hs.first_sweep);
    EXPECT_EQ(scan(hs), YAW_PLUS);
    set_head(40, 0);
    EXPECT_EQ(scan(hs), "");
    EXPECT_EQ(hs.reversal_count, 2);
    EXPECT_FALSE(hs.first_sweep);
    EXPECT_EQ(scan(hs), YAW_MINUS);
}

TEST_F(HeadScanTest, PitchSweepSkipsTheReversalCycle)
{
    head_scan_t hs(head_scan_t::SEQ_PITCH, 40, 20);
    run_steps(hs, {
                      {0, 0, PITCH_MINUS},
                      {0, -19.9, PITCH_MINUS},
                      {0, -20, ""},
                      {0, -20, PITCH_PLUS},
                      {0, 19.9, PITCH_PLUS},
                      {0, 20, ""},
                      {0, 20, PITCH_MINUS},
                  });
    EXPECT_EQ(hs.reversal_count, 2);
}

TEST_F(HeadScanTest, PatternResumesWhereTheBallWasFound)
{
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    set_head(40, 0);
    scan(hs);  // state 0 ends, leg 1 begins
    see_ball(10, -10);
    set_head(-50, -50);  // would end legs 1 or 4 if the pattern ran
    EXPECT_EQ(scan(hs), "(he1 1.00) (he2 -1.00)");
    parse.nv.reset();
    set_head(20, 0);
    EXPECT_EQ(scan(hs), YAW_MINUS);  // still leg 1
}

TEST_F(HeadScanTest, SpeedIsFormattedWithTwoDecimals)
{
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    set_head(0, 0);
    EXPECT_EQ(scan(hs, 1.5), "(he1 1.50) (he2 0)");
}

TEST_F(HeadScanTest, UndefinedSequenceWritesNothing)
{
    head_scan_t hs(static_cast<head_scan_t::seq_id>(7), 40, 20);
    testing::internal::CaptureStderr();
    std::string cmd = scan(hs);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cmd, "");
    EXPECT_EQ(err, "UNDEF head_scan_id !!!\n");
}

TEST_F(HeadScanTest, OversizedOrBrokenBallValuesNeverOverrunOrReachTheStream)
{
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    set_head(0, 0);
    // 1e300 / 10 printed with "%.2f" is over 300 characters.
    see_ball(1e300, -1e300);
    testing::internal::CaptureStderr();
    EXPECT_EQ(scan(hs), "");
    testing::internal::GetCapturedStderr();
    see_ball(std::numeric_limits<double>::quiet_NaN(), 0.0);
    EXPECT_EQ(scan(hs), "");
    see_ball(0.0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(scan(hs), "");
    // A sane observation afterwards is written whole.
    see_ball(-20, 5);
    EXPECT_EQ(scan(hs), "(he1 -2.00) (he2 0.50)");
}

TEST_F(HeadScanTest, OversizedSpeedIsDropped)
{
    head_scan_t hs(head_scan_t::SEQ_RECTANGLE, 40, 20);
    set_head(0, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(scan(hs, 1e80), "");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(scan(hs, 2.0), YAW_PLUS);
}

// Closed loop: the head moves by the commanded speed each cycle; the five-leg
// pattern reaches each amplitude and overshoots it by at most one step.
TEST_F(HeadScanTest, FiveLegPatternInClosedLoopStaysNearItsAmplitudes)
{
    head_scan_t hs(head_scan_t::SEQ_FIVE_LEGS, 40, 20);
    double yaw = 0, pitch = 0;
    double max_yaw = 0, min_yaw = 0, min_pitch = 0;
    for (int i = 0; i < 200; ++i) {
        set_head(yaw, pitch);
        std::string cmd = scan(hs);
        double s1 = 0, s2 = 0;
        ASSERT_EQ(std::sscanf(cmd.c_str(), "(he1 %lf) (he2 %lf)", &s1, &s2), 2) << cmd;
        yaw += s1;
        pitch += s2;
        max_yaw = std::max(max_yaw, yaw);
        min_yaw = std::min(min_yaw, yaw);
        min_pitch = std::min(min_pitch, pitch);
    }
    EXPECT_GE(max_yaw, 40.0);
    EXPECT_LE(max_yaw, 42.0);
    EXPECT_LE(min_yaw, -40.0);
    EXPECT_GE(min_yaw, -42.0);
    EXPECT_LE(min_pitch, -20.0);
    EXPECT_GE(min_pitch, -22.0);
}

}  // namespace
