// Replays the server messages one agent received in a recorded game (one
// per line, from messages.py) through a fresh agent object of the given
// uniform number, thinking twice per message as the cycle loop does, and
// writes per think call the game time, the play mode, the path of active
// states from the root machine down, the world model's pose and ball, the
// motion request the step left, the motion interface's flags, the walk
// engine's state, the server's ground truth when it sends it and the
// kick-off watch (whether the taker or its team-mates wait). (The ball
// priority is not shown: asking it counts towards its hold and would change
// the replay.) The timed phases run on the game time of the messages, so the
// replay takes the decisions the robot took (but for its random steps away
// from the own goal).
//
//   state_trace [--team=NAME] UNUM MESSAGES.txt [FROM_S TO_S] > trace.tsv
//
// NAME is the team name the agent played under (its init message in the
// relay log): the agent counts as team-mates only the players of its own
// team, and its ball priority follows from them. Run from the source root
// (the agent reads its data files there).
#include <sys/time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "behavior/at_ball.h"
#include "behavior/at_push_point.h"
#include "behavior/at_push_point_kick.h"
#include "behavior/att.h"
#include "behavior/dribble.h"
#include "behavior/goto_global_kick_point2.h"
#include "behavior/hfsm.h"
#include "behavior/kick.h"
#include "behavior/look_for_ball.h"
#include "behavior/look_for_coord.h"
#include "behavior/not_at_ball.h"
#include "behavior/not_at_push_point.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "walk/walk.h"
#include "world/localize.h"

namespace {

double g_game_time = 0;

void game_clock(timeval* tv)
{
    tv->tv_sec = static_cast<time_t>(g_game_time) + 1000;
    tv->tv_usec = static_cast<suseconds_t>(std::fmod(g_game_time, 1.0) * 1e6);
}

template <class M>
std::string name(const M& m)
{
    return m.state_name();
}

// The active path: each machine's state, and below a child machine state
// the child's path.
std::string path(const hfsm& root)
{
    std::string p = name(root);
    if (root.state != hfsm::PLAY_ON) return p;
    const play_on& po = *root.play_on_fsm;
    p += "/" + name(po);
    if (po.state != play_on::PLAYING) return p;
    const playing& pl = *po.playing_fsm;
    p += "/" + name(pl);
    if (pl.state == playing::LOOK_FOR_BALL) return p + "/" + name(*pl.look_for_ball_fsm);
    if (pl.state == playing::LOOK_FOR_COORD) return p + "/" + name(*pl.look_for_coord_fsm);
    if (pl.state != playing::ATT) return p;
    const att& a = *pl.att_fsm;
    p += "/" + name(a);
    if (a.state == att::KICK) {
        const kick& k = *a.kick_fsm;
        p += "/" + name(k);
        if (k.state == kick::GOTO_GLOBAL_KICK_POINT2) return p + "/" + name(*k.goto_global_kick_point2_fsm);
        if (k.state == kick::AT_PUSH_POINT_KICK) return p + "/" + name(*k.at_push_point_kick_fsm);
        return p;
    }
    if (a.state != att::DRIBBLE) return p;
    const dribble& d = *a.dribble_fsm;
    p += "/" + name(d);
    if (d.state == dribble::NOT_AT_BALL) return p + "/" + name(*d.not_at_ball_fsm);
    if (d.state != dribble::AT_BALL) return p;
    const at_ball& ab = *d.at_ball_fsm;
    p += "/" + name(ab);
    if (ab.state == at_ball::AT_PUSH_POINT) return p + "/" + name(*ab.at_push_point_fsm);
    if (ab.state == at_ball::NOT_AT_PUSH_POINT) return p + "/" + name(*ab.not_at_push_point_fsm);
    return p;
}

// The server's ground truth when it sends it: the torso's position (the
// camera sits straight above it) and heading (the camera's less the head
// yaw), the ball's position and the ball in the torso frame,
// "x y deg bx by ahead side" (empty otherwise).
std::string truth(const std::string& msg)
{
    double x, y, z, deg, bx, by, bz;
    const char* p = std::strstr(msg.c_str(), "(mypos ");
    const char* o = std::strstr(msg.c_str(), "(myorien ");
    const char* b = std::strstr(msg.c_str(), "(ballpos ");
    if (!p || !o || !b || std::sscanf(p, "(mypos %lf %lf %lf", &x, &y, &z) != 3 ||
        std::sscanf(o, "(myorien %lf", &deg) != 1 ||
        std::sscanf(b, "(ballpos %lf %lf %lf", &bx, &by, &bz) != 3)
        return "";
    deg -= NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_1);
    const double h = deg * M_PI / 180.0, dx = bx - x, dy = by - y;
    char s[96];
    std::snprintf(s, sizeof s, "%.3f %.3f %.1f %.3f %.3f %.3f %.3f", x, y, deg, bx, by,
                  std::cos(h) * dx + std::sin(h) * dy, -std::sin(h) * dx + std::cos(h) * dy);
    return s;
}

// The kick-off watch: "taker waits", "mates wait" (for another player to
// touch the ball), or "-".
const char* kick_off_watch(const kick_off_watch_t& w)
{
    if (!w.pending) return "-";
    return w.taker ? "taker waits" : "mates wait";
}

}  // namespace

int main(int argc, char* argv[])
{
    std::string team = "Probe";
    if (argc > 1 && std::strncmp(argv[1], "--team=", 7) == 0) {
        team = argv[1] + 7;
        ++argv;
        --argc;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s [--team=NAME] UNUM MESSAGES.txt [FROM_S TO_S]\n", argv[0]);
        return 2;
    }
    const int unum = std::atoi(argv[1]);
    std::ifstream in(argv[2]);
    const double from = argc > 3 ? std::atof(argv[3]) : -1;
    const double to = argc > 4 ? std::atof(argv[4]) : 1e9;
    skill_clock::set_source(&game_clock);
    NaoBehavior agent(unum, 0, team);
    agent.Init();
    std::printf(
        "t\tpm\tpath\tx\ty\theading\tno_fix\tball_gx\tball_gy\tball_lx\tball_"
        "ly\tunseen\trequest\tmotion\twalk\ttruth\tkickoff\n");
    std::string msg;
    bool first = true;
    while (std::getline(in, msg)) {
        const char* t = std::strstr(msg.c_str(), "(t ");
        if (t) g_game_time = std::atof(t + 3);
        for (int sub = 0; sub < agent.sub_steps; ++sub) {
            const bool was_trans = agent.move && agent.move->trans, was_rot = agent.move && agent.move->rot,
                       was_kick = agent.move && agent.move->kick;
            const double fwd = agent.move ? agent.move->trans_fwd : 0,
                         side = agent.move ? agent.move->trans_side : 0,
                         ang = agent.move ? agent.move->rot_angle : 0;
            agent.Think(msg);
            if (first) {
                first = false;
                continue;
            }
            if (g_game_time < from || g_game_time > to) continue;
            const NaoMove& m = *agent.move;
            char req[96] = "";
            if (m.kick && !was_kick)
                std::snprintf(req, sizeof req, "kick %d", static_cast<int>(m.kick_type));
            else if (m.trans && (!was_trans || m.trans_fwd != fwd || m.trans_side != side))
                std::snprintf(req, sizeof req, "trans %.3f %.3f", m.trans_fwd, m.trans_side);
            else if (m.rot && (!was_rot || m.rot_angle != ang))
                std::snprintf(req, sizeof req, "rot %.3f", m.rot_angle);
            const Localize_t& l = *agent.localize;
            // The motion interface's flags (Walking, Trans, Stop_trans, Rot,
            // stop_rOt, Kick, kick_Done; lower case when clear) and the walk
            // engine's cycle within its phase marks, its mode flags and the
            // walked distance of its odometry.
            const walk& w = *m.walk_engine;
            char flags[8] = {
                m.walking ? 'W' : 'w',  m.trans ? 'T' : 't', m.stop_trans ? 'S' : 's', m.rot ? 'R' : 'r',
                m.stop_rot ? 'O' : 'o', m.kick ? 'K' : 'k',  m.kick_done ? 'D' : 'd',  0};
            std::printf(
                "%.2f\t%d\t%s\t%.2f\t%.2f\t%.2f\t%d\t%.2f\t%.2f\t%.2f\t%.2f\t%d\t%s\t%s\t"
                "k%ld/%ld,%ld,%ld%s%s%s%s%s odo %.3f %.3f\t%s\t%s\n",
                g_game_time, agent.parse->play_mode, path(*agent.fsm).c_str(), l.x, l.y, l.torso_heading,
                l.no_fix_count, l.ball_gx, l.ball_gy, l.ball_lx, l.ball_ly, l.ball_unseen_count, req, flags,
                w.k, w.nbp[2], w.nbp[3], w.nbp[4], w.stopped ? " stopped" : "",
                w.translating ? " translating" : "", w.rotating ? " rotating" : "",
                w.reentrant ? " reentrant" : "", w.pending ? " pending" : "", w.odo_walk_x, w.odo_walk_y,
                truth(msg).c_str(), kick_off_watch(agent.kick_off_state));
        }
    }
    return 0;
}
