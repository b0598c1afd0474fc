// The skills that act: every walk, turn, kick and stop of the state
// machines passes here, through crowding avoidance at the ball, collision
// avoidance with robots on the path and a go-to-point controller, and
// the timed phases (push, goal-alignment avoidance, diagonal), the kick and
// the collection of ball observations before a kick.
#include <cmath>
#include <cstdio>
#include <sstream>

#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "skills/NaoBehavior.h"
#include "skills/skill_angles.h"
#include "world/geometry.h"
#include "world/localize.h"
#include "world/teamformation.h"

using skill_angles::wrap_loops;

// ---- Clock of the timed phases ----

namespace {
skill_clock::source_t g_clock_source = nullptr;
}

void skill_clock::now(timeval* tv)
{
    if (g_clock_source)
        g_clock_source(tv);
    else
        gettimeofday(tv, nullptr);
}

void skill_clock::set_source(source_t s) { g_clock_source = s; }

namespace {

// Seconds since `start`, in single precision.
float elapsed_since(const timeval& start)
{
    timeval t;
    skill_clock::now(&t);
    return static_cast<float>((t.tv_usec - start.tv_usec) / 1e6 + (t.tv_sec - start.tv_sec));
}

// ---- Function-level state, resettable for tests ----

// Bumped by reset_skill_state; each function-level state compares it with
// the value it last saw and starts over when they differ.
unsigned g_skill_generation = 0;

template <class T>
struct SkillState {
    T value{};
    unsigned generation = 0;

    T& get()
    {
        if (generation != g_skill_generation) {
            generation = g_skill_generation;
            value = T{};
        }
        return value;
    }
};

// One avoidance of new_trans: its first request is sent, then the count
// runs from 100 down below 0 while requests are dropped.
struct Avoidance {
    bool begun = false;
    int count = 100;
};

// The avoidances new_trans serves, one process-wide state each.
struct Avoidances {
    SkillState<Avoidance> stop;    // crowding stop
    SkillState<Avoidance> back;    // crowding back
    SkillState<Avoidance> detour;  // collision detour
};

Avoidances& avoidances()
{
    static Avoidances a;
    return a;
}

}  // namespace

void NaoBehavior::reset_skill_state() { ++g_skill_generation; }

// ---- Table of the players near the ball ----

const int tab_id_dist_t::CAPACITY;

bool tab_id_dist_t::add(int id, double x, double y, double dist)
{
    if (size < 0 || size >= CAPACITY) return false;
    rows[size] = {id, x, y, dist};
    ++size;
    return true;
}

int compare_eid_t(const tab_id_dist_t::row_t& a, const tab_id_dist_t::row_t& b)
{
    return a.dist > b.dist ? 1 : 0;
}

// Insertion sort: stable, and bounded whatever the distances (a nan
// distance simply stays where it is).
void tab_id_dist_t::sort()
{
    for (int i = 1; i < size; ++i)
        for (int j = i; j > 0 && compare_eid_t(rows[j - 1], rows[j]); --j) {
            row_t t = rows[j - 1];
            rows[j - 1] = rows[j];
            rows[j] = t;
        }
}

// ---- Going to a point ----

void NaoBehavior::toTranslateTo(double x0, double y0, double h, double tx, double ty, double& dx, double& dy)
{
    dx = std::cos(h) * (tx - x0) + std::sin(h) * (ty - y0);
    dy = -std::sin(h) * (tx - x0) + std::cos(h) * (ty - y0);
}

namespace {

// The vision pose while the no-fix count is below n, else the odometry one.
void pose_for(const Localize_t& l, int n, double& x, double& y, double& h)
{
    if (l.no_fix_count < n) {
        x = l.x;
        y = l.y;
        h = l.torso_heading;
    } else {
        x = l.odo_x;
        y = l.odo_y;
        h = l.odo_torso_heading;
    }
}

struct ApplyStop {
    bool apply_stop = true;
    bool walk_under_way = false;  // the last request was a walk towards the target
};

struct GoToRef {
    bool started = false;
    int counter = 0;
    double x = 0, y = 0, heading = 0;
};

}  // namespace

void NaoBehavior::toGoTo(double tx, double ty, int& mode, double& p1, double& p2, int n, double t1, double t2,
                         double t3)
{
    // One reference for all callers: its point is refreshed on every
    // (100 sub-steps + 1)-th call, its heading on every call.
    static SkillState<GoToRef> state;
    GoToRef& ref = state.get();
    double x, y, h;
    pose_for(*localize, n, x, y, h);
    if (!ref.started) {
        ref.started = true;
        ref.counter = 100 * sub_steps + 1;
    }
    if (100 * sub_steps < ref.counter) {
        ref.x = x;
        ref.y = y;
        ref.counter = 0;
    }
    ++ref.counter;
    ref.heading = h;

    const double d = std::hypot(tx - ref.x, ty - ref.y);
    const double a = wrap_loops(std::atan2(ty - ref.y, tx - ref.x) - ref.heading);
    const double tol = d < 2.0 ? t1 : (d < 4.0 ? t2 : t3);
    if (std::fabs(a) < tol) {
        mode = 0;
        toTranslateTo(ref.x, ref.y, ref.heading, tx, ty, p1, p2);
    } else {
        mode = 1;
        p1 = (d < 2.0 ? 0.6 : 0.4) * a;
        p2 = 0.01;
    }
}

void NaoBehavior::new_move_target(double x, double y, bool face)
{
    if (think_count - last_move_target_count < 250 * sub_steps) return;
    last_move_target_count = think_count;
    move_target_x = x;
    move_target_y = y;
    move_target_face_ball = face;
}

void NaoBehavior::new_move(int n)
{
    // Whether the last walk or turn still needs its stop request.
    static SkillState<ApplyStop> apply_stop_state;
    bool& apply_stop = apply_stop_state.get().apply_stop;
    bool& walk_under_way = apply_stop_state.get().walk_under_way;

    double x, y, h;
    pose_for(*localize, n, x, y, h);
    const double d = std::hypot(move_target_x - x, move_target_y - y);
    const double a = wrap_loops(std::atan2(move_target_y - y, move_target_x - x) - h);
    const double e = d > 4.0 ? 0.4 : 0.1;

    // A place that a team-mate in view already holds, or nearly reached,
    // is reached short of it: two players given the same place (their
    // views gave them the same ball priority) walked into each other there.
    double arrived = ARRIVED;
    for (int k = 0; k < Localize_t::NB_MATES; ++k) {
        const Localize_t::mate_t& m = localize->mates[k];
        if (k == unum || m.id == -1) continue;
        const double held = std::hypot(move_target_x - m.x, move_target_y - m.y);
        if (held < HELD_PLACE && held < d) arrived = ARRIVED + HELD_PLACE;
    }

    if (d < arrived) {
        // Reached short of a held place, the walk under way still aims at
        // the place itself, into the team-mate there: it is ended first,
        // then the robot faces the ball.
        if (d >= ARRIVED && walk_under_way) {
            if (endWalk()) walk_under_way = false;
            apply_stop = false;
            return;
        }
        walk_under_way = false;
        if (move_target_face_ball) {
            const double f = 0.6 * ballAngle(Localize_t::VALID_BALL_SEEN_CNT);
            if (std::fabs(f) > e) {
                new_rot(f, 0.01);
                apply_stop = true;
            } else {
                apply_stop = false;
            }
        } else if (apply_stop) {
            new_trans(STOP_FWD, 0);
            apply_stop = false;
        }
        return;
    }

    int mode;
    double p1, p2;
    toGoTo(move_target_x, move_target_y, mode, p1, p2, Localize_t::VALID_COORD_CNT, 0.4, 0.5, 0.75);
    if (mode == 1) {
        if (std::fabs(a) > e) {
            new_rot(p1, p2);
            apply_stop = true;
        }
    } else {
        new_trans(p1, p2);
        apply_stop = true;
        walk_under_way = true;
    }
}

// ---- Walk, turn, kick and stop requests ----

namespace {

// Serves one avoidance: its first request sends `send`, the next 101 are
// dropped, and the last of them clears the flag and the begun mark.
template <class Send>
void serve_avoidance(Avoidance& av, bool& flag, Send send)
{
    if (!av.begun) {
        send();
        av.count = 100;
        av.begun = true;
    } else if (--av.count < 0) {
        flag = false;
        av.begun = false;
    }
}

}  // namespace

void NaoBehavior::new_trans(double fwd, double side)
{
    Avoidances& av = avoidances();
    // A request of length 0 is no walk: the motion interface would refuse
    // it with an error and hold a translation that never moves.
    if (fwd == 0.0 && side == 0.0) return;
    if (!move || !localize) return;

    // An avoidance sends one request and then lets the robot walk it for
    // the next 101 requests: that request goes past the rate limiter, which
    // would make it one step of its ramp (the robot walking on as before,
    // into the crowd or the team-mate it was to step around).
    if (crowding_stop) {
        serve_avoidance(av.stop.get(), crowding_stop, [&] { forward_trans(0.001, 0, false); });
        return;
    }
    if (crowding_back) {
        // Back off: the request with its forward part reversed.
        serve_avoidance(av.back.get(), crowding_back, [&] { forward_trans(-fwd, side, false); });
        return;
    }
    double ox = 0, oy = 0;
    if (!collision_detour) trans_collision_estimation(fwd, side, ox, oy);
    if (!collision_detour) {
        forward_trans(fwd, side);
        return;
    }
    serve_avoidance(av.detour.get(), collision_detour, [&] { forward_trans(ox, oy, false); });
}

void NaoBehavior::endAvoidance()
{
    crowding_stop = crowding_back = collision_detour = false;
    Avoidances& av = avoidances();
    av.stop.get() = Avoidance{};
    av.back.get() = Avoidance{};
    av.detour.get() = Avoidance{};
}

void NaoBehavior::forward_trans(double fwd, double side, bool limited)
{
    if (!move || !localize) return;
    if (fwd == 0.0 && side == 0.0) return;
    if (limited)
        localize->new_trans2013(*move, fwd, side);
    else
        localize->new_trans2013_unlimited(*move, fwd, side);
}

void NaoBehavior::trans_collision_estimation(double x, double y, double& ox, double& oy)
{
    const NaoParse::NaoVis& vis = parse->nv;
    const int nb = vis.nb_player < NaoParse::MAX_PLAYER_SEEN ? vis.nb_player : NaoParse::MAX_PLAYER_SEEN;
    const Point_t a = {-1.2, 0.0};
    const Point_t b = {2.0 * x + 1.2, 2.0 * y};
    for (int k = 0; k < nb; ++k) {
        // Any robot on the path, of either team (the robot's own arms are
        // no obstacle).
        if (vis.player[k].teammate && vis.player[k].id == unum) continue;
        double px, py, heading;
        localize->player_to_local_coord(parse->nv, k, px, py, heading);
        if (!(std::sqrt(px * px + py * py) < 1.5)) continue;
        const bool blocked = Intersect(a, b, {px - 1.2, py}, {px + 1.2, py}) ||
                             Intersect(a, b, {px, py - 1.2}, {px, py + 1.2});
        // The player first at the ball never steps aside.
        if (blocked && localize->get_ball_priority(*parse) > 0) {
            collision_detour = true;
            ox = x / 2.0;
            oy = py > 0 ? -x : x;
            return;
        }
    }
}

void NaoBehavior::new_rot(double theta, double xc)
{
    if (move && localize) localize->new_rot2013(*move, theta, xc);
}

void NaoBehavior::new_kick(NaoMove::eKick k)
{
    if (move) move->new_kick2012(k);
}

// A stop is a tiny forward request, rate-limited like any other.
void NaoBehavior::stop_walk() { forward_trans(STOP_FWD, 0); }

bool NaoBehavior::endWalk()
{
    if (!move || move->kick || standing() || stopUnderWay()) return true;
    forward_trans(STOP_FWD, 0, false);
    // A translation accepted but not yet walking drops the stop: it is
    // asked again next time.
    return stopUnderWay();
}

namespace {

struct Crouch {
    enum { IDLE, PLAYING, CLEAR } stage = IDLE;
};

}  // namespace

bool NaoBehavior::crouchInPlace()
{
    static SkillState<Crouch> state;
    Crouch& c = state.get();
    if (!move) return true;
    switch (c.stage) {
        case Crouch::IDLE:
            if (legsCrouched() || !standing()) return true;
            naosimplemove_t::reset_interpolation();
            c.stage = Crouch::PLAYING;
            [[fallthrough]];
        case Crouch::PLAYING:
            if (!move->stand_pose.interpolate(0, sub_steps, out, false)) c.stage = Crouch::CLEAR;
            return false;
        case Crouch::CLEAR:
            naosimplemove_t::clearAllEffector(out);
            c.stage = Crouch::IDLE;
            return true;
    }
    return true;
}

// ---- The own kick-off's (and set piece's) second touch ----

namespace {

bool in_taker_zone(const kick_off_watch_t& w, double x, double y)
{
    return std::hypot(x - w.spot_x, y - w.spot_y) < kick_off_watch_t::TAKER_ZONE;
}

}  // namespace

// The server punishes a second touch of the taker of every own restart:
// kick-off, kick-in, corner kick, goal kick and free kick.
bool kick_off_watch_t::own_restart(int play_mode, int side)
{
    switch (play_mode) {
        case NaoParse::PM_KICK_OFF_LEFT:
        case NaoParse::PM_KICK_IN_LEFT:
        case NaoParse::PM_CORNER_KICK_LEFT:
        case NaoParse::PM_GOAL_KICK_LEFT:
        case NaoParse::PM_FREE_KICK_LEFT:
            return side == 1;
        case NaoParse::PM_KICK_OFF_RIGHT:
        case NaoParse::PM_KICK_IN_RIGHT:
        case NaoParse::PM_CORNER_KICK_RIGHT:
        case NaoParse::PM_GOAL_KICK_RIGHT:
        case NaoParse::PM_FREE_KICK_RIGHT:
            return side == -1;
        default:
            return false;
    }
}

void NaoBehavior::watch_kick_off()
{
    if (!localize || !parse) return;
    kick_off_watch_t& w = kick_off_state;
    const NaoParse::NaoVis& vis = parse->nv;
    const int nb = vis.nb_player < NaoParse::MAX_PLAYER_SEEN ? vis.nb_player : NaoParse::MAX_PLAYER_SEEN;
    for (int k = 0; k < nb; ++k)
        if (!vis.player[k].teammate || vis.player[k].id != unum) w.others_known = true;
    // The parser keeps the last heard message: a new one differs from it.
    if (parse->hear_time != w.heard_time || parse->hear_x != w.heard_x || parse->hear_y != w.heard_y) {
        w.others_known = true;
        w.heard_time = parse->hear_time;
        w.heard_x = parse->hear_x;
        w.heard_y = parse->hear_y;
    }

    const int pm = parse->play_mode;
    double px, py, head, torso;
    localize->current_pose(px, py, head, torso);
    const bool ball_known = ballSeen(10);
    // The server's drop of an untaken ball: the restart mode lasted its
    // whole time (its first think saw it late by at most a message, as this
    // one sees the play-on).
    // Game times come with two decimals: their difference for a drop at
    // exactly 15 s may fall just short of it.
    const bool dropped =
        parse->game_time - w.mode_since >= kick_off_watch_t::DROP_BALL_TIME - kick_off_watch_t::TIME_EPSILON;
    const bool ball_in_view = vis.seen[NaoParse::VO_BALL];
    if (pm != w.last_play_mode) {
        w.mode_since = parse->game_time;
        // A new restart's spot is not the last one's (a robot that does not
        // see this ball would take itself for the taker at the old spot);
        // the play-on after it is taken there.
        if (pm != NaoParse::PM_PLAY_ON) w.spot_known = false;
        // The vision record of the change may be older than it: the server
        // moves the ball for a corner kick or a goal kick.
        w.ball_seen_in_mode = false;
        w.vision_at_change = parse->vision_count;
    } else if (ball_in_view && parse->vision_count != w.vision_at_change) {
        w.ball_seen_in_mode = true;
    }
    // Where the restart is taken: the centre spot, or where the ball waits
    // while the set piece lasts. The server puts a goal kick's ball on its
    // spot in front of the goal, out of view of robots that followed it over
    // the goal line: until a vision shows it there, the ball lies at the
    // spot. (Chasing its last place behind the line, the nearest robot faced
    // away from it, 1.6 m off, until the server dropped it.)
    const bool own_goal_kick = (pm == NaoParse::PM_GOAL_KICK_LEFT && parse->side == 1) ||
                               (pm == NaoParse::PM_GOAL_KICK_RIGHT && parse->side == -1);
    if (own_goal_kick && !w.ball_seen_in_mode) {
        w.spot_x = -parse->side * (0.5 * NaoParse::DIM_FIELD_LENGTH - kick_off_watch_t::GOAL_KICK_DIST);
        w.spot_y = 0.0;
        w.spot_known = true;
        localize->place_unseen_ball(w.spot_x, w.spot_y, kick_off_watch_t::PLACED_BALL_UNSEEN);
    }
    if (pm == NaoParse::PM_KICK_OFF_LEFT || pm == NaoParse::PM_KICK_OFF_RIGHT) {
        w.spot_x = 0.0;
        w.spot_y = 0.0;
        w.spot_known = true;
    } else if (kick_off_watch_t::own_restart(pm, parse->side) && ball_known && w.ball_seen_in_mode) {
        w.spot_x = localize->ball_gx;
        w.spot_y = localize->ball_gy;
        w.spot_known = true;
    }
    if (kick_off_watch_t::own_restart(w.last_play_mode, parse->side) && pm == NaoParse::PM_PLAY_ON &&
        !dropped) {
        // The first touch: the taker stood at the spot, at the ball.
        w.pending = true;
        w.taker =
            (w.spot_known && in_taker_zone(w, px, py)) || (ball_known && localize->ball_ground_dist < 0.5);
        w.taken_at = parse->game_time;
        // Its walk under way would carry it on into the ball.
        w.stop_due = w.taker;
    } else if (pm != NaoParse::PM_PLAY_ON || kick_off_watch_t::own_restart(w.last_play_mode, parse->side)) {
        // A set piece or a goal, or a ball the server dropped: the server's
        // watch is over or starts anew.
        w.pending = false;
    }
    w.last_play_mode = pm;
    if (!w.pending) return;
    if (!w.others_known && parse->game_time - w.taken_at > kick_off_watch_t::ALONE_WAIT) {
        w.pending = false;  // alone
        return;
    }

    // Another player at the ball ends the watch: this robot itself (not the
    // taker), or one in view (for a team-mate other than the taker, one
    // away from the spot).
    if (ball_known && !w.taker && localize->ball_dist < kick_off_watch_t::AT_BALL) {
        w.pending = false;
        return;
    }
    for (int k = 0; ball_known && k < nb; ++k) {
        const NaoParse::vis_player_t& p = vis.player[k];
        if (p.teammate && p.id == unum) continue;
        double x, y, facing;
        localize->player_to_global_coord(parse->nv, k, x, y, facing);
        if (p.teammate && !w.taker && in_taker_zone(w, x, y)) continue;
        const double at_ball = p.teammate ? kick_off_watch_t::AT_BALL : kick_off_watch_t::OPPONENT_AT_BALL;
        if (std::hypot(x - localize->ball_gx, y - localize->ball_gy) < at_ball) {
            w.pending = false;
            return;
        }
    }

    // The team-mates' side of the rule: the taker is not counted for the
    // ball priority, so one of them goes to the ball.
    if (w.taker) return;
    for (int k = 0; k < Localize_t::NB_MATES; ++k) {
        Localize_t::mate_t& m = localize->mates[k];
        if (k != parse->unum && m.id != -1 && w.spot_known && in_taker_zone(w, m.x, m.y)) m.id = -1;
    }
}

void NaoBehavior::kickOffWait()
{
    // The walk under way at the first touch (the approach, or a push 1 m
    // past the ball) is ended at once: not rate-limited, as a ramp down
    // would walk on into the ball. A kick under way cannot be cut short.
    kick_off_watch_t& w = kick_off_state;
    if (w.stop_due) {
        if (!standing()) {
            endWalk();
            return;
        }
        w.stop_due = false;
    }
    // Near the ball even a turn on the spot may touch it; far off, one turn
    // at a time (a turn taken over by the next never turns).
    if (!ballSeen(Localize_t::VALID_BALL_SEEN_CNT) || localize->ball_dist < 1.0 || !standing()) return;
    const double f = 0.6 * ballAngle(Localize_t::VALID_BALL_SEEN_CNT);
    if (std::fabs(f) > 0.3) new_rot(f, 0.01);
}

// ---- Crowding at the ball ----

namespace {

// The robot itself and the team-mates of this cycle's vision with their
// distance to the ball (torso frame), nearest first.
void crowding_table(NaoBehavior& b, tab_id_dist_t& tab)
{
    const Localize_t& l = *b.localize;
    tab.add(b.unum, 0.0, 0.0, std::hypot(l.ball_lx, l.ball_ly));
    const NaoParse::NaoVis& vis = b.parse->nv;
    const int nb = vis.nb_player < NaoParse::MAX_PLAYER_SEEN ? vis.nb_player : NaoParse::MAX_PLAYER_SEEN;
    for (int k = 0; k < nb; ++k) {
        if (!vis.player[k].teammate || vis.player[k].id == b.unum) continue;
        double px, py, heading;
        b.localize->player_to_local_coord(b.parse->nv, k, px, py, heading);
        if (!tab.add(vis.player[k].id, px, py, std::hypot(px - l.ball_lx, py - l.ball_ly))) break;
    }
    tab.sort();
}

// Sorted position of the robot in the table, -1 when it is not in it.
int own_position(const tab_id_dist_t& tab, int unum)
{
    for (int k = 0; k < tab.size; ++k)
        if (tab.rows[k].id == unum) return k;
    return -1;
}

// Too many players at the ball: some player at sorted position k >= 1 lies
// within `spacing` k of it.
bool crowded(const tab_id_dist_t& tab, double spacing)
{
    for (int k = 1; k < tab.size; ++k)
        if (tab.rows[k].dist <= spacing * k) return true;
    return false;
}

}  // namespace

void NaoBehavior::avoid_crowding_ball() { avoid_crowding_ball_2(); }

void NaoBehavior::avoid_crowding_ball_1()
{
    if (!localize || !ballSeen(100)) return;
    tab_id_dist_t tab;
    crowding_table(*this, tab);
    const int own = own_position(tab, unum);
    if (own == 0)
        crowding_stop = false;
    else if (own > 0)
        crowding_stop = crowded(tab, 0.9);
}

void NaoBehavior::avoid_crowding_ball_2()
{
    if (!localize || !ballSeen(100)) return;
    tab_id_dist_t tab;
    crowding_table(*this, tab);
    const int own = own_position(tab, unum);
    if (own == 0) {
        crowding_stop = false;
        crowding_back = false;
    } else if (own > 0) {
        crowding_back = crowded(tab, 0.8);
    }
    if (crowding_back) crowding_stop = false;
}

// ---- Timed phases ----

void NaoBehavior::startPush()
{
    push_started = true;
    skill_clock::now(&push_start);
}

bool NaoBehavior::pushStarted() { return push_started; }

namespace {

// The end test of a phase whose end carries the motion one cycle further:
// false before s seconds; after 300 s the phase starts over; else true.
bool timed_phase_done(NaoBehavior& b, bool& started, timeval& start, float s)
{
    const float elapsed = elapsed_since(start);
    if (elapsed < s) return false;
    if (elapsed > 300) {
        skill_clock::now(&start);
        return false;
    }
    started = false;
    if (b.move) {
        // One extra motion step whose commands are not sent.
        std::stringstream scratch;
        b.move->update(scratch, b.sub_steps);
    }
    return true;
}

}  // namespace

bool NaoBehavior::pushDone(float s) { return timed_phase_done(*this, push_started, push_start, s); }

void NaoBehavior::apply_push()
{
    // A walk 1 m past the ball.
    const double d = globalBallDistance(Localize_t::VALID_BALL_SEEN_CNT);
    const double a = ballAngle(Localize_t::VALID_BALL_SEEN_CNT);
    new_trans(std::cos(a) * (d + 1), std::sin(a) * (d + 1));
}

void NaoBehavior::startGoalAlignAvoidance()
{
    goal_align_avoidance_started = true;
    skill_clock::now(&goal_align_avoidance_start);
}

bool NaoBehavior::goalAlignAvoidanceStarted() { return goal_align_avoidance_started; }

bool NaoBehavior::goalAlignAvoidanceDone(float s)
{
    const float elapsed = elapsed_since(goal_align_avoidance_start);
    if (elapsed > 300) {
        skill_clock::now(&goal_align_avoidance_start);
        return false;
    }
    if (elapsed < s) return false;
    goal_align_avoidance_started = false;
    return true;
}

void NaoBehavior::startDiag()
{
    diag_started = true;
    skill_clock::now(&diag_start);
}

bool NaoBehavior::diagStarted() { return diag_started; }

bool NaoBehavior::diagDone(float s) { return timed_phase_done(*this, diag_started, diag_start, s); }

void NaoBehavior::applyDiag() { new_trans(1, 1); }

// ---- Kick ----

// The foot on the ball's side: left when the head looks left. The kick
// counts as started only when the motion interface took it, so that a
// refused request is asked again and kickDone never reports a kick that
// did not happen.
void NaoBehavior::startKick()
{
    if (kick_started || !move) return;
    const NaoMove::eKick k =
        NaoParse::GetJointAngleRad(NaoParse::JID_HEAD_1) > 0 ? NaoMove::KICK_LEFT : NaoMove::KICK_RIGHT;
    const bool kicking_before = move->kick;
    new_kick(k);
    if (kicking_before || !move->kick) return;
    kick_started = true;
    skill_clock::now(&kick_start);
    chosen_kick = k;
}

bool NaoBehavior::kickDone()
{
    if (!kick_started || !move) return false;
    if (chosen_kick != NaoMove::KICK_LEFT && chosen_kick != NaoMove::KICK_RIGHT) return false;
    if (move->kick || !move->kick_done) return false;
    kick_started = false;
    return true;
}

void NaoBehavior::startKickSequence() { kick_sequence_count = 0; }

bool NaoBehavior::kickSequenceDone() { return kick_sequence_count == 10; }

// ---- Ball observations before a kick ----

void NaoBehavior::startCollectInfos()
{
    dropCollectInfos();
    collect_infos_started = true;
}

void NaoBehavior::dropCollectInfos()
{
    collect_infos_started = false;
    collect_infos_cycles = 0;
    collect_ball_samples = 0;
    collect_sum_ball_lx = collect_sum_ball_ly = 0;
    collect_pose_samples = 0;
    collect_sum_x = collect_sum_y = 0;
    collect_sum_ball_gx = collect_sum_ball_gy = 0;
}

bool NaoBehavior::collectInfosStarted() { return collect_infos_started; }

bool NaoBehavior::collectInfosDone(int n)
{
    if (collect_infos_cycles < n) return false;
    if (collect_infos_cycles > 100) {
        startCollectInfos();
        return false;
    }
    collect_infos_started = false;
    std::fprintf(stderr, "collect_infos_l_size: %d\n", collect_ball_samples);
    return true;
}

// One sample per server message.
void NaoBehavior::applyCollectInfos()
{
    if (sub_steps <= 0 || think_count % sub_steps != 0) return;
    ++collect_infos_cycles;
    if (ballSeen(Localize_t::VALID_BALL_SEEN_CNT)) {
        collect_sum_ball_lx += localize->ball_lx;
        collect_sum_ball_ly += localize->ball_ly;
        ++collect_ball_samples;
    }
    if (globalCoord(Localize_t::VALID_COORD_CNT)) {
        collect_sum_x += localize->x;
        collect_sum_y += localize->y;
        collect_sum_ball_gx += localize->ball_gx;
        collect_sum_ball_gy += localize->ball_gy;
        ++collect_pose_samples;
    }
}

void NaoBehavior::startAvgBallPos()
{
    avg_ball_count = 0;
    avg_ball_lx = avg_ball_ly = 0;
}

bool NaoBehavior::avgBallPosDone()
{
    avg_ball_lx += localize->ball_lx;
    avg_ball_ly += localize->ball_ly;
    ++avg_ball_count;
    std::fprintf(stderr, " ------[%d] %f %f --\n", avg_ball_count, localize->ball_lx, localize->ball_ly);
    if (avg_ball_count < 10) return false;
    avg_ball_lx /= avg_ball_count;
    avg_ball_ly /= avg_ball_count;
    return true;
}
