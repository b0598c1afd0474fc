#include "motioninterface/naomove_run.h"

#include <cmath>
#include <cstdio>

#include "walk/walk.h"

namespace run {

NaoMove::NaoMove(std::map<std::string, NaoParse::JointID>* names, double time_step, int Ptype, int Stype)
    : ::NaoMove(names, time_step, Ptype, Stype, motion_variant_t::run_challenge()),
      rot_series(false),
      rot_first(0)
{
}

bool NaoMove::new_trans2013(double forward, double side)
{
    // The side of the first N + 1 requests, and of the N + 1 requests from
    // every change of side direction on, is clipped.
    static const int N = 7;
    static motion_static<bool> first_call(true);
    static motion_static<int> lissage_ON_value(N);
    static motion_static<double> previous_s_value(0.0);
    int& lissage_ON = lissage_ON_value.get();
    double& previous_s = previous_s_value.get();
    if (first_call.get()) {
        first_call.get() = false;
        lissage_ON = N;
    }
    // A side that returns to 0 counts as a change of direction.
    if ((previous_s > 0 && side <= 0) || (previous_s < 0 && side >= 0)) lissage_ON = N;
    previous_s = side;
    if (lissage_ON >= 0) {
        --lissage_ON;
        if (side > side_clip)
            side = side_clip;
        else if (side < -side_clip)
            side = -side_clip;
    }
    return new_trans2012(forward, side);
}

bool NaoMove::new_trans2012(double forward, double side)
{
    rot_series = false;
    rot_first = 0;
    return ::NaoMove::new_trans2013(forward, side);
}

void NaoMove::new_rot2013(double theta, double xc)
{
    if (!rot_series) {
        rot_series = true;
        rot_first = theta;
        if (theta == 0) std::fprintf(stderr, "ERROR new_rot2013 %f %f\n", theta, xc);
        new_rot2012(theta, xc);
        return;
    }
    const bool same_direction = (rot_first > 0 && theta > 0) || (rot_first <= 0 && theta < 0);
    if (same_direction)
        new_rot2012(theta, xc);
    else
        stop_walk2012();
}

void NaoMove::new_rot2012(double theta, double xc)
{
    if (!take_rotation_request(theta, xc)) return;
    if (theta == 0)
        std::fprintf(stderr, "init_walk_rotate %f %f ERROR\n", theta, xc);
    else
        walk_engine->init_walk_rotate(theta, xc, request_step_period);
}

void NaoMove::stop_walk2012() { new_trans2012(0.001, 0.0); }

void NaoMove::new_kick2012(eKick k)
{
    if (kick) {
        std::fprintf(stderr, "new_kick(%d) != current kick (%d)\n", static_cast<int>(k),
                     static_cast<int>(kick_type));
        return;
    }
    if (trans) {
        std::fprintf(stderr, "new_kick(%d) != current trans (%f %f)\n", static_cast<int>(k), trans_fwd,
                     trans_side);
        return;
    }
    if (rot) {
        std::fprintf(stderr, "new_kick(%d) != current rot (%f %f)\n", static_cast<int>(k), rot_angle, rot_xc);
        return;
    }
    ::NaoMove::new_kick2012(k);
}

void NaoMove::set_odo(double x, double y, double theta)
{
    odo_x = x;
    odo_y = y;
    // Any number of turns, not only one.
    odo_theta = std::isfinite(theta) ? std::remainder(theta, 2.0 * M_PI) : theta;
    walk_engine->setOdo(0, 0, 0);
}

}  // namespace run
