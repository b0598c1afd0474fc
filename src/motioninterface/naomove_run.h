// The motion interface of the run-challenge program (brevane-run): the
// match agent's NaoMove on the run-challenge motion variant
// (motion_variant_t::run_challenge: step-managed walk, no walk reset after
// kicks and stand-ups, the longer final hold of the stand-up from the
// back), with its own request operations:
// - new_trans2013 clips the side of the first 8 requests, and of the 8
//   requests from every change of side direction on, to [-0.5, 0.5] m;
// - new_trans2012 is the unclipped request (the match agent's
//   new_trans2013); it also ends a rotation series;
// - new_rot2013 remembers the direction of the first request of a series
//   and turns a request in the other direction into a stop;
// - new_rot2012 is the match agent's rotation request without the
//   replacement of tiny angles: an angle of exactly 0 is reported and not
//   passed on;
// - new_kick2012 says on standard error why it refuses;
// - set_odo stores a global pose and restarts the walk odometry at 0.
// The cycle itself (update) is the match agent's.
#ifndef BREVANE_MOTIONINTERFACE_NAOMOVE_RUN_H
#define BREVANE_MOTIONINTERFACE_NAOMOVE_RUN_H

#include "motioninterface/naomove.h"

namespace run {

class NaoMove : public ::NaoMove {
public:
    // Bound of the side component of the smoothed walk requests (m).
    static constexpr double side_clip = 0.5;

    bool rot_series;   // a rotation series is running
    double rot_first;  // angle of its first request (rad)

    NaoMove(std::map<std::string, NaoParse::JointID>* names, double time_step, int Ptype, int Stype);

    // Each returns whether the request was taken (see ::NaoMove::new_trans2013).
    bool new_trans2013(double forward, double side);
    bool new_trans2012(double forward, double side);
    void new_rot2013(double theta, double xc);
    void new_rot2012(double theta, double xc);
    // A stop: new_trans2012(0.001, 0).
    void stop_walk2012();
    void new_kick2012(eKick k);

    // The global pose (into odo_x, odo_y, odo_theta; theta wrapped into
    // [-pi, pi]); the walk odometry starts again from (0, 0, 0).
    void set_odo(double x, double y, double theta);
};

}  // namespace run

#endif
