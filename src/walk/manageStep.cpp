#include "walk/manageStep.h"

#include <cmath>
#include <cstdio>
#include <iostream>

namespace {

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

}  // namespace

StepManage::StepManage(double step_max_, double t_step_, double k_ramp_)
    : t_step(t_step_),
      k_ramp(k_ramp_),
      step_max(step_max_),
      np_steps(0),
      rem_dist(0),
      st_com_foot(0),
      st_foot_next(0),
      step_cur(0),
      duration(0),
      coef(0)
{
    if (std::fabs(k_ramp) < 1.0)
        std::cout << "be careful, acceleration will be greater than the max. planned." << std::endl;
    if (!positive(step_max) || !positive(k_ramp)) {
        std::fprintf(stderr, "StepManage: step maximum %f and ramp %f must be positive, no plan\n", step_max,
                     k_ramp);
        return;
    }
    if (positive(t_step)) coef = step_max / (t_step * t_step * k_ramp);
}

void StepManage::set_t_step(double t)
{
    if (!positive(t)) {
        std::fprintf(stderr, "StepManage::set_t_step: period %f must be positive, keeping %f\n", t, t_step);
        return;
    }
    t_step = t;
}

void StepManage::setRemDist(double d) { rem_dist = d; }

bool StepManage::usable() const { return positive(step_max) && positive(k_ramp) && positive(t_step); }

void StepManage::calc_nb_com_steps()
{
    if (!usable()) {
        duration = 0;
        np_steps = 0;
        return;
    }
    const double t = t_step, a = k_ramp, b = step_max, c = step_cur;
    const double d = std::fabs(rem_dist);
    const double e = a / 2.0;
    const double f = (b * b - c * c) * e / b;  // covered while accelerating from c to b
    if (d > f + e * b) {
        duration = t * a * (1.0 - c / b) + (d - f - e * b) * t / b + t * a;
    } else if (d <= e * c * c / b) {
        duration = t * a * c / b;
    } else {
        const double g = std::sqrt(c * c / 2.0 + d * b / a);
        duration = (g - c) * a * t / b + a * t * g / b;
    }
    const double q = duration / t;
    const double whole = std::floor(q);
    np_steps = static_cast<int>(whole) + (q > whole ? 1 : 0) + 1;
}

void StepManage::calc_next_st_foot()
{
    if (!usable()) {
        st_foot_next = 0;
        return;
    }
    const double t = t_step, a = k_ramp, b = step_max, c = step_cur;
    const double sign = rem_dist < 0 ? -1.0 : 1.0;
    const double d = std::fabs(rem_dist);
    const double e = a / 2.0;
    const double f = (b * b - c * c) * e / b;
    double step = d;  // the whole remainder at the end of every profile
    double c_next = 0;
    if (d > f + e * b) {
        // Cruise: accelerate, hold the maximum, decelerate.
        const double T_acc = t * a * (1.0 - c / b);
        if (t < T_acc) {
            step = c + b / (2.0 * a);
            c_next = c + b / a;
        } else {
            const double D = d - f - e * b;
            const double T_end = T_acc + t * D / b;
            if (t < T_end) {
                step = (b / t) * (t - T_acc) + f;
                c_next = b;
            } else if (t < T_end + t * a) {
                const double tau = t - T_acc - t * D / b;
                step = f + D + (b / t) * tau - b * tau * tau / (2.0 * a * t * t);
                c_next = b - (tau / t) * b / a;
            }
        }
    } else if (d <= e * c * c / b) {
        // Short: decelerate only.
        if (t < t * a * c / b) {
            step = c - b / (2.0 * a);
            c_next = c - b / a;
        }
    } else {
        // Triangular: accelerate to g, then decelerate.
        const double g = std::sqrt(c * c / 2.0 + d * b / a);
        const double T_up = (g - c) * a * t / b;
        if (t < T_up) {
            step = c + b / (2.0 * a);
            c_next = c + b / a;
        } else if (t < T_up + a * t * g / b) {
            const double tau = t - T_up;
            step = (g / t) * tau + (g * g - c * c) * (a / 2.0) / b - b * tau * tau / (2.0 * a * t * t);
            c_next = g - (tau / t) * b / a;
        }
    }
    st_foot_next = sign * step;
    step_cur = c_next;
    rem_dist -= st_foot_next;
}
