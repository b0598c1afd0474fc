#include "skills/NaoBehavior.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "behavior/hfsm.h"
#include "headscan/naoscan.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "rvdraw/robovizdraw.h"
#include "world/localize.h"
#include "world/teamformation.h"

NaoBehavior::NaoBehavior(int unum_, int team_size_, std::string team_name)
    : game_phase(3),
      sub_steps(2),
      crowding_stop(false),
      collision_detour(false),
      crowding_back(false),
      crowding_spare(false),
      initialized(false),
      think_count(0),
      unum(unum_),
      team_size(team_size_),
      parse(nullptr),
      form(nullptr),
      beamed(false),
      out(std::ios::in | std::ios::out),
      head_scan_active(false),
      last_move_target_count(-9999)
{
    parse = new NaoParse(team_name);
    form = new form_t(NaoParse::DIM_FIELD_LENGTH, NaoParse::DIM_FIELD_WIDTH);

    if (!play_on_strategy.load("strategies/marvessa/common.xml"))
        std::fprintf(stderr, "play_on_strategy.load strategies/marvessa/common.xml FAILED\n");

    // Beam place: entry unum of the kick-off formation's places sorted by
    // distance from the centre spot, else the fixed formation table.
    if (!beam_strategy.load("strategies/marvessa/beam.xml")) {
        std::fprintf(stderr, "beam_strategy.load strategies/marvessa/beam.xml FAILED");
        form->init(unum);
    } else {
        qorvexlib::formation_t kick_off;
        if (beam_strategy.fetchFormation(qorvexlib::vec2_t<double>(), kick_off)) {
            kick_off.sort();
            qorvexlib::vec2_t<double> place;
            if (kick_off.playerPos(unum - 1, place)) {
                form->x = place.x;
                form->y = place.y;
            } else {
                // A file with fewer places than players must not end the
                // player: it takes its place from the table.
                std::fprintf(stderr, "beam_strategy has no place for player %d FAILED\n", unum);
                form->init(unum);
            }
        } else {
            std::fprintf(stderr, "beam_strategy FAILED");
            form->init(unum);
        }
    }

    beamed = false;
    fsm = new hfsm(this, false);
    fsm->SetLog();

    out.str("");

    // The localiser starts on the beam place; its player grid (two cells
    // per metre) stays off.
    localize = new Localize_t(form->x, form->y, form->theta, 2 * static_cast<int>(NaoParse::DIM_FIELD_LENGTH),
                              2 * static_cast<int>(NaoParse::DIM_FIELD_WIDTH), false);
    // The say message comes from the players whose ball priority equals
    // the team size argument: with 0 (the default) a heard message is a
    // team-mate's claim of the ball.
    localize->hear_claims = team_size == 0;

    draw = new RobovizDraw_t("test");
}

// The agent owns what it creates; a process has one agent, which lives
// until the program ends.
NaoBehavior::~NaoBehavior()
{
    delete fsm;
    delete draw;
    delete localize;
    delete move;
    delete head_scan;
    delete form;
    delete parse;
}

std::string NaoBehavior::Init()
{
    parse->Init();

    int robot_type = 0;
    if (unum == 4 || unum == 9)
        robot_type = 1;
    else if (unum == 8 || unum == 10)
        robot_type = 2;
    move = new NaoMove(&parse->mJointIDMap, 0.02 / sub_steps, robot_type, 0);

    char scene[64];
    std::snprintf(scene, sizeof(scene), "(scene rsg/agent/nao/nao_hetero.rsg %d)", robot_type);
    return scene;
}

std::string NaoBehavior::Think(const std::string& msg)
{
    if (!initialized) {
        head_scan = new head_scan_t(head_scan_t::SEQ_FIVE_LEGS, 40.0, 20.0);
        initialized = true;
        fsm->Init_behavior();
        std::string init = "(init (unum " + std::to_string(unum) + ")(teamname " + parse->team_name + "))";
        parse->hear_active = true;
        return init;
    }

    parse->Parse(msg, think_count);

    // The localiser learns the field side once, then is updated from the
    // perception and the odometry, followed by the kick-off watch (which
    // may take the kick-off taker out of the team-mate table) and crowding
    // avoidance.
    if (localize && localize->side == 0 && parse->side != 0) localize->set_side(parse->side);
    if (localize && move) {
        localize->update(*parse, *move);
        watch_kick_off();
        avoid_crowding_ball();
    }

    out.str("");
    out.clear();

    if (parse->side != 0) head_scan_active = true;

    Think_draw();

    fsm->Apply_behavior();

    // An active motion replaces whatever the state machine wrote with its
    // joint commands. The beam must reach the server all the same (after a
    // goal the robot is usually still walking), so it follows them; the
    // neck commands come last.
    if (move) move->update(out, sub_steps);
    fsm->append_beam(out);
    log_motion_events();

    if (head_scan_active && head_scan) {
        // The kick-off taker beside the spot looks down at it, where the
        // server has just put the ball out of view: the pattern took up to
        // 1.7 s to come across it.
        if (kickOffBallAhead())
            head_scan->lookTowards(out, centreSpotBearing() * 180.0 / M_PI, KICK_OFF_LOOK_PITCH, parse);
        else
            head_scan->headScan(out, 2.0, landmarkLookDue() ? nullptr : parse);
    }

    // Say the ball position to the team: while hearing is on the ball
    // priority is asked every time (its hold counts these calls); the
    // player whose priority equals team_size speaks every second server
    // message while it knows the ball and its own position. The kick-off
    // taker waiting for another player at the ball claims nothing: team-mates
    // hearing it would leave the ball to it.
    if (parse->hear_active && localize) {
        const int p = localize->get_ball_priority(*parse);
        if (p == team_size && !kickOffTakerWaits() && ballSeen(Localize_t::VALID_BALL_SEEN_CNT) &&
            globalCoord(Localize_t::VALID_COORD_CNT) && think_count % (2 * sub_steps) == 0)
            say_ball_position(localize->ball_gx, localize->ball_gy);
    }

    ++think_count;
    return out.str();
}

bool NaoBehavior::landmarkLookDue()
{
    if (!localize || !move) return false;
    const bool busy_kicking = move->kick || fsm->kicking_at_ball();
    if (localize->no_fix_count == 0 || busy_kicking) {
        landmark_look_until = 0;
        return false;
    }
    if (think_count < landmark_look_until) return true;
    if (localize->no_fix_count < LANDMARK_LOOK_AFTER || think_count < landmark_look_next) return false;
    landmark_look_until = think_count + LANDMARK_LOOK_FOR;
    landmark_look_next = landmark_look_until + LANDMARK_LOOK_GAP;
    return true;
}

void NaoBehavior::log_motion_events()
{
    if (!move) return;
    const double t = parse->game_time;
    const bool fall = NaoParse::fall_down_detected;
    if (fall != logged_fall) {
        logged_fall = fall;
        if (fall)
            std::fprintf(stderr, "[%.2f] fall detected (%s)\n", t,
                         NaoParse::back_fall_down_detected ? "back" : "front");
        else
            std::fprintf(stderr, "[%.2f] stand-up ended\n", t);
    }
    if (move->kick != logged_kick) {
        logged_kick = move->kick;
        if (move->kick)
            std::fprintf(stderr, "[%.2f] kick started (%s foot)\n", t,
                         move->kick_type == NaoMove::KICK_LEFT ? "left" : "right");
        else
            std::fprintf(stderr, "[%.2f] kick ended\n", t);
    }
}

// The set "test" is shown anew every think call: its buffer swap is the one
// datagram the agent sends per call.
void NaoBehavior::Think_draw()
{
    if (draw) draw->update();
}

bool NaoBehavior::say_ball_position(double x, double y)
{
    static char say_str[18];
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    int n = std::snprintf(say_str, sizeof(say_str), "(say %.1f_%.1f)", x, y);
    if (n < 0 || n >= static_cast<int>(sizeof(say_str))) return false;
    out << say_str;
    return true;
}
