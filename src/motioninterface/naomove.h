// Motion interface: the one object through which the behaviour asks for
// motion (walk by (forward, side), turn by an angle, kick with either foot),
// and the one writer of leg and arm joint commands in a normal cycle.
// Every cycle `update` picks one motion by a fixed priority (kick, stand-up
// after a fall, translation, rotation), runs it one step and writes the
// joint speed commands "(effector speed)" into the agent's command stream.
#ifndef BREVANE_MOTIONINTERFACE_NAOMOVE_H
#define BREVANE_MOTIONINTERFACE_NAOMOVE_H

#include <map>
#include <sstream>
#include <string>

#include "keyframe/naosimplemove.h"
#include "motioninterface/kick_id.h"
#include "motions/naomoveSuperClass.h"
#include "perception/naoparse.h"

class NaoMove : public NaoMoveSuperClass {
public:
    // Kick with the left foot (0) or the right foot (1).
    using eKick = nao_kick::eKick;
    static constexpr eKick KICK_LEFT = nao_kick::KICK_LEFT;
    static constexpr eKick KICK_RIGHT = nao_kick::KICK_RIGHT;

    // Start values of the last-request members below.
    static constexpr double default_fwd_dist = 0.6;                           // m
    static constexpr double default_sideways_dist = 0.3;                      // m
    static constexpr double default_rotation_angle = 0.78539816339744830962;  // pi/4 rad
    static constexpr double default_xcenter = -0.01;                          // m

    // Step period that every walk request asks of the engine (s).
    static constexpr double request_step_period = 0.18;
    // Speed divisor of the rotation and front stand-up commands.
    static constexpr double joint_gain = 4.0;
    // The stand-up from the back begins from the standing pose, arms
    // raised, and its first two key poses last 0.2 s: from where a fall
    // leaves the limbs (arms along the body) the joints cannot get there in
    // time, the arms reach the floor late and the body falls back. Its first
    // sample is therefore held until every limb joint reads within
    // first_pose_tolerance (degrees) of it, for at most
    // first_pose_hold_cycles calls.
    static constexpr double first_pose_tolerance = 5.0;
    static constexpr int first_pose_hold_cycles = 60;
    // Speed divisor of the stand-up from the back. Even from its first pose,
    // with the divisor 4 of the other motions it sits the robot up too
    // little to roll it over its feet about one try in three in the server;
    // with 6 (and 7 and 8) it stood up in every try measured. 5 failed every
    // time: the outcome does not change smoothly with the divisor.
    static constexpr double back_stand_up_gain = 6.0;

    bool debug;         // prints two diagnostic lines when set
    int cycle_count;    // calls of update since construction
    bool walking;       // the walk engine is being driven
    bool trans;         // a translation is active
    bool rot;           // a rotation is active
    bool kick;          // a kick is active
    int motion_cycles;  // cycles of the active motion
    bool stop_trans;    // the walk reported its end: close the translation
    bool stop_rot;      // the same for the rotation
    bool kick_done;     // the kick reported its end
    double trans_fwd;   // last translation request (m)
    double trans_side;
    double rot_angle;  // last rotation request (rad, m)
    double rot_xc;
    eKick kick_type;
    naosimplemove_t stand_pose;  // "dataWalk/stand3-<type>.dat" (walk::stand_pose_file)
    double odo_x;                // last global pose given to set_odo_global
    double odo_y;
    double odo_theta;

    // variant: the motion variant of the program (the match agent's by
    // default), handed down to the whole-body motions and the walk.
    NaoMove(std::map<std::string, NaoParse::JointID>* names, double time_step, int Ptype, int Stype,
            const motion_variant_t& variant = motion_variant_t());

    // True when the request was taken: not refused, and the walking engine
    // accepted it (a request of (0, 0) is reported and not passed on).
    bool new_trans2013(double fwd, double side);
    void new_rot2013(double angle, double xc);
    void new_kick2012(eKick k);

    // The part shared by the rotation requests: false (nothing changed)
    // when refused; otherwise the flags and the stored request are set as
    // for a new rotation and the caller passes it on to the walk.
    bool take_rotation_request(double angle, double xc);

    // One control cycle; n is the number of think sub-steps, which stretches
    // the stand-pose interpolation to 15 n cycles. Always 0.
    int update(std::stringstream& out, int n);

    void apply_trans(std::stringstream& out, int n, bool walking);
    void apply_rot(std::stringstream& out, int n, bool walking);
    void apply_kick(std::stringstream& out, int n);
    void apply_standUpFromBack(std::stringstream& out, int n);
    void apply_standUpFromFront(std::stringstream& out, int n);
    // Ends the stand-up under way at once, as its last sample would, for a
    // body the server has just set upright (a beam): the rest of a stand-up
    // from lying, played standing, throws the robot over. Writes the
    // effectors' clearing into out; nothing when no fall is latched.
    void end_stand_up(std::stringstream& out);

    // Odometry: anchors the walk odometry at a global pose, and reads the
    // pose dead-reckoned since.
    void set_odo_global(double x, double y, double theta);
    void get_odo_global(double& x, double& y, double& theta);

    // The stage counters and the small-rotation alternation are kept per
    // process; tests put them back to their start values.
    static void reset_motion_state();
    // Bumped by reset_motion_state (see motion_static).
    static unsigned generation;
};

// A per-process value of the motion interface (a function-level static)
// that NaoMove::reset_motion_state puts back to its start value.
template <class T>
struct motion_static {
    T start;
    T value;
    unsigned generation;

    explicit motion_static(T s) : start(s), value(s), generation(NaoMove::generation) {}
    T& get()
    {
        if (generation != NaoMove::generation) {
            generation = NaoMove::generation;
            value = start;
        }
        return value;
    }
};

#endif
