// The wheeled sphere: beam, then kick the ball near it or drive after it.
#include "samples/soccerbehavior.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

std::string ball_at(double distance, double theta, double phi = 0)
{
    char m[128];
    std::snprintf(m, sizeof(m), "(time (now 1.0))(Vision (Ball (pol %g %g %g)))", distance, theta, phi);
    return m;
}

TEST(SoccerBehavior, InitAnnouncesTheSphereAndItsBeam)
{
    SoccerBehavior b;
    EXPECT_EQ(b.Init(), "(scene rsg/agent/soccerplayer.rsg)(beam -6 0 0)");
    EXPECT_EQ(b.core.dir(), ".FIRST_TEST");
    EXPECT_NE(b.parser, nullptr);
}

TEST(SoccerBehavior, FirstThinkAnswersTheMessage)
{
    SoccerBehavior b;
    b.Init();
    EXPECT_EQ(b.Think(ball_at(5, 0)), "(lte 100)(rte 100)");
}

TEST(SoccerBehavior, KicksNearTheBallAndOtherwiseSeeksIt)
{
    struct Row {
        double distance, theta;
        const char* answer;
    } rows[] = {
        {1.0, 0, "(kick 0  100)"},        {1.5, 170, "(kick 0  100)"},      {1.51, 0, "(lte 100)(rte 100)"},
        {5, 4.9, "(lte 100)(rte 100)"},   {5, -4.9, "(lte 100)(rte 100)"},  {5, 5, "(lte -100)(rte 100)"},
        {5, 45, "(lte -100)(rte 100)"},   {5, -5, "(lte 100)(rte +100)"},   {5, -90, "(lte 100)(rte +100)"},
        {5, 90.5, "(lte -100)(rte 100)"}, {5, -120, "(lte -100)(rte 100)"},
    };
    for (const Row& r : rows) {
        SoccerBehavior b;
        b.Init();
        EXPECT_EQ(b.Think(ball_at(r.distance, r.theta)), r.answer) << r.distance << " m at " << r.theta;
    }
}

TEST(SoccerBehavior, AnUnseenBallIsReportedAndReadsAsNear)
{
    SoccerBehavior b;
    b.Init();
    ::testing::internal::CaptureStderr();
    // A flag and a ball with an id are other objects than "Ball".
    std::string answer = b.Think("(Vision (Flag (id 1_l) (pol 3 10 0)) (Ball (id 2) (pol 9 50 0)))");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "unknown VisionObject 0\n");
    EXPECT_EQ(answer, "(kick 0  100)");
}

TEST(SoccerBehavior, TheLastBallSeenStays)
{
    SoccerBehavior b;
    b.Init();
    b.Think(ball_at(8, 60));
    EXPECT_EQ(b.Think("(time (now 1.02))"), "(lte -100)(rte 100)");
    EXPECT_FLOAT_EQ(b.mVisionSenseMap[SoccerBehavior::VO_BALL].distance, 8);
}

TEST(SoccerBehavior, PositionOfASenseIsTheOwnPositionPlusItsPolarVector)
{
    SoccerBehavior b;
    b.Init();
    b.Think("(Vision (Ball (pol 2 30 0)) (mypos 1 -2 0.5))");
    EXPECT_FLOAT_EQ(b.mMyPos.x, 1);
    EXPECT_FLOAT_EQ(b.mMyPos.y, -2);
    EXPECT_FLOAT_EQ(b.mMyPos.z, 0.5);
    struct Row {
        float d, theta, phi;
        double x, y, z;  // the offset from the own position
    } rows[] = {
        {2, 0, 0, 2, 0, 0},
        {2, 90, 0, 0, 2, 0},
        {2, 0, 90, 0, 0, 2},
        {2, 30, 0, 2 * std::sqrt(3.0) / 2, 1, 0},
        {4, -90, 30, 0, -4 * std::sqrt(3.0) / 2, 2},
    };
    for (const Row& r : rows) {
        SoccerBehavior::VisionSense s;
        s.distance = r.d;
        s.theta = r.theta;
        s.phi = r.phi;
        SoccerBehavior::Vector3f p = b.GetPosition(s);
        EXPECT_NEAR(p.x, 1 + r.x, 1e-5) << r.theta << " " << r.phi;
        EXPECT_NEAR(p.y, -2 + r.y, 1e-5) << r.theta << " " << r.phi;
        EXPECT_NEAR(p.z, 0.5 + r.z, 1e-5) << r.theta << " " << r.phi;
    }
}

}  // namespace
