// Drives one robot against a real soccer server whose vision carries the
// ground truth (GROUNDTRUTH=1): it beams to a place, stands with its head
// scanning, turns a full circle in quarter turns, walks straight ahead and
// stops. After the first think call on each server message it writes one
// line: what the localiser estimates (pose, ball) next to the truth of the
// last vision message, both in the field frame (x towards the right
// goal). analyse.py turns the file into error figures.
//
//   localiser_check HOST OUT.tsv [STAND_S TURN_S WALK_S [BEAM_X BEAM_Y BEAM_DEG [TEAM]]]
//
// (defaults 20 s, 20 s, 30 s, beam to (-8, 1.5) facing +x, team Probe).
// The beam is in the team's own frame, as the server takes it: own goal
// at -x. So "-13 0.3 180" stands the robot 2 m in front of its own goal,
// facing it: the left goal when it plays from the left; the right goal,
// at (13, -0.3) facing +x, when it plays from the right, that is when a
// player of another team connected first (for example
// build/brevane --team=Other --num=1).
//
// The agent object is the match agent's; only the walk and turn requests
// come from here instead of the state machine.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "headscan/naoscan.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "runtime/server_link.h"
#include "skills/NaoBehavior.h"
#include "world/localize.h"

namespace {

struct Truth {
    bool ok = false;
    double x = 0, y = 0, z = 0, orien = 0, bx = 0, by = 0, bz = 0;
};

bool read_truth(const std::string& msg, Truth& t)
{
    const char* p = std::strstr(msg.c_str(), "(mypos");
    const char* o = std::strstr(msg.c_str(), "(myorien");
    const char* b = std::strstr(msg.c_str(), "(ballpos");
    if (!p || !o || !b) return false;
    if (std::sscanf(p, "(mypos %lf %lf %lf)", &t.x, &t.y, &t.z) != 3) return false;
    if (std::sscanf(o, "(myorien %lf)", &t.orien) != 1) return false;
    if (std::sscanf(b, "(ballpos %lf %lf %lf)", &t.bx, &t.by, &t.bz) != 3) return false;
    t.ok = true;
    return true;
}

// The server gives the truth in the team's own frame (its own goal at -x):
// for a team playing from the right, turned half a circle into the field
// frame that the localiser uses.
void to_field_frame(Truth& t)
{
    t.x = -t.x;
    t.y = -t.y;
    t.bx = -t.bx;
    t.by = -t.by;
    t.orien = std::remainder(t.orien + 180.0, 360.0);
}

double server_time(const std::string& msg)
{
    const char* p = std::strstr(msg.c_str(), "(time (now ");
    return p ? std::atof(p + 11) : 0.0;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s HOST OUT.tsv [STAND_S TURN_S WALK_S [BEAM_X BEAM_Y BEAM_DEG [TEAM]]]\n",
                     argv[0]);
        return 2;
    }
    gHost = argv[1];
    const double stand_s = argc > 3 ? std::atof(argv[3]) : 20.0;
    const double turn_s = argc > 4 ? std::atof(argv[4]) : 20.0;
    const double walk_s = argc > 5 ? std::atof(argv[5]) : 30.0;
    char beam[80];
    std::snprintf(beam, sizeof beam, "(beam %s %s %s)", argc > 6 ? argv[6] : "-8", argc > 7 ? argv[7] : "1.5",
                  argc > 8 ? argv[8] : "0");
    const double settle_s = 4.0;
    const double t_turn = settle_s + stand_s, t_walk = t_turn + turn_s, t_end = t_walk + walk_s;

    FILE* out = std::fopen(argv[2], "w");
    if (!out) {
        std::perror(argv[2]);
        return 2;
    }
    std::fprintf(out,
                 "t\tphase\tvision\tfix\tno_fix\tx\ty\ttorso\thead\tyaw\tpitch\tball_unseen\tbgx\tbgy\t"
                 "blx\tbly\ttx\tty\ttz\ttorien\ttbx\ttby\ttbz\twalking\n");

    if (!Init()) return 1;
    NaoBehavior agent(2, 0, argc > 9 ? argv[9] : "Probe");
    PutMessage(agent.Init());

    std::string msg;
    double t0 = -1.0, last_request = -10.0;
    int quarter_turns = 0;
    bool beamed = false, stopped = false;
    Truth truth;
    while (GetMessage(msg)) {
        const double now = server_time(msg);
        if (t0 < 0) t0 = now;
        const double t = now - t0;
        if (t > t_end + 1.0) break;
        const char* phase = t < settle_s ? "settle"
                            : t < t_turn ? "stand"
                            : t < t_walk ? "turn"
                            : t < t_end  ? "walk"
                                         : "stop";

        // The requests of this cycle, before the think call that runs the motion.
        NaoMove* move = agent.move;
        Localize_t* loc = agent.localize;
        if (agent.initialized && move && loc) {
            if (!std::strcmp(phase, "turn") && !move->rot && !move->trans && quarter_turns < 4) {
                loc->new_rot2013(*move, M_PI / 2, -0.01);
                ++quarter_turns;
            } else if (!std::strcmp(phase, "walk") && t - last_request > 1.0) {
                loc->new_trans2013(*move, 0.5, 0.0);
                last_request = t;
            } else if (!std::strcmp(phase, "stop") && !stopped) {
                loc->new_trans2013(*move, 0.001, 0.0);
                stopped = true;
            }
        }

        std::string answer = agent.Think(msg);
        if (!beamed && agent.initialized && t > 1.0) {
            answer += beam;
            beamed = true;
        }
        if (!PutMessage(answer)) break;

        const bool vision = std::strstr(msg.c_str(), "(See") != nullptr;
        if (vision && read_truth(msg, truth) && agent.parse->side < 0) to_field_frame(truth);
        if (loc && move && truth.ok) {
            double x, y, head, torso;
            loc->current_pose(x, y, head, torso);
            std::fprintf(
                out,
                "%.3f\t%s\t%d\t%d\t%d\t%.4f\t%.4f\t%.5f\t%.5f\t%.3f\t%.3f\t%d\t%.4f\t%.4f\t%.4f\t%.4f\t"
                "%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%d\n",
                t, phase, vision ? 1 : 0, loc->fix ? 1 : 0, loc->no_fix_count, x, y, torso, head,
                NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_1),
                NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_2), loc->ball_unseen_count, loc->ball_gx,
                loc->ball_gy, loc->ball_lx, loc->ball_ly, truth.x, truth.y, truth.z, truth.orien, truth.bx,
                truth.by, truth.bz, move->walking ? 1 : 0);
        }

        for (int i = 1; i < agent.sub_steps; ++i) {
            usleep(20000 / agent.sub_steps);
            if (!PutMessage(agent.Think(msg))) break;
        }
    }
    std::fclose(out);
    Done();
    return 0;
}
