// The agent object of the run-challenge program (brevane-run). Its
// behaviour is a fixed run instead of a game: every player beams to the
// same place, (-10, 0), plays the stand pose once, and at the first play-on
// cycles asks for one straight walk of 200 m. It has no strategy-library
// objects, no crowding avoidance, no RoboViz drawing and no say message.
// Declared here, below the state machines, which act on it; its
// construction, Init and Think live with the program in
// runtime/NaoBehavior_run.cpp.
#ifndef BREVANE_SKILLS_NAOBEHAVIOR_RUN_H
#define BREVANE_SKILLS_NAOBEHAVIOR_RUN_H

#include <memory>
#include <sstream>
#include <string>

#include "perception/SimBehavior.h"
#include "skills/naotournament.h"
#include "world/strategy.h"

class head_scan_t;
class NaoParse;

namespace run {

class form_t;
class hfsm;
class Localize_t;
class NaoMove;

class NaoBehavior final : public SimBehavior {
public:
    // The walk of the run.
    static constexpr double run_distance = 200.0;  // m straight ahead

    int game_phase;             // phase of play of the state machine (2 playing)
    int sub_steps;              // Think calls per server message
    int Ptype, Stype;           // robot type given to the motion interface: always 0
    strategy role_strategy[4];  // constructed empty; nothing loads or queries them
    bool initialized;           // the first Think has answered
    int think_count;            // beams and ordinary cycles so far
    int unum;
    int penalty_player;  // stored only
    int llc_player;      // stored only
    std::unique_ptr<NaoParse> parse;
    std::unique_ptr<form_t> form;  // the beam place, (-10, 0, 0)
    bool beamed;                   // the beam message of this phase was sent
    std::unique_ptr<hfsm> fsm;
    std::stringstream out;                   // commands of the current Think call
    Nao_ref_Tournament tournament;           // started by the loop
    bool head_scan_active;                   // head scanning on (never cleared)
    std::unique_ptr<head_scan_t> head_scan;  // made by the first Think
    std::unique_ptr<NaoMove> move;           // made by Init
    std::unique_ptr<Localize_t> localize;
    bool quit;  // nothing sets it

    NaoBehavior(int unum, int penalty_player, int llc_player, std::string team_name);
    ~NaoBehavior();
    NaoBehavior(const NaoBehavior&) = delete;
    NaoBehavior& operator=(const NaoBehavior&) = delete;

    // The scene message; creates the motion interface.
    std::string Init() override;
    // First call: the init message. Every later call, one of (in this
    // order): the beam, while not beamed; a step of the stand-pose
    // interpolation, until it ends; one cycle that clears every arm and leg
    // effector; an ordinary cycle (the motion's joint commands, the neck
    // commands, the run trigger).
    std::string Think(const std::string& msg) override;
    // The run trigger: in play mode PlayOn, asks once per process for the
    // straight walk; a request that is not taken is asked again next cycle.
    void apply_test_move(std::stringstream& out);
    // A walk request; whether the motion interface took it.
    bool new_trans(double forward, double side);
    // The name the state machine's log lines carry: "".
    std::string getName() const { return ""; }

    // Tests: the think phases (beam buffer, interpolation and clearing
    // done, run started) back to their start.
    static void reset_think_state();
};

}  // namespace run

#endif
