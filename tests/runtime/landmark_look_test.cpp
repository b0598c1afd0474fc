// The head's look for landmarks while it holds the ball in view: a robot
// facing a side line with the ball ahead sees no landmark pair, and holding
// the ball it went on without a fix until its pose was too old to kick.
#include <gtest/gtest.h>

#include <string>

#include "headscan/naoscan.h"
#include "skills/skills_fixture.h"

namespace {

using skills_test::SkillsTest;

// The neck command of one answer: "(he1 ...) (he2 ...)".
std::string neck_command(const std::string& answer)
{
    const std::size_t at = answer.rfind("(he1 ");
    return at == std::string::npos ? std::string() : answer.substr(at);
}

// The ball straight ahead and level with the camera: holding it asks for
// no neck movement at all.
const char* const kHoldBall = "(he1 0.00) (he2 0.00)";

class LandmarkLook : public SkillsTest {
protected:
    void SetUp() override
    {
        SkillsTest::SetUp();
        head_scan_t::reset_pattern_state();
        place("left", -3, 8.9, 1.57);
        ball_at_local(1.0, 0.0);
    }

    // One server message, thought twice as the cycle loop does; the neck
    // command of the second answer.
    std::string think()
    {
        const std::string msg = scene_message(scene);
        agent->Think(msg);
        return neck_command(agent->Think(msg));
    }
};

TEST_F(LandmarkLook, AnOldFixTurnsTheHeadFromTheBallToThePatternUntilAFix)
{
    EXPECT_EQ(think(), kHoldBall);  // a fix
    scene.landmarks = false;
    int held = 0;
    std::string neck;
    for (int i = 0; i < 100 && (neck = think()) == kHoldBall; ++i) ++held;
    // Held while the fix is younger than the look's threshold (two updates
    // a message).
    EXPECT_EQ(held, NaoBehavior::LANDMARK_LOOK_AFTER / 2 - 1);
    EXPECT_EQ(neck, "(he1 2.00) (he2 0)");  // the five-leg pattern's first leg
    // A fix ends the look at once.
    scene.landmarks = true;
    EXPECT_EQ(think(), kHoldBall);
}

TEST_F(LandmarkLook, ALookThatFindsNothingGivesTheBallBackForAWhile)
{
    EXPECT_EQ(think(), kHoldBall);
    scene.landmarks = false;
    std::string seq;
    for (int i = 0; i < 400; ++i) seq += think() == kHoldBall ? 'b' : 'p';
    // Held, looked for a look's length, held for the gap, looked again.
    const int after = NaoBehavior::LANDMARK_LOOK_AFTER / 2 - 1, look = NaoBehavior::LANDMARK_LOOK_FOR / 2,
              gap = NaoBehavior::LANDMARK_LOOK_GAP / 2;
    const std::string expected =
        std::string(after, 'b') + std::string(look, 'p') + std::string(gap, 'b') + std::string(look, 'p');
    EXPECT_EQ(seq.substr(0, expected.size()), expected);
}

TEST_F(LandmarkLook, AKickUnderWayKeepsTheBallInView)
{
    EXPECT_EQ(think(), kHoldBall);
    scene.landmarks = false;
    agent->move->new_kick2012(NaoMove::KICK_LEFT);
    int kicking = 0;
    for (int i = 0; i < 150 && agent->move->kick; ++i, ++kicking) EXPECT_EQ(think(), kHoldBall) << i;
    EXPECT_GT(kicking, NaoBehavior::LANDMARK_LOOK_AFTER);
}

}  // namespace
