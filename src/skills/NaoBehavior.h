// The match agent: owns the robot's perception record and the parts of its
// mind, and turns each server message into one string of commands. It is
// declared here, below the state machines, because they act through its
// skills; its construction, Init and Think live with the program in
// runtime/NaoBehavior.cpp.
#ifndef BREVANE_SKILLS_NAOBEHAVIOR_H
#define BREVANE_SKILLS_NAOBEHAVIOR_H

#include <sstream>
#include <string>

#include "qorvexlib/Strategy.h"
#include "perception/SimBehavior.h"
#include "perception/naoparse.h"
#include "world/teamformation.h"

class NaoMove;
class head_scan_t;

class NaoBehavior : public SimBehavior {
public:
    int game_phase;     // phase of play of the state machines (2 playing)
    int sub_steps;      // Think calls per server message
    bool initialized;   // the first Think has answered
    int think_count;    // Think calls after the first
    int unum;           // uniform number from the command line
    int team_size;      // from the command line; compared with the ball priority
    NaoParse* parse;    // perception record, owned
    form_t* form;       // beam and home place, owned
    bool beamed;        // the beam message was sent
    qorvexlib::Strategy play_on_strategy;  // places in play
    qorvexlib::Strategy beam_strategy;     // kick-off places
    std::stringstream out;  // commands of the current Think call
    bool head_scan_active;  // head scanning on (never cleared)
    head_scan_t* head_scan = nullptr;  // made by the first Think, owned
    NaoMove* move = nullptr;           // motion interface, made by Init, owned
    int last_move_target_count;

    NaoBehavior(int unum, int team_size, std::string team_name);

    std::string Init() override;
    std::string Think(const std::string& msg) override;
    // Sends the debug drawer's buffer swap.
    void Think_draw();

    // Appends "(say x_y)" with the ball position to `out`. Nothing is
    // written (false) when a coordinate is not finite or the text would not
    // fit the 18-character say buffer (coordinates within plus or minus
    // 99.95 always fit).
    bool say_ball_position(double x, double y);
};

#endif
