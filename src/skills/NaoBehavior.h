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

#include "motioninterface/naomove.h"
#include "perception/SimBehavior.h"
#include "perception/naoparse.h"
#include "qorvexlib/Strategy.h"
#include "world/localize.h"
#include "world/teamformation.h"

class head_scan_t;
class hfsm;
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
    NaoMove* move = nullptr;               // motion interface, made by Init, owned
    Localize_t* localize = nullptr;        // localiser, owned
    RobovizDraw_t* draw = nullptr;         // debug drawer, owned

    // Move target (new_move_target / new_move).
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
    bool ownGoalBallAngle(double& a);
    bool removeOwnGoalAlignment(double& x, double& y, int n);
    bool stopWalkDone();
    bool localKickPointAlign(int n);
    bool atLocalKickPoint(double d, int n);
    void localBallAlignPrecisionInit();
    bool localBallAlignPrecision(int n);
    bool isAhead(int n);

    bool kickActive();
    int getBallPriority();

    bool setGoalKickPoint(int n);
    bool goalKickPointAlign(double d, int n);
    bool atGoalKickPoint(double d, int n);
    bool setLocalKickPoint(int n);
    void collectInfoToTrans(double& fx, double& fy);
    void collectInfoToRot(double& a);
    void fromTransToKick(double fx, double fy, double& kx, double& ky);

    // ---- Skills: moving, pushing, kicking, avoidance ----
    void toTranslateTo(double x0, double y0, double h, double tx, double ty, double& dx, double& dy);
    void toGoTo(double tx, double ty, int& mode, double& p1, double& p2, int n, double t1, double t2,
                double t3);
    void new_move_target(double x, double y, bool face);
    void new_move(int n);
    void new_trans(double fwd, double side);
    void trans_collision_estimation(double x, double y, double& ox, double& oy);
    void new_rot(double theta, double xc);
    void new_kick(NaoMove::eKick k);
    void stop_walk();
    // The last step of every walk request: to the localiser's forwarding
    // (and its rate limiter unless `limited` is false), never with a zero
    // length or before Init.
    void forward_trans(double fwd, double side, bool limited = true);

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
