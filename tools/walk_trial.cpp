// walk_trial: one walk from rest of the match agent in a real soccer server,
// for measurements (not part of the programs).
//
// It builds the agent object as the program does, but each half cycle runs
// only the perception parser and the motion interface (no state machine,
// no head scan, so nothing else moves the robot or its camera). Acting as
// the trainer on the monitor port it kicks off (when the game has not
// begun), places the robot facing +x, lets it stand, asks the motion
// interface for one translation and watches until the robot has stood
// still again. Before the request the legs are brought into the walk's rest
// pose (the stand pose), so that the start and the end pose are the same and
// the head's displacement is the body's:
//
//   build/tools/walk_trial --host=127.0.0.27 --mport=3250 --walk="0.2 0"
//
// Options (each "--name=value"): --host, --num, --team as for the agent;
// --mport monitor port (3200); --walk "fwd side" the request (m);
// --place "x y" robot position (-3 0); --wait seconds standing before the
// request (3); --after seconds watched after the walk engine stopped (1.5);
// --seconds S: end the trial S seconds after the request instead, walking
// or not (a long walk: --walk="20 0" --seconds=20);
// --log a file with one line per think call of the walk: the commanded leg
// angles (model sense, radians, left leg then right leg), the perceived ones
// (simulator sense, degrees, in the effector order lle1 rle1 lle2 ...) and
// the head position of the ground truth.
//
// Standard output gets one JSON line: the request, the head (camera)
// position and heading of the ground truth before the request and at the
// end, the displacement along and across the start heading, the engine's
// own odometry of the walk, the walk's duration, whether the fall
// detector fired, the lowest head height after the request and, with
// --seconds, the head's progress along the start heading per second
// ("track") and the mean speed over the whole window and over its second
// half. The server must run with ground truth on.
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "runtime/server_link.h"
#include "skills/NaoBehavior.h"
#include "trial_io.h"
#include "walk/walk.h"

namespace {

using trial_io::value_of;

struct Options {
    int mport = 3200;
    double fwd = 0.2, side = 0.0;
    double x = -3.0, y = 0.0;
    double wait = 3.0;
    double after = 1.5;
    double seconds = 0;  // > 0: the trial ends this long after the request
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
        } else if (value_of(arg, "--walk", v)) {
            std::sscanf(v.c_str(), "%lf %lf", &o.fwd, &o.side);
        } else if (value_of(arg, "--seconds", v)) {
            o.seconds = std::atof(v.c_str());
        }
    }
    return o;
}

}  // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGINT, handler);
    ReadOptions(argc, argv);
    const Options opt = read_options(argc, argv);
    if (!Init()) return 1;

    NaoBehavior agent(player_number, team_size, team_name);
    PutMessage(agent.Init());
    FILE* log = opt.log.empty() ? nullptr : std::fopen(opt.log.c_str(), "w");

    enum Phase { START, PLACED, WALKING, WATCHING, DONE } phase = START;
    int cycles = 0, phase_cycle = 0;
    double sim_time = 0, walk_start = -1, walk_end = -1, fall_time = -1;
    double head[3] = {0, 0, 0}, orien = 0;
    double head0[3] = {0, 0, 0}, orien0 = 0;
    double odo0[3] = {0, 0, 0}, odo1[3] = {0, 0, 0};
    bool kicked_off = false, accepted = false;
    int think_calls = 0;
    bool stood = false;
    const int per_second = 50;  // server cycles
    double min_head = 9;
    // Progress along the start heading, once a second after the request.
    std::vector<double> track;
    auto along_start = [&]() {
        const double a = orien0 * M_PI / 180.0;
        return std::cos(a) * (head[0] - head0[0]) + std::sin(a) * (head[1] - head0[1]);
    };

    std::string msg;
    while (gLoop && gLinkStatus == LINK_OK && phase != DONE) {
        if (!GetMessage(msg)) break;
        ++cycles;
        sim_time = trial_io::read_number(msg, "(time (now ", sim_time);
        trial_io::read_after(msg, "(mypos ", head);
        orien = trial_io::read_number(msg, "(myorien ", orien);
        for (int sub = 0; sub < agent.sub_steps; ++sub) {
            if (sub > 0) usleep(20000 / agent.sub_steps);
            NaoMove* m = agent.move;
            const NaoParse* parse = agent.parse;
            const double now = sim_time + sub * 0.02 / agent.sub_steps;
            if (sub == 0 && agent.initialized && m) {
                if (phase == START) {
                    if (trial_io::start_trial(cycles, parse->play_mode == NaoParse::PM_BEFORE_KICK_OFF,
                                              opt.mport, player_number, opt.x, opt.y, kicked_off)) {
                        phase = PLACED;
                        phase_cycle = cycles;
                    }
                } else if (phase == PLACED &&
                           cycles - phase_cycle == static_cast<int>(opt.wait * per_second)) {
                    for (int i = 0; i < 3; ++i) head0[i] = head[i];
                    orien0 = orien;
                    m->walk_engine->getOdo(odo0[0], odo0[1], odo0[2]);
                    accepted = m->new_trans2013(opt.fwd, opt.side);
                    walk_start = now;
                    phase = WALKING;
                    phase_cycle = cycles;
                }
            }
            // Standing as after a walk: the legs in the walk's rest pose,
            // reached in the first second after the placement.
            PutMessage(trial_io::motion_think(agent, msg, think_calls,
                                              phase == PLACED && cycles - phase_cycle > per_second, stood));
            m = agent.move;
            if (!m) continue;
            if (phase == WALKING || phase == WATCHING) {
                if (NaoParse::fall_down_detected && fall_time < 0) fall_time = now;
                if (head[2] < min_head) min_head = head[2];
            }
            if (log && phase == WALKING) {
                std::fprintf(log, "%.3f", now);
                for (const double* q : {m->q_left_leg, m->q_right_leg})
                    for (int i = 0; i < 6; ++i) std::fprintf(log, " %.5f", q[i]);
                for (int i = 0; i < 12; ++i)
                    std::fprintf(
                        log, " %.3f",
                        NaoParse::GetJointAngleDeg(static_cast<NaoParse::JointID>(NaoParse::JID_LLEG_1 + i)));
                std::fprintf(log, " %.3f %.3f %.3f\n", head[0], head[1], head[2]);
            }
            if (opt.seconds <= 0 && phase == WALKING && m->walk_engine->stopped &&
                sub == agent.sub_steps - 1) {
                walk_end = now;
                m->walk_engine->getOdo(odo1[0], odo1[1], odo1[2]);
                phase = WATCHING;
                phase_cycle = cycles;
            }
        }
        if (opt.seconds > 0 && phase == WALKING) {
            const int since = cycles - phase_cycle;
            if (since > 0 && since % per_second == 0) track.push_back(along_start());
            if (since >= static_cast<int>(opt.seconds * per_second)) {
                walk_end = sim_time;
                if (agent.move) agent.move->walk_engine->getOdo(odo1[0], odo1[1], odo1[2]);
                phase = DONE;
            }
        } else if (phase == WALKING && cycles - phase_cycle > 30 * per_second) {
            phase = DONE;
        }
        if (phase == WATCHING && cycles - phase_cycle >= static_cast<int>(opt.after * per_second))
            phase = DONE;
    }

    if (log) std::fclose(log);
    // Displacement in the start heading's frame.
    const double a = orien0 * M_PI / 180.0;
    const double dx = head[0] - head0[0], dy = head[1] - head0[1];
    const double along = std::cos(a) * dx + std::sin(a) * dy;
    const double across = -std::sin(a) * dx + std::cos(a) * dy;
    std::string track_text;
    for (size_t i = 0; i < track.size(); ++i) {
        char b[32];
        std::snprintf(b, sizeof(b), "%s%.3f", i ? ", " : "", track[i]);
        track_text += b;
    }
    // Mean speeds over the window and its second half (from the track).
    double speed = -1, speed_late = -1;
    if (opt.seconds > 0 && !track.empty()) {
        const size_t n = track.size(), half = n / 2;
        speed = track[n - 1] / static_cast<double>(n);
        if (n - half > 0 && half > 0)
            speed_late = (track[n - 1] - track[half - 1]) / static_cast<double>(n - half);
    }
    std::printf(
        "{\"fwd\": %.3f, \"side\": %.3f, \"accepted\": %d, \"kicked_off\": %d, \"head0\": [%.4f, %.4f, "
        "%.4f], "
        "\"orien0\": %.2f, \"head1\": [%.4f, %.4f, %.4f], \"orien1\": %.2f, \"along\": %.4f, \"across\": "
        "%.4f, "
        "\"odo\": [%.4f, %.4f, %.4f], \"walk_s\": %.2f, \"fall_detected\": %.2f, \"min_head\": %.3f, "
        "\"speed\": %.4f, \"speed_late\": %.4f, \"track\": [%s], \"finished\": %d}\n",
        opt.fwd, opt.side, accepted ? 1 : 0, kicked_off ? 1 : 0, head0[0], head0[1], head0[2], orien0,
        head[0], head[1], head[2], orien, along, across, odo1[0] - odo0[0], odo1[1] - odo0[1],
        odo1[2] - odo0[2], walk_end > 0 ? walk_end - walk_start : -1.0, fall_time, min_head, speed,
        speed_late, track_text.c_str(), phase == DONE ? 1 : 0);
    Done();
    return phase == DONE ? 0 : 1;
}
