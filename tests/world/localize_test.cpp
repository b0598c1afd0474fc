// The localiser fed with perception messages through the parser: landmark
// fixes checked against the camera pose the messages were built from,
// odometry fall-back, the ball in the torso and field frames (also from a
// recording with the server's ground truth), the team-mate table and the
// ball priority with its hold, the field side, the kick points and the
// forwarding of walk and turn requests (rate-limited in brevane, unchanged
// in brevane-b: this file is built for both).
#include "world/localize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "support/test_files.h"
#include "support/vision_scene.h"
#include "walk/walk.h"
#include "world/teamformation.h"

namespace {

using vision_scene::Camera;
using vision_scene::kPi;
using vision_scene::Message;

double rad(double deg) { return deg * kPi / 180.0; }

// Difference of two angles, wrapped into [-pi, pi].
double angle_diff(double a, double b) { return std::remainder(a - b, 2 * kPi); }

#define EXPECT_ANGLE_NEAR(a, b, tol) EXPECT_NEAR(angle_diff((a), (b)), 0.0, (tol))

// Floats in the message (the parser reads single precision) leave about
// 1e-6 of the truth; a fix amplifies that a few times.
const double kPosTol = 1e-4;
const double kAngleTol = 1e-5;

class LocalizeTest : public ::testing::Test {
protected:
    // The motion interface rewrites "dataWalk/stand3.dat" when it is built.
    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    NaoParse parse{"brevane"};
    std::unique_ptr<NaoMove> move;

    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        in_scratch.reset(new InWorkDir(scratch.path()));
        fresh_agent();
    }

    // The parser, the motion interface and the per-process state as a new
    // agent has them.
    void fresh_agent()
    {
        move.reset();
        NaoParse::reset_static_state();
        NaoMove::reset_motion_state();
        naosimplemove_t::reset_interpolation();
        Localize_t::reset_process_state();
        testing::internal::CaptureStderr();  // the engine's start-up report
        parse.Init();
        move.reset(new NaoMove(&parse.mJointIDMap, 0.01, 0, 0));
        testing::internal::GetCapturedStderr();
    }

    void TearDown() override
    {
        move.reset();
        in_scratch.reset();
    }

    // One think call's share: parse, tell the side once, update.
    void feed(Localize_t& loc, const std::string& msg)
    {
        parse.Parse(msg, 0);
        if (loc.side == 0 && parse.side != 0) loc.set_side(parse.side);
        loc.update(parse, *move);
    }

    // The walk odometry moves `d` metres straight ahead of the pose it was
    // last anchored at.
    void walk_forward(double d) { move->walk_engine->odo_walk_x += d; }

    static void expect_pose(const Localize_t& loc, const Camera& c)
    {
        double x, y, head, torso;
        loc.current_pose(x, y, head, torso);
        EXPECT_NEAR(x, c.x, kPosTol);
        EXPECT_NEAR(y, c.y, kPosTol);
        EXPECT_ANGLE_NEAR(torso, c.torso_heading, kAngleTol);
        EXPECT_ANGLE_NEAR(head, c.head_heading(), kAngleTol);
        EXPECT_GE(torso, -kPi);
        EXPECT_LE(torso, kPi);
        EXPECT_GE(head, -kPi);
        EXPECT_LE(head, kPi);
    }
};

// ---- Landmark fixes ----

struct FixCase {
    const char* name;
    Camera cam;
    std::vector<std::string> seen;
};

TEST_F(LocalizeTest, FixFromTwoLandmarksIsTheCameraPoseForEitherTeam)
{
    const FixCase cases[] = {
        {"left goal posts", {-10, 2, kPi, 15}, {"G1L", "G2L"}},
        {"flags of the lower touch line", {3, -6, -kPi / 2, -40}, {"F2L", "F2R"}},
        {"only F1L and G1L: the last pair", {-11, 4, 3 * kPi / 4, 0}, {"F1L", "G1L"}},
        {"the right goal and its flags", {12, -0.5, 0.2, 30}, {"G1R", "G2R", "F1R", "F2R"}},
        {"head heading across +-pi", {-5, 0.3, rad(170), 25}, {"G2L", "F2L"}},
        {"upper flags from the right corner", {13, 8, kPi, -60}, {"F1R", "F1L"}},
        {"head pitched down", {0.5, -1, 0.1, 0, -30}, {"F2R", "G2R"}},
    };
    for (const FixCase& c : cases) {
        for (const char* team : {"left", "right"}) {
            SCOPED_TRACE(std::string(c.name) + ", team " + team);
            Localize_t loc(-3, 1, 0, 60, 40, false);
            Message m(c.cam);
            m.game_state(3, team);
            for (const std::string& l : c.seen) m.sees(l);
            feed(loc, m.str());
            ASSERT_TRUE(loc.fix);
            EXPECT_EQ(loc.no_fix_count, 0);
            // The field frame is the same for both teams: no mirror.
            expect_pose(loc, c.cam);
            // The odometry is anchored at the fix.
            EXPECT_DOUBLE_EQ(move->odo_x, loc.x);
            EXPECT_DOUBLE_EQ(move->odo_y, loc.y);
            EXPECT_DOUBLE_EQ(move->odo_theta, loc.torso_heading);
        }
    }
}

// Near a goal a post 5 cm off moves the fix by up to a quarter of a metre,
// most where the two posts are seen close to one line.
TEST_F(LocalizeTest, FixFromTheTwoPostsOfAGoalIsThePlaceTheyWereSeenFrom)
{
    const FixCase cases[] = {
        {"2 m in front of the left goal", {-13, 0.3, kPi, 0}, {"G1L", "G2L"}},
        {"beside the left goal", {-13, -3, rad(123.7), 20}, {"G1L", "G2L"}},
        {"the other side of the left goal", {-13.5, 2.5, rad(-121), -30}, {"G1L", "G2L"}},
        {"0.6 m in front of the left goal", {-14.4, 0.5, kPi, 10}, {"G1L", "G2L"}},
        {"2 m in front of the right goal", {13, -0.3, 0, 0}, {"G1R", "G2R"}},
        {"beside the right goal", {13, 3, rad(-56.3), -20}, {"G2R", "G1R"}},
        {"0.6 m in front of the right goal", {14.4, -0.5, 0, -10}, {"G2R", "G1R"}},
    };
    for (const FixCase& c : cases) {
        SCOPED_TRACE(c.name);
        Localize_t loc(-3, 1, 0, 60, 40, false);
        Message m(c.cam);
        m.game_state(3, c.cam.x < 0 ? "left" : "right");
        for (const std::string& l : c.seen) m.sees(l);
        feed(loc, m.str());
        ASSERT_TRUE(loc.fix);
        expect_pose(loc, c.cam);
    }
}

TEST_F(LocalizeTest, EqualDistancesToThePostsMoveTheFirstCircleOutByOneCentimetre)
{
    const Camera cam{-10, 0, kPi, 0};
    Localize_t loc(0, 0, 0, 60, 40, false);
    feed(loc, Message(cam).sees("G1L").sees("G2L").str());
    ASSERT_TRUE(loc.fix);
    // Circles about G1L (-15, 1.05) with r1 + 0.01 and G2L (-15, -1.05)
    // with r1: their difference gives 4.2 y = r1^2 - (r1 + 0.01)^2.
    const double r1 = std::sqrt(25.0 + 1.05 * 1.05), r0 = r1 + 0.01;
    const double y = (r1 * r1 - r0 * r0) / 4.2;
    const double x = -15.0 + std::sqrt(r1 * r1 - (y + 1.05) * (y + 1.05));
    EXPECT_NEAR(loc.x, x, kPosTol);
    EXPECT_NEAR(loc.y, y, kPosTol);
    EXPECT_GT(loc.x, -15.0);  // on the field side of the goal line
}

TEST_F(LocalizeTest, APairWhoseCirclesMissGivesWayToTheNextPair)
{
    const Camera cam{10, 0.5, 0, 0};
    vision_scene::Polar short_f2r = vision_scene::polar_of(cam, 15, -10, cam.z);
    short_f2r.d = 3.0;  // with G2R's 5.2 m too short to reach across their 9 m
    {
        Localize_t loc(0, 0, 0, 60, 40, false);
        feed(loc, Message(cam).sees_polar("F2R", short_f2r).sees("G2R").sees("G1R").str());
        ASSERT_TRUE(loc.fix);
        expect_pose(loc, cam);
    }
    {
        Localize_t loc(0, 0, 0, 60, 40, false);
        feed(loc, Message(cam).sees_polar("F2R", short_f2r).sees("G2R").str());
        EXPECT_FALSE(loc.fix);
        EXPECT_EQ(loc.no_fix_count, 1);
    }
}

TEST_F(LocalizeTest, TheAveragingLocalisationAgreesWithExactLandmarks)
{
    const Camera cam{8, 3, 0.3, 10};
    parse.Parse(Message(cam).sees("G1R").sees("G2R").sees("F1R").sees("F2R").str(), 0);
    Localize_t loc(0, 0, 0, 60, 40, false);
    for (bool second_pass : {false, true}) {
        avg_2 = second_pass;
        loc.vision_localize_all_obj(parse.nv, *move);
        ASSERT_TRUE(loc.fix);
        EXPECT_NEAR(loc.x, cam.x, kPosTol);
        EXPECT_NEAR(loc.y, cam.y, kPosTol);
        EXPECT_ANGLE_NEAR(loc.torso_heading, cam.torso_heading, kAngleTol);
    }
    avg_2 = false;
}

// G1R seen 0.3 m too far: the three pairs among F2R, G1R and G2R give three
// different fixes. The first pass averages its two pairs, the second its
// three, and the second's mean replaces the first's; the first pair of the
// second pass, (G1L, F2L), is not in view and adds nothing.
TEST_F(LocalizeTest, TheSecondAveragingPassReplacesTheFirst)
{
    const Camera cam{9, -2, 0.4, 15};
    vision_scene::Polar far_g1r = vision_scene::polar_of(cam, 15, 1, cam.z);
    far_g1r.d += 0.3;
    parse.Parse(Message(cam).sees("F2R").sees("G2R").sees_polar("G1R", far_g1r).str(), 0);

    struct Fix {
        double x, y, head, torso;
    };
    auto pair_fix = [&](int id0, int id1) {
        Localize_t one(0, 0, 0, 60, 40, false);
        one.take_vision(parse.nv);
        one.vision_to_xy(parse.nv, *move, id0, id1);
        EXPECT_TRUE(one.fix) << id0 << "," << id1;
        return Fix{one.x, one.y, one.head_heading, one.torso_heading};
    };
    const Fix f48 = pair_fix(4, 8), f87 = pair_fix(8, 7), f47 = pair_fix(4, 7);
    ASSERT_GT(std::hypot(f47.x - (f48.x + f87.x) / 2, f47.y - (f48.y + f87.y) / 2), 0.01);

    // Headings average on the circle: the direction of the mean unit vector.
    auto circular = [](std::initializer_list<double> a) {
        double c = 0, s = 0;
        for (double v : a) {
            c += std::cos(v);
            s += std::sin(v);
        }
        return std::atan2(s, c);
    };
    struct Pass {
        bool second;
        Fix mean;
    };
    const Pass passes[] = {
        {false,
         {(f48.x + f87.x) / 2, (f48.y + f87.y) / 2, circular({f48.head, f87.head}),
          circular({f48.torso, f87.torso})}},
        {true,
         {(f87.x + f47.x + f48.x) / 3, (f87.y + f47.y + f48.y) / 3, circular({f87.head, f47.head, f48.head}),
          circular({f87.torso, f47.torso, f48.torso})}},
    };
    for (const Pass& p : passes) {
        SCOPED_TRACE(p.second ? "second pass" : "first pass");
        avg_2 = p.second;
        Localize_t loc(0, 0, 0, 60, 40, false);
        loc.vision_localize_all_obj(parse.nv, *move);
        ASSERT_TRUE(loc.fix);
        EXPECT_NEAR(loc.x, p.mean.x, 1e-9);
        EXPECT_NEAR(loc.y, p.mean.y, 1e-9);
        EXPECT_NEAR(loc.head_heading, p.mean.head, 1e-9);
        EXPECT_NEAR(loc.torso_heading, p.mean.torso, 1e-9);
    }
    avg_2 = false;
}

TEST_F(LocalizeTest, AnIdOutsideTheLandmarksIsRefusedAndTheProgramGoesOn)
{
    parse.Parse(Message(Camera{}).sees("G1L").ball(1, 0).str(), 0);
    for (int bad : {-1, 0, 9, 27}) {
        Localize_t loc(0, 0, 0, 60, 40, false);
        testing::internal::CaptureStderr();
        loc.vision_to_xy(parse.nv, *move, 5, bad);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "Localize_t::vision_to_xy _id0 " + std::to_string(bad) + " ERROR\n");
        EXPECT_FALSE(loc.fix);
    }
}

// ---- Odometry fall-back ----

TEST_F(LocalizeTest, BeforeTheFirstFixTheRobotStandsOnItsStartPlace)
{
    struct Case {
        const char* team;
        Camera expected;  // the start place (-4, 2, 0.3) in the field frame
    };
    const Case cases[] = {
        {"left", {-4, 2, 0.3, 20}}, {"right", {4, -2, 0.3 - kPi, 20}},  // mirrored through the centre spot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.team);
        Localize_t loc(-4, 2, 0.3, 60, 40, false);
        Camera cam;
        cam.yaw_deg = 20;
        // No vision at all, then a vision predicate with nothing in view.
        feed(loc, Message(cam).game_state(5, c.team).str());
        EXPECT_FALSE(loc.fix);
        expect_pose(loc, c.expected);
        feed(loc, Message(cam).empty_vision().str());
        EXPECT_FALSE(loc.fix);
        EXPECT_EQ(loc.no_fix_count, 2);
        expect_pose(loc, c.expected);
        // The odometry carries the start place on.
        walk_forward(1.0);
        feed(loc, Message(cam).empty_vision().str());
        Camera walked = c.expected;
        walked.x += std::cos(c.expected.torso_heading);
        walked.y += std::sin(c.expected.torso_heading);
        expect_pose(loc, walked);
    }
}

TEST_F(LocalizeTest, TheStartPlaceMovesToTheRightTeamsHalfWhenTheSideComesLate)
{
    Localize_t loc(-4, 2, 0.3, 60, 40, false);
    feed(loc, Message(Camera{}).str());
    expect_pose(loc, Camera{-4, 2, 0.3});
    feed(loc, Message(Camera{}).game_state(5, "right").str());
    expect_pose(loc, Camera{4, -2, 0.3 - kPi});
}

// A beam moves the robot far from its last fix: the beam place is its pose
// until a fix says otherwise, carried on by the odometry, as at its start.
// The vision record held at the beam (the parser keeps it through the
// messages without vision) still shows the old place: it gives neither a
// fix nor the ball, and the ball seen there is unknown until seen again.
TEST_F(LocalizeTest, ABeamedRobotStandsOnItsBeamPlaceUntilAFix)
{
    struct Case {
        const char* team;
        Camera beamed;  // (-0.2, 0.1, 0) in the field frame
    };
    const Case cases[] = {{"left", {-0.2, 0.1, 0}}, {"right", {0.2, -0.1, -kPi}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.team);
        Localize_t loc(-3, 1, 0, 60, 40, false);
        const Camera before{-8, 4, 2.0, 0};
        Message seen(before);
        seen.game_state(3, c.team).sees("G1L").sees("G2L").ball(-9, 3);
        feed(loc, seen.str());
        ASSERT_TRUE(loc.fix);
        ASSERT_EQ(loc.ball_unseen_count, 0);
        loc.no_fix_count = 40;
        loc.beam_to(-0.2, 0.1, 0.0);
        EXPECT_EQ(loc.no_fix_count, 0);
        expect_pose(loc, c.beamed);
        // The next messages bring no vision: the old record stays.
        feed(loc, Message(before).str());
        EXPECT_FALSE(loc.fix);
        EXPECT_EQ(loc.ball_unseen_count, Localize_t::MAX_BALL_SEEN_CNT + 1);  // unknown, as at the start
        expect_pose(loc, c.beamed);
        walk_forward(0.3);
        feed(loc, Message(before).str());
        EXPECT_FALSE(loc.fix);
        Camera walked = c.beamed;
        walked.x += 0.3 * std::cos(c.beamed.torso_heading);
        walked.y += 0.3 * std::sin(c.beamed.torso_heading);
        expect_pose(loc, walked);
        // New vision from where the robot really stands fixes it there.
        const Camera there{-0.5, 0.4, 0.1, 0};
        feed(loc, Message(there).sees("G1R").sees("G2R").ball(1, 0).str());
        EXPECT_TRUE(loc.fix);
        expect_pose(loc, there);
        EXPECT_EQ(loc.ball_unseen_count, 0);
    }
}

TEST_F(LocalizeTest, TooFewLandmarksCarryTheLastFixOnByOdometry)
{
    const Camera cam{-6, 2, 0.5, 0};
    const std::vector<std::vector<std::string>> too_few = {
        {},              // the ball only
        {"F1L"},         // one landmark
        {"F1L", "F2R"},  // two that form no pair
        {"G1R"},
    };
    for (const auto& seen : too_few) {
        SCOPED_TRACE(seen.size());
        Localize_t loc(0, 0, 0, 60, 40, false);
        feed(loc, Message(cam).sees("G1L").sees("G2L").str());
        ASSERT_TRUE(loc.fix);
        walk_forward(0.5);
        // Standing on, with the head turned by 35 degrees.
        Camera now = cam;
        now.yaw_deg = 35;
        Message m(now);
        m.ball(0, 0);
        for (const std::string& l : seen) m.sees(l);
        feed(loc, m.str());
        EXPECT_FALSE(loc.fix);
        EXPECT_EQ(loc.no_fix_count, 1);
        now.x += 0.5 * std::cos(cam.torso_heading);
        now.y += 0.5 * std::sin(cam.torso_heading);
        expect_pose(loc, now);
    }
}

// The end of every kick and stand-up resets the walk, which clears its
// odometry. Without a fix in view the robot is still where the motion
// began, and dead reckoning goes on from there, not from the centre spot.
TEST_F(LocalizeTest, AKickOrAStandUpLeavesTheRobotWhereItWas)
{
    const char* const kUpright = "(ACC (n torso) (a 0.00 0.00 9.81))";
    struct Case {
        const char* name;
        const char* reading;  // the accelerometer until the motion starts
        bool kick;            // a kick request, else the fall the reading shows
    };
    const Case cases[] = {{"kick", kUpright, true},
                          {"stand-up from the back", "(ACC (n torso) (a -0.00 9.65 -1.79))", false},
                          {"stand-up from the front", "(ACC (n torso) (a 0.00 -9.65 -1.79))", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_agent();
        Localize_t loc(-3, 1, 0, 60, 40, false);
        const Camera cam{-6, 2, 2.5, 0};
        feed(loc, Message(cam).sees("G1L").sees("G2L").str());
        ASSERT_TRUE(loc.fix);
        walk_forward(0.5);
        Camera there = cam;
        there.x += 0.5 * std::cos(cam.torso_heading);
        there.y += 0.5 * std::sin(cam.torso_heading);
        const std::string unseen = Message(cam).empty_vision().str();
        feed(loc, unseen + kUpright);
        expect_pose(loc, there);

        // Think by think, as the agent does: the localiser, then the motion.
        if (c.kick) move->new_kick2012(NaoMove::KICK_RIGHT);
        bool started = c.kick, ended = false;
        double drift = 0.0;
        for (int think = 0; think < 3000 && !ended; ++think) {
            feed(loc, unseen + (started ? kUpright : c.reading));
            started = started || NaoParse::fall_down_detected;
            double x, y, head, torso;
            loc.current_pose(x, y, head, torso);
            drift = std::max(drift, std::hypot(x - there.x, y - there.y) +
                                        std::fabs(angle_diff(torso, there.torso_heading)));
            std::stringstream out;
            move->update(out, 2);
            ended = started && (c.kick ? !move->kick : !NaoParse::fall_down_detected);
        }
        ASSERT_TRUE(ended);
        EXPECT_EQ(move->walk_engine->stopped, 1);
        feed(loc, unseen + kUpright);
        EXPECT_FALSE(loc.fix);
        expect_pose(loc, there);
        EXPECT_LT(drift, kPosTol);
        // Walking on from there.
        walk_forward(0.3);
        feed(loc, unseen + kUpright);
        there.x += 0.3 * std::cos(cam.torso_heading);
        there.y += 0.3 * std::sin(cam.torso_heading);
        expect_pose(loc, there);
    }
}

// ---- The ball ----

struct BallCase {
    const char* name;
    Camera cam;
    double bx, by;
    bool fix;  // landmarks in view; else the pose is the start place
};

TEST_F(LocalizeTest, BallInTheTorsoAndFieldFrames)
{
    const BallCase cases[] = {
        {"straight ahead", {0, 0, 0, 0, 0, 0.5}, 2, 0.5, true},
        {"head turned and pitched down", {2, 1, 0.5, 30, -25, 0.45}, 3, 2.5, true},
        {"behind the torso's left", {-3, -2, 2.8, 60, -10, 0.5}, -5, -1, true},
        {"without a fix, from the start place", {-4, 2, 0.3, 20, -20, 0.5}, -3, 2.4, false},
    };
    for (const BallCase& c : cases) {
        SCOPED_TRACE(c.name);
        Localize_t loc(c.cam.x, c.cam.y, c.cam.torso_heading, 60, 40, false);
        EXPECT_EQ(loc.ball_unseen_count, Localize_t::MAX_BALL_SEEN_CNT);
        Message m(c.cam);
        m.game_state(2, "left").ball(c.bx, c.by);
        if (c.fix) m.sees("F1L").sees("G1L").sees("F2R").sees("G2R");
        feed(loc, m.str());
        ASSERT_EQ(loc.fix, c.fix);
        EXPECT_EQ(loc.ball_unseen_count, 0);
        // The truth in the torso frame.
        const double dx = c.bx - c.cam.x, dy = c.by - c.cam.y;
        const double h = c.cam.torso_heading;
        const double lx = std::cos(h) * dx + std::sin(h) * dy;
        const double ly = -std::sin(h) * dx + std::cos(h) * dy;
        EXPECT_NEAR(loc.ball_lx, lx, kPosTol);
        EXPECT_NEAR(loc.ball_ly, ly, kPosTol);
        EXPECT_NEAR(loc.ball_ground_dist, std::hypot(dx, dy), kPosTol);
        EXPECT_ANGLE_NEAR(loc.ball_bearing, std::atan2(ly, lx), kAngleTol);
        EXPECT_NEAR(loc.ball_gx, c.bx, kPosTol);
        EXPECT_NEAR(loc.ball_gy, c.by, kPosTol);
        EXPECT_ANGLE_NEAR(loc.ball_gdir, std::atan2(dy, dx), kAngleTol);
        EXPECT_NEAR(loc.ball_dist, std::hypot(dx, dy), kPosTol);
    }
}

TEST_F(LocalizeTest, BallOutOfViewKeepsItsPlaceWhileTheRobotWalks)
{
    const Camera cam{0, 0, 0, 0};
    Localize_t loc(0, 0, 0, 60, 40, false);
    feed(loc, Message(cam).sees("F1R").sees("G1R").str());
    EXPECT_EQ(loc.ball_unseen_count, Localize_t::MAX_BALL_SEEN_CNT + 1);
    feed(loc, Message(cam).sees("F1R").sees("G1R").ball(2, 0).str());
    EXPECT_EQ(loc.ball_unseen_count, 0);
    EXPECT_NEAR(loc.ball_dist, 2.0, kPosTol);
    walk_forward(0.5);
    feed(loc, Message(cam).sees("G1R").str());
    EXPECT_EQ(loc.ball_unseen_count, 1);
    EXPECT_NEAR(loc.ball_gx, 2.0, kPosTol);
    EXPECT_NEAR(loc.ball_dist, 1.5, kPosTol);
    feed(loc, Message(cam).empty_vision().str());
    EXPECT_EQ(loc.ball_unseen_count, 2);
}

// The vision record stays through the messages without vision while the
// head goes on moving: it must be read with the head joints it came with.
TEST_F(LocalizeTest, BetweenVisionsTheHeadMayMoveWithoutMovingTheWorld)
{
    const Camera at_vision{2, -1, 0.6, 10, -20};
    Camera moved = at_vision;
    moved.yaw_deg = -35;
    moved.pitch_deg = 5;
    for (bool landmarks : {true, false}) {
        SCOPED_TRACE(landmarks ? "fix" : "odometry");
        Localize_t loc(at_vision.x, at_vision.y, at_vision.torso_heading, 60, 40, false);
        Message m(at_vision);
        m.game_state(3, "left").ball(2.5, 1.0).player("brevane", 4, 3, -1);
        if (landmarks) m.sees("F2R").sees("G2R");
        feed(loc, m.str());
        ASSERT_EQ(loc.fix, landmarks);
        for (const Camera& c : {moved, moved}) {  // two messages without vision
            feed(loc, Message(c).str());
            EXPECT_EQ(loc.fix, landmarks);
            double x, y, head, torso;
            loc.current_pose(x, y, head, torso);
            EXPECT_NEAR(x, at_vision.x, kPosTol);
            EXPECT_NEAR(y, at_vision.y, kPosTol);
            EXPECT_ANGLE_NEAR(torso, at_vision.torso_heading, kAngleTol);
            // The camera's heading: when the vision came (the fix), or now.
            EXPECT_ANGLE_NEAR(head, (landmarks ? at_vision : moved).head_heading(), kAngleTol);
            const double dx = 2.5 - at_vision.x, dy = 1.0 - at_vision.y, h = at_vision.torso_heading;
            EXPECT_NEAR(loc.ball_lx, std::cos(h) * dx + std::sin(h) * dy, kPosTol);
            EXPECT_NEAR(loc.ball_ly, -std::sin(h) * dx + std::cos(h) * dy, kPosTol);
            EXPECT_NEAR(loc.ball_ground_dist, std::hypot(dx, dy), kPosTol);
            EXPECT_NEAR(loc.ball_gx, 2.5, kPosTol);
            EXPECT_NEAR(loc.ball_gy, 1.0, kPosTol);
            EXPECT_NEAR(loc.mates[4].x, 3, kPosTol);
            EXPECT_NEAR(loc.mates[4].y, -1, kPosTol);
        }
    }
}

// The recording with the server's ground truth: the camera position
// ("mypos"), the robot's heading ("myorien", degrees) and the ball
// ("ballpos"), against what the localiser makes of the same message.
TEST_F(LocalizeTest, RecordedVisionAgreesWithTheServersGroundTruth)
{
    NaoParse probe("Probe");
    probe.Init();
    Localize_t loc(-3, 0, 0, 60, 40, false);
    int fixes = 0, balls = 0;
    for (const std::string& msg : read_data_lines("capture/groundtruth_play_on.txt")) {
        probe.Parse(msg, 0);
        if (loc.side == 0 && probe.side != 0) loc.set_side(probe.side);
        loc.update(probe, *move);
        double tx, ty, tz, torien, bx, by, bz;
        const char* at = std::strstr(msg.c_str(), "(mypos");
        if (!at || std::sscanf(at, "(mypos %lf %lf %lf) (myorien %lf) (ballpos %lf %lf %lf)", &tx, &ty, &tz,
                               &torien, &bx, &by, &bz) != 7)
            continue;
        // The robot sees its own lower arms: they are not a team-mate.
        if (probe.unum == 1) {
            EXPECT_EQ(loc.get_ball_priority(probe), 0);
        }
        if (!loc.fix) continue;
        ++fixes;
        // The only fix comes from F1R and F1L 18.7 m away, the camera 1.6 m
        // above them (elevation -4.9 degrees). The raw distances exceed the
        // ground distances by about h^2 / 2d = 0.07 m, which moves the
        // intersection 15 m either side of the flags along y by about
        // r / (10 - y) = 1.7 times as much: 0.12 m; the server's noise on
        // the distances (about 0.1 %) adds some 0.03 m.
        EXPECT_NEAR(loc.x, tx, 0.05);
        EXPECT_NEAR(loc.y, ty, 0.2);
        EXPECT_LT(loc.y, ty);  // the longer circles meet nearer the robot's side
        EXPECT_ANGLE_NEAR(loc.torso_heading, rad(torien), rad(1.0));
        if (probe.nv.seen[NaoParse::VO_BALL]) {
            ++balls;
            // The ball (ground distance 1 m) is placed from the fix: its
            // errors plus under 0.01 m of its own.
            EXPECT_NEAR(loc.ball_gx, bx, 0.05);
            EXPECT_NEAR(loc.ball_gy, by, 0.2);
            EXPECT_NEAR(loc.ball_ground_dist, std::hypot(bx - tx, by - ty), 0.01);
            // In the torso frame the ball is straight ahead, 1 m away.
            EXPECT_NEAR(loc.ball_lx, 1.0, 0.01);
            EXPECT_NEAR(loc.ball_ly, 0.0, 0.01);
        }
    }
    EXPECT_EQ(fixes, 1);
    EXPECT_EQ(balls, 1);
}

// ---- Team-mates and the ball priority ----

TEST_F(LocalizeTest, TeamMateTableHoldsTheOwnPoseAndTheTeamMatesSeen)
{
    const Camera cam{0, 0, 0.4, 10, -5};
    Localize_t loc(0, 0, 0, 60, 40, false);
    Message m(cam);
    m.game_state(3, "left").sees("F1R").sees("G1R");
    m.player("brevane", 4, 3, 1, 1.0);
    m.player("brevane", 7, -2, 4, -2.0);
    m.player("Other", 5, 1, -1);        // an opponent
    m.player("brevane", 3, 0.15, 0.0);  // its own arms
    for (int bad : {0, 12, 99, -1}) m.player("brevane", bad, 2, 2);
    feed(loc, m.str());
    ASSERT_TRUE(loc.fix);

    struct Row {
        int id;
        double x, y;
    };
    const Row expected[] = {{3, 0, 0}, {4, 3, 1}, {7, -2, 4}};
    int known = 0;
    for (int k = 0; k < Localize_t::NB_MATES; ++k) {
        EXPECT_EQ(loc.mates2[k].id, -1);
        if (loc.mates[k].id != -1) ++known;
    }
    EXPECT_EQ(known, 3);
    for (const Row& r : expected) {
        SCOPED_TRACE(r.id);
        const Localize_t::mate_t& row = loc.mates[r.id];
        EXPECT_EQ(row.id, r.id);
        EXPECT_NEAR(row.x, r.x, kPosTol);
        EXPECT_NEAR(row.y, r.y, kPosTol);
    }
    EXPECT_ANGLE_NEAR(loc.mates[3].direction, cam.torso_heading, kAngleTol);
    // A team-mate's direction: halfway between where its two arms are seen.
    const double a_right = std::atan2(1 - 0.1 * std::cos(1.0), 3 + 0.1 * std::sin(1.0));
    const double a_left = std::atan2(1 + 0.1 * std::cos(1.0), 3 - 0.1 * std::sin(1.0));
    EXPECT_ANGLE_NEAR(loc.mates[4].direction, (a_right + a_left) / 2, kAngleTol);
}

TEST_F(LocalizeTest, ATeamMateStraightBehindIsSeenBehindNotAhead)
{
    // Its arms are seen at +-(pi - 0.02): halfway between them is pi, not 0.
    const Camera cam{0, 0, 0, 0};
    Localize_t loc(0, 0, 0, 60, 40, false);
    feed(loc, Message(cam).game_state(3, "left").sees("F1R").sees("G1R").player("brevane", 4, -5, 0).str());
    ASSERT_EQ(loc.mates[4].id, 4);
    EXPECT_ANGLE_NEAR(loc.mates[4].direction, kPi, 1e-4);
}

struct PriorityCase {
    const char* name;
    const char* team;
    std::vector<std::pair<int, std::pair<double, double>>> mates;  // number, (x, y)
    int expected;
};

// The robot (number 3) stands at the centre spot, the ball at (2, 0). For a
// team playing from the left, standing behind the ball costs nothing
// extra; on its far side up to pi/2.
TEST_F(LocalizeTest, BallPriorityCountsTheTeamMatesBetterPlaced)
{
    const PriorityCase cases[] = {
        {"no team-mate in view", "left", {}, 0},
        {"a team-mate farther away", "left", {{4, {-3, 1}}}, 0},
        {"a team-mate nearer, behind the ball", "left", {{4, {1, 0.2}}}, 1},
        {"two of them", "left", {{4, {1, 0.2}}, {7, {1.5, -0.3}}}, 2},
        {"nearer, but beyond the ball", "left", {{4, {3.2, 0}}}, 0},
        {"the same, for a team playing from the right", "right", {{4, {3.2, 0}}}, 1},
        {"farther, and beyond the ball too", "right", {{4, {-1, 0}}}, 0},
    };
    const Camera cam{0, 0, 0, 0};
    for (const PriorityCase& c : cases) {
        SCOPED_TRACE(c.name);
        Localize_t::reset_process_state();
        Localize_t loc(0, 0, 0, 60, 40, false);
        Message m(cam);
        m.game_state(3, c.team).sees("F1R").sees("G1R").ball(2, 0);
        for (const auto& mate : c.mates)
            m.player("brevane", mate.first, mate.second.first, mate.second.second);
        feed(loc, m.str());
        ASSERT_TRUE(loc.fix);
        EXPECT_EQ(loc.get_ball_priority(parse), c.expected);
    }
}

class BallPriorityTest : public LocalizeTest {
protected:
    // Own number 3 at the centre spot, the ball at (5, 0), the team playing
    // from the left: the own cost is exactly 5. `nearer` team-mates stand at
    // (1, 0) (cost 4), and one more at (-5, 0) (cost 10), so that some
    // team-mate is always known.
    void table(Localize_t& loc, int nearer)
    {
        for (Localize_t::mate_t& r : loc.mates) r.id = -1;
        loc.ball_gx = 5;
        loc.ball_gy = 0;
        loc.mates[3] = {3, 0, 0, 0};
        for (int i = 0; i < nearer; ++i) loc.mates[4 + i] = {4 + i, 1, 0, 0};
        loc.mates[11] = {11, -5, 0, 0};
    }
    void SetUp() override
    {
        LocalizeTest::SetUp();
        parse.Parse("(GS (unum 3) (team left) (t 1.0) (pm PlayOn))", 0);
    }
};

TEST_F(BallPriorityTest, EqualCostsDoNotCount)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    table(loc, 1);
    loc.mates[6] = {6, 0, 0, 0};  // cost 5, the same as the own
    EXPECT_EQ(loc.get_ball_priority(parse), 1);
}

TEST_F(BallPriorityTest, WithoutAKnownSideOrOwnNumberThePlayerIsFirst)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    table(loc, 2);
    NaoParse unsided("brevane");
    unsided.Init();
    unsided.Parse("(GS (unum 3) (team neither) (t 1.0) (pm PlayOn))", 0);
    EXPECT_EQ(loc.get_ball_priority(unsided), 0);  // side 0: every cost is 0
    for (int unum : {-1, 0, 12}) {
        NaoParse p("brevane");
        p.Init();
        p.Parse("(GS (unum " + std::to_string(unum) + ") (team left) (t 1.0) (pm PlayOn))", 0);
        EXPECT_EQ(loc.get_ball_priority(p), 0) << unum;
    }
}

TEST_F(BallPriorityTest, ANonZeroPriorityIsHeldFor400CallsThenRefreshed)
{
    struct Step {
        int nearer;  // the priority computed from the table
        int calls;
        int expected;
    };
    const Step steps[] = {
        {2, 1, 2},    // the first non-zero value starts the hold
        {1, 200, 2},  // held
        {0, 5, 0},    // a computed 0 at once, not counted
        {1, 199, 2},  // held: 400 calls since the start
        {1, 1, 1},    // the 401st: refreshed
        {2, 400, 1},  // held for the next 400
        {2, 1, 2},    // refreshed
    };
    Localize_t loc(0, 0, 0, 60, 40, false);
    int n = 0;
    for (const Step& s : steps) {
        table(loc, s.nearer);
        for (int i = 0; i < s.calls; ++i, ++n)
            ASSERT_EQ(loc.get_ball_priority(parse), s.expected) << "call " << n;
    }
    // The hold is the process's: another localiser gets the held value.
    Localize_t other(0, 0, 0, 60, 40, false);
    table(other, 1);
    EXPECT_EQ(other.get_ball_priority(parse), 2);
}

TEST_F(BallPriorityTest, AFirstComputedZeroIsNotHeld)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    table(loc, 0);
    EXPECT_EQ(loc.get_ball_priority(parse), 0);
    table(loc, 1);
    EXPECT_EQ(loc.get_ball_priority(parse), 1);  // not a held 0: one attacker
    table(loc, 2);
    EXPECT_EQ(loc.get_ball_priority(parse), 1);  // held from here
}

// A team-mate's say message heard by a robot that sees no team-mate
// nearer the ball. Own number 3 at the centre spot, the ball 5 m away at
// (5, 0); the claim is heard at game time 1 from `dir` degrees (as the
// server gives it: in the team's frame) and looked at `age` seconds later.
// A claim from within 90 degrees of the ball's direction may come from a
// team-mate nearer the ball; from beyond, the claimant is farther.
TEST_F(BallPriorityTest, AFreshClaimFromTowardsTheBallMakesTheRobotGiveWay)
{
    struct ClaimCase {
        const char* name;
        const char* team;
        double dir;       // degrees, team frame
        double age;       // s
        bool mate_there;  // a team-mate in view at (10, 0.5), farther from the ball
        bool claims;      // the team's say messages are claims of the ball
        int expected;
    };
    const double hold = Localize_t::claim_hold(5.0);  // 2.8 s
    const ClaimCase cases[] = {
        {"ahead", "left", 30, 0, false, true, 1},
        {"to the right, short of 90 degrees", "left", -85, 0, false, true, 1},
        {"beyond 90 degrees", "left", 95, 0, false, true, 0},
        {"straight behind", "left", 180, 0, false, true, 0},
        {"still fresh", "left", 30, hold - 0.05, false, true, 1},
        {"stale", "left", 30, hold + 0.05, false, true, 0},
        {"team from the right: its frame is turned half a circle", "right", 180, 0, false, true, 1},
        {"team from the right, from behind", "right", 0, 0, false, true, 0},
        {"the claimant is the team-mate in view", "left", 3, 0, true, true, 0},
        {"a team-mate in view elsewhere", "left", -40, 0, true, true, 1},
        {"say messages that are no claims", "left", 30, 0, false, false, 0},
    };
    for (const ClaimCase& c : cases) {
        SCOPED_TRACE(c.name);
        Localize_t::reset_process_state();
        Localize_t loc(0, 0, 0, 60, 40, false);
        loc.hear_claims = c.claims;
        const double side = std::strcmp(c.team, "left") == 0 ? 1 : -1;
        for (Localize_t::mate_t& r : loc.mates) r.id = -1;
        loc.mates[3] = {3, 0, 0, 0};
        if (c.mate_there) loc.mates[7] = {7, 10, 0.5, 0};
        loc.ball_gx = 5;
        loc.ball_gy = 0;
        loc.ball_dist = 5;
        parse.hear_active = true;
        char msg[160];
        std::snprintf(msg, sizeof(msg),
                      "(GS (unum 3) (team %s) (t 1.00) (pm PlayOn))(hear brevane 1.00 %.1f 5.0_0.0)", c.team,
                      c.dir);
        parse.Parse(msg, 0);
        ASSERT_EQ(parse.side, side);
        loc.update_claims(parse);
        std::snprintf(msg, sizeof(msg), "(GS (t %.2f) (pm PlayOn))", 1.0 + c.age);
        parse.Parse(msg, 0);
        loc.update_claims(parse);  // nothing new heard: the claim keeps its time
        EXPECT_EQ(loc.get_ball_priority(parse), c.expected);
    }
}

// A real message of the server: unum 2 of a team playing from the left
// hears team-mate 3 from -80.83 degrees and sees it in the same message.
// The heard direction is the field direction from the hearer towards the
// speaker (not one relative to the hearer's heading): the team-mate table
// puts number 3 there.
TEST_F(LocalizeTest, TheHeardDirectionPointsAtTheSpeakerInTheFieldFrame)
{
    std::vector<std::string> lines = read_data_lines("server_hearing_ball.txt");
    ASSERT_EQ(lines.size(), 2u);
    NaoParse probe("Probe");
    probe.Init();
    probe.hear_active = true;
    std::string msg = lines[0];
    msg.replace(msg.find("(GS "), 4, "(GS (unum 2) (team left) ");
    probe.Parse(msg, 0);
    Localize_t loc(-2, 2, 0, 60, 40, false);
    loc.set_side(probe.side);
    loc.update(probe, *move);
    ASSERT_TRUE(loc.fix);
    ASSERT_EQ(loc.mates[3].id, 3);
    EXPECT_DOUBLE_EQ(probe.hear_dir, -80.83);
    double x, y, head, torso;
    loc.current_pose(x, y, head, torso);
    const double to_mate = std::atan2(loc.mates[3].y - y, loc.mates[3].x - x);
    EXPECT_NEAR(angle_diff(to_mate, rad(probe.hear_dir)), 0.0, rad(5));
    // Relative to its torso heading the team-mate is seen elsewhere: the
    // heard direction is no bearing from the torso.
    EXPECT_GT(std::fabs(angle_diff(to_mate - torso, rad(probe.hear_dir))), rad(30));
}

// The claim gives way like a team-mate seen nearer: a priority of at least
// 1, held as any other; a team-mate seen nearer counts as before.
TEST_F(BallPriorityTest, AClaimHeardAddsToNoSeenTeamMateAndIsHeldLikeOne)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    loc.hear_claims = true;
    table(loc, 2);
    parse.hear_active = true;
    parse.Parse("(GS (t 1.00) (pm PlayOn))(hear brevane 1.00 30.0 5.0_0.0)", 0);
    loc.update_claims(parse);
    EXPECT_EQ(loc.get_ball_priority(parse), 2);  // the two seen nearer decide
    table(loc, 0);
    EXPECT_EQ(loc.get_ball_priority(parse), 2);  // the claim: non-zero, so the held 2
    parse.Parse("(GS (t 9.00) (pm PlayOn))", 0);
    EXPECT_EQ(loc.get_ball_priority(parse), 0);  // stale: first at the ball again
}

TEST_F(BallPriorityTest, ProximityCountsTeamMatesHalfAMetreNearerTheBall)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    table(loc, 2);  // two at 4 m from the ball, one at 10 m
    loc.ball_dist = 4.4;
    EXPECT_EQ(loc.get_ball_proximity(parse), 0);
    loc.ball_dist = 4.5;
    EXPECT_EQ(loc.get_ball_proximity(parse), 2);
}

// ---- Side, kick points, grid ----

TEST_F(LocalizeTest, SideSetsTheGoalsAndRefusesAnythingButPlusOrMinusOne)
{
    struct Case {
        int side;
        double own_x, opp_x;
    };
    for (const Case& c : {Case{1, -15, 15}, Case{-1, 15, -15}}) {
        Localize_t loc(0, 0, 0, 60, 40, false);
        loc.set_side(c.side);
        EXPECT_EQ(loc.side, c.side);
        EXPECT_DOUBLE_EQ(loc.own_goal_x, c.own_x);
        EXPECT_DOUBLE_EQ(loc.opp_goal_x, c.opp_x);
        EXPECT_DOUBLE_EQ(loc.own_goal_y, 0);
        EXPECT_DOUBLE_EQ(loc.opp_goal_y, 0);
        for (int bad : {0, 2, -2}) {
            testing::internal::CaptureStderr();
            loc.set_side(bad);
            EXPECT_EQ(testing::internal::GetCapturedStderr(),
                      "Localize_t::set_side " + std::to_string(bad) + " ERROR \n");
            EXPECT_EQ(loc.side, c.side);
            EXPECT_DOUBLE_EQ(loc.own_goal_x, c.own_x);
        }
    }
}

TEST_F(LocalizeTest, GoalKickPointLiesHalfAMetreBehindTheBallOnTheLineFromTheGoal)
{
    struct Case {
        int side;
        double bx, by;       // ball
        double x, y, torso;  // robot
        double kx, ky, gdir, dist, lx, ly;
    };
    const Case cases[] = {
        {1, 10, 0, 8, 0, kPi / 2, 9.5, 0, 0, 1.5, 0, -1.5},
        {-1, -11, 3, -10.6, 5.3, 0, -10.6, 3.3, -kPi / 2, 2, 0, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.side);
        Localize_t loc(0, 0, 0, 60, 40, false);
        loc.set_side(c.side);
        loc.ball_gx = c.bx;
        loc.ball_gy = c.by;
        loc.ball_unseen_count = 0;
        loc.no_fix_count = 0;
        loc.fix = true;
        loc.torso_heading = c.torso;
        ASSERT_TRUE(loc.set_goal_kick_point(c.x, c.y, 10));
        EXPECT_NEAR(loc.gkp_gx, c.kx, 1e-12);
        EXPECT_NEAR(loc.gkp_gy, c.ky, 1e-12);
        EXPECT_ANGLE_NEAR(loc.gkp_gdir, c.gdir, 1e-12);
        EXPECT_NEAR(loc.gkp_dist, c.dist, 1e-12);
        EXPECT_NEAR(loc.gkp_dist2, c.dist, 1e-12);
        EXPECT_ANGLE_NEAR(loc.gkp_angle, c.gdir - c.torso, 1e-12);
        EXPECT_NEAR(loc.gkp_lx, c.lx, 1e-12);
        EXPECT_NEAR(loc.gkp_ly, c.ly, 1e-12);

        // Without a fix in this update the robot's place and heading are the
        // odometry's; the last fix's heading is not the robot's any more.
        loc.fix = false;
        loc.odo_torso_heading = c.torso;
        loc.torso_heading = c.torso + 1.0;
        ASSERT_TRUE(loc.set_goal_kick_point(c.x, c.y, 10));
        EXPECT_ANGLE_NEAR(loc.gkp_angle, c.gdir - c.torso, 1e-12);
        EXPECT_NEAR(loc.gkp_lx, c.lx, 1e-12);
        EXPECT_NEAR(loc.gkp_ly, c.ly, 1e-12);

        // Not set while the ball or the own pose is not known; nor with
        // the ball in the goal's centre. The last kick point stays.
        struct Refusal {
            int unseen, no_fix;
            double bx, by;
        };
        const double goal_x = -15.0 * -c.side;
        for (const Refusal& r :
             {Refusal{10, 0, c.bx, c.by}, Refusal{0, 10, c.bx, c.by}, Refusal{0, 0, goal_x, 0}}) {
            loc.ball_unseen_count = r.unseen;
            loc.no_fix_count = r.no_fix;
            loc.ball_gx = r.bx;
            loc.ball_gy = r.by;
            EXPECT_FALSE(loc.set_goal_kick_point(0, 0, 10));
            EXPECT_DOUBLE_EQ(loc.gkp_gx, c.kx);
            EXPECT_DOUBLE_EQ(loc.gkp_gy, c.ky);
            EXPECT_DOUBLE_EQ(loc.gkp_dist, c.dist);
        }
    }
}

TEST_F(LocalizeTest, LocalKickPointIsBesideAndBehindTheBallSeen)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    loc.ball_lx = 1.0;
    loc.ball_ly = 0.3;
    EXPECT_FALSE(loc.set_kick_point(Localize_t::MAX_BALL_SEEN_CNT));  // never seen
    loc.ball_unseen_count = 3;
    ASSERT_TRUE(loc.set_kick_point(4));
    EXPECT_NEAR(loc.lkp_lx, 0.76, 1e-12);
    EXPECT_NEAR(loc.lkp_ly, 0.26, 1e-12);
    EXPECT_NEAR(loc.lkp_dist, std::sqrt(0.76 * 0.76 + 0.26 * 0.26), 1e-12);
    EXPECT_NEAR(loc.lkp_angle, std::atan(0.26 / 0.76), 1e-12);
    EXPECT_FALSE(loc.set_kick_point(3));
}

TEST_F(LocalizeTest, GridPlacesSeenPlayersAndSkipsThoseOffTheField)
{
    Localize_t loc(0, 0, 0, 60, 40, true);
    // Column 0 at the +x end, row 0 at the +y side, half-metre cells.
    struct Centre {
        int k, l;
        double x, y;
    };
    for (const Centre& c :
         {Centre{0, 0, 14.75, 9.75}, Centre{59, 39, -14.75, -9.75}, Centre{1, 2, 14.25, 8.75}}) {
        EXPECT_DOUBLE_EQ(loc.cells[c.k * 40 + c.l].x, c.x);
        EXPECT_DOUBLE_EQ(loc.cells[c.k * 40 + c.l].y, c.y);
    }
    const Camera cam{0, 0, 0, 0};
    Message m(cam);
    m.sees("F1R").sees("G1R");
    m.player("Other", 9, 3.2, -4.7);     // 11 m from the +x end, 14 from the +y side
    m.player("brevane", 4, -14.9, 9.9);  // 29 m and 0 m
    m.player("brevane", 6, 15.4, 0.2);   // just over the goal line: 0 m
    m.player("Other", 2, 16.5, 0);       // off the field
    m.player("Other", 3, 0, -11);
    feed(loc, m.str());
    ASSERT_TRUE(loc.fix);
    struct Placed {
        int k, l, id;
        double x, y;
    };
    const Placed placed[] = {{22, 28, 9, 3.2, -4.7}, {58, 0, 4, -14.9, 9.9}, {0, 18, 6, 15.4, 0.2}};
    int taken = 0;
    for (int i = 0; i < 60 * 40; ++i) taken += loc.cells[i].id != -1;
    EXPECT_EQ(taken, 3);
    for (const Placed& p : placed) {
        const Localize_t::grid_elt& c = loc.cells[p.k * 40 + p.l];
        EXPECT_EQ(c.id, p.id);
        EXPECT_EQ(c.occupied, 1);
        EXPECT_NEAR(c.x, p.x, kPosTol);
        EXPECT_NEAR(c.y, p.y, kPosTol);
        // Facing from two arms 0.2 m apart: the message's five decimals
        // of a distance up to 18 m leave some 1e-4 rad.
        EXPECT_ANGLE_NEAR(c.heading, 0.0, 1e-3);
    }
}

TEST_F(LocalizeTest, SeenCountAndLocalToFieldConversion)
{
    const Camera cam{1, 2, kPi / 2, 0};
    Localize_t loc(0, 0, 0, 60, 40, false);
    double gx = 99, gy = 99;
    loc.local_coord_to_global_coord(1, 0, gx, gy);
    EXPECT_EQ(gx, 99);  // no fix yet: nothing written
    feed(loc, Message(cam).sees("G1L").sees("G2L").sees("F1R").ball(1, 3).str());
    EXPECT_EQ(loc.seenSize(parse.nv, 0, 8), 4);
    EXPECT_EQ(loc.seenSize(parse.nv, 1, 4), 1);
    EXPECT_EQ(loc.seenSize(parse.nv, 5, 40), 2);
    loc.local_coord_to_global_coord(1, 0.5, gx, gy);
    EXPECT_NEAR(gx, 0.5, kPosTol);
    EXPECT_NEAR(gy, 3.0, kPosTol);
}

// ---- Walk and turn requests ----

template <class T, class = void>
struct has_speed_filter : std::false_type {
};
template <class T>
struct has_speed_filter<T, std::void_t<decltype(&T::speed_filter)>> : std::true_type {
};

#ifdef BREVANE_NO_RATE_LIMITER
static_assert(!has_speed_filter<Localize_t>::value, "brevane-b has no rate limiter");
#else
static_assert(has_speed_filter<Localize_t>::value, "brevane limits the walk speed");
#endif

TEST_F(LocalizeTest, RequestsWaitingToStartAreDropped)
{
    struct Case {
        bool active, walking, forwarded;
    };
    const Case cases[] = {
        {false, false, true}, {true, false, false}, {true, true, true}, {false, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.active) + std::to_string(c.walking));
        Localize_t loc(0, 0, 0, 60, 40, false);
        move->walking = c.walking;
        move->trans = c.active;
        move->rot = false;
        move->trans_fwd = -7;
        loc.new_trans2013(*move, 0.3, 0.1);
        EXPECT_EQ(move->trans_fwd, c.forwarded ? 0.3 : -7);
        move->walking = c.walking;
        move->rot = c.active;
        move->trans = false;
        move->rot_angle = -7;
        loc.new_rot2013(*move, 0.4, -0.02);
        EXPECT_EQ(move->rot_angle, c.forwarded ? 0.4 : -7);
        if (c.forwarded) {
            EXPECT_EQ(move->rot_xc, -0.02);
        }
    }
}

#ifndef BREVANE_NO_RATE_LIMITER

struct FilterStep {
    double fwd, side;  // request
    double f, s;       // what reaches the motion interface
};

TEST_F(LocalizeTest, RateLimiterMovesOneStepPerRequestTowardIt)
{
    const std::vector<std::pair<const char*, std::vector<FilterStep>>> cases = {
        {"under 1 m forward: 0.01 per request", {{0.5, 0, 0.01, 0}, {0.5, 0, 0.02, 0}, {0.5, 0, 0.03, 0}}},
        {"2 m: 0.04, then back across zero by 0.01",
         {{2, 0, 0.04, 0}, {2, 0, 0.08, 0}, {-0.5, 0, 0.07, 0}, {-0.5, 0, 0.06, 0}}},
        {"backwards 2 m: 0.04, a reversal by 0.01 however large",
         {{-2, 0, -0.04, 0}, {-2, 0, -0.08, 0}, {2, 0, -0.07, 0}}},
        {"sideways: 0.0025 under 1 m, else 0.005",
         {{0.5, 0.3, 0.01, 0.0025},
          {0.5, 0.3, 0.02, 0.005},
          {0.5, 1.5, 0.03, 0.01},
          {0.5, -1.5, 0.04, 0.0075}}},
        {"within a step of the request",
         {{0.025, 0, 0.01, 0}, {0.025, 0, 0.02, 0}, {0.025, 0, 0.03, 0}, {0.025, 0, 0.03, 0}}},
        {"a request some steps away is reached and held, whatever the rounding",
         {{0.03, 0.0075, 0.01, 0.0025},
          {0.03, 0.0075, 0.02, 0.005},
          {0.03, 0.0075, 0.03, 0.0075},
          {0.03, 0.0075, 0.03, 0.0075},
          {0.07, 0.0075, 0.04, 0.0075}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        Localize_t::reset_process_state();
        Localize_t loc(0, 0, 0, 60, 40, false);
        loc.speed_filter = 1;
        move->walking = true;  // every request reaches the walk
        for (const FilterStep& s : c.second) {
            loc.new_trans2013(*move, s.fwd, s.side);
            EXPECT_NEAR(move->trans_fwd, s.f, 1e-12);
            EXPECT_NEAR(move->trans_side, s.s, 1e-12);
        }
    }
}

TEST_F(LocalizeTest, RateLimiterStateOutlivesItsSwitchingOffAndDroppedRequests)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    move->walking = true;
    loc.speed_filter = 1;
    loc.new_trans2013(*move, 0.5, 0.5);
    loc.new_trans2013(*move, 0.5, 0.5);
    loc.speed_filter = 0;  // first at the ball: raw requests, the state kept
    loc.new_trans2013(*move, 0.3, 0.1);
    EXPECT_EQ(move->trans_fwd, 0.3);
    EXPECT_EQ(move->trans_side, 0.1);
    // Limited again; a request dropped while a translation waits to start
    // still moves the state.
    loc.speed_filter = 1;
    move->walking = false;
    move->trans = true;
    loc.new_trans2013(*move, 0.5, 0.5);
    EXPECT_EQ(move->trans_fwd, 0.3);
    move->walking = true;
    loc.new_trans2013(*move, 0.5, 0.5);
    EXPECT_NEAR(move->trans_fwd, 0.04, 1e-12);
    EXPECT_NEAR(move->trans_side, 0.01, 1e-12);
    // Another localiser of the process shares the state.
    Localize_t other(0, 0, 0, 60, 40, false);
    other.speed_filter = 1;
    other.new_trans2013(*move, 0.5, 0.5);
    EXPECT_NEAR(move->trans_fwd, 0.05, 1e-12);
}

TEST_F(LocalizeTest, ALimitedRequestBackAtZeroIsNoWalkRequest)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    loc.speed_filter = 1;
    move->walking = true;
    for (int i = 0; i < 3; ++i) loc.new_trans2013(*move, 0.5, 0);
    ASSERT_NEAR(move->trans_fwd, 0.03, 1e-12);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) loc.new_trans2013(*move, 0, 0);
    EXPECT_NEAR(move->trans_fwd, 0.01, 1e-12);
    // Then zero (0.01 three times up and down leaves 3e-18 in doubles):
    // dropped, not a walk request of (almost) nothing.
    move->trans_fwd = -7;
    for (int i = 0; i < 3; ++i) loc.new_trans2013(*move, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(move->trans_fwd, -7);
    // Unlimited, a zero request reaches the motion interface, which refuses it.
    loc.speed_filter = 0;
    testing::internal::CaptureStderr();
    loc.new_trans2013(*move, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "init_walk_translate 0.000000 0.000000 ERROR\n");
}

#else

TEST_F(LocalizeTest, BrevaneBForwardsWalkRequestsUnchanged)
{
    Localize_t loc(0, 0, 0, 60, 40, false);
    move->walking = true;
    const double requests[][2] = {{0.5, 0.3}, {2.0, -1.5}, {-0.4, 0}, {0.001, 0}};
    for (const auto& r : requests) {
        loc.new_trans2013(*move, r[0], r[1]);
        EXPECT_EQ(move->trans_fwd, r[0]);
        EXPECT_EQ(move->trans_side, r[1]);
    }
}

#endif

}  // namespace
