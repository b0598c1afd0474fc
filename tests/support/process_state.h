// The process-wide state of the agent's parts (joint angles and fall flags,
// the motion stages, the key-frame interpolation, the head-scan pattern,
// the ball-priority hold and rate limiter, the skills' counters) back to
// where a new process starts, for tests that build one agent after another.
// Header-only: it names the layers of the test that includes it.
#ifndef BREVANE_TESTS_SUPPORT_PROCESS_STATE_H
#define BREVANE_TESTS_SUPPORT_PROCESS_STATE_H

#include "headscan/naoscan.h"
#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "perception/naoparse.h"
#include "skills/NaoBehavior.h"
#include "world/localize.h"

inline void reset_agent_process_state()
{
    NaoParse::reset_static_state();
    NaoMove::reset_motion_state();
    naosimplemove_t::reset_interpolation();
    head_scan_t::reset_pattern_state();
    Localize_t::reset_process_state();
    NaoBehavior::reset_skill_state();
}

#endif
