// Whatever the server sends, the skills answer: no end of the process, no
// endless loop, no write past a table, no walk request that is not a
// number.
#include <cmath>
#include <string>

#include "skills/skills_fixture.h"

namespace {

using skills_test::SkillsTest;

// Every skill once, in an order that also runs the acting ones on what the
// predicates left behind.
void every_skill(NaoBehavior& b)
{
    double x = 0, y = 0, a = 0, kx = 0, ky = 0;
    int mode = 0;
    b.ballSeen(500);
    b.globalCoord(500);
    b.ballAngle(500);
    b.globalBallDistance(500);
    b.localBallDistance(500);
    b.ballAlign(0.4, 500, 500);
    b.ballAlign(0.4, 500, 0);
    b.localBallAlign(500, 0.2);
    b.atBall(500, 0.3);
    b.ballInFront(500, 0.3, 1.0);
    b.ownGoalAngle();
    b.ownGoalAlign(0.5, 10);
    b.ballOppGoalDistance();
    b.ballOwnGoalDistance();
    if (b.pushPoint(x, y, 0.3, 500)) b.ballBetweenPlayerAndPushPoint(x, y, 10, 0.27);
    b.atPushPoint(500, 0.2);
    b.ownGlobalAngle(a, 500);
    b.ownAxisAngle(a, 0.2);
    b.ownGoalCoord(x, y);
    b.ownGoalDistance();
    b.oppGoalDistance();
    b.ownGoalBallAngle(a);
    b.removeOwnGoalAlignment(x, y, 10);
    b.stopWalkDone();
    b.setLocalKickPoint(500);
    b.localKickPointAlign(500);
    b.atLocalKickPoint(0.2, 500);
    b.localBallAlignPrecisionInit();
    b.localBallAlignPrecision(1);
    b.isAhead(500);
    b.kickActive();
    b.getBallPriority();
    b.setGoalKickPoint(500);
    b.goalKickPointAlign(0.2, 500);
    b.atGoalKickPoint(0.2, 500);
    b.toGoTo(1, 1, mode, x, y, 500, 0.4, 0.5, 0.75);
    b.new_move_target(3, 2, true);
    b.new_move(500);
    b.new_trans(0.5, 0.1);
    b.apply_push();
    b.avoid_crowding_ball_1();
    b.avoid_crowding_ball_2();
    b.startCollectInfos();
    b.applyCollectInfos();
    b.collectInfosDone(0);
    b.collectInfoToTrans(x, y);
    b.collectInfoToRot(a);
    b.fromTransToKick(x, y, kx, ky);
    b.startAvgBallPos();
    b.avgBallPosDone();
    b.startKick();
    b.kickDone();
}

std::string huge_pol() { return "(pol 3e38 -3e38 3e38)"; }

TEST_F(SkillsTest, AbsurdPerceptionsLeaveTheSkillsAnswering)
{
    // Far-out polar values everywhere and more team-mates, some with the
    // robot's own number, than any table holds.
    std::string see = "(See (B " + huge_pol() + ")";
    for (const char* l : {"F1L", "F2L", "F1R", "F2R", "G1L", "G2L", "G1R", "G2R"})
        see += std::string(" (") + l + " (pol 1e-38 3e38 -3e38))";
    for (int i = 0; i < 40; ++i)
        see += " (P (team brevane) (id " + std::to_string(i % 13) + ") (rlowerarm " + huge_pol() +
               ") (llowerarm (pol 0.0 0.0 0.0)))";
    see += ")";
    const std::string msgs[] = {
        "(GS (unum 2) (team left) (t 3e38) (pm PlayOn))(HJ (n hj1) (ax 3e38))" + see,
        "(GS (unum 2) (team right) (t -5) (pm KickOff_Right))(HJ (n hj1) (ax -3e38))" + see,
        "(See (B (pol 0 0 0)) (G1L (pol 0 0 0)) (G2L (pol 0 0 0)))",
    };
    testing::internal::CaptureStderr();
    for (const std::string& m : msgs) {
        agent->parse->Parse(m, agent->think_count);
        ASSERT_TRUE(agent->parse->nv.seen[NaoParse::VO_BALL]);
        if (&m != &msgs[2]) {
            ASSERT_EQ(agent->parse->nv.nb_player, static_cast<int>(NaoParse::MAX_PLAYER_SEEN));
        }
        if (agent->localize->side == 0 && agent->parse->side != 0)
            agent->localize->set_side(agent->parse->side);
        agent->localize->update(*agent->parse, *agent->move);
        agent->avoid_crowding_ball();
        every_skill(*agent);
        std::stringstream out;
        agent->move->update(out, agent->sub_steps);
        ++agent->think_count;
    }
    testing::internal::GetCapturedStderr();
    // Whatever was asked of the motion interface is a number.
    EXPECT_TRUE(std::isfinite(agent->move->trans_fwd) || !agent->move->trans);
    EXPECT_TRUE(std::isfinite(agent->move->trans_side) || !agent->move->trans);
}

}  // namespace
