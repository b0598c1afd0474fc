// kick_trial: one kick of the match agent in a real soccer server, for
// measurements (not part of the programs).
//
// It builds the agent object as the program does, but each half cycle runs
// only the perception parser and the motion interface (no state machine,
// no head scan: in play the state machine would walk the robot to the ball
// and a kick asked for while walking is refused). Acting as the trainer on
// the monitor port it kicks off (when the game has not begun), places the
// robot and the ball, brings the legs into the walk's rest pose (as after
// the walk to the kick point), asks for one kick a few seconds later and
// watches what follows:
//
//   build/tools/kick_trial --host=127.0.0.18 --mport=3218 --foot=left
//       --log=trial.jsonl > result.json   (one command line)
//
// Options (each "--name=value"): --host, --num, --team as for the agent;
// --mport monitor port (3200); --foot left|right; --type 1 (the generic
// kick through NaoMove::new_kick2012, as the behaviour asks for it) or 0 /
// 2 (the little and the hip-sway kick, which the motion interface does not
// select: this tool then plays them as the motion interface plays its own);
// --place "x y" robot position (the ball lies at the centre spot; the
// default -0.24 -0.04 is the kick point), --wait seconds from the placement
// to the kick (4), --after seconds watched after the kick ends (3), --jitter
// milliseconds: each think call waits a random time up to this long first,
// as on a loaded machine (0), --log a
// JSON-lines file with one line per think call from just before the kick
// to the end: commanded leg angles (radians as the motion object left
// them, shown in degrees) and speeds, perceived leg angles, accelerometer,
// gyroscope, ground truth, foot pressure (contact point and force of the
// left, then the right foot), flags.
//
// Standard output gets one JSON line with the result: kick start and end
// (server time), whether the fall detector fired and when, the head height at
// the end of the watch, the lowest head height and when, the ball's start
// and end positions and the robot's heading (degrees) at the kick's start
// and at the end. The server must run with ground truth on.
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "runtime/server_link.h"
#include "skills/NaoBehavior.h"
#include "trial_io.h"

namespace {

using trial_io::read_after;
using trial_io::trainer;
using trial_io::value_of;

struct Options {
    int mport = 3200;
    int foot = NaoMove::KICK_LEFT;
    int type = 1;
    double x = -0.24;
    double y = -0.04;
    double wait = 4.0;
    double after = 3.0;
    int jitter_us = 0;
    std::string log;
};

Options read_options(int argc, char* argv[])
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string v;
        if (trial_io::read_common_option(arg, o)) {
            continue;
        } else if (value_of(arg, "--foot", v)) {
            o.foot = (v == "right") ? NaoMove::KICK_RIGHT : NaoMove::KICK_LEFT;
        } else if (value_of(arg, "--type", v)) {
            o.type = std::atoi(v.c_str());
        } else if (value_of(arg, "--jitter", v)) {
            o.jitter_us = static_cast<int>(std::atof(v.c_str()) * 1000);
        }
    }
    return o;
}

// Speed of one effector in a command string (0 when it is not there).
double speed_in(const std::string& cmds, const char* effector)
{
    const std::string tag = std::string("(") + effector + " ";
    const size_t p = cmds.find(tag);
    if (p == std::string::npos) return NAN;
    return std::atof(cmds.c_str() + p + tag.size());
}

// The motion interface's way of playing a kick, for the kick types it does
// not select itself: stand pose, one cycle of cleared effectors, then the
// samples with the speed divisor from the kick's gain.
struct OtherKick {
    int stage = 0;
    bool done = false;

    void step(NaoMove& m, std::stringstream& out, int n, int foot, int type)
    {
        if (stage == 0) {
            if (!m.stand_pose.interpolate(0, n, out, false)) stage = 1;
            return;
        }
        if (stage == 1) {
            naosimplemove_t::clearAllEffector(out);
            stage = 2;
            return;
        }
        double g = 1;
        const bool r = (foot == NaoMove::KICK_LEFT) ? m.check_leftKick(g, static_cast<char>(type))
                                                    : m.check_rightKick(g, static_cast<char>(type));
        if (!r) {
            naosimplemove_t::clearAllEffector(out);
            done = true;
            return;
        }
        double* q[2] = {m.q_left_leg, m.q_right_leg};
        for (int s = 0; s < 2; ++s)
            for (int i = 2; i <= 4; ++i) q[s][i] = -q[s][i];
        for (int i = 0; i < 6; ++i)
            for (int s = 0; s < 2; ++s) {
                const int id = NaoParse::JID_LLEG_1 + 2 * i + s;
                const double deg = q[s][i] * 180.0 / M_PI;
                write_effector_speed(
                    out, id, (deg - NaoParse::GetJointAngleDeg(static_cast<NaoParse::JointID>(id))) * g);
            }
    }
};

const char* const kLegEffectors[12] = {"lle1", "rle1", "lle2", "rle2", "lle3", "rle3",
                                       "lle4", "rle4", "lle5", "rle5", "lle6", "rle6"};

}  // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGINT, handler);
    ReadOptions(argc, argv);
    const Options opt = read_options(argc, argv);
    std::srand(static_cast<unsigned>(getpid()));
    if (!Init()) return 1;

    NaoBehavior agent(player_number, team_size, team_name);
    PutMessage(agent.Init());
    FILE* log = opt.log.empty() ? nullptr : std::fopen(opt.log.c_str(), "w");

    enum Phase { START, PLACED, KICKING, WATCHING, DONE } phase = START;
    int cycles = 0;
    double sim_time = 0;
    int phase_cycle = 0;  // cycle at which the phase began
    double gt_head[3] = {0, 0, 0}, gt_ball[3] = {0, 0, 0};
    double gt_orien = 0, orien_start = 0;
    double acc[3] = {0, 0, 0}, gyr[3] = {0, 0, 0};
    // Foot pressure, left then right: contact point (foot frame) and force;
    // zero force when the foot touches nothing.
    double frp[2][6];
    double kick_start = -1, kick_end = -1, fall_time = -1;
    double min_head = 9, min_head_time = -1;
    double ball_start[3] = {0, 0, 0};
    bool kicked_off = false;
    int think_calls = 0;
    bool stood = false;
    OtherKick other;
    const int per_second = 50;  // server cycles

    std::string msg;
    while (gLoop && gLinkStatus == LINK_OK && phase != DONE) {
        if (!GetMessage(msg)) break;
        ++cycles;
        sim_time = trial_io::read_number(msg, "(time (now ", sim_time);
        read_after(msg, "(mypos ", gt_head);
        read_after(msg, "(ballpos ", gt_ball);
        gt_orien = trial_io::read_number(msg, "(myorien ", gt_orien);
        for (int f = 0; f < 2; ++f) {
            for (double& v : frp[f]) v = 0;
            const size_t p = msg.find(f == 0 ? "(FRP (n lf) (c " : "(FRP (n rf) (c ");
            if (p != std::string::npos)
                std::sscanf(msg.c_str() + p + 15, "%lf %lf %lf) (f %lf %lf %lf", &frp[f][0], &frp[f][1],
                            &frp[f][2], &frp[f][3], &frp[f][4], &frp[f][5]);
        }
        {
            const size_t p = msg.find("(ACC (n torso) (a ");
            if (p != std::string::npos)
                std::sscanf(msg.c_str() + p + 18, "%lf %lf %lf", &acc[0], &acc[1], &acc[2]);
            const size_t q = msg.find("(GYR (n torso) (rt ");
            if (q != std::string::npos)
                std::sscanf(msg.c_str() + q + 19, "%lf %lf %lf", &gyr[0], &gyr[1], &gyr[2]);
        }

        for (int sub = 0; sub < agent.sub_steps; ++sub) {
            if (sub > 0) usleep(20000 / agent.sub_steps);
            // A loaded machine answers late, by a different amount each time.
            if (opt.jitter_us > 0) usleep(static_cast<useconds_t>(std::rand() % opt.jitter_us));
            NaoMove* m = agent.move;
            const NaoParse* parse = agent.parse;
            // Server time (game time stops at half time); the second
            // think call of a cycle is half a cycle later.
            const double now = sim_time + sub * 0.02 / agent.sub_steps;

            if (sub == 0 && agent.initialized && m) {
                if (phase == START) {
                    if (trial_io::start_trial(cycles, parse->play_mode == NaoParse::PM_BEFORE_KICK_OFF,
                                              opt.mport, player_number, opt.x, opt.y, kicked_off)) {
                        trainer(opt.mport, "(ball (pos 0 0 0.042)(vel 0 0 0))");
                        phase = PLACED;
                        phase_cycle = cycles;
                    }
                } else if (phase == PLACED &&
                           cycles - phase_cycle == static_cast<int>(opt.wait * per_second)) {
                    for (int i = 0; i < 3; ++i) ball_start[i] = gt_ball[i];
                    orien_start = gt_orien;
                    if (opt.type == 1) m->new_kick2012(static_cast<NaoMove::eKick>(opt.foot));
                    phase = KICKING;
                    phase_cycle = cycles;
                    kick_start = now;
                }
            }

            std::string cmds = trial_io::motion_think(
                agent, msg, think_calls, phase == PLACED && cycles - phase_cycle > per_second, stood);
            if (phase == KICKING && opt.type != 1 && !other.done) {
                // No motion of the motion interface runs: the kick's leg
                // commands are all there is.
                std::stringstream kick_out;
                other.step(*m, kick_out, agent.sub_steps, opt.foot, opt.type);
                cmds = kick_out.str();
            }
            PutMessage(cmds);
            if (!m) continue;

            const bool kick_running = (opt.type == 1) ? m->kick : !other.done;
            if (phase == KICKING && !kick_running && kick_end < 0) {
                kick_end = now;
                phase = WATCHING;
                phase_cycle = cycles;
            }
            if (phase == KICKING || phase == WATCHING) {
                if (NaoParse::fall_down_detected && fall_time < 0) fall_time = now;
                if (gt_head[2] < min_head) {
                    min_head = gt_head[2];
                    min_head_time = now;
                }
            }
            if (log && (phase == KICKING || phase == WATCHING)) {
                std::fprintf(log, "{\"t\": %.3f, \"sub\": %d, \"kick\": %d, \"fall\": %d, \"q_cmd\": [", now,
                             sub, kick_running ? 1 : 0, NaoParse::fall_down_detected ? 1 : 0);
                for (int i = 0; i < 12; ++i) {
                    const double* q = (i % 2 == 0) ? m->q_left_leg : m->q_right_leg;
                    std::fprintf(log, "%s%.2f", i ? ", " : "", q[i / 2] * 180.0 / M_PI);
                }
                std::fprintf(log, "], \"speed\": [");
                for (int i = 0; i < 12; ++i) {
                    const double v = speed_in(cmds, kLegEffectors[i]);
                    if (std::isnan(v))
                        std::fprintf(log, "%snull", i ? ", " : "");
                    else
                        std::fprintf(log, "%s%.2f", i ? ", " : "", v);
                }
                std::fprintf(log, "], \"q_seen\": [");
                for (int i = 0; i < 12; ++i)
                    std::fprintf(
                        log, "%s%.2f", i ? ", " : "",
                        NaoParse::GetJointAngleDeg(static_cast<NaoParse::JointID>(NaoParse::JID_LLEG_1 + i)));
                std::fprintf(
                    log,
                    "], \"acc\": [%.2f, %.2f, %.2f], \"gyr\": [%.1f, %.1f, %.1f], \"head\": [%.3f, %.3f, "
                    "%.3f], \"orien\": %.2f, \"ball\": [%.3f, %.3f, %.3f], \"frp\": [",
                    acc[0], acc[1], acc[2], gyr[0], gyr[1], gyr[2], gt_head[0], gt_head[1], gt_head[2],
                    gt_orien, gt_ball[0], gt_ball[1], gt_ball[2]);
                for (int f = 0; f < 2; ++f)
                    for (int i = 0; i < 6; ++i) std::fprintf(log, "%s%.3f", f + i ? ", " : "", frp[f][i]);
                std::fprintf(log, "]}\n");
            }
        }
        if (phase == WATCHING && cycles - phase_cycle >= static_cast<int>(opt.after * per_second))
            phase = DONE;
    }
    if (log) std::fclose(log);

    std::printf(
        "{\"foot\": \"%s\", \"type\": %d, \"kicked_off\": %d, \"kick_start\": %.2f, \"kick_end\": %.2f, "
        "\"fall_detected\": %.2f, \"head_end\": [%.3f, %.3f, %.3f], \"min_head\": %.3f, \"min_head_t\": "
        "%.2f, "
        "\"ball_start\": [%.3f, %.3f], \"ball_end\": [%.3f, %.3f], \"orien_start\": %.2f, \"orien_end\": "
        "%.2f, \"finished\": %d}\n",
        opt.foot == NaoMove::KICK_LEFT ? "left" : "right", opt.type, kicked_off ? 1 : 0, kick_start, kick_end,
        fall_time, gt_head[0], gt_head[1], gt_head[2], min_head, min_head_time, ball_start[0], ball_start[1],
        gt_ball[0], gt_ball[1], orien_start, gt_orien, phase == DONE ? 1 : 0);
    Done();
    return phase == DONE ? 0 : 1;
}
