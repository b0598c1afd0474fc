#include <cmath>
#include <cstdio>

#include "behavior/hfsm.h"
#include "behavior/play_rules.h"
#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "world/teamformation.h"

double hfsm::beam_time_left() const
{
    const int pm = agent->parse->play_mode;
    if (pm == NaoParse::PM_GOAL_LEFT || pm == NaoParse::PM_GOAL_RIGHT)
        return BEAM_WINDOW - (agent->parse->game_time - agent->kick_off_state.mode_since);
    // The game clock stands still before a kick-off; the server's runs,
    // also where a server behind real time runs several cycles between two
    // messages.
    if (beam_wait_since < 0) return BEAM_WINDOW;
    return BEAM_WINDOW - (agent->parse->server_time - beam_wait_since);
}

void hfsm::end_beam_window() { beam_wait_since = -1.0; }

void hfsm::beam()
{
    if (agent->beamed) return;
    // The server drops a beam that reaches it before it has put the player
    // into its team (seen for one robot of eleven started together); the
    // game state names the team, and so the side, once it has.
    if (agent->fieldSide() == 0) return;
    const form_t& f = *agent->form;
    if (beam_wait_since < 0) beam_wait_since = agent->parse->server_time;
    const double left = beam_time_left() - BEAM_LEAD;
    // A robot standing up finishes first: the beam sets its torso upright
    // in whatever pose the stand-up has reached. Past the last moment it
    // is beamed all the same, or it would play on from where it lay, and
    // its stand-up ends with the beam (below).
    if (play_rules::fallen() && left > 0) return;
    // A kick under way (it cannot be cut short) ends first: beamed
    // mid-kick, the robot plays the rest of it on its place and falls
    // (seen: the kick-off taker fell 0.24 s after its beam and stood up
    // 0.38 m from the ball, facing away).
    if (agent->move && agent->move->kick && left > 0) return;
    // The kick-off taker, placed where the ball lies within its kick's
    // reach, beams standing crouched:
    // - a walk still under way after a goal or at half time would carry it
    //   off that place after the beam (seen: 0.6 m past the ball, which the
    //   server then dropped): it is ended first, while time is left for the
    //   crouch;
    // - it takes the stand pose's crouch where it stands, far from the
    //   halfway line: the server moves a robot whose straight arms reach
    //   over the line 2 to 4 m back, and a kick from straight legs threw the
    //   robot over.
    if (std::hypot(f.x, f.y) < kick_off_watch_t::TAKER_ZONE && !play_rules::fallen()) {
        if (!agent->standing() && left > CROUCH_TIME) {
            agent->endWalk();
            return;
        }
        if (left > 0 && !agent->crouchInPlace()) return;
    }
    end_beam_window();
    const double deg = f.theta * 180.0 / M_PI;
    // A place that is not a finite number, or one too long for the
    // message, is not sent: the robot plays from where it stands.
    int n = -1;
    if (std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(deg))
        n = std::snprintf(beam_text, sizeof(beam_text), "(beam %.1f %.1f %.1f)", f.x, f.y, deg);
    if (n < 0 || n >= static_cast<int>(sizeof(beam_text))) {
        beam_text[0] = '\0';
        std::fprintf(stderr, "hfsm::beam place %g %g %g FAILED\n", f.x, f.y, deg);
    } else {
        // Upright after the beam, a robot still lying would play the rest
        // of its stand-up standing.
        if (agent->move) agent->move->end_stand_up(agent->out);
        // Where the message puts it (to a tenth).
        agent->beamSent(std::round(f.x * 10) / 10, std::round(f.y * 10) / 10,
                        std::round(deg * 10) / 10 * M_PI / 180.0);
    }
    agent->beamed = true;
}

void hfsm::what_to_do_in_state_beforekick_off()
{
    beam();
    // After more than 50 think calls the machine may leave before-kick-off
    // as soon as the play mode changes; the think count starts again then.
    if (agent->think_count > 50 && agent->game_phase != 1) {
        agent->think_count = 0;
        agent->game_phase = 1;
    }
}

void hfsm::what_to_do_in_state_goal_left_or_right() { beam(); }
