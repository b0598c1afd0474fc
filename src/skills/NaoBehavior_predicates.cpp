// The skills that only test or measure: what the robot can tell about the
// ball, the goals, the push point and the kick points from its localiser,
// its side and its head.
#include <cmath>
#include <cstdio>

#include "headscan/naoscan.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "skills/NaoBehavior.h"
#include "skills/skill_angles.h"
#include "world/localize.h"
#include "world/teamformation.h"

using skill_angles::kDegToRad;
using skill_angles::kPi;
using skill_angles::kTwoPi;
using skill_angles::wrap_closed;
using skill_angles::wrap_loops;

namespace {

// Goal centres by the team's side (+1 plays towards +x); false for an
// unknown side.
bool goal_centre(int side, bool own, double& gx, double& gy)
{
    if (side != 1 && side != -1) return false;
    gx = (own ? -0.5 : 0.5) * side * NaoParse::DIM_FIELD_LENGTH;
    gy = 0.0;
    return true;
}

double head_yaw() { return NaoParse::GetJointAngleRad(NaoParse::JID_HEAD_1); }

}  // namespace

void NaoBehavior::fieldPose(double& x, double& y, double& torso_heading) const
{
    double head;
    localize->current_pose(x, y, head, torso_heading);
}

double NaoBehavior::fieldHeading() const
{
    double x, y, h;
    fieldPose(x, y, h);
    return h;
}

// ---- Ball ----

bool NaoBehavior::ballSeen(int n) { return localize->ball_unseen_count < n; }

bool NaoBehavior::globalCoord(int n) { return localize->no_fix_count < n; }

double NaoBehavior::ballAngle(int n)
{
    if (!ballSeen(n)) return 0.0;
    double a;
    if (globalCoord(n))
        a = localize->ball_gdir - fieldHeading();
    else
        a = parse->nv.pol[NaoParse::VO_BALL][1] * kDegToRad + head_yaw();
    return wrap_loops(a);
}

double NaoBehavior::globalBallDistance(int n) { return ballSeen(n) ? localize->ball_dist : 0.0; }

double NaoBehavior::localBallDistance(int n) { return ballSeen(n) ? localize->ball_ground_dist : 0.0; }

bool NaoBehavior::ballAlign(double tol, int n, int m)
{
    if (!ballSeen(n)) return false;
    if (globalCoord(m)) return tol > std::fabs(wrap_closed(localize->ball_gdir - fieldHeading()));
    // Without a pose only a ball in view this very cycle tells the bearing.
    if (localize->ball_unseen_count != 0) return false;
    return tol > std::fabs(wrap_closed(parse->nv.pol[NaoParse::VO_BALL][1] * kDegToRad + head_yaw()));
}

bool NaoBehavior::localBallAlign(int n, double tol)
{
    return ballSeen(n) && tol >= std::fabs(localize->ball_bearing);
}

bool NaoBehavior::atBall(int n, double d) { return ballSeen(n) && globalBallDistance(n) < d; }

bool NaoBehavior::ballInFront(int n, double a, double d)
{
    return ballSeen(n) && std::fabs(ballAngle(n)) < a && globalBallDistance(n) < d;
}

// ---- Goals and the push point ----

double NaoBehavior::ownGoalAngle()
{
    double gx, gy;
    if (!goal_centre(parse->side, true, gx, gy)) return 0.0;
    double x, y, h;
    fieldPose(x, y, h);
    double dx = gx - x, dy = gy - y;
    if (dx == 0.0 && dy == 0.0) return 0.0;
    return std::atan2(dy, dx);
}

// Guarded by the no-fix count like the other pose skills, so that a pose
// carried on by odometry for too long does not count.
bool NaoBehavior::ownGoalAlign(double tol, int n)
{
    if (!globalCoord(n) || (parse->side != 1 && parse->side != -1)) return false;
    return tol > std::fabs(wrap_closed(ownGoalAngle() - fieldHeading()));
}

double NaoBehavior::ballOppGoalDistance()
{
    double gx, gy;
    if (!ballSeen(Localize_t::VALID_BALL_SEEN_CNT) || !goal_centre(parse->side, false, gx, gy))
        return NaoParse::DIM_FIELD_LENGTH + 1.0;
    return std::hypot(localize->ball_gx - gx, localize->ball_gy - gy);
}

double NaoBehavior::ballOwnGoalDistance()
{
    double gx, gy;
    if (!ballSeen(Localize_t::VALID_BALL_SEEN_CNT) || !goal_centre(parse->side, true, gx, gy))
        return NaoParse::DIM_FIELD_LENGTH + 1.0;
    return std::hypot(localize->ball_gx - gx, localize->ball_gy - gy);
}

bool NaoBehavior::ballNearOwnGoal() { return ballOwnGoalDistance() < OWN_GOAL_NEAR; }

bool NaoBehavior::pushPoint(double& px, double& py, double c, int n)
{
    const int s = parse->side;
    if (!ballSeen(n) || (s != 1 && s != -1)) return false;
    const double gx = form->L * 0.5 * s, gy = 0.0;
    const double bx = localize->ball_gx, by = localize->ball_gy;
    const double vx = bx - gx, vy = by - gy;
    if (std::fabs(vx) < 1e-4 && std::fabs(vy) < 1e-4) {
        // The ball (nearly) on the goal centre gives no goal-to-ball
        // direction: push from straight behind it along the field's x axis.
        px = bx - c * s;
        py = by;
        return true;
    }
    const double l = std::sqrt(vx * vx + vy * vy);
    const double angle = std::atan2(vy, vx);
    double x, y, h;
    fieldPose(x, y, h);
    const double rx = x - bx, ry = y - by;
    // An own set piece's taker counts as behind the ball only half of c
    // behind it: level with the ball, its noisy pose flipped the point from
    // the side to straight behind the ball and back, and the walk to the
    // latter brushed past the ball.
    const bool set_piece = ownSetPiece();
    const double behind_by = set_piece ? 0.5 * c * l : 0.0;
    if (rx * vx + ry * vy > behind_by) {
        // The robot is on the far side of the ball: c behind the ball.
        px = gx + (l + c) * std::cos(angle);
        py = gy + (l + c) * std::sin(angle);
    } else {
        // Between the ball and the goal, or level with it: c beside the
        // ball on the robot's side (the set piece's taker: less than c / 2
        // behind it).
        const double nx = -vy / l, ny = vx / l;
        const double k = (rx * nx + ry * ny >= 0) ? c : -c;
        px = bx + k * nx;
        py = by + k * ny;
        if (set_piece) {
            // The taker kicks from behind the ball, facing along the line
            // from it to the goal: the point lies c behind as well, so that
            // the robot that reaches it is behind the ball and walks on
            // to the point straight behind it. Kicking from beside, the
            // kick machine turned, walked round the ball and turned again
            // for over 10 s, and the server dropped the ball. It lies
            // farther out to the side, too: walking past the ball 0.2 to
            // 0.25 m off, the robot's feet touched it.
            const double wide = (k > 0 ? 1 : -1) * SET_PIECE_CLEARANCE;
            px = bx + wide * nx + c * vx / l;
            py = by + wide * ny + c * vy / l;
        }
    }
    return true;
}

bool NaoBehavior::atPushPoint(int n, double tol)
{
    if (!ballSeen(n)) return false;
    double px, py;
    if (!pushPoint(px, py, 0.3, Localize_t::VALID_BALL_SEEN_CNT)) return false;
    double x, y, h;
    fieldPose(x, y, h);
    return std::hypot(px - x, py - y) < tol;
}

// The lateral test runs in the torso frame: the push point (field frame) is
// first brought there with the field pose, then its distance from the line
// from the robot through the ball is |bl x pl| / |bl|.
bool NaoBehavior::ballBetweenPlayerAndPushPoint(double px, double py, int n, double k)
{
    if (!ballSeen(n)) return false;
    double x, y, h;
    fieldPose(x, y, h);
    double plx, ply;
    toTranslateTo(x, y, h, px, py, plx, ply);
    const double bd = localize->ball_ground_dist;
    const bool near_line = std::fabs(localize->ball_ly * plx - localize->ball_lx * ply) < k * bd;
    const bool beyond_ball = std::hypot(px - x, py - y) > bd;
    return near_line && beyond_ball && bd < 0.3;
}

bool NaoBehavior::ownGlobalAngle(double& a, int n)
{
    if (!globalCoord(n)) return false;
    a = localize->torso_heading;
    if (parse->side == -1) {
        a = wrap_loops(a + kPi);
        if (!std::isfinite(a)) return false;
        while (a < 0) a += kTwoPi;
        while (a > kTwoPi) a -= kTwoPi;
    }
    return true;
}

bool NaoBehavior::ownAxisAngle(double& a, double tol)
{
    double g;
    if (!ownGlobalAngle(g, Localize_t::VALID_COORD_CNT)) return false;
    a = -wrap_loops(g);
    return std::fabs(a) < tol;
}

void NaoBehavior::ownGoalCoord(double& x, double& y)
{
    if (!goal_centre(parse->side, true, x, y)) x = y = 0.0;
}

double NaoBehavior::ownGoalDistance()
{
    double gx, gy;
    if (!goal_centre(parse->side, true, gx, gy)) return 0.0;
    return std::hypot(gx - localize->x, gy - localize->y);
}

double NaoBehavior::oppGoalDistance()
{
    double gx, gy;
    if (!goal_centre(parse->side, false, gx, gy)) return 0.0;
    return std::hypot(gx - localize->x, gy - localize->y);
}

bool NaoBehavior::ownGoalBallAngle(double& a)
{
    double gx, gy;
    if (!ballSeen(Localize_t::VALID_BALL_SEEN_CNT) || !goal_centre(parse->side, true, gx, gy)) return false;
    a = std::atan2(localize->ball_gy - gy, localize->ball_gx - gx);
    return true;
}

// Guarded by the no-fix count, as ownGoalAlign.
bool NaoBehavior::removeOwnGoalAlignment(double& x, double& y, int n)
{
    if (!globalCoord(n)) return false;
    x = localize->x;
    const double py = localize->y;
    if (py >= 0.0 && py <= 1.0)
        y = 2.0;
    else if (py >= -1.0 && py < 0.0)
        y = -2.0;
    else
        y = 0.0;
    return true;
}

bool NaoBehavior::stopWalkDone() { return move && !move->trans && move->stop_trans; }

bool NaoBehavior::standing() { return move && !move->walking && !move->trans && !move->rot && !move->kick; }

bool NaoBehavior::stopUnderWay()
{
    return move && move->trans && move->trans_fwd == STOP_FWD && move->trans_side == 0.0;
}

namespace {

bool in_kick_reach(double ahead, double side)
{
    return ahead >= NaoBehavior::KICK_REACH_NEAR && ahead <= NaoBehavior::KICK_REACH_FAR &&
           std::fabs(side) <= NaoBehavior::KICK_REACH_SIDE &&
           std::fabs(side) >= NaoBehavior::KICK_REACH_CENTRE;
}

}  // namespace

bool NaoBehavior::ballInKickReach(int n)
{
    return ballSeen(n) && in_kick_reach(localize->ball_lx, localize->ball_ly);
}

bool NaoBehavior::ballNearKickPosition(int n)
{
    if (!ballSeen(10) || !globalCoord(n)) return false;
    const Localize_t& l = *localize;
    // Facing the goal from the ball: the kick goes where the robot faces.
    const double to_goal = std::atan2(l.opp_goal_y - l.ball_gy, l.opp_goal_x - l.ball_gx);
    return l.ball_lx > 0.0 && l.ball_lx < KICK_NEAR_AHEAD && std::fabs(l.ball_ly) <= KICK_NEAR_SIDE &&
           std::fabs(wrap_loops(to_goal - l.torso_heading)) < KICK_NEAR_FACING;
}

bool NaoBehavior::collectedBallInKickReach()
{
    if (collect_ball_samples <= 0) return false;
    return in_kick_reach(collect_sum_ball_lx / collect_ball_samples,
                         collect_sum_ball_ly / collect_ball_samples);
}

bool NaoBehavior::legsCrouched()
{
    if (!move || move->stand_pose.nlines < 1) return true;  // nothing to compare with
    // The knees' columns of the stand-pose file.
    const naosimplemove_t& pose = move->stand_pose;
    for (int j = 0; j < pose.njoints; ++j) {
        if (pose.jid[j] != NaoParse::JID_LLEG_4 && pose.jid[j] != NaoParse::JID_RLEG_4) continue;
        const double bent = NaoParse::mHingeJointSenseMap[static_cast<NaoParse::JointID>(pose.jid[j])].angle;
        if (!(std::fabs(bent) >= 0.5 * std::fabs(pose.angles[j]))) return false;
    }
    return true;
}

bool NaoBehavior::kickWithoutStep() { return collectedBallInKickReach() && legsCrouched(); }

bool NaoBehavior::localKickPointAlign(int n)
{
    if (!ballSeen(n)) return false;
    return std::fabs(localize->lkp_angle) < (localize->lkp_dist < 2.0 ? 0.2 : 0.3);
}

bool NaoBehavior::atLocalKickPoint(double d, int n) { return ballSeen(n) && localize->lkp_dist < d; }

void NaoBehavior::localBallAlignPrecisionInit() { precision_count = 5; }

bool NaoBehavior::localBallAlignPrecision(int n)
{
    if (!localBallAlign(Localize_t::VALID_BALL_SEEN_CNT, n)) return false;
    return precision_count-- == 1;
}

// Consecutive think calls with the ball within 0.5 m of the robot across
// the direction of play and more than 0.5 m ahead of it; true from the
// tenth. The reference is the robot's own position of each call.
bool NaoBehavior::isAhead(int n)
{
    if (is_ahead_think_count + 1 != think_count) is_ahead_count = 0;
    is_ahead_think_count = think_count;
    const int s = parse->side;
    if (!ballSeen(n) || !globalCoord(n) || (s != 1 && s != -1)) {
        is_ahead_count = 0;
        return false;
    }
    is_ahead_ref_x = localize->x;
    is_ahead_ref_y = localize->y;
    const bool ahead =
        std::fabs(localize->ball_gy - is_ahead_ref_y) < 0.5 && (localize->ball_gx - is_ahead_ref_x) * s > 0.5;
    is_ahead_count = ahead ? is_ahead_count + 1 : 0;
    return is_ahead_count >= 10;
}

// ---- Game and team ----

namespace {

bool own_kick_off(const NaoParse& p)
{
    return (p.play_mode == NaoParse::PM_KICK_OFF_LEFT && p.side == 1) ||
           (p.play_mode == NaoParse::PM_KICK_OFF_RIGHT && p.side == -1);
}

}  // namespace

bool NaoBehavior::kickOffTakerAtTheSpot()
{
    if (!own_kick_off(*parse) || !globalCoord(Localize_t::VALID_COORD_CNT)) return false;
    double x, y, head, torso;
    localize->current_pose(x, y, head, torso);
    return std::hypot(x, y) < kick_off_watch_t::TAKER_ZONE;
}

bool NaoBehavior::kickOffBallAhead()
{
    const kick_off_watch_t& w = kick_off_state;
    return kickOffTakerAtTheSpot() && !ballSeen(10) && !w.ball_seen_in_mode &&
           parse->game_time - w.mode_since < kick_off_watch_t::KICK_OFF_LOOK_TIME &&
           std::fabs(centreSpotBearing()) <= head_scan_t::NECK_YAW_LIMIT * M_PI / 180.0;
}

double NaoBehavior::centreSpotBearing()
{
    double x, y, head, torso;
    localize->current_pose(x, y, head, torso);
    return wrap_loops(std::atan2(-y, -x) - torso);
}

void NaoBehavior::beamSent(double x, double y, double theta)
{
    if (localize) localize->beam_to(x, y, theta);
    // An avoidance begun before the beam dropped the kick-off taker's
    // corrective step for its 101 requests, until the server dropped the
    // ball.
    endAvoidance();
    dropCollectInfos();
}

bool NaoBehavior::kickActive()
{
    if (restartKickDue()) return true;
    return own_kick_off(*parse) && (kickOffTakerAtTheSpot() || localize->get_ball_priority(*parse) == 0);
}

bool NaoBehavior::ownSetPiece()
{
    const int pm = parse->play_mode;
    return kick_off_watch_t::own_restart(pm, parse->side) && pm != NaoParse::PM_KICK_OFF_LEFT &&
           pm != NaoParse::PM_KICK_OFF_RIGHT;
}

bool NaoBehavior::restartKickDue()
{
    return ownSetPiece() && localize->get_ball_priority(*parse) == 0 &&
           (push_started || atPushPoint(Localize_t::VALID_BALL_SEEN_CNT, AT_PUSH_POINT));
}

bool NaoBehavior::kickOffTakerWaits() { return kick_off_state.pending && kick_off_state.taker; }

int NaoBehavior::getBallPriority()
{
    // The kick-off taker leaves the ball to a team-mate after its touch:
    // as if one were better placed; before it, it is first at the ball.
    const int p =
        kickOffTakerWaits() ? 1 : (kickOffTakerAtTheSpot() ? 0 : localize->get_ball_priority(*parse));
    // The player first at the ball takes its next move target at once.
    if (p == 0) last_move_target_count = -9999;
#ifndef BREVANE_NO_RATE_LIMITER
    // Only players that are not first at the ball walk rate-limited.
    localize->speed_filter = (p != 0) ? 1 : 0;
#endif
    return p;
}

// ---- Kick points and collected information ----

bool NaoBehavior::setGoalKickPoint(int n)
{
    if (goal_kick_point_stamp != think_count) {
        goal_kick_point_stamp = think_count;
        double x, y, h;
        fieldPose(x, y, h);
        goal_kick_point_result = localize->set_goal_kick_point(x, y, n);
    }
    return goal_kick_point_result;
}

bool NaoBehavior::goalKickPointAlign(double d, int n, double margin)
{
    if (!ballSeen(n) || !globalCoord(n)) return false;
    const double dist = localize->gkp_dist;
    if (dist < d) return true;
    const double tol = (dist < 2.0 ? 0.2 : (dist < 5.0 ? 0.4 : 0.6)) + margin;
    return std::fabs(localize->gkp_angle) < tol;
}

bool NaoBehavior::atGoalKickPoint(double d, int n)
{
    return ballSeen(n) && globalCoord(n) && localize->gkp_dist < d;
}

bool NaoBehavior::setLocalKickPoint(int n)
{
    if (local_kick_point_stamp != think_count) {
        local_kick_point_stamp = think_count;
        local_kick_point_result = localize->set_kick_point(n);
    }
    return local_kick_point_result;
}

namespace {

void collected_ball_mean(int k, double sx, double sy, double& mx, double& my)
{
    mx = k > 0 ? sx / k : 0.0;
    my = k > 0 ? sy / k : 0.0;
}

}  // namespace

void NaoBehavior::collectInfoToTrans(double& fx, double& fy)
{
    double mx, my;
    collected_ball_mean(collect_ball_samples, collect_sum_ball_lx, collect_sum_ball_ly, mx, my);
    std::fprintf(stderr, "avg_L : %.3f %.3f\n", my, mx);
    fx = mx - 0.17;
    fy = my + 0.05;
}

void NaoBehavior::collectInfoToRot(double& a)
{
    if (collect_ball_samples <= 0) {
        a = 0.0;
        return;
    }
    double mx, my;
    collected_ball_mean(collect_ball_samples, collect_sum_ball_lx, collect_sum_ball_ly, mx, my);
    a = std::atan2(mx, my);
}

void NaoBehavior::fromTransToKick(double fx, double fy, double& kx, double& ky)
{
    kx = fx - 0.061;
    ky = fy + 0.035;
    std::fprintf(stderr, "fromTransToKick %f %f -> %f %f\n", fx, fy, kx, ky);
}

// ---- The localiser's values as they stand ----
// Plain reads, no validity test of their own (see NaoBehavior.h).

double NaoBehavior::ballBearing() const { return localize->ball_bearing; }

double NaoBehavior::ballGroundDistance() const { return localize->ball_ground_dist; }

double NaoBehavior::ballLocalX() const { return localize->ball_lx; }

double NaoBehavior::ballLocalY() const { return localize->ball_ly; }

double NaoBehavior::ballGlobalX() const { return localize->ball_gx; }

double NaoBehavior::ballGlobalY() const { return localize->ball_gy; }

int NaoBehavior::noFixCount() const { return localize->no_fix_count; }

double NaoBehavior::goalKickPointAngle() const { return localize->gkp_angle; }

double NaoBehavior::goalKickPointLocalX() const { return localize->gkp_lx; }

double NaoBehavior::goalKickPointLocalY() const { return localize->gkp_ly; }

int NaoBehavior::fieldSide() const { return parse->side; }
