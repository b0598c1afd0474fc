// The robot's world model: where it stands on the field (landmark fixes,
// else walk odometry), where the ball is in the torso and field frames,
// which team-mates it sees this cycle, how many of them are better placed
// to play the ball, the kick points, and the forwarding of walk and turn
// requests to the motion interface (with a rate limiter on the walk speed
// of players that are not first at the ball, except in brevane-b).
//
// Field frame: metres, origin at the centre spot, x towards the right-hand
// goal, y to its left, the same for both teams; headings in radians, 0
// along +x, counter-clockwise. Torso frame: x forward, y left.
#ifndef BREVANE_WORLD_LOCALIZE_H
#define BREVANE_WORLD_LOCALIZE_H

#include <list>

#include "perception/naovis.h"
#include "world/validity_counts.h"

// The layout of the localiser differs between brevane and brevane-b, so a
// source that includes this header is compiled once for each. CMake finds
// those sources when it configures; this one was found not to be one.
#ifdef BREVANE_SHARED_OBJECT
#error \
    "world/localize.h changes with BREVANE_NO_RATE_LIMITER: run cmake again so that this source is built for each agent"
#endif

class NaoMove;
class NaoParse;

// Switches of the averaging localisation (which does not run: see
// Localize_t::use_all_obj_to_locate).
extern bool avg_1;
extern bool avg_2;

// The validity thresholds of the skills (MAX_BALL_SEEN_CNT,
// VALID_BALL_SEEN_CNT, VALID_COORD_CNT) come from validity_counts_t.
class Localize_t : public validity_counts_t {
public:
    // Constants of the update.
    static constexpr double GAMETIME_INC = 1.0;  // s between ball-history samples
    static const int PREV_LIST_SIZE = 2;         // ball-history length
    static const bool use_all_obj_to_locate = false;

    // One row of the team-mate tables.
    struct mate_t {
        int id;            // uniform number, -1 unknown
        double x, y;       // m, field frame
        double direction;  // rad
    };
    static const int NB_MATES = 12;  // rows indexed by uniform number 0..11

    // One cell of the player grid.
    struct grid_elt {
        double x, y;     // m: the cell centre, later the last player placed in it
        double heading;  // rad
        int occupied;    // 1 once a player was placed in it
        int id;          // uniform number of the player placed this update, -1 none
    };

#ifndef BREVANE_NO_RATE_LIMITER
    int speed_filter;  // 1: walk requests pass through the rate limiter
#endif
    int side;          // +1 left team, -1 right team, 0 unknown
    int no_fix_count;  // consecutive updates without a landmark fix

    // Vision pose (the last landmark fix).
    double x, y;           // m
    double head_heading;   // rad: global direction in which the camera looks
    double torso_heading;  // rad

    // Odometry pose (carried on by the walk since the last fix).
    double odo_x, odo_y;       // m
    double odo_torso_heading;  // rad
    double odo_head_heading;   // rad

    mate_t mates[NB_MATES];   // team-mates seen this update, and the own row
    mate_t mates2[NB_MATES];  // second table: ids cleared every update, nothing else

    int ball_unseen_count;    // consecutive updates without the ball in view
    double ball_bearing;      // rad, torso frame
    double ball_ground_dist;  // m
    double ball_lx, ball_ly;  // m, torso frame

    // Ball history, newest first: game time, local x, local y.
    std::list<double> prev_ball_time;
    std::list<double> prev_ball_lx;
    std::list<double> prev_ball_ly;

    double ball_gdir;         // rad: global direction from the robot to the ball
    double ball_gx, ball_gy;  // m, field frame
    double ball_dist;         // m: from the robot to the ball's global position

    double own_goal_x, own_goal_y;  // m
    double opp_goal_x, opp_goal_y;  // m

    // Goal kick point: 0.5 m behind the ball on the line from the opponent
    // goal through the ball.
    double gkp_angle;       // rad, torso frame
    double gkp_lx, gkp_ly;  // m, torso frame
    double gkp_dist;        // m
    double gkp_gdir;        // rad, global direction from the robot
    double gkp_gx, gkp_gy;  // m, field frame
    double gkp_dist2;       // m, second copy of the distance

    // Local kick point: where the robot stands to kick the ball it sees.
    double lkp_angle;       // rad
    double lkp_lx, lkp_ly;  // m
    double lkp_dist;        // m

    bool fix;  // this update found a landmark fix

    // Heard claims of the ball. When the team's say messages come from the
    // players that take themselves to be first at the ball (the team size
    // argument 0), every heard message is a team-mate's claim of the ball.
    // A robot may not see the claimant (it looks elsewhere); when the
    // claim's direction lies within 90 degrees of the ball's, the claimant
    // may be nearer the ball (beyond 90 degrees it is certainly farther),
    // and while such a claim is fresh this robot does not take itself to
    // be first. A claim stays fresh for claim_hold(ball distance): the
    // nearer of two robots that both gave way claims again first, and the
    // other, hearing it, keeps giving way.
    static constexpr double CLAIM_CONE = 1.5707963267948966;  // rad
    // rad: a team-mate in view this near the claim's direction made it
    static constexpr double CLAIM_SEEN_MATE = 0.35;
    static constexpr double CLAIM_HOLD = 0.3;        // s
    static constexpr double CLAIM_HOLD_PER_M = 0.5;  // s per m of own ball distance
    bool hear_claims;                                // heard ball positions are claims of the ball
    int claims_heard;                                // the parser's hear count last looked at
    double claim_time;                               // game time of the last claim that may be nearer

    // Before the first fix the robot is taken to stand on its start place
    // (the constructor's pose, in the frame of a team playing from the
    // left; mirrored through the centre spot once the team is known to play
    // from the right), carried on by the walk odometry.
    double start_x, start_y, start_heading;
    bool ever_fixed;      // a landmark fix was found since construction
    bool start_anchored;  // the walk odometry was anchored at the start place
    // The vision record held when the robot was beamed still shows the old
    // place (the parser keeps it through the messages without vision): no
    // fix and no ball are taken from it.
    bool vision_before_beam;
    int vision_count;  // the parser's vision count at the last update

    // The vision record stays as it was through the messages without
    // vision while the head moves on, so it is read with the head joints of
    // the message that brought it. A record equal to the last one taken is
    // that same vision (a new one differs at least by its noise, or by the
    // head's motion).
    nao_vision::NaoVis taken_vis;  // the record last taken
    double vis_yaw, vis_pitch;     // rad: the head joints when it came

    // Player grid (off in the match agent).
    bool grid;
    int nx, ny;             // columns, rows
    double cell_L, cell_W;  // m
    grid_elt* cells;        // nx * ny cells, index k * ny + l, owned
    int grid_pass;          // grid updates modulo 100

    Localize_t(double x0, double y0, double a0, int nx, int ny, bool grid_on);
    ~Localize_t();
    Localize_t(const Localize_t&) = delete;
    Localize_t& operator=(const Localize_t&) = delete;

    // Once per think call, right after parsing.
    void update(NaoParse& parse, NaoMove& move);

    // The pose of the current update: the landmark fix if it found one,
    // else the odometry pose.
    void current_pose(double& px, double& py, double& head, double& torso) const;
    // Takes the head joints of a vision record that differs from the last.
    void take_vision(const nao_vision::NaoVis& vis);
    // The camera's global heading when the vision record was taken.
    double record_heading() const;

    // The ball step of the update, with the robot at (px, py) and the
    // camera, when the vision record came, looking along head: the ball in
    // the torso and field frames, its unseen count and history.
    void update_ball(NaoParse& parse, double px, double py, double head);

    // Self-localisation.
    void vision_localize_break_first_2_obj(nao_vision::NaoVis& vis, NaoMove& move);
    void vision_localize_all_obj(nao_vision::NaoVis& vis, NaoMove& move);
    void vision_to_xy(nao_vision::NaoVis& vis, NaoMove& move, int id0, int id1);
    void vision_to_angle(int id, double lx, double ly);

    // A seen object in the torso and field frames.
    void vision_to_local_object(nao_vision::NaoVis& vis, int id, double& dist, double& bearing);
    void vision_to_local_coord(nao_vision::NaoVis& vis, double dist, double bearing, double& x, double& y);
    void vision_to_global_object(double x, double y, double head_heading, nao_vision::NaoVis& vis, int id,
                                 double& gx, double& gy, double& gdir);

    // A seen player (record k of the vision) in the field and torso frames.
    void player_to_global_coord(nao_vision::NaoVis& vis, int k, double& x, double& y, double& heading);
    void player_to_local_coord(nao_vision::NaoVis& vis, int k, double& x, double& y, double& heading);

    void updateGrid(nao_vision::NaoVis& vis);

    // Not called by the agent.
    int seenSize(nao_vision::NaoVis& vis, int from, int to);
    void local_coord_to_global_coord(double lx, double ly, double& gx, double& gy);

    // Team-mates and the ball priority: how many known team-mates are
    // better placed to play the ball (0: this player goes to it).
    void update_mates(NaoParse& parse);
    // Takes in a newly heard claim (part of the team-mate table fill).
    void update_claims(const NaoParse& parse);
    static double claim_hold(double ball_distance);
    // A fresh claim of a team-mate that may be nearer the ball.
    bool yield_to_claim(const NaoParse& parse) const;
    int get_ball_priority(NaoParse& parse);
    int get_ball_proximity(NaoParse& parse);

    // Field side (+1 / -1) and the goal centres that follow from it.
    void set_side(int side);
    // The robot was beamed to (x0, y0, a0) (m, m, rad, in the frame of a
    // team playing from the left, as the beam message): that is its pose,
    // carried on by the walk odometry, until a fix says otherwise, as at
    // its start. Without it the pose from before the beam stayed until the
    // next fix.
    void beam_to(double x0, double y0, double a0);
    // The ball seen before a beam lay elsewhere: it is unknown, as at the
    // start, until seen again, and nothing judged against it (the held
    // priority, a team-mate's claim) is kept.
    void forget_ball();
    // The ball lies at (gx, gy) on the field, out of view, where the rules
    // put it: its place relative to the robot follows from the pose, and it
    // counts as known but not seen within the last `unseen` updates.
    void place_unseen_ball(double gx, double gy, int unseen);
    // The pose becomes the start place (set_side, beam_to).
    void take_start_place();

    bool set_goal_kick_point(double x, double y, int n);
    bool set_kick_point(int n);
    // The kick point dx behind and dy to the right of the ball (torso frame).
    bool set_kick_point(int n, double dx, double dy);

    // Every walk and turn request of the behaviour passes here.
    void new_trans2013(NaoMove& move, double fwd, double side);
    // A request to be walked as it is, past the rate limiter (whose values
    // stay as they were): the one request of an avoidance, which the
    // limiter would turn into a single step of its ramp.
    void new_trans2013_unlimited(NaoMove& move, double fwd, double side);
    void new_rot2013(NaoMove& move, double theta, double xc);

    // Tests: the process-wide priority hold and rate-limiter values back to
    // their start.
    static void reset_process_state();
};

#endif
