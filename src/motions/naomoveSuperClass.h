#ifndef BREVANE_MOTIONS_NAOMOVESUPERCLASS_H
#define BREVANE_MOTIONS_NAOMOVESUPERCLASS_H

#include "kinematics/cmat.h"
#include "kinematics/motion_variant.h"
#include "kinematics/vect.h"

class walk;
template <class T>
class Effector;
template <class T, int N>
class motionType;

// The strike of the generic hip-sway kick: lengths in metres in the torso
// frame, angles in radians, durations in seconds.
class ParamKick {
public:
    double timeStrike;
    double timeFront;
    double xRaise;
    double zRaise;
    double xToeBack;
    double zToeBack;
    double angTorsoBack;
    double angFootSoleBack;
    double xToeStrike;
    double zToeStrike;
    double angTorsoStrike;
    double angFootSoleStrike;
    double xToeFront;
    double zToeFront;
    double angTorsoFront;
    double angFootSoleFront;

    void setTimeParam(double strike, double front)
    {
        timeStrike = strike;
        timeFront = front;
    }
    void setRaiseParam(double x, double z)
    {
        xRaise = x;
        zRaise = z;
    }
    void setBackPos(double x, double z, double torso, double sole)
    {
        xToeBack = x;
        zToeBack = z;
        angTorsoBack = torso;
        angFootSoleBack = sole;
    }
    void setStrikePos(double x, double z, double torso, double sole)
    {
        xToeStrike = x;
        zToeStrike = z;
        angTorsoStrike = torso;
        angFootSoleStrike = sole;
    }
    void setFrontPos(double x, double z, double torso, double sole)
    {
        xToeFront = x;
        zToeFront = z;
        angTorsoFront = torso;
        angFootSoleFront = sole;
    }
};

// The step that brings the support foot beside the ball before the generic
// kick.
class ParamStepBeforeKick {
public:
    double timeSway;
    double timeLift;
    double timeStep;
    double timePutDown;
    double timeShift;
    double timeRoll;
    double heightLift;
    double lengthStep;
    double ySway;
    double angRoll;

    ParamStepBeforeKick(double time_sway, double time_lift, double time_step, double time_put_down,
                        double time_shift, double time_roll, double height_lift, double length_step,
                        double ang_roll, double y_sway, double time_factor)
        : timeSway(time_sway),
          timeLift(time_lift),
          timeStep(time_step),
          timePutDown(time_put_down),
          timeShift(time_shift),
          timeRoll(time_roll),
          heightLift(height_lift),
          lengthStep(length_step),
          ySway(y_sway),
          angRoll(0)
    {
        mult_time(time_factor);
        angRoll = ang_roll;
    }

    void mult_time(double k)
    {
        timeSway *= k;
        timeLift *= k;
        timeStep *= k;
        timePutDown *= k;
        timeShift *= k;
        timeRoll *= k;
    }
};

// The whole-body motion object: owns the walking engine, prepares every kick
// and stand-up once at construction and plays the chosen one sample by
// sample into its four joint arrays. Side -1 is the left limb, +1 the right.
class NaoMoveSuperClass {
public:
    Vector_<double> init_pos_foot_left, init_pos_foot_right;
    Vector_<double> init_pos_hand_left, init_pos_hand_right;
    Matrix_<double> init_rotM_hand_left, init_rotM_hand_right;
    Matrix_<double> init_rotM_foot_left, init_rotM_foot_right;
    Vector_<double> ref_point;
    Vector_<double> incl_pos_foot_left, incl_pos_foot_right;
    Matrix_<double> incl_rotM_foot_left, incl_rotM_foot_right;

    walk* walk_engine;

    double q_left_leg[6], q_right_leg[6];  // hip yaw-pitch .. ankle roll (rad)
    double q_left_arm[4], q_right_arm[4];  // shoulder pitch .. elbow roll (rad)

    double dt;

    motionType<double, 9>* kick_little_left;
    motionType<double, 9>* kick_little_right;
    motionType<double, 13>* kick_hipsway_left;
    motionType<double, 13>* kick_hipsway_right;
    motionType<double, 15>* kick_generic_left;
    motionType<double, 15>* kick_generic_right;
    motionType<double, 15>* kick_in_preparation;  // not owned separately
    motionType<double, 8>* standup_back;
    motionType<double, 7>* standup_front;
    motionType<double, 2>* front_back_move;

    ParamKick param_kick;

    // Durations (s) of two key poses of the stand-up from the front, from the
    // robot type's walk file: the arms swinging out sideways (its second key
    // pose) and the body rolled forward over the drawn-up feet (its fifth).
    double time_stand_up_front_arms_out;
    double time_stand_up_front_over_feet;

    Vector_<double> left_shoulder, right_shoulder;
    Vector_<double> left_hip, right_hip;

    // variant: the program's motion variant; it reaches the walk and the
    // geometric model, and decides here whether the end of a kick or
    // stand-up puts the walk back at rest and how long the stand-up from the
    // back holds its final pose.
    NaoMoveSuperClass(double dt, int version, int Ptype, int Stype, const char* dir,
                      const motion_variant_t& variant = motion_variant_t());
    ~NaoMoveSuperClass();
    NaoMoveSuperClass(const NaoMoveSuperClass&) = delete;
    NaoMoveSuperClass& operator=(const NaoMoveSuperClass&) = delete;

    void getInitPos();

    void prepare_Kick_Little(int side);
    void prepare_Kick_HipSway(int side);
    void prepare_Kick_HipSway2_Generic(int side);
    void prepare_Kick_HipSway2_Generic_NewTrackingToeTip(int side, Effector<double>& lf, Effector<double>& rf,
                                                         Effector<double>& lh, Effector<double>& rh);
    void Prepare_Step_Before_Kick_HipSway2(int side, ParamStepBeforeKick p, Effector<double>& lf,
                                           Effector<double>& rf, Effector<double>& lh, Effector<double>& rh);

    void prepareStandUpBack();
    void prepareStandUpFront();
    void prepareFrontBackMove();

    bool check_walk();
    bool check_leftKick(double& gain, char type);
    bool check_rightKick(double& gain, char type);
    bool check_standUpFromBackLyingPos();
    bool check_standUpFromFrontLyingPos();
    bool check_if_standup_active();
    void reset_all_kicks();
    bool check_FrontBackMove();
    bool check_model();

private:
    bool check_kick(double& gain, char type, int side);
};

#endif
