// Each think call updates the world model from the perception and then
// judges the crowding at the ball, before the state machine acts on it.
#include <gtest/gtest.h>

#include <memory>

#include "skills/NaoBehavior.h"
#include "support/perception_scene.h"
#include "support/process_state.h"
#include "support/test_files.h"
#include "world/localize.h"

namespace {

TEST(ThinkWorld, EveryThinkUpdatesTheLocaliserThenJudgesTheCrowding)
{
    ScratchWorkDir scratch;
    ASSERT_TRUE(scratch.ok());
    InWorkDir in_scratch(scratch.path());
    reset_agent_process_state();

    Scene scene;
    scene.x = -4;
    scene.y = 1;
    scene.heading = 0.3;
    scene_local_to_field(scene, 0.7, 0.0, scene.ball_x, scene.ball_y);
    ScenePlayer mate{4, 0, 0, 0, ""};
    scene_local_to_field(scene, 0.7, 0.3, mate.x, mate.y);
    scene.players = {mate};

    testing::internal::CaptureStderr();
    NaoBehavior agent(scene.unum, 0, scene.team_name);
    agent.Init();
    agent.Think("");
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(agent.ballSeen(Localize_t::VALID_BALL_SEEN_CNT));

    agent.Think(scene_message(scene));
    EXPECT_EQ(agent.localize->side, 1);
    EXPECT_TRUE(agent.ballSeen(1));
    EXPECT_NEAR(agent.localize->x, scene.x, 1e-4);
    EXPECT_NEAR(agent.localize->y, scene.y, 1e-4);
    EXPECT_TRUE(agent.crowding_back);  // the mate is nearer the ball

    scene.players.clear();
    agent.Think(scene_message(scene));
    EXPECT_FALSE(agent.crowding_back);
}

}  // namespace
