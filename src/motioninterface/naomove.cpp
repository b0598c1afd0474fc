#include "motioninterface/naomove.h"

#include <cmath>
#include <cstdio>

#include "motions/motion_type.h"
#include "walk/walk.h"

namespace {

const double kRadToDeg = 180.0 / M_PI;
const double kDegToRad = M_PI / 180.0;

// Speed command of one joint: the gap between the commanded angle (rad) and
// the perceived one (degrees), over the divisor. A gap that is not a finite
// number (a broken perception or model output) would reach the server as
// "nan"; that joint is left out for this cycle instead.
void write_joint_speed(std::stringstream& out, int id, double q_rad, double divisor)
{
    NaoParse::JointID j = static_cast<NaoParse::JointID>(id);
    write_effector_speed(out, id, (q_rad * kRadToDeg - NaoParse::GetJointAngleDeg(j)) / divisor);
}

// The legs in effector order: left joint i, then right joint i.
void write_leg_speeds(std::stringstream& out, const double* q_left, const double* q_right, double divisor)
{
    for (int i = 0; i < 6; ++i) {
        write_joint_speed(out, NaoParse::JID_LLEG_1 + 2 * i, q_left[i], divisor);
        write_joint_speed(out, NaoParse::JID_RLEG_1 + 2 * i, q_right[i], divisor);
    }
}

void write_arm_speeds(std::stringstream& out, const double* q_left, const double* q_right, double divisor)
{
    for (int i = 0; i < 4; ++i) {
        write_joint_speed(out, NaoParse::JID_LARM_1 + 2 * i, q_left[i], divisor);
        write_joint_speed(out, NaoParse::JID_RARM_1 + 2 * i, q_right[i], divisor);
    }
}

// Hip pitch, knee and ankle pitch turn the other way in the simulator than
// in the kinematic model.
void negate_inverted_leg_joints(double* q_left, double* q_right)
{
    for (int i = 2; i <= 4; ++i) {
        q_left[i] = -q_left[i];
        q_right[i] = -q_right[i];
    }
}

void empty(std::stringstream& out)
{
    out.str("");
    out.clear();
}

}  // namespace

unsigned NaoMove::generation = 0;

NaoMove::NaoMove(std::map<std::string, NaoParse::JointID>* names, double time_step, int Ptype, int Stype,
                 const motion_variant_t& variant)
    : NaoMoveSuperClass(time_step, 1, Ptype, Stype, "./", variant),
      debug(false),
      cycle_count(0),
      walking(false),
      trans(false),
      rot(false),
      kick(false),
      motion_cycles(0),
      stop_trans(false),
      stop_rot(false),
      kick_done(false),
      trans_fwd(default_fwd_dist),
      trans_side(default_sideways_dist),
      rot_angle(default_rotation_angle),
      rot_xc(default_xcenter),
      kick_type(KICK_LEFT),
      odo_x(0),
      odo_y(0),
      odo_theta(0)
{
    for (int i = 0; i < 6; ++i) {
        q_left_leg[i] = 0;
        q_right_leg[i] = 0;
    }
    // The pose of this robot's own type: the shared file may already hold
    // another type's, written by an agent started at the same moment.
    stand_pose.load(walk::stand_pose_file(Ptype).c_str(), names);
}

void NaoMove::reset_motion_state() { ++generation; }

namespace {

// Whether a walk or turn request is taken: while standing the first
// accepted request holds until its motion ends; while walking the engine
// takes over or queues every new one, which ends the other kind of motion.
// A taken request starts its motion (`mine`) afresh.
bool take_request(NaoMove& m, bool& mine, bool& mine_stop, bool& other, bool& other_stop)
{
    if (m.kick || (!m.walking && (m.trans || m.rot))) return false;
    m.motion_cycles = 0;
    // Every accepted motion begins its stand-pose interpolation afresh.
    naosimplemove_t::reset_interpolation();
    if (m.walking) {
        other = false;
        other_stop = true;
    }
    mine = true;
    mine_stop = false;
    return true;
}

}  // namespace

bool NaoMove::new_trans2013(double fwd, double side)
{
    if (!take_request(*this, trans, stop_trans, rot, stop_rot)) return false;
    trans_fwd = fwd;
    trans_side = side;
    if (fwd == 0 && side == 0) {
        std::fprintf(stderr, "init_walk_translate %f %f ERROR\n", fwd, side);
        return false;
    }
    return walk_engine->init_walk_translate(fwd, side, request_step_period);
}

bool NaoMove::take_rotation_request(double angle, double xc)
{
    if (!take_request(*this, rot, stop_rot, trans, stop_trans)) return false;
    rot_angle = angle;
    rot_xc = xc;
    return true;
}

void NaoMove::new_rot2013(double angle, double xc)
{
    static motion_static<double> rand_rot_value(0.01);
    double& rand_rot = rand_rot_value.get();
    if (!take_rotation_request(angle, xc)) return;
    // The engine plans nothing for a negligible angle; alternate a tiny turn
    // instead so that the request still moves the robot.
    if (std::fabs(angle) <= 0.01) {
        rand_rot = (rand_rot != 0.01) ? 0.01 : -0.01;
        rot_angle = rand_rot;
    }
    walk_engine->init_walk_rotate(rot_angle, rot_xc, request_step_period);
    if (debug) std::fprintf(stderr, "%d naowalk_init_walk_rotate %f %f\n", cycle_count, rot_angle, rot_xc);
}

void NaoMove::new_kick2012(eKick k)
{
    if (kick || trans || rot || walking) return;
    motion_cycles = 0;
    naosimplemove_t::reset_interpolation();
    kick = true;
    kick_done = false;
    kick_type = k;
}

int NaoMove::update(std::stringstream& out, int n)
{
    cycle_count++;
    if (kick) {
        motion_cycles++;
        apply_kick(out, n);
    } else if (NaoParse::fall_down_detected && NaoParse::back_fall_down_detected) {
        apply_standUpFromBack(out, n);
    } else if (NaoParse::fall_down_detected && NaoParse::front_fall_down_detected) {
        apply_standUpFromFront(out, n);
    } else if (trans) {
        motion_cycles++;
        apply_trans(out, n, walking);
    } else if (rot) {
        motion_cycles++;
        apply_rot(out, n, walking);
    }
    return 0;
}

namespace {

// One cycle of a translation or a rotation. Stage 0 brings the legs into the
// stand pose when the walk is not running yet, stage 1 clears the effectors
// once (nothing when taking over a running walk), stage 2 steps the walk and
// writes its leg speeds until it reports the end; the cycle after that closes
// the motion.
template <typename AfterStep>
void apply_walk_motion(NaoMove& m, std::stringstream& out, int n, bool walking_now, int& stage, bool& active,
                       bool& stop, bool capture, double divisor, AfterStep after_step)
{
    empty(out);
    if (stop) {
        m.walking = false;
        active = false;
        stage = 0;
        return;
    }
    switch (stage) {
        case 0:
            if (walking_now) {
                stage = 1;
                break;
            }
            if (!m.stand_pose.interpolate(0, n, out, capture)) stage = 1;
            if (capture) {
                // The legs start the walk from the last stand-pose set-points.
                for (int i = 0; i < 6; ++i) {
                    m.q_left_leg[i] = m.stand_pose.captured[i] * kDegToRad;
                    m.q_right_leg[i] = m.stand_pose.captured[6 + i] * kDegToRad;
                }
            }
            break;
        case 1:
            if (!walking_now) naosimplemove_t::clearAllEffector(out);
            stage = 2;
            break;
        case 2: {
            m.walking = true;
            bool r = m.check_walk();
            after_step();
            negate_inverted_leg_joints(m.q_left_leg, m.q_right_leg);
            if (r) {
                write_leg_speeds(out, m.q_left_leg, m.q_right_leg, divisor);
            } else {
                naosimplemove_t::clearAllEffector(out);
                stop = true;
            }
            break;
        }
    }
}

}  // namespace

void NaoMove::apply_trans(std::stringstream& out, int n, bool walking_now)
{
    static motion_static<int> counter(0);
    apply_walk_motion(*this, out, n, walking_now, counter.get(), trans, stop_trans, true,
                      naosimplemove_t::gain, [] {});
}

void NaoMove::apply_rot(std::stringstream& out, int n, bool walking_now)
{
    static motion_static<int> counter(0);
    apply_walk_motion(*this, out, n, walking_now, counter.get(), rot, stop_rot, false, joint_gain, [this] {
        if (debug) std::fprintf(stderr, "%d checkwalk %f %f\n", cycle_count, 0.0, 0.0);
    });
}

void NaoMove::apply_kick(std::stringstream& out, int n)
{
    static motion_static<int> counter(0);
    int& stage = counter.get();
    empty(out);
    if (kick_done) {
        kick = false;
        stage = 0;
        return;
    }
    switch (stage) {
        case 0:
            if (!stand_pose.interpolate(0, n, out, false)) stage = 1;
            break;
        case 1:
            naosimplemove_t::clearAllEffector(out);
            stage = 2;
            break;
        case 2: {
            double g = 1;
            bool r = false;
            if (kick_type == KICK_LEFT)
                r = check_leftKick(g, 1);
            else if (kick_type == KICK_RIGHT)
                r = check_rightKick(g, 1);
            if (r) {
                negate_inverted_leg_joints(q_left_leg, q_right_leg);
                write_leg_speeds(out, q_left_leg, q_right_leg, 1.0 / g);
            } else {
                naosimplemove_t::clearAllEffector(out);
                kick_done = true;
            }
            break;
        }
    }
}

namespace {

// How one stand-up is played: whether its first sample waits for the limbs
// to get there, and the divisor of its speeds.
struct StandUpPolicy {
    bool hold_first_sample;
    double divisor;
};

// The stand-up's commanded angles (already in the simulator's senses) as
// speeds, legs then arms.
void write_stand_up_speeds(NaoMove& m, std::stringstream& out, double divisor)
{
    write_leg_speeds(out, m.q_left_leg, m.q_right_leg, divisor);
    write_arm_speeds(out, m.q_left_arm, m.q_right_arm, divisor);
}

// Whether every leg and arm joint reads within tolerance (degrees) of the
// stand-up's commanded angle. A reading that is not a number is never near.
bool limbs_near_commands(const NaoMove& m, double tolerance)
{
    auto near = [tolerance](int id, double q_rad) {
        double gap = q_rad * kRadToDeg - NaoParse::GetJointAngleDeg(static_cast<NaoParse::JointID>(id));
        return std::fabs(gap) <= tolerance;
    };
    for (int i = 0; i < 6; ++i) {
        if (!near(NaoParse::JID_LLEG_1 + 2 * i, m.q_left_leg[i]) ||
            !near(NaoParse::JID_RLEG_1 + 2 * i, m.q_right_leg[i]))
            return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (!near(NaoParse::JID_LARM_1 + 2 * i, m.q_left_arm[i]) ||
            !near(NaoParse::JID_RARM_1 + 2 * i, m.q_right_arm[i]))
            return false;
    }
    return true;
}

// The progress of one stand-up: its calls since it began, and those that
// held its first sample.
struct StandUpProgress {
    int calls;
    int held;
};

StandUpProgress& stand_up_progress(bool from_back)
{
    static motion_static<StandUpProgress> back(StandUpProgress{0, 0});
    static motion_static<StandUpProgress> front(StandUpProgress{0, 0});
    return from_back ? back.get() : front.get();
}

// Shared by both stand-ups: the first call after a finished stand-up clears
// the effectors, every later one plays a sample until the motion ends. When
// the policy says so, the first sample is commanded again, without going
// on, until the limbs have reached it (held counts those calls).
template <typename Check>
void apply_stand_up(NaoMove& m, std::stringstream& out, StandUpProgress& progress,
                    const StandUpPolicy& policy, bool& direction_flag, Check check)
{
    int& calls = progress.calls;
    int& held = progress.held;
    empty(out);
    if (calls == 0) {
        // A fall may cut a stand-pose interpolation short; the motion it
        // belonged to starts it again, from the angles after the stand-up.
        naosimplemove_t::reset_interpolation();
        naosimplemove_t::clearAllEffector(out);
        calls++;
        return;
    }
    if (policy.hold_first_sample && calls == 2 && held < NaoMove::first_pose_hold_cycles &&
        !limbs_near_commands(m, NaoMove::first_pose_tolerance)) {
        write_stand_up_speeds(m, out, policy.divisor);
        held++;
        return;
    }
    if (!check()) {
        calls = 0;
        held = 0;
        naosimplemove_t::clearAllEffector(out);
        NaoParse::fall_down_detected = false;
        direction_flag = false;
        return;
    }
    negate_inverted_leg_joints(m.q_left_leg, m.q_right_leg);
    m.q_left_arm[0] = -m.q_left_arm[0];
    m.q_right_arm[0] = -m.q_right_arm[0];
    write_stand_up_speeds(m, out, policy.divisor);
    calls++;
}

}  // namespace

void NaoMove::apply_standUpFromBack(std::stringstream& out, int /*n*/)
{
    static const StandUpPolicy policy = {true, back_stand_up_gain};
    apply_stand_up(*this, out, stand_up_progress(true), policy, NaoParse::back_fall_down_detected,
                   [this] { return check_standUpFromBackLyingPos(); });
}

void NaoMove::apply_standUpFromFront(std::stringstream& out, int /*n*/)
{
    static const StandUpPolicy policy = {false, joint_gain};
    apply_stand_up(*this, out, stand_up_progress(false), policy, NaoParse::front_fall_down_detected,
                   [this] { return check_standUpFromFrontLyingPos(); });
}

void NaoMove::end_stand_up(std::stringstream& out)
{
    if (!NaoParse::fall_down_detected) return;
    // As at the stand-up's own end: both motions back at their first
    // sample, the walk at rest, the effectors cleared, the flags down.
    stand_up_progress(true) = StandUpProgress{0, 0};
    stand_up_progress(false) = StandUpProgress{0, 0};
    standup_back->reset();
    standup_front->reset();
    walk_engine->ResetWalk();
    naosimplemove_t::reset_interpolation();
    naosimplemove_t::clearAllEffector(out);
    NaoParse::fall_down_detected = false;
    NaoParse::back_fall_down_detected = false;
    NaoParse::front_fall_down_detected = false;
    // The readings from before the body was set upright would latch the
    // fall again at once.
    NaoParse::reset_accel_filter();
}

void NaoMove::set_odo_global(double x, double y, double theta)
{
    odo_x = x;
    odo_y = y;
    odo_theta = theta;
    walk_engine->setOdo(x, y, theta);
}

void NaoMove::get_odo_global(double& x, double& y, double& theta) { walk_engine->getOdo(x, y, theta); }
