// Step manager: plans the forward step lengths of a straight walk on a
// trapezoidal speed profile. The step length (the speed of the plan, in
// metres per step period) grows from its current value by a fixed
// increment per step up to a maximum, stays there, and shrinks to 0 so that
// the remaining distance is covered exactly; a short remainder gives a
// triangular profile, one too short even for that only a deceleration.
//
// A negative remaining distance plans the same profile backwards: the
// steps are negative, the speed stays a magnitude.
#ifndef BREVANE_WALK_MANAGESTEP_H
#define BREVANE_WALK_MANAGESTEP_H

class StepManage {
public:
    double t_step;        // step period (s)
    double k_ramp;        // step periods to accelerate from 0 to the maximum
    double step_max;      // largest step length (m)
    int np_steps;         // COM steps of the plan
    double rem_dist;      // distance still to walk (m)
    double st_com_foot;   // the last step taken (m)
    double st_foot_next;  // the next step length (m)
    double step_cur;      // current step length, the speed of the plan (m per period)
    double duration;      // total duration of the plan (s)
    double coef;          // acceleration step_max / (t_step^2 k_ramp)

    // A step maximum or a ramp that is not positive would divide by zero
    // (or plan nonsense): they are refused with a message, and such a
    // manager plans nothing (see usable()). A ramp below 1 period only
    // warns: the acceleration then exceeds the planned one.
    StepManage(double step_max, double t_step, double k_ramp);

    // A period that is not positive is refused (message, the old one stays).
    void set_t_step(double t);
    void setRemDist(double d);

    double getNpSteps() const { return np_steps; }
    double getStFootNext() const { return st_foot_next; }
    void updateStComFoot() { st_com_foot = st_foot_next; }

    // True when the step maximum, the ramp and the period allow a plan.
    bool usable() const;

    // The plan's duration and number of COM steps from the current speed
    // and the remaining distance. Nothing planned: 0 steps.
    void calc_nb_com_steps();
    // The next step of the plan, the new speed and what remains after it.
    // Nothing planned: a step of 0, nothing else changes.
    void calc_next_st_foot();
};

#endif
