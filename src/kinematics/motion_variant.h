// Where the motion side of the run-challenge program (brevane-run) behaves
// differently from the match agent's. One value travels from the motion
// interface down through the whole-body motion object and the walking
// engine to the geometric model and its body parameters; each of them
// reads its own fields. The defaults are the match agent's.
#ifndef BREVANE_KINEMATICS_MOTION_VARIANT_H
#define BREVANE_KINEMATICS_MOTION_VARIANT_H

struct motion_variant_t {
    // Body parameters: a separator line on standard error right after the
    // six body files were read.
    bool body_files_separator = false;

    // Torso yaw of the feet: a configuration without solution (negative
    // discriminant) gives 0 with one message, instead of -9999 with two
    // (which the walk then replaces by 0 with three more).
    bool yaw_failure_gives_zero = false;

    // Walk: the forward steps of a translation ramp up and down on the
    // step manager's trapezoidal plan instead of being all equal.
    bool step_manager = false;

    // Walk: a body mass below 0.001 kg in magnitude is reported as
    // "null MASS" and the mass moments are used undivided (the match agent
    // reports any mass at or below 0 and disables walking).
    bool null_mass_undivided = false;

    // Whole-body motions: the end of a kick or of a stand-up puts the walk
    // back at rest.
    bool reset_walk_after_motion = true;

    // Stand-up from the back: its final hold lasts this many times 0.15 s.
    int standup_back_final_hold_periods = 1;

    // The run-challenge program's values.
    static motion_variant_t run_challenge()
    {
        motion_variant_t v;
        v.body_files_separator = true;
        v.yaw_failure_gives_zero = true;
        v.step_manager = true;
        v.null_mass_undivided = true;
        v.reset_walk_after_motion = false;
        v.standup_back_final_hold_periods = 3;
        return v;
    }
};

#endif
