// The match agent: owns the robot's perception record and the parts of its
// mind, and turns each server message into one string of commands. It is
// declared here, below the state machines, because they act through its
// skills; its construction, Init and Think live with the program in
// runtime/NaoBehavior.cpp, the skills in skills/NaoBehavior_*.cpp.
#ifndef BREVANE_SKILLS_NAOBEHAVIOR_H
#define BREVANE_SKILLS_NAOBEHAVIOR_H

#include <sys/time.h>

#include <sstream>
#include <string>

#include "motioninterface/kick_id.h"
#include "perception/SimBehavior.h"
#include "qorvexlib/Strategy.h"

class form_t;
class head_scan_t;
class hfsm;
class Localize_t;
class NaoMove;
class NaoParse;
class RobovizDraw_t;

// The clock of the skills' timed phases (push, goal-alignment avoidance,
// kick, diagonal): gettimeofday, unless a test sets its own source.
namespace skill_clock {
using source_t = void (*)(timeval*);
void now(timeval* tv);
// Tests: a null source restores gettimeofday.
void set_source(source_t s);
}  // namespace skill_clock

// The team-mates seen this cycle near the ball, for crowding avoidance.
class tab_id_dist_t {
public:
    static const int CAPACITY = 11;
    struct row_t {
        int id;
        double x, y;  // m, torso frame
        double dist;  // m, to the ball
    };
    row_t rows[CAPACITY];
    int size = 0;

    // Appends a row; a full table keeps its rows and refuses (false).
    bool add(int id, double x, double y, double dist);
    // Ascending dist; rows of equal dist keep their order.
    void sort();
};

// 1 when the first row's dist is greater than the second's, else 0.
int compare_eid_t(const tab_id_dist_t::row_t& a, const tab_id_dist_t::row_t& b);

// The server's rule after a kick-off (and after a kick-in, corner kick,
// goal kick or free kick): the first player to touch the ball (the taker)
// may not touch it again before another player has, or the opponents get a
// free kick. The server switches to play-on at that first touch, so every
// player of the kicking team can tell the moment, and the taker is the one
// that stood at the spot (the centre spot, or where the ball lay), at the
// ball, then. Until another player has been at the ball the taker leaves it
// to its team-mates, who leave the taker (a team-mate seen at the spot) out
// of their ball priority. A taker that has neither seen another player
// nor heard a team-mate plays on after a short wait: alone on the field no
// rule applies (and its team-mates, going for the ball, say where it is).
// A restart that nobody takes in time is ended by the server itself: it
// drops the ball (moving the players near it away) and plays on. Nobody
// touched it then, so there is no taker to watch.
struct kick_off_watch_t {
    static constexpr double TAKER_ZONE = 0.75;  // m around the spot: where the taker stands
    static constexpr double AT_BALL = 0.35;     // m from the ball: a team-mate there touches it
    // m: an opponent, which may stand by the ball without touching it (seen
    // for 3 s at 0.31 m; touches come from 0.10 to 0.19 m)
    static constexpr double OPPONENT_AT_BALL = 0.2;
    static constexpr double ALONE_WAIT = 3.0;  // s of game time
    // s of game time in a restart mode after which the server drops the ball
    // (its RuleDropBallTime; it counts from the mode change)
    static constexpr double DROP_BALL_TIME = 15.0;
    static constexpr double TIME_EPSILON = 0.005;      // s: below the game time's resolution
    static constexpr double KICK_OFF_LOOK_TIME = 4.0;  // s the kick-off taker looks for the ball on the spot
    // m: the server's goal kick spot lies this far in front of the goal's
    // centre (its GoalKickDist)
    static constexpr double GOAL_KICK_DIST = 1.0;
    // A ball placed where the rules put it counts as not seen within this
    // many updates: known, so the robot goes there, but not in view, so it
    // turns to find it.
    static constexpr int PLACED_BALL_UNSEEN = 10;

    // A restart of the team playing from `side`: kick-off, kick-in, corner
    // kick, goal kick or free kick.
    static bool own_restart(int play_mode, int side);

    int last_play_mode = -1;    // of the previous think call
    bool others_known = false;  // another player seen, or a team-mate heard, since the start
    double heard_time = 0, heard_x = 0,
           heard_y = 0;              // the last heard message taken (the parser's start values)
    bool pending = false;            // the own kick-off was taken; no other player has been at the ball since
    bool taker = false;              // this robot took it
    double taken_at = 0;             // s, game time of the first touch
    double mode_since = 0;           // s, game time at which the current play mode was first seen
    bool spot_known = false;         // the spot below is this restart's
    bool ball_seen_in_mode = false;  // a vision record parsed since the mode began shows the ball
    int vision_at_change = 0;        // the parser's vision count when the mode began
    double spot_x = 0, spot_y = 0;   // m: where the restart is taken (the centre spot for a kick-off)
    bool stop_due = false;           // the taker's walk under way at the first touch is still to be ended
};

class NaoBehavior final : public SimBehavior {
public:
    int game_phase;  // phase of play of the state machines (2 playing)
    int sub_steps;   // Think calls per server message

    // Crowding and collision avoidance.
    bool crowding_stop;     // stop: too many team-mates nearer the ball
    bool collision_detour;  // a robot blocks the walking path
    bool crowding_back;     // back off from the ball
    bool crowding_spare;    // (unused fourth flag)

    bool initialized;                      // the first Think has answered
    int think_count;                       // Think calls after the first
    int unum;                              // uniform number from the command line
    int team_size;                         // from the command line; compared with the ball priority
    NaoParse* parse;                       // perception record, owned
    form_t* form;                          // beam and home place, owned
    bool beamed;                           // the beam message was sent
    qorvexlib::Strategy play_on_strategy;  // places in play
    qorvexlib::Strategy beam_strategy;     // kick-off places
    hfsm* fsm = nullptr;                   // root state machine, owned
    std::stringstream out;                 // commands of the current Think call
    bool head_scan_active;                 // head scanning on (never cleared)
    head_scan_t* head_scan = nullptr;      // made by the first Think, owned
    // The head's look for landmarks while the ball is in view: it runs up to
    // this think count, and the next one starts no earlier than the second.
    int landmark_look_until = 0;
    int landmark_look_next = 0;
    NaoMove* move = nullptr;         // motion interface, made by Init, owned
    Localize_t* localize = nullptr;  // localiser, owned
    RobovizDraw_t* draw = nullptr;   // debug drawer, owned

    // Move target (new_move_target / new_move).
    static constexpr double ARRIVED = 0.33;       // m from a move target: reached
    static constexpr double HELD_PLACE = 1.0;     // m: a team-mate this near a move target holds it
    int last_move_target_count;                   // think count of the last accepted target
    double move_target_x = 0, move_target_y = 0;  // m
    bool move_target_face_ball = false;

    // Timed phases.
    bool push_started = false;
    timeval push_start{};
    bool goal_align_avoidance_started = false;
    timeval goal_align_avoidance_start{};
    bool diag_started = false;
    timeval diag_start{};

    // Kick.
    bool kick_started = false;
    timeval kick_start{};
    int chosen_kick = -1;  // a NaoMove::eKick value once a kick was asked for
    int kick_sequence_count = 0;

    // Ball observations collected before a kick.
    bool collect_infos_started = false;
    int collect_infos_cycles = 0;
    int collect_ball_samples = 0;
    double collect_sum_ball_lx = 0, collect_sum_ball_ly = 0;
    int collect_pose_samples = 0;
    double collect_sum_x = 0, collect_sum_y = 0;
    double collect_sum_ball_gx = 0, collect_sum_ball_gy = 0;

    // Averaged ball.
    int avg_ball_count = 0;
    double avg_ball_lx = 0, avg_ball_ly = 0;

    // isAhead: consecutive calls and the think count of the last one.
    int is_ahead_count = 0;
    int is_ahead_think_count = 0;
    double is_ahead_ref_x = 0, is_ahead_ref_y = 0;

    // Once-per-think-call results of the kick-point skills.
    int goal_kick_point_stamp = -1;
    bool goal_kick_point_result = false;
    int local_kick_point_stamp = -1;
    bool local_kick_point_result = false;

    int precision_count = 0;  // localBallAlignPrecision

    kick_off_watch_t kick_off_state;

    // What the motion log last told: a fall being served, a kick active.
    bool logged_fall = false;
    bool logged_kick = false;

    NaoBehavior(int unum, int team_size, std::string team_name);
    ~NaoBehavior();
    NaoBehavior(const NaoBehavior&) = delete;
    NaoBehavior& operator=(const NaoBehavior&) = delete;

    std::string Init() override;
    std::string Think(const std::string& msg) override;
    // Sends the debug drawer's buffer swap.
    void Think_draw();

    // Appends "(say x_y)" with the ball position to `out`. Nothing is
    // written (false) when a coordinate is not finite or the text would not
    // fit the 18-character say buffer (coordinates within plus or minus
    // 99.95 always fit).
    bool say_ball_position(double x, double y);

    // Writes a line to the standard error stream, stamped with the game
    // time, when a fall is detected, its stand-up ends, a kick starts and
    // a kick ends: "[123.46] fall detected (back)", "[125.80] stand-up
    // ended", "[130.02] kick started (left foot)", "[131.40] kick ended".
    void log_motion_events();

    // ---- Skills: perception predicates and alignment ----
    bool ballSeen(int n);
    bool globalCoord(int n);
    double ballAngle(int n);
    double globalBallDistance(int n);
    double localBallDistance(int n);
    bool ballAlign(double tol, int n, int m);
    bool localBallAlign(int n, double tol);
    bool atBall(int n, double d);
    bool ballInFront(int n, double a, double d);

    double ownGoalAngle();
    bool ownGoalAlign(double tol, int n);
    double ballOppGoalDistance();
    bool pushPoint(double& px, double& py, double c, int n);
    bool atPushPoint(int n, double tol);
    bool ballBetweenPlayerAndPushPoint(double px, double py, int n, double k);

    bool ownGlobalAngle(double& a, int n);
    bool ownAxisAngle(double& a, double tol);
    void ownGoalCoord(double& x, double& y);
    double ownGoalDistance();
    double oppGoalDistance();
    double ballOwnGoalDistance();
    // The ball known and within OWN_GOAL_NEAR of the own goal's centre.
    bool ballNearOwnGoal();
    static constexpr double OWN_GOAL_NEAR = 4.0;  // m
    bool ownGoalBallAngle(double& a);
    bool removeOwnGoalAlignment(double& x, double& y, int n);
    bool stopWalkDone();
    // Still: no walk, turn or kick running or waiting to start.
    bool standing();
    // The last walk request the motion interface took is a stop that still
    // runs.
    bool stopUnderWay();
    // The ball seen within n cycles where a kick reaches it: between
    // KICK_REACH_NEAR and KICK_REACH_FAR ahead, between KICK_REACH_CENTRE
    // and KICK_REACH_SIDE to either side (torso frame). Farther, the strike
    // misses it and the foot's way back knocks it off; nearer (0.13 m), 4
    // kicks in 6 moved it 0.01 m; beyond 0.15 m to the side (0.17 m) the
    // foot missed it; in front of the torso's centre (where the head, which
    // follows the ball and names the kicking foot, may look either way) the
    // foot's inner edge brushed it 0.26 m aside, and at a kick-off touched it
    // twice in 0.12 s, a free kick for the opponents. From 0.15 m ahead and
    // 0.09 m aside, 8 kicks of 8 sent it 3.0 m.
    bool ballInKickReach(int n);
    // The mean of the ball samples collected before a kick, within the same
    // reach (false without a sample).
    bool collectedBallInKickReach();
    // The knees are bent at least half as far as in the stand pose, as
    // every motion leaves them; a robot that has not moved since the server
    // placed it stands on straight legs.
    bool legsCrouched();
    // The kick needs no corrective step: the samples put the ball within
    // reach and the legs are crouched. From straight legs the kick's quick
    // drop into the crouch threw the robot over after the kick (twice in
    // three kick-offs).
    bool kickWithoutStep();
    // A robot standing on straight legs takes the crouch of the stand pose
    // where it stands (no walk: before kick-off a knee over the halfway line
    // has the server move the robot 2 to 4 m back): true once crouched, or
    // once the pose has been played (its speeds cleared the call after).
    bool crouchInPlace();
    // Ends the walk or turn under way at once: one stop, not rate-limited
    // (a ramp down walks on). A kick cannot be cut short. True when nothing
    // is left to end: standing, a stop under way, or a kick; false while a
    // translation accepted but not yet walking refuses the stop.
    bool endWalk();
    // The ball seen within 10 cycles and the pose known within n, the
    // robot between the kick point (0.5 m behind the ball, reached within
    // 0.15 m) and the ball: the ball less than KICK_NEAR_AHEAD ahead and
    // within KICK_NEAR_SIDE to either side, the robot facing the opponent
    // goal from the ball within KICK_NEAR_FACING. One corrective step brings
    // the ball within reach.
    bool ballNearKickPosition(int n);
    static constexpr double KICK_NEAR_AHEAD = 0.35;    // m
    static constexpr double KICK_NEAR_SIDE = 0.2;      // m
    static constexpr double KICK_NEAR_FACING = 0.6;    // rad
    static constexpr double KICK_REACH_NEAR = 0.15;    // m
    static constexpr double KICK_REACH_FAR = 0.27;     // m
    static constexpr double KICK_REACH_SIDE = 0.15;    // m
    static constexpr double KICK_REACH_CENTRE = 0.04;  // m
    bool localKickPointAlign(int n);
    bool atLocalKickPoint(double d, int n);
    void localBallAlignPrecisionInit();
    bool localBallAlignPrecision(int n);
    bool isAhead(int n);

    // The own kick-off, or the own set piece that restartKickDue names.
    bool kickActive();
    // An own kick-in, corner kick, goal kick or free kick is to be taken by
    // this robot (first at the ball), now at the push point behind the ball
    // or pushing: the kick machine takes it from there. The push walks 1 m
    // past the ball, touching it again after its first touch, and the
    // opponents got a free kick for the taker's second touch.
    bool restartKickDue();
    // An own kick-in, corner kick, goal kick or free kick is under way: the
    // server holds the ball on its spot until the team touches it.
    bool ownSetPiece();
    // m: how far to the side of the ball the taker of an own set piece walks
    // round it.
    static constexpr double SET_PIECE_CLEARANCE = 0.4;
    static constexpr double AT_PUSH_POINT = 0.15;  // m: the push point is reached
    int getBallPriority();
    // This robot took the own kick-off and no other player has been at the
    // ball since.
    bool kickOffTakerWaits();
    // The own kick-off has not been taken yet and this robot stands at the
    // centre spot (where the kick-off taker beams): it is first at the ball
    // whatever it heard. A team-mate that did not see it may have claimed the
    // ball just before the kick-off; giving way to that claim walked the taker
    // off its place towards a place of the play strategy.
    bool kickOffTakerAtTheSpot();
    // The own kick-off began less than KICK_OFF_LOOK_TIME ago, this robot
    // stands at the centre spot and has not seen the ball since: the server
    // has just put it there, just ahead (after a goal it lay in the goal
    // until then), and the head finds it. The kick's search for a lost ball,
    // turning on the spot, turned the taker away from it until the server
    // dropped the ball. Only while the spot lies within the neck's yaw
    // range: a taker that stood up facing away would wait for a head that
    // cannot turn there.
    bool kickOffBallAhead();
    // rad, torso frame: the direction of the centre spot from the pose.
    double centreSpotBearing();
    // The head runs its pattern instead of holding the ball in view: the
    // last landmark fix is LANDMARK_LOOK_AFTER updates old, and the robot is
    // not kicking or taking its ball samples for a kick (the kick needs the
    // ball in view). A look lasts up to LANDMARK_LOOK_FOR updates, or until
    // a fix; the ball is held at least LANDMARK_LOOK_GAP updates between two.
    // Holding the ball facing a side line, a robot went 20 s without a fix;
    // its odometry's field place of the ball drifted by 2.4 m, and the kick,
    // which asks for a pose fixed within the last second, never started.
    bool landmarkLookDue();
    static constexpr int LANDMARK_LOOK_AFTER = 100;
    static constexpr int LANDMARK_LOOK_FOR = 200;
    static constexpr int LANDMARK_LOOK_GAP = 100;
    // degrees: the head's pitch towards a ball 0.2 to 0.3 m ahead, 60 to 70
    // degrees below the horizon (the camera sees 60 degrees either way).
    static constexpr double KICK_OFF_LOOK_PITCH = -30.0;
    // The beam message to (x, y, theta) (m, m, rad, the team's own frame)
    // goes out: the localiser takes that place as the robot's pose, and
    // the avoidances and the kick's ball samples of the old place are over.
    void beamSent(double x, double y, double theta);

    bool setGoalKickPoint(int n);
    // margin (rad) widens the bearing tolerances: a robot already walking
    // to the kick point turns to it again only once it is clearly off.
    bool goalKickPointAlign(double d, int n, double margin = 0.0);
    bool atGoalKickPoint(double d, int n);
    bool setLocalKickPoint(int n);
    void collectInfoToTrans(double& fx, double& fy);
    void collectInfoToRot(double& a);
    void fromTransToKick(double fx, double fy, double& kx, double& ky);

    // ---- Skills: the localiser's values as they stand ----
    // The machines read them here, not in the localiser, whose layout
    // differs between brevane and brevane-b: a machine source that does not
    // see it is compiled once for both.
    double ballBearing() const;          // rad, torso frame
    double ballGroundDistance() const;   // m
    double ballLocalX() const;           // m, torso frame
    double ballLocalY() const;           // m, torso frame
    double ballGlobalX() const;          // m, field frame
    double ballGlobalY() const;          // m, field frame
    int noFixCount() const;              // consecutive updates without a landmark fix
    double goalKickPointAngle() const;   // rad, torso frame
    double goalKickPointLocalX() const;  // m, torso frame
    double goalKickPointLocalY() const;  // m, torso frame
    // The pose the skills place the robot and the ball by (m, m, rad): the
    // landmark fix of this update, or the last one carried on by the walk
    // odometry. The ball's field place is worked out from the same pose, so
    // the two agree when no fix came for seconds; the last fix alone lay
    // metres behind a robot that had walked since.
    void fieldPose(double& x, double& y, double& torso_heading) const;
    double fieldHeading() const;
    // The perception record's side (+1 playing from the left, -1 from the
    // right, 0 not yet told), for a machine that needs nothing else of the
    // record.
    int fieldSide() const;

    // ---- Skills: moving, pushing, kicking, avoidance ----
    void toTranslateTo(double x0, double y0, double h, double tx, double ty, double& dx, double& dy);
    void toGoTo(double tx, double ty, int& mode, double& p1, double& p2, int n, double t1, double t2,
                double t3);
    void new_move_target(double x, double y, bool face);
    void new_move(int n);
    void new_trans(double fwd, double side);
    void trans_collision_estimation(double x, double y, double& ox, double& oy);
    void new_rot(double theta, double xc);
    void new_kick(nao_kick::eKick k);  // NaoMove::eKick
    void stop_walk();
    static constexpr double STOP_FWD = 0.001;  // m: the forward request of a stop
    // The last step of every walk request: to the localiser's forwarding
    // (and its rate limiter unless `limited` is false), never with a zero
    // length or before Init.
    void forward_trans(double fwd, double side, bool limited = true);
    // The avoidances under way (crowding stop and back, collision detour)
    // are over: their flags clear, the next one starts afresh.
    void endAvoidance();

    // Once per think call after the localiser: follows the own kick-off
    // (kick_off_watch_t) and, while its taker may not touch the ball,
    // leaves a team-mate at the centre spot out of the team-mate table.
    void watch_kick_off();
    // What the kick-off taker does meanwhile: it keeps its place, and turns
    // to face the ball once that lies well away.
    void kickOffWait();

    void avoid_crowding_ball();
    void avoid_crowding_ball_1();
    void avoid_crowding_ball_2();

    void startPush();
    bool pushStarted();
    bool pushDone(float s);
    void apply_push();

    void startGoalAlignAvoidance();
    bool goalAlignAvoidanceStarted();
    bool goalAlignAvoidanceDone(float s);

    void startDiag();
    bool diagStarted();
    bool diagDone(float s);
    void applyDiag();

    void startKick();
    bool kickDone();
    void startKickSequence();
    bool kickSequenceDone();

    void startCollectInfos();
    // No collection under way and no sample kept (the beam: the samples
    // show the ball at the old place).
    void dropCollectInfos();
    bool collectInfosStarted();
    bool collectInfosDone(int n);
    void applyCollectInfos();

    void startAvgBallPos();
    bool avgBallPosDone();

    // Tests: the skills' process-wide state (go-to reference, avoidance
    // counters, the stop of new_move) back to its start.
    static void reset_skill_state();
};

#endif
