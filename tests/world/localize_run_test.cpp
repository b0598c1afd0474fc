// The run-challenge localiser: averaged fixes (headings across the +-pi
// seam included), no odometry fall-back, the ball from the vision pose,
// its start counts; and the formation record that gives everyone one place.
#include "world/localize_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "motioninterface/naomove_run.h"
#include "perception/naoparse.h"
#include "support/test_files.h"
#include "world/teamformation_run.h"

namespace {

const double kPi = 3.141592653589793;

class RunLocalizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        in_scratch.reset(new InWorkDir(scratch.path()));
        NaoParse::reset_static_state();
        ::NaoMove::reset_motion_state();
        parse.SetupJointIDMap();
        testing::internal::CaptureStderr();
        move.reset(new run::NaoMove(&parse.mJointIDMap, 0.01, 0, 0));
        testing::internal::GetCapturedStderr();
        loc.reset(new run::Localize_t(-10.0, 0.0, 0.0, 60, 40, false));
    }
    void TearDown() override
    {
        // The averaging switches are the program's: back to the match agent's.
        avg_1 = true;
        avg_2 = false;
        move.reset();
        in_scratch.reset();
    }

    // Landmark id seen from (x, y) at its true distance, its azimuth chosen
    // so that the head heading derived from it is `head` (head yaw 0).
    void see(int id, double x, double y, double head)
    {
        const double lx = NaoParse::vo_x_coord[id] - x, ly = NaoParse::vo_y_coord[id] - y;
        parse.nv.seen[id] = true;
        parse.nv.pol[id][0] = std::hypot(lx, ly);
        parse.nv.pol[id][1] = (std::atan2(ly, lx) - head) * 180.0 / kPi;
        parse.nv.pol[id][2] = 0.0;
    }

    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    NaoParse parse{"Probe"};
    std::unique_ptr<run::NaoMove> move;
    std::unique_ptr<run::Localize_t> loc;
};

TEST_F(RunLocalizeTest, HeadingsAverageOnTheCircle)
{
    // Only G1L with F2L and G2R with G1R make pairs of the twelve: two
    // fixes at the same place, their headings from G1L and G2R.
    const struct {
        double from_g1l, from_g2r, mean;
    } cases[] = {
        {3.0, -3.1, (3.0 + 3.183185307179586) / 2},                           // 3.0915926535897933
        {-3.0, -3.1, (3.283185307179586 + 3.183185307179586) / 2 - 2 * kPi},  // -3.05
        {0.2, 0.4, 0.3},
        {2.0, -2.0, kPi},
        {-0.1, 0.1, 0.0},
    };
    for (const auto& c : cases) {
        parse.nv.reset();
        see(NaoParse::VO_G1L, 1.0, 2.0, c.from_g1l);
        see(NaoParse::VO_F2L, 1.0, 2.0, 0.0);
        see(NaoParse::VO_G2R, 1.0, 2.0, c.from_g2r);
        see(NaoParse::VO_G1R, 1.0, 2.0, 0.0);
        loc->update(parse, *move);
        ASSERT_TRUE(loc->fix);
        EXPECT_NEAR(loc->x, 1.0, 1e-9);
        EXPECT_NEAR(loc->y, 2.0, 1e-9);
        EXPECT_NEAR(std::remainder(loc->head_heading - c.mean, 2 * kPi), 0.0, 1e-9)
            << c.from_g1l << " " << c.from_g2r;
        EXPECT_LE(std::fabs(loc->head_heading), kPi);
        EXPECT_NEAR(std::remainder(loc->torso_heading - c.mean, 2 * kPi), 0.0, 1e-9);
        EXPECT_EQ(loc->no_fix_count, 0);
    }
    EXPECT_NEAR(-3.05, (3.283185307179586 + 3.183185307179586) / 2 - 2 * kPi, 1e-12);
}

TEST_F(RunLocalizeTest, AllPairsInViewAverage)
{
    // Every landmark in view from the true pose: every pair agrees.
    parse.nv.reset();
    for (int id = NaoParse::VO_F1L; id <= NaoParse::VO_G2R; ++id) see(id, -4.0, 3.0, kPi - 0.01);
    loc->update(parse, *move);
    ASSERT_TRUE(loc->fix);
    EXPECT_NEAR(loc->x, -4.0, 1e-9);
    EXPECT_NEAR(loc->y, 3.0, 1e-9);
    EXPECT_NEAR(loc->head_heading, kPi - 0.01, 1e-9);
}

TEST_F(RunLocalizeTest, WithoutAFixThePoseStaysAndTheBallIsPlacedFromIt)
{
    EXPECT_EQ(loc->ball_unseen_count, 100);
    parse.nv.reset();
    loc->update(parse, *move);
    EXPECT_EQ(loc->ball_unseen_count, 101);
    EXPECT_FALSE(loc->fix);
    // The walk odometry moves; the localiser does not follow it.
    move->set_odo_global(5.0, 5.0, 1.0);
    see(NaoParse::VO_G1L, 0.0, 0.0, 0.0);  // one landmark: no pair
    for (int i = 1; i < 50; ++i) loc->update(parse, *move);
    EXPECT_EQ(loc->no_fix_count, 50);
    EXPECT_EQ(loc->x, -10.0);
    EXPECT_EQ(loc->y, 0.0);
    EXPECT_EQ(loc->torso_heading, 0.0);
    // The ball 3 m straight ahead of the camera, on the ground plane.
    parse.nv.seen[NaoParse::VO_BALL] = true;
    parse.nv.pol[NaoParse::VO_BALL][0] = 3.0;
    parse.nv.pol[NaoParse::VO_BALL][1] = 30.0;
    parse.nv.pol[NaoParse::VO_BALL][2] = 0.0;
    loc->update(parse, *move);
    EXPECT_EQ(loc->ball_unseen_count, 0);
    EXPECT_NEAR(loc->ball_gx, -10.0 + 3.0 * std::cos(kPi / 6), 1e-9);
    EXPECT_NEAR(loc->ball_gy, 3.0 * std::sin(kPi / 6), 1e-9);
    EXPECT_NEAR(loc->ball_dist, 3.0, 1e-9);
    for (int id = 0; id < ::Localize_t::NB_MATES; ++id) EXPECT_EQ(loc->mates[id].id, -1);
}

TEST_F(RunLocalizeTest, OlderUpdateAnchorsTheOdometry)
{
    parse.nv.reset();
    see(NaoParse::VO_G1L, 1.0, 2.0, 0.5);
    see(NaoParse::VO_G2L, 1.0, 2.0, 0.5);
    loc->update__2012(parse.nv, *move);
    ASSERT_TRUE(loc->fix);
    EXPECT_NEAR(move->odo_x, 1.0, 1e-9);
    EXPECT_NEAR(move->odo_y, 2.0, 1e-9);
    EXPECT_NEAR(move->odo_theta, 0.5, 1e-9);
    // No fix: the ball counts as unseen at least as long as the pose.
    parse.nv.reset();
    for (int i = 0; i < 3; ++i) loc->update__2012(parse.nv, *move);
    EXPECT_EQ(loc->no_fix_count, 3);
    EXPECT_GE(loc->ball_unseen_count, 3);
}

TEST_F(RunLocalizeTest, LocalToGlobalAndKickPoint)
{
    loc->x = 1.0;
    loc->y = -1.0;
    loc->torso_heading = kPi / 2;
    loc->no_fix_count = 3;
    double gx = 7, gy = 7;
    loc->local_coord_to_global_coord(2.0, 0.5, gx, gy, 3);
    EXPECT_EQ(gx, 7);  // the pose is too old
    loc->local_coord_to_global_coord(2.0, 0.5, gx, gy, 4);
    EXPECT_NEAR(gx, 0.5, 1e-12);
    EXPECT_NEAR(gy, 1.0, 1e-12);

    loc->ball_unseen_count = 10;
    EXPECT_FALSE(loc->set_kick_point(10));
    loc->ball_lx = 1.22;
    loc->ball_ly = 0.45;
    ASSERT_TRUE(loc->set_kick_point(11));
    EXPECT_NEAR(loc->lkp_lx, 1.0, 1e-12);
    EXPECT_NEAR(loc->lkp_ly, 0.4, 1e-12);
    EXPECT_NEAR(loc->lkp_dist, std::hypot(1.0, 0.4), 1e-12);
    EXPECT_NEAR(loc->lkp_angle, std::atan2(0.4, 1.0), 1e-12);
}

TEST(RunFormation, EveryPlayerHasTheSamePlaceAndRole)
{
    run::form_t f(30.0, 20.0);
    EXPECT_EQ(f.x, -1.0);
    EXPECT_FALSE(f.role_assigned);
    for (int n : {0, 7, 12, -3}) {
        testing::internal::CaptureStderr();
        f.init(n);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(f.x, -10.0);
        EXPECT_EQ(f.y, 0.0);
        EXPECT_EQ(f.theta, 0.0);
        EXPECT_EQ(f.role, ATT_0);
    }
    EXPECT_FALSE(f.isRole(ATT_0));
    f.role_assigned = true;
    EXPECT_TRUE(f.isRole(ATT_0));
    EXPECT_TRUE(f.isRole(ATT_ROLE));
    EXPECT_FALSE(f.isRole(MID_0));
    EXPECT_FALSE(f.isRole(MID_ROLE));
}

}  // namespace
