#include "motions/naomoveSuperClass.h"

#include <cmath>
#include <cstdio>

#include "kinematics/naoparam.h"
#include "motions/effector.h"
#include "motions/motion_type.h"
#include "walk/walk.h"

namespace {

const double kPi = 3.14159265358979323846;

double deg(double a) { return a * kPi / 180.0; }

// Hip to sole of the standard robot's stretched leg (thigh 0.12, shank 0.10,
// ankle to sole 0.05), the legs the stand-ups were made for.
const double kStandardLeg = 0.27;

Matrix_<double> rot(double angle, double x, double y, double z)
{
    return get_rotation_matrix_from_rotation_vector(angle, Vector_<double>(x, y, z));
}

Matrix_<double> Rx(double a) { return rot(a, 1, 0, 0); }
Matrix_<double> Ry(double a) { return rot(a, 0, 1, 0); }
Matrix_<double> Rz(double a) { return rot(a, 0, 0, 1); }

// Gives an effector its own pose again: clears both arcs, keeps the pose.
void hold(Effector<double>& e)
{
    const Vector_<double> p(e.target_pos);
    const Matrix_<double> R(e.rotM);
    e.setPos(p);
    e.setRotM(R);
}

void set_pose(Effector<double>& e, const Vector_<double>& p, const Matrix_<double>& R)
{
    e.setPos(p);
    e.setRotM(R);
}

// Turns the limb end about a shoulder or hip point, position and orientation
// by their own angles.
void arc(Effector<double>& e, const Vector_<double>& centre, const Vector_<double>& axis, double pos_angle,
         double orient_angle, double ratio)
{
    const Vector_<double> p(e.target_pos);
    const Matrix_<double> R(e.rotM);
    e.setTransfoForSpecRotMoveBothEndPointOrient(R, p, centre, axis, pos_angle, axis, orient_angle, ratio);
}

void arc(Effector<double>& e, const Vector_<double>& centre, const Vector_<double>& axis, double angle)
{
    arc(e, centre, axis, angle, angle, 1.0);
}

// Every effector keeps its pose through the next key pose.
void hold_all(Effector<double>& lf, Effector<double>& rf, Effector<double>& lh, Effector<double>& rh)
{
    hold(lf);
    hold(rf);
    hold(lh);
    hold(rh);
}

// Back to the poses the motion object started from.
void feet_to_init(const NaoMoveSuperClass& s, Effector<double>& lf, Effector<double>& rf)
{
    set_pose(lf, s.init_pos_foot_left, s.init_rotM_foot_left);
    set_pose(rf, s.init_pos_foot_right, s.init_rotM_foot_right);
}

void hands_to_init(const NaoMoveSuperClass& s, Effector<double>& lh, Effector<double>& rh)
{
    set_pose(lh, s.init_pos_hand_left, s.init_rotM_hand_left);
    set_pose(rh, s.init_pos_hand_right, s.init_rotM_hand_right);
}

// Both stand-ups end alike: the feet drawn up in front of the hips, ...
// They come as far forward for every leg length (0.55 of the standard
// leg): the body they must end up under, torso, head and arms, does not grow
// with the legs. At 0.55 of its own longer leg a robot of type 1 sat with its
// feet 2 cm farther forward and fell back off them in 6 of 20 stand-ups from
// the back; at this distance in 1 of 80. The height above the hips, where
// the folded leg must reach, follows the leg.
void draw_feet_up(const NaoMoveSuperClass& s, Effector<double>& lf, Effector<double>& rf, double L)
{
    const double forward = 0.55 * kStandardLeg;
    set_pose(lf,
             Vector_<double>(s.init_pos_foot_left[0] + forward, s.init_pos_foot_left[1] + 0.1,
                             s.left_hip[2] + 0.15 * L),
             Ry(deg(-60)) * Rz(deg(20)));
    set_pose(rf,
             Vector_<double>(s.init_pos_foot_right[0] + forward, s.init_pos_foot_right[1] - 0.1,
                             s.right_hip[2] + 0.15 * L),
             Ry(deg(-60)) * Rz(deg(-20)));
}

// ... then the body rolled forward over them in over_feet_time, back to the
// inclined stand pose, and held there for hold_time.
template <int N>
void rise_to_stand(const NaoMoveSuperClass& s, motionType<double, N>* mo, Effector<double>& lf,
                   Effector<double>& rf, Effector<double>& lh, Effector<double>& rh, double time_factor,
                   double over_feet_time, double hold_time)
{
    const Vector_<double> Y(0, 1, 0);
    arc(lf, s.left_hip, Y, deg(25));
    arc(rf, s.right_hip, Y, deg(25));
    arc(lh, s.left_shoulder, Y, deg(-30));
    arc(rh, s.right_shoulder, Y, deg(-30));
    mo->setNextPos(over_feet_time, lf, rf, lh, rh);

    set_pose(lf, s.incl_pos_foot_left, s.incl_rotM_foot_left);
    set_pose(rf, s.incl_pos_foot_right, s.incl_rotM_foot_right);
    hands_to_init(s, lh, rh);
    mo->setNextPos(0.5 * time_factor, lf, rf, lh, rh);

    hold_all(lf, rf, lh, rh);
    mo->setNextPos(hold_time, lf, rf, lh, rh);
}

}  // namespace

NaoMoveSuperClass::NaoMoveSuperClass(double dt_, int version, int Ptype, int Stype, const char* dir,
                                     const motion_variant_t& variant)
    : init_pos_foot_left(0, 0, 0),
      init_pos_foot_right(0, 0, 0),
      init_pos_hand_left(0, 0, 0),
      init_pos_hand_right(0, 0, 0),
      ref_point(0, 0, 0),
      incl_pos_foot_left(0, 0, 0),
      incl_pos_foot_right(0, 0, 0),
      walk_engine(nullptr),
      dt(dt_),
      kick_little_left(nullptr),
      kick_little_right(nullptr),
      kick_hipsway_left(nullptr),
      kick_hipsway_right(nullptr),
      kick_generic_left(nullptr),
      kick_generic_right(nullptr),
      kick_in_preparation(nullptr),
      standup_back(nullptr),
      standup_front(nullptr),
      front_back_move(nullptr),
      param_kick(),
      time_stand_up_front_arms_out(0.1),
      time_stand_up_front_over_feet(0.3),
      left_shoulder(0, 0, 0),
      right_shoulder(0, 0, 0),
      left_hip(0, 0, 0),
      right_hip(0, 0, 0)
{
    for (int i = 0; i < 6; i++) q_left_leg[i] = q_right_leg[i] = 0;
    for (int i = 0; i < 4; i++) q_left_arm[i] = q_right_arm[i] = 0;

    walk_engine = new walk(dt, version, Ptype, Stype, const_cast<char*>(dir), variant);
    getInitPos();

    prepare_Kick_Little(-1);
    prepare_Kick_Little(1);
    prepare_Kick_HipSway(-1);
    prepare_Kick_HipSway(1);

    // Kick defaults, then the robot type's walk parameter file.
    double timeStrike = 0.11, timeFront = 0.11;
    double xRaise = 0.016, zRaise = 0.07;
    double xToeBack = -0.14, zToeBack = 0.025, angTorsoBack = deg(-50), angFootSoleBack = deg(73);
    double xToeStrike = 0.22, zToeStrike = 0.007, angTorsoStrike = deg(-15), angFootSoleStrike = deg(40);
    double xToeFront = 0.3, zToeFront = 0.21, angTorsoFront = deg(45), angFootSoleFront = deg(-65);
    char here[] = "./";
    struct {
        const char* key;
        double* value;
    } keys[] = {{"angTorsoBack", &angTorsoBack},
                {"angFootSoleBack", &angFootSoleBack},
                {"angTorsoStrike", &angTorsoStrike},
                {"angFootSoleStrike", &angFootSoleStrike},
                {"angTorsoFront", &angTorsoFront},
                {"angFootSoleFront", &angFootSoleFront},
                {"xToeStrike", &xToeStrike},
                {"zToeStrike", &zToeStrike},
                {"timeStandUpFrontArmsOut", &time_stand_up_front_arms_out},
                {"timeStandUpFrontOverFeet", &time_stand_up_front_over_feet}};
    for (auto& k : keys) {
        NaoWalkParam::set(Ptype, Stype, const_cast<char*>(k.key), *k.value, here);
    }
    param_kick.setRaiseParam(xRaise, zRaise);
    param_kick.setTimeParam(timeStrike, timeFront);
    param_kick.setBackPos(xToeBack, zToeBack, angTorsoBack, angFootSoleBack);
    param_kick.setStrikePos(xToeStrike, zToeStrike, angTorsoStrike, angFootSoleStrike);
    param_kick.setFrontPos(xToeFront, zToeFront, angTorsoFront, angFootSoleFront);

    prepare_Kick_HipSway2_Generic(-1);
    prepare_Kick_HipSway2_Generic(1);

    prepareStandUpBack();
    prepareStandUpFront();
    prepareFrontBackMove();
}

NaoMoveSuperClass::~NaoMoveSuperClass()
{
    delete kick_little_left;
    delete kick_little_right;
    delete kick_hipsway_left;
    delete kick_hipsway_right;
    delete kick_generic_left;
    delete kick_generic_right;
    delete standup_back;
    delete standup_front;
    delete front_back_move;
    delete walk_engine;
}

void NaoMoveSuperClass::getInitPos()
{
    left_hip = walk_engine->getLeftHip();
    right_hip = walk_engine->getRightHip();
    left_shoulder = walk_engine->getLeftShoulder();
    right_shoulder = walk_engine->getRightShoulder();

    // The stance the generic kick is made for: the ankles 0.0108 m behind
    // the torso, the hips' width apart, the legs bent to the walking
    // engine's built-in crouch. For the standard legs the torso centre then
    // stands 0.311486 m above the soles; a longer-legged robot type takes
    // the same crouch of its own legs (kicking 2.7 cm lower than its stance,
    // a robot of type 1 came down at the end of every kick).
    Model* m = walk_engine->model;
    ref_point =
        Vector_<double>(-0.0108, -m->HipOffsetY,
                        -(m->HipOffsetZ + walk_engine->length_stretched_leg * walk::DEFAULT_RATIO_FLEXION));

    walk_engine->getLegsLeftRight(init_pos_foot_left, init_rotM_foot_left, init_pos_foot_right,
                                  init_rotM_foot_right);
    m->nao_inverse_geometric_model_left_leg(init_pos_foot_left, init_rotM_foot_left, q_left_leg);
    m->nao_inverse_geometric_model_right_leg(init_pos_foot_right, init_rotM_foot_right, q_right_leg);

    walk_engine->getFeetPosMatrices_Inclined(incl_pos_foot_left, incl_rotM_foot_left, incl_pos_foot_right,
                                             incl_rotM_foot_right);

    walk_engine->getHandsLeftRight(init_pos_hand_left, init_rotM_hand_left, init_pos_hand_right,
                                   init_rotM_hand_right);
    m->nao_inverse_geometric_model_left_arm(init_pos_hand_left, init_rotM_hand_left, q_left_arm);
    m->nao_inverse_geometric_model_right_arm(init_pos_hand_right, init_rotM_hand_right, q_right_arm);
}

void NaoMoveSuperClass::prepare_Kick_Little(int side)
{
    Effector<double> lf(init_pos_foot_left, init_rotM_foot_left);
    Effector<double> rf(init_pos_foot_right, init_rotM_foot_right);
    Effector<double> lh(init_pos_hand_left, init_rotM_hand_left);
    Effector<double> rh(init_pos_hand_right, init_rotM_hand_right);

    motionType<double, 9>* mo = new motionType<double, 9>(this, lf, rf, lh, rh, 0);
    if (side == -1) {
        kick_little_left = mo;
    } else {
        kick_little_right = mo;
    }
    const int s = (side == -1) ? -1 : 1;
    Effector<double>& K = (s == -1) ? lf : rf;
    Model* m = walk_engine->model;
    const double time_factor = 1.0;

    // Moves the kicking foot to the direct model of its own inverse model
    // with the hip pitch, knee and ankle pitch edited.
    auto bend = [&](double hip_pitch, double knee_delta) {
        double q[6];
        m->nao_inverse_geometric_model_leg(K.target_pos, K.rotM, q, s);
        q[2] = hip_pitch;
        q[3] = q[3] + knee_delta;
        q[4] = 0;
        Vector_<double> p(0, 0, 0);
        Matrix_<double> R;
        m->nao_direct_geometric_model_leg(q, p, R, s);
        set_pose(K, p, R);
    };

    const Vector_<double> down(-0.055, -0.03 * s, -0.064);
    lf.addTrans(down);
    rf.addTrans(down);
    mo->setNextPos(0.4 * time_factor, lf, rf, lh, rh);

    K.addTrans(Vector_<double>(0, 0, 0.1));
    bend(deg(45), 0);
    mo->setNextPos(0.75 * time_factor, lf, rf, lh, rh);

    bend(deg(-40), 0);
    K.setTrajProfileLinear();
    mo->setNextPos(0.15 * time_factor, lf, rf, lh, rh);

    bend(deg(-70), deg(-90));
    K.setTrajProfileLinear();
    mo->setNextPos(0.08 * time_factor, lf, rf, lh, rh);

    hold_all(lf, rf, lh, rh);
    mo->setNextPos(0.2 * time_factor, lf, rf, lh, rh);

    feet_to_init(*this, lf, rf);
    hands_to_init(*this, lh, rh);
    mo->setNextPos(0.6 * time_factor, lf, rf, lh, rh);
}

void NaoMoveSuperClass::prepare_Kick_HipSway(int side)
{
    Effector<double> lf(init_pos_foot_left, init_rotM_foot_left);
    Effector<double> rf(init_pos_foot_right, init_rotM_foot_right);
    Effector<double> lh(init_pos_hand_left, init_rotM_hand_left);
    Effector<double> rh(init_pos_hand_right, init_rotM_hand_right);

    motionType<double, 13>* mo = new motionType<double, 13>(this, lf, rf, lh, rh, 0);
    if (side == -1) {
        kick_hipsway_left = mo;
    } else {
        kick_hipsway_right = mo;
    }
    const int s = (side == -1) ? -1 : 1;
    Effector<double>& K = (s == -1) ? lf : rf;
    Effector<double>& S = (s == -1) ? rf : lf;
    const Vector_<double> hipK = (s == -1) ? left_hip : right_hip;
    const Vector_<double> Y(0, 1, 0);

    const Vector_<double> sway(0, 0.05 * s, 0);
    lf.addTrans(sway);
    rf.addTrans(sway);
    mo->setNextPos(0.22, lf, rf, lh, rh);

    S.addTrans(Vector_<double>(0, 0, 0.02));
    mo->setNextPos(0.1, lf, rf, lh, rh);

    S.addTrans(Vector_<double>(0.12, 0, 0));
    mo->setNextPos(0.1, lf, rf, lh, rh);

    S.addTrans(Vector_<double>(0, 0, -0.02));
    mo->setNextPos(0.1, lf, rf, lh, rh);

    const Vector_<double> back(-0.12, -2 * 0.05 * s, 0);
    lf.addTrans(back);
    rf.addTrans(back);
    mo->setNextPos(0.7, lf, rf, lh, rh);

    K.addTrans(Vector_<double>(0, 0, 0.056));
    mo->setNextPos(0.4, lf, rf, lh, rh);

    S.addTrans(Vector_<double>(0.015, 0, -0.06));
    K.setRotM(Ry(deg(45)));
    mo->setNextPos(0.4, lf, rf, lh, rh);

    arc(K, hipK, Y, deg(80));
    mo->setNextPos(0.2, lf, rf, lh, rh);

    arc(K, hipK, Y, deg(-80));
    K.setTrajProfileLinear();
    mo->setNextPos(0.1, lf, rf, lh, rh);

    arc(K, hipK, Y, deg(-145), deg(-100), 1.32);
    mo->setNextPos(0.06, lf, rf, lh, rh);

    lf.setTrajProfileCubic();
    rf.setTrajProfileCubic();
    hold_all(lf, rf, lh, rh);
    mo->setNextPos(0.1, lf, rf, lh, rh);

    feet_to_init(*this, lf, rf);
    hands_to_init(*this, lh, rh);
    mo->setNextPos(0.3, lf, rf, lh, rh);

    hold_all(lf, rf, lh, rh);
    mo->setNextPos(0.1, lf, rf, lh, rh);
}

void NaoMoveSuperClass::prepare_Kick_HipSway2_Generic(int side)
{
    Effector<double> lf(init_pos_foot_left, init_rotM_foot_left);
    Effector<double> rf(init_pos_foot_right, init_rotM_foot_right);
    Effector<double> lh(init_pos_hand_left, init_rotM_hand_left);
    Effector<double> rh(init_pos_hand_right, init_rotM_hand_right);

    // The feet of this kick track their toe tips.
    const double toe = walk_engine->model->Length_Ankle_Toe_Tip;
    lf.addTrans(init_rotM_foot_left * Vector_<double>(toe, 0, 0));
    rf.addTrans(init_rotM_foot_right * Vector_<double>(toe, 0, 0));

    motionType<double, 15>* mo = new motionType<double, 15>(this, lf, rf, lh, rh, 1);
    if (side == -1) {
        kick_generic_left = mo;
    } else {
        kick_generic_right = mo;
    }
    kick_in_preparation = mo;
    prepare_Kick_HipSway2_Generic_NewTrackingToeTip(side, lf, rf, lh, rh);
}

void NaoMoveSuperClass::prepare_Kick_HipSway2_Generic_NewTrackingToeTip(int side, Effector<double>& lf,
                                                                        Effector<double>& rf,
                                                                        Effector<double>& lh,
                                                                        Effector<double>& rh)
{
    motionType<double, 15>* mo = kick_in_preparation;
    const ParamStepBeforeKick p(0.22, 0.1, 0.1, 0.1, 0.4, 0.6, 0.02, 0.12, deg(17), 0.05, 1.0);

    const double toe = walk_engine->model->Length_Ankle_Toe_Tip;
    const Vector_<double> TL0 = init_pos_foot_left + init_rotM_foot_left * Vector_<double>(toe, 0, 0);
    const Vector_<double> TR0 = init_pos_foot_right + init_rotM_foot_right * Vector_<double>(toe, 0, 0);

    Prepare_Step_Before_Kick_HipSway2(side, p, lf, rf, lh, rh);

    const int s = (side == -1) ? -1 : 1;
    Effector<double>& K = (s == -1) ? lf : rf;
    Effector<double>& S = (s == -1) ? rf : lf;
    const Vector_<double> hipS = (s == -1) ? right_hip : left_hip;
    const Vector_<double> K0 = (s == -1) ? TL0 : TR0;
    const Vector_<double> S0 = (s == -1) ? TR0 : TL0;
    const Matrix_<double> RK0 = (s == -1) ? init_rotM_foot_left : init_rotM_foot_right;
    const Matrix_<double> RS0 = (s == -1) ? init_rotM_foot_right : init_rotM_foot_left;
    const Effector<double> Ka(K);
    const Effector<double> Sa(S);
    const Matrix_<double> M = Rx(p.angRoll * s);
    const ParamKick& F = param_kick;
    const Vector_<double> Y(0, 1, 0);

    // Raise the kicking foot.
    K.setPos(Ka.target_pos +
             M * (Vector_<double>(0, 0, F.zRaise + 0.012) + Vector_<double>(F.xRaise, 0, -F.zRaise)));
    S.setPos(Sa.target_pos + M * Vector_<double>(F.xRaise, 0, -F.zRaise));
    hold(lf);
    hold(rf);
    mo->setNextPos(0.4, lf, rf, lh, rh);

    // Swing back.
    K.setPos(Ka.target_pos + M * Vector_<double>(F.xToeBack, 0, F.zToeBack));
    K.setRotM(M * Ry(F.angFootSoleBack));
    arc(S, hipS, Y, F.angTorsoBack);
    mo->setNextPos(0.3, lf, rf, lh, rh);

    // Strike.
    K.setPos(Ka.target_pos + M * Vector_<double>(F.xToeStrike, 0, F.zToeStrike));
    K.setRotM(M * Ry(F.angFootSoleStrike));
    arc(S, hipS, Y, F.angTorsoStrike - F.angTorsoBack);
    mo->setNextPos(F.timeStrike, lf, rf, lh, rh);

    // Follow through.
    K.setPos(Ka.target_pos + M * Vector_<double>(F.xToeFront, 0, F.zToeFront));
    K.setRotM(M * Ry(F.angFootSoleFront));
    arc(S, hipS, Y, F.angTorsoFront - F.angTorsoStrike);
    mo->setNextPos(F.timeFront, lf, rf, lh, rh);

    lf.ClearTransfo();
    rf.ClearTransfo();
    mo->setNextPos(0.2, lf, rf, lh, rh);

    // Back to the stance, the kicking foot a little above the ground first.
    // The feet leave the follow-through and reach the stance at rest (the
    // five-part law, as the hip-sway kick returns): on the linear law the
    // first sample alone would bend the nearly stretched kicking knee by
    // tens of degrees, far beyond what the joints can follow, and the robot,
    // left behind on its support toe, came down on its heels and tipped over
    // backwards once the kick had ended.
    // The stance is the one of the first pose, at the reference height: a
    // walk stance of another height (a longer-legged robot type, a tuned
    // crouch) would otherwise have the legs stretch or bend by its
    // difference in the same 0.4 s, which threw the robot over after the
    // kick. The walk's stand pose, played before the next walk, brings the
    // robot back to its walking height.
    const Vector_<double> to_reference(ref_point[0] - init_pos_foot_right[0], 0,
                                       ref_point[2] - init_pos_foot_right[2]);
    const Vector_<double> K1 = K0 + to_reference;
    const Vector_<double> S1 = S0 + to_reference;
    lf.setTrajProfileCubic();
    rf.setTrajProfileCubic();
    K.setPos(K1 + Vector_<double>(0, 0, 0.03));
    S.setPos(S1);
    K.setRotM(RK0);
    S.setRotM(RS0);
    hands_to_init(*this, lh, rh);
    mo->setNextPos(0.3, lf, rf, lh, rh);

    lf.setTrajProfileLinear();
    rf.setTrajProfileLinear();
    K.setPos(K1);
    S.setPos(S1);
    K.setRotM(RK0);
    S.setRotM(RS0);
    mo->setNextPos(0.1, lf, rf, lh, rh);

    hold_all(lf, rf, lh, rh);
    mo->setNextPos(0.2, lf, rf, lh, rh);
}

void NaoMoveSuperClass::Prepare_Step_Before_Kick_HipSway2(int side, ParamStepBeforeKick p,
                                                          Effector<double>& lf, Effector<double>& rf,
                                                          Effector<double>& lh, Effector<double>& rh)
{
    motionType<double, 15>* mo = kick_in_preparation;
    const int s = (side == -1) ? -1 : 1;
    Effector<double>& S = (s == -1) ? rf : lf;
    Effector<double>& K = (s == -1) ? lf : rf;
    const Vector_<double> hipS = (s == -1) ? right_hip : left_hip;

    const Vector_<double> sway(ref_point[0] - init_pos_foot_right[0], p.ySway * s,
                               ref_point[2] - init_pos_foot_right[2]);
    lf.addTrans(sway);
    rf.addTrans(sway);
    mo->setNextPos(p.timeSway, lf, rf, lh, rh);

    S.addTrans(Vector_<double>(0, 0, p.heightLift));
    mo->setNextPos(p.timeLift, lf, rf, lh, rh);

    S.addTrans(Vector_<double>(p.lengthStep, 0, 0));
    mo->setNextPos(p.timeStep, lf, rf, lh, rh);

    S.addTrans(Vector_<double>(0, 0, -p.heightLift));
    mo->setNextPos(p.timePutDown, lf, rf, lh, rh);

    // Shift back over the support foot and roll both feet about x.
    const Vector_<double> shift(-p.lengthStep, -p.ySway * s, 0);
    lf.addTrans(shift);
    rf.addTrans(shift);
    const Vector_<double> d(-s * (lf.target_pos[0] - rf.target_pos[0]),
                            -s * (lf.target_pos[1] - rf.target_pos[1]), 0);
    const Matrix_<double> R = Rx(p.angRoll * s);
    S.target_pos = hipS + R * (S.target_pos - hipS);
    K.target_pos = S.target_pos + R * d;
    lf.setRotM(R);
    rf.setRotM(R);
    mo->setNextPos(p.timeRoll, lf, rf, lh, rh);
}

void NaoMoveSuperClass::prepareStandUpBack()
{
    Effector<double> lf(init_pos_foot_left, init_rotM_foot_left);
    Effector<double> rf(init_pos_foot_right, init_rotM_foot_right);
    Effector<double> lh(init_pos_hand_left, init_rotM_hand_left);
    Effector<double> rh(init_pos_hand_right, init_rotM_hand_right);
    standup_back = new motionType<double, 8>(this, lf, rf, lh, rh, 0);
    motionType<double, 8>* mo = standup_back;

    Model* m = walk_engine->model;
    const double L = m->Lf + m->Lt + m->FootHeight;
    const Vector_<double> X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1);
    // Made for the standard legs (0.27 m from hip to sole). Longer legs
    // carried the body on over the drawn-up feet: at the same timing a robot
    // of type 1 rolled onto its head in about half its tries. Played in
    // sqrt(0.27 / L) of the time (0.94 for type 1) it got up on its first
    // try 25 times in 28; 0.90 gave 8 in 12, 1.07 6 in 12, 1.15 4 in 12.
    // (The standard legs, whose length the body files give in single
    // precision, keep the listed durations exactly.)
    const double time_factor = std::fabs(L - kStandardLeg) < 1e-6 ? 1.0 : std::sqrt(kStandardLeg / L);

    // Legs stretched straight below the hips.
    lf.setPos(Vector_<double>(init_pos_foot_left[0], init_pos_foot_left[1], left_hip[2] - L));
    lf.setRotM(init_rotM_foot_left);
    rf.setPos(Vector_<double>(init_pos_foot_right[0], init_pos_foot_right[1], right_hip[2] - L));
    rf.setRotM(init_rotM_foot_right);
    arc(lh, left_shoulder, X, deg(30));
    arc(rh, right_shoulder, X, deg(-30));
    mo->setNextPos(0.1 * time_factor, lf, rf, lh, rh);

    hold(lf);
    hold(rf);
    arc(lh, left_shoulder, Y, deg(20));
    arc(rh, right_shoulder, Y, deg(20));
    mo->setNextPos(0.1 * time_factor, lf, rf, lh, rh);

    const double c10 = std::cos(deg(10)), s10 = std::sin(deg(10));
    arc(lf, left_hip, Vector_<double>(0, c10, -s10), deg(-110));
    arc(rf, right_hip, Vector_<double>(0, -c10, -s10), deg(110));
    arc(lh, left_shoulder, Z, deg(70));
    arc(rh, right_shoulder, Z, deg(-70));
    mo->setNextPos(0.6 * time_factor, lf, rf, lh, rh);

    arc(lf, left_hip, Z, deg(90));
    arc(rf, right_hip, Z, deg(-90));
    const double hl[9] = {0.933691, -0.309118, -0.180742, -0.0153671, -0.538878,
                          0.842243, -0.357751, -0.783617, -0.507896};
    const double hr[9] = {0.933691,  0.309118,  -0.180742, 0.0153671, -0.538878,
                          -0.842243, -0.357751, 0.783617,  -0.507896};
    set_pose(lh, Vector_<double>(0.184852, 0.0998533, 0.0122912), Matrix_<double>(const_cast<double*>(hl)));
    set_pose(rh, Vector_<double>(0.184852, -0.0998533, 0.0122912), Matrix_<double>(const_cast<double*>(hr)));
    mo->setNextPos(0.5 * time_factor, lf, rf, lh, rh);

    // Feet drawn up in front of the hips.
    draw_feet_up(*this, lf, rf, L);
    mo->setNextPos(0.5 * time_factor, lf, rf, lh, rh);

    rise_to_stand(*this, mo, lf, rf, lh, rh, time_factor, 0.3 * time_factor,
                  walk_engine->model->variant.standup_back_final_hold_periods * 0.15 * time_factor);
}

void NaoMoveSuperClass::prepareStandUpFront()
{
    Effector<double> lf(init_pos_foot_left, init_rotM_foot_left);
    Effector<double> rf(init_pos_foot_right, init_rotM_foot_right);
    Effector<double> lh(init_pos_hand_left, init_rotM_hand_left);
    Effector<double> rh(init_pos_hand_right, init_rotM_hand_right);
    standup_front = new motionType<double, 7>(this, lf, rf, lh, rh, 0);
    motionType<double, 7>* mo = standup_front;

    Model* m = walk_engine->model;
    const double L = m->Lf + m->Lt + m->FootHeight;
    const Vector_<double> X(1, 0, 0), Y(0, 1, 0);
    const double time_factor = 1.0;

    lf.setPos(Vector_<double>(init_pos_foot_left[0], init_pos_foot_left[1], left_hip[2] - L));
    lf.setRotM(Rz(deg(90)));
    rf.setPos(Vector_<double>(init_pos_foot_right[0], init_pos_foot_right[1], right_hip[2] - L));
    rf.setRotM(Rz(deg(-90)));
    {
        double ql[4] = {deg(90), 0, deg(-90), 0};
        double qr[4] = {deg(90), 0, deg(90), 0};
        Vector_<double> p(0, 0, 0);
        Matrix_<double> R;
        m->nao_direct_geometric_model_arm(ql, p, R, -1);
        set_pose(lh, p, R);
        m->nao_direct_geometric_model_arm(qr, p, R, 1);
        set_pose(rh, p, R);
    }
    mo->setNextPos(0.1 * time_factor, lf, rf, lh, rh);

    arc(lf, left_hip, X, deg(80));
    arc(rf, right_hip, X, deg(-80));
    arc(lh, left_shoulder, X, deg(65));
    arc(rh, right_shoulder, X, deg(-65));
    mo->setNextPos(time_stand_up_front_arms_out * time_factor, lf, rf, lh, rh);

    lf.ClearTransfo();
    rf.ClearTransfo();
    arc(lh, left_shoulder, Y, deg(-90));
    arc(rh, right_shoulder, Y, deg(-90));
    mo->setNextPos(0.2 * time_factor, lf, rf, lh, rh);

    draw_feet_up(*this, lf, rf, L);
    const Vector_<double> u0(0.7, 0, 1);
    const Vector_<double> u = u0 * (1.0 / u0.norm());
    arc(lh, left_shoulder, u, deg(-70));
    arc(rh, right_shoulder, u, deg(70));
    mo->setNextPos(0.5 * time_factor, lf, rf, lh, rh);

    rise_to_stand(*this, mo, lf, rf, lh, rh, time_factor, time_stand_up_front_over_feet * time_factor,
                  3 * 0.15 * time_factor);
}

void NaoMoveSuperClass::prepareFrontBackMove()
{
    Effector<double> lf(init_pos_foot_left, init_rotM_foot_left);
    Effector<double> rf(init_pos_foot_right, init_rotM_foot_right);
    Effector<double> lh(init_pos_hand_left, init_rotM_hand_left);
    Effector<double> rh(init_pos_hand_right, init_rotM_hand_right);
    front_back_move = new motionType<double, 2>(this, lf, rf, lh, rh, 0);
    const double T = 0.3;
    const double shift = 0.03;

    set_pose(lf, init_pos_foot_left - Vector_<double>(shift, 0, 0), init_rotM_foot_left);
    set_pose(rf, init_pos_foot_right - Vector_<double>(shift, 0, 0), init_rotM_foot_right);
    hands_to_init(*this, lh, rh);
    front_back_move->setNextPos(T, lf, rf, lh, rh);

    feet_to_init(*this, lf, rf);
    front_back_move->setNextPos(2 * T, lf, rf, lh, rh);
}

bool NaoMoveSuperClass::check_walk()
{
    const bool r = walk_engine->update_walk();
    walk_engine->getLegAnglesForCommand(q_left_leg, q_right_leg);
    return r;
}

bool NaoMoveSuperClass::check_kick(double& gain, char type, int side)
{
    if (check_if_standup_active()) return false;
    bool r;
    if (type == 1) {
        r = (side == -1 ? kick_generic_left : kick_generic_right)->callUpdate(gain, side);
    } else if (type == 2) {
        r = (side == -1 ? kick_hipsway_left : kick_hipsway_right)->callUpdate(gain, side);
    } else {
        r = (side == -1 ? kick_little_left : kick_little_right)->callUpdate(gain, side);
    }
    // Every kick ends with the walk back at rest (unless the variant keeps it).
    if (!r && walk_engine->model->variant.reset_walk_after_motion) walk_engine->ResetWalk();
    return r;
}

bool NaoMoveSuperClass::check_leftKick(double& gain, char type) { return check_kick(gain, type, -1); }

bool NaoMoveSuperClass::check_rightKick(double& gain, char type) { return check_kick(gain, type, 1); }

bool NaoMoveSuperClass::check_standUpFromBackLyingPos()
{
    double g = 0;
    const bool r = standup_back->callUpdate(g, 0);
    if (r) {
        reset_all_kicks();
    } else if (walk_engine->model->variant.reset_walk_after_motion) {
        walk_engine->ResetWalk();
    }
    return r;
}

bool NaoMoveSuperClass::check_standUpFromFrontLyingPos()
{
    double g = 0;
    const bool r = standup_front->callUpdate(g, 0);
    if (r) {
        reset_all_kicks();
    } else if (walk_engine->model->variant.reset_walk_after_motion) {
        walk_engine->ResetWalk();
    }
    return r;
}

bool NaoMoveSuperClass::check_if_standup_active()
{
    const bool active = standup_back->IsActive() || standup_front->IsActive();
    if (active) reset_all_kicks();
    return active;
}

void NaoMoveSuperClass::reset_all_kicks()
{
    kick_little_left->reset();
    kick_little_right->reset();
    kick_hipsway_left->reset();
    kick_hipsway_right->reset();
    kick_generic_left->reset();
    kick_generic_right->reset();
}

bool NaoMoveSuperClass::check_FrontBackMove()
{
    double g = 0;
    return front_back_move->callUpdate(g, 0);
}

bool NaoMoveSuperClass::check_model()
{
    Model* m = walk_engine->model;
    const Matrix_<double> I;
    const double rad2deg = 180.0 / kPi;
    const struct {
        const char* title;
        const char* target;
        const char* recalc;
        int side;
    } legs[] = {{"LEFT LEG :: check=", "left_TM=(", "left_M_recalc=(", -1},
                {"RIGHT LEG :: check=", "right_TM=(", "right_M_recalc=(", 1}};
    for (const auto& leg : legs) {
        const Vector_<double> target(0.02, -leg.side * 0.5 * m->HipOffsetY, -m->HipOffsetZ - m->Lf - m->Lt);
        double q[6];
        const int check = m->nao_inverse_geometric_model_leg(target, I, q, leg.side);
        std::printf("%s%d\n", leg.title, check);
        for (int i = 0; i < 6; i++) std::printf("theta%d = %f\n", i + 1, q[i] * rad2deg);
        Vector_<double> p(0, 0, 0);
        Matrix_<double> R;
        m->nao_direct_geometric_model_leg(q, p, R, leg.side);
        std::printf("%s%f,%f,%f)\n", leg.target, target[0], target[1], target[2]);
        std::printf("%s%f,%f,%f)\n", leg.recalc, p[0], p[1], p[2]);
    }
    return true;
}
