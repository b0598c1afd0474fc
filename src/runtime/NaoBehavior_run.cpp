#include "skills/NaoBehavior_run.h"

#include <cstdio>

#include "behavior/hfsm_run.h"
#include "headscan/naoscan.h"
#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove_run.h"
#include "perception/naoparse.h"
#include "world/localize_run.h"
#include "world/teamformation_run.h"

namespace run {

namespace {

// The think phases: one agent per process, so they are kept per process.
struct think_phases_t {
    char beam_str[64] = "";
    bool initial_interpolate_done = false;  // the stand pose was played
    bool after_interpolate_done = false;    // the effectors were cleared after it
    bool start_run = false;                 // the run's walk was taken
};

think_phases_t& think_phases()
{
    static think_phases_t phases;
    return phases;
}

}  // namespace

void NaoBehavior::reset_think_state() { think_phases() = think_phases_t(); }

NaoBehavior::NaoBehavior(int unum_, int penalty_player_, int llc_player_, std::string team_name)
    : game_phase(3),
      sub_steps(2),
      Ptype(0),
      Stype(0),
      initialized(false),
      think_count(0),
      unum(unum_),
      penalty_player(penalty_player_),
      llc_player(llc_player_),
      beamed(false),
      out(std::ios::in | std::ios::out),
      head_scan_active(false),
      quit(false)
{
    std::fprintf(stderr, " --- --- myN %d\n", sub_steps);
    parse.reset(new NaoParse(team_name));
    parse->hear_form = NaoParse::HEAR_ECHO;
    form.reset(new form_t(NaoParse::DIM_FIELD_LENGTH, NaoParse::DIM_FIELD_WIDTH));
    form->init(unum);
    fsm.reset(new hfsm(this, false));
    fsm->SetLog();
    out.str("");
    localize.reset(new Localize_t(form->x, form->y, form->theta,
                                  2 * static_cast<int>(NaoParse::DIM_FIELD_LENGTH),
                                  2 * static_cast<int>(NaoParse::DIM_FIELD_WIDTH), false));
}

NaoBehavior::~NaoBehavior() = default;

std::string NaoBehavior::Init()
{
    parse->Init();
    Ptype = 0;
    Stype = 0;
    move.reset(new NaoMove(&parse->mJointIDMap, 0.02 / sub_steps, Ptype, Stype));
    char scene[64];
    std::snprintf(scene, sizeof(scene), "(scene rsg/agent/nao/nao_hetero.rsg %d)", Ptype);
    return scene;
}

std::string NaoBehavior::Think(const std::string& msg)
{
    think_phases_t& phases = think_phases();
    if (!initialized) {
        head_scan.reset(new head_scan_t(head_scan_t::SEQ_CENTER, 20.0, 20.0));
        form->role_assigned = false;
        initialized = true;
        fsm->Init_behavior();
        return "(init (unum " + std::to_string(unum) + ")(teamname " + parse->team_name + "))";
    }

    parse->Parse(msg, think_count);
    if (localize->side == 0 && parse->side_received) localize->set_side(parse->side_copy);
    if (localize && move) localize->update(*parse, *move);
    out.str("");
    out.clear();
    fsm->Apply_behavior();

    if (!beamed) {
        std::snprintf(phases.beam_str, sizeof(phases.beam_str), "(beam %.1f %.1f %.1f)", form->x, form->y,
                      form->theta * 180.0 / 3.141592653589793);
        out << phases.beam_str;
        beamed = true;
        think_count++;
    } else if (!phases.initial_interpolate_done) {
        // Init runs before the first Think, so the motion interface exists.
        if (!move->stand_pose.interpolate(0, sub_steps, out, false)) phases.initial_interpolate_done = true;
    } else if (!phases.after_interpolate_done) {
        naosimplemove_t::clearAllEffector(out);
        phases.after_interpolate_done = true;
    } else {
        if (move) move->update(out, sub_steps);
        if (parse->side_copy != 0) head_scan_active = true;
        if (head_scan_active) head_scan->headScan(out, 2.0, parse.get());
        apply_test_move(out);
        think_count++;
    }
    return out.str();
}

void NaoBehavior::apply_test_move(std::stringstream&)
{
    think_phases_t& phases = think_phases();
    if (parse->play_mode != NaoParse::PM_PLAY_ON || phases.start_run) return;
    // A request the motion interface refuses is asked again next cycle.
    if (new_trans(run_distance, 0.0)) phases.start_run = true;
}

bool NaoBehavior::new_trans(double forward, double side) { return move->new_trans2013(forward, side); }

}  // namespace run
