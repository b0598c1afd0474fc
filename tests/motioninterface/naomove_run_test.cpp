// The run-challenge motion interface: side smoothing of walk requests,
// rotation series, the kick refusals it reports and the odometry restart.
#include "motioninterface/naomove_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "motions/motion_type.h"
#include "support/test_files.h"
#include "walk/walk.h"

namespace {

class RunNaoMoveTest : public ::testing::Test {
protected:
    static const int kSubSteps = 2;

    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    NaoParse parse{"brevane"};
    std::unique_ptr<run::NaoMove> move;

    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        in_scratch.reset(new InWorkDir(scratch.path()));
        parse.SetupJointIDMap();
        fresh();
    }
    // A new motion interface, with the process-wide motion state at its start.
    void fresh()
    {
        move.reset();
        NaoParse::reset_static_state();
        ::NaoMove::reset_motion_state();
        naosimplemove_t::reset_interpolation();
        testing::internal::CaptureStderr();
        move.reset(new run::NaoMove(&parse.mJointIDMap, 0.02 / kSubSteps, 0, 0));
        testing::internal::GetCapturedStderr();
    }
    void TearDown() override
    {
        move.reset();
        in_scratch.reset();
    }

    void cycle()
    {
        std::stringstream out;
        move->update(out, kSubSteps);
    }
    // Cycles until the walk engine is driven.
    void until_walking()
    {
        for (int i = 0; i < 100 && !move->walking; ++i) cycle();
        ASSERT_TRUE(move->walking);
    }
};

TEST_F(RunNaoMoveTest, RunsOnTheRunChallengeVariant)
{
    const motion_variant_t& v = move->walk_engine->model->variant;
    EXPECT_TRUE(v.step_manager);
    EXPECT_FALSE(v.reset_walk_after_motion);
    EXPECT_EQ(move->standup_back->duration[7], 0.44999999999999996);
}

TEST_F(RunNaoMoveTest, TheRunRequestReachesTheWalkUnclipped)
{
    EXPECT_TRUE(move->new_trans2013(200.0, 0.0));
    EXPECT_TRUE(move->trans);
    EXPECT_EQ(move->trans_fwd, 200.0);
    EXPECT_EQ(move->trans_side, 0.0);
    const walk& w = *move->walk_engine;
    EXPECT_EQ(w.stopped, 0);
    EXPECT_EQ(w.x_total, 200.0);
    EXPECT_EQ(w.y_total, 0.0);
    EXPECT_DOUBLE_EQ(w.step_period, 0.18);
    EXPECT_EQ(w.step_manage.rem_dist, 200.0);
    // Standing with a translation pending: the next request is refused.
    EXPECT_FALSE(move->new_trans2013(1.0, 0.0));
    EXPECT_EQ(move->trans_fwd, 200.0);
}

TEST_F(RunNaoMoveTest, SideIsClippedForEightRequestsAfterEveryStartOrChange)
{
    const double c = run::NaoMove::side_clip;
    const struct {
        const char* name;
        std::vector<double> asked, sent;
    } cases[] = {
        {"steady side",
         {0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8},
         {c, c, c, c, c, c, c, c, 0.8, 0.8}},
        {"reversal restarts",
         {0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, -0.8, -0.8, -0.8, -0.8, -0.8, -0.8, -0.8, -0.8, -0.8},
         {c, c, c, c, c, c, c, c, 0.8, -c, -c, -c, -c, -c, -c, -c, -c, -0.8}},
        {"back to zero restarts",
         {0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.0, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8},
         {c, c, c, c, c, c, c, c, 0.8, 0.0, c, c, c, c, c, c, c, 0.8}},
        {"inside the clip", {0.3, -0.2}, {0.3, -0.2}},
    };
    for (const auto& k : cases) {
        ::NaoMove::reset_motion_state();
        ASSERT_EQ(k.asked.size(), k.sent.size());
        for (size_t i = 0; i < k.asked.size(); ++i) {
            move->trans = false;  // the last translation has ended
            move->new_trans2013(0.5, k.asked[i]);
            EXPECT_EQ(move->trans_side, k.sent[i]) << k.name << " request " << i + 1;
        }
    }
}

TEST_F(RunNaoMoveTest, ReversedRotationBecomesAStop)
{
    move->new_rot2013(0.5, -0.01);
    EXPECT_TRUE(move->rot_series);
    EXPECT_EQ(move->rot_first, 0.5);
    EXPECT_EQ(move->walk_engine->theta_total, 0.5);
    until_walking();
    // The same direction goes on turning.
    move->new_rot2013(0.2, -0.01);
    EXPECT_TRUE(move->rot);
    EXPECT_FALSE(move->trans);
    EXPECT_EQ(move->rot_angle, 0.2);
    // The other direction: a stop, which ends the series.
    move->new_rot2013(-0.3, -0.01);
    EXPECT_TRUE(move->trans);
    EXPECT_FALSE(move->rot);
    EXPECT_EQ(move->trans_fwd, 0.001);
    EXPECT_EQ(move->trans_side, 0.0);
    EXPECT_FALSE(move->rot_series);
    // The next rotation starts a new series in its own direction.
    move->new_rot2013(-0.3, -0.01);
    EXPECT_TRUE(move->rot);
    EXPECT_EQ(move->rot_first, -0.3);
    EXPECT_EQ(move->rot_angle, -0.3);
}

TEST_F(RunNaoMoveTest, ZeroRotationIsReportedAndNotPassedOn)
{
    testing::internal::CaptureStderr();
    move->new_rot2013(0.0, -0.01);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "ERROR new_rot2013 0.000000 -0.010000\ninit_walk_rotate 0.000000 -0.010000 ERROR\n");
    EXPECT_TRUE(move->rot);
    EXPECT_EQ(move->rot_angle, 0.0);  // no tiny replacement turn
    EXPECT_EQ(move->walk_engine->stopped, 1);
    // The rotation closes when the walk reports that nothing runs.
    for (int i = 0; i < 100 && move->rot; ++i) cycle();
    EXPECT_FALSE(move->rot);
}

TEST_F(RunNaoMoveTest, RefusedKicksSayWhy)
{
    const struct {
        const char* name;
        void (*set_up)(run::NaoMove&);
        const char* message;
    } cases[] = {
        {"kick", [](run::NaoMove& m) { m.new_kick2012(::NaoMove::KICK_RIGHT); },
         "new_kick(0) != current kick (1)\n"},
        {"translation", [](run::NaoMove& m) { m.new_trans2013(0.4, 0.1); },
         "new_kick(0) != current trans (0.400000 0.100000)\n"},
        {"rotation", [](run::NaoMove& m) { m.new_rot2013(0.7, -0.01); },
         "new_kick(0) != current rot (0.700000 -0.010000)\n"},
    };
    for (const auto& c : cases) {
        fresh();
        c.set_up(*move);
        const bool kick = move->kick, trans = move->trans, rot = move->rot;
        const ::NaoMove::eKick type = move->kick_type;
        testing::internal::CaptureStderr();
        move->new_kick2012(::NaoMove::KICK_LEFT);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.name;
        EXPECT_EQ(move->kick, kick) << c.name;
        EXPECT_EQ(move->trans, trans) << c.name;
        EXPECT_EQ(move->rot, rot) << c.name;
        EXPECT_EQ(move->kick_type, type) << c.name;
    }
}

TEST_F(RunNaoMoveTest, SetOdoWrapsEveryTurnAndRestartsTheOdometry)
{
    ASSERT_TRUE(move->new_trans2013(0.3, 0.0));
    until_walking();
    for (int i = 0; i < 60; ++i) cycle();
    const struct {
        double theta, wrapped;
    } cases[] = {
        {0.5, 0.5}, {7.5, 7.5 - 2 * M_PI}, {20.0, 20.0 - 6 * M_PI}, {-10.0, -10.0 + 4 * M_PI}, {-3.0, -3.0}};
    for (const auto& c : cases) {
        move->set_odo(1.0, -2.0, c.theta);
        EXPECT_EQ(move->odo_x, 1.0);
        EXPECT_EQ(move->odo_y, -2.0);
        EXPECT_NEAR(move->odo_theta, c.wrapped, 1e-12) << c.theta;
        double x, y, th;
        move->get_odo_global(x, y, th);
        EXPECT_NEAR(x, 0, 1e-12);
        EXPECT_NEAR(y, 0, 1e-12);
        EXPECT_NEAR(th, 0, 1e-12);
    }
}

}  // namespace
