#ifndef BREVANE_KINEMATICS_NAO_GEOMETRIC_MODEL_H
#define BREVANE_KINEMATICS_NAO_GEOMETRIC_MODEL_H

// Geometric model of the simulated Nao: modified Denavit-Hartenberg
// (Khalil-Kleinfinger, "DHKK") tables of both legs, both arms and the
// neck-head, with the direct and inverse geometric models built on them.
//
// Torso frame: origin at the torso centre, x forward, y left, z up; metres,
// radians. Side: -1 left limb, +1 right limb. Matrices are row-major and
// their columns are a frame's axes in the torso frame.
//
// Joint arrays: leg 6 (hip yaw-pitch, hip roll, hip pitch, knee, ankle
// pitch, ankle roll), arm 4 (shoulder pitch, shoulder roll, elbow yaw,
// elbow roll), neck-head 2 (yaw, pitch).

#include "kinematics/cmat.h"
#include "kinematics/motion_variant.h"
#include "kinematics/naoparam.h"
#include "kinematics/vect.h"

// DHKK parameters of a chain of N frames, indexed by frame number. A joint
// frame's theta is its value at the zero pose.
template <int N>
struct DHKKTable {
    double d[N];
    double r[N];
    double alpha[N];
    double theta[N];
};

class Model {
public:
    int version;        // 1: dimensions from the body parameter files
    double eps;         // 1e-6, tolerance of the arm model and its equation solver
    double ThighAngle;  // inclination of the hip-to-knee line

    DHKKTable<8> LegLeftDHKK;
    DHKKTable<8> LegRightDHKK;
    DHKKTable<6> ArmLeftDHKK;
    DHKKTable<6> ArmRightDHKK;
    DHKKTable<4> NeckheadDHKK;

    double HipOffsetZ;
    double HipOffsetY;
    double HipOffsetX;
    double KneeAnkleOffsetX;
    double Lf;          // hip to knee, vertical
    double Lt;          // knee to ankle
    double FootHeight;  // ankle to sole
    double Length_Heel_Ankle;
    double Length_Ankle_Toe_Tip;
    double Length_Ankle_IntBorderSole;
    double Length_Ankle_ExtBorderSole;
    double ShoulderOffsetZ;
    double ShoulderOffsetY;
    double ElbowOffsetY;
    double ElbowOffsetZ;
    double Larm;
    double Lforearm;
    double Torso2NeckYawCenterZ;
    double NeckYawCenter2NeckPitchCenterZ;
    double NeckPitchCenter2HeadCenterZ;
    double ShankCenter2KneeZ;  // knee centre above the shank centre
    double ShankCenter2KneeY;  // knee centre from the shank centre, body-file forward axis
    NaoParam param;            // filled with version 1 only
    double Lthigh;             // hip centre to knee centre
    motion_variant_t variant;  // the program's motion variant (match agent by default)

    // version 1 reads the body parameters of robot type (Ptype, Stype) from
    // dir; any other version takes the built-in dimensions.
    Model(int version, int Ptype, int Stype, const char* dir,
          const motion_variant_t& variant = motion_variant_t());

    int getVersion() const;

    void getDHKK_kinematics_param_for_nao_leg(int side);
    void getDHKK_kinematics_param_for_nao_arm(int side);
    void getDHKK_kinematics_param_for_nao_neckhead();

    // DHKK parameters of n frames from the zero-pose geometry: P[i], Z[i]
    // (n + 2 entries) a point on and the unit direction of the z axis of
    // frame i - 1 (entry 0: the torso frame's z), x0 the initial x axis, q
    // the n angle offsets.
    void calc_generic_DHKK_Param(int n, Vector_<double>* P, Vector_<double>* Z, Vector_<double> x0,
                                 const double* q, double* d, double* r, double* alpha, double* theta) const;

    // Cosines and sines of theta (plus the joint angle for joint frames) and
    // alpha, and the distances d and r of every frame of a chain at joint
    // angles q: 8 entries for a leg, 6 for an arm, 4 for the neck-head.
    void getLegDHKKParam(double* ct, double* st, double* ca, double* sa, double* d, double* r,
                         const double* q, int side) const;
    void getArmDHKKParam(double* ct, double* st, double* ca, double* sa, double* d, double* r,
                         const double* q, int side) const;
    void getNeckheadDHKKParam(double* ct, double* st, double* ca, double* sa, double* d, double* r,
                              const double* q) const;

    // Direct models: pose of the sole frame (leg) or hand frame (arm) in the
    // torso frame. Return 1.
    int nao_direct_geometric_model_leg(const double* q, Vector_<double>& pos, Matrix_<double>& R,
                                       int side) const;
    int nao_direct_geometric_model_left_leg(const double* q, Vector_<double>& pos, Matrix_<double>& R) const;
    int nao_direct_geometric_model_right_leg(const double* q, Vector_<double>& pos, Matrix_<double>& R) const;
    int nao_direct_geometric_model_arm(const double* q, Vector_<double>& pos, Matrix_<double>& R,
                                       int side) const;
    int nao_direct_geometric_model_left_arm(const double* q, Vector_<double>& pos, Matrix_<double>& R) const;
    int nao_direct_geometric_model_right_arm(const double* q, Vector_<double>& pos, Matrix_<double>& R) const;

    // pos = point (given in the frame selected by k) in the torso frame, R =
    // that frame's orientation. Leg k: 1..5 frames 1..5, 6 the sole frame;
    // arm k: 1..3 frames 1..3, 4 the hand frame; neck-head k: 1 frame 1,
    // 2 the head frame. Any other k: message, -1, pos and R untouched.
    int nao_direct_geometric_model_leg_RDHKK(const double* q, Vector_<double>& pos, Matrix_<double>& R, int k,
                                             Vector_<double> point, int side) const;
    int nao_direct_geometric_model_arm_RDHKK(const double* q, Vector_<double>& pos, Matrix_<double>& R, int k,
                                             Vector_<double> point, int side) const;
    int nao_direct_geometric_model_neckchead_RDHKK(const double* q, Vector_<double>& pos, Matrix_<double>& R,
                                                   int k, Vector_<double> point) const;

    // Leg inverse model (closed form): angles putting the sole frame at
    // (pos, R). The knee always bends to the positive side; a target out of
    // reach is clamped to the stretched (or folded) leg. Returns 1; returns
    // -1 with a message and q set to 0 (the zero pose) when the target or
    // the leg gives no angles at all (a leg segment of zero length, the
    // ankle at the hip).
    int nao_inverse_geometric_model_leg(const Vector_<double>& pos, const Matrix_<double>& R, double* q,
                                        int side) const;
    int nao_inverse_geometric_model_left_leg(const Vector_<double>& pos, const Matrix_<double>& R,
                                             double* q) const;
    int nao_inverse_geometric_model_right_leg(const Vector_<double>& pos, const Matrix_<double>& R,
                                              double* q) const;

    // Arm inverse model: angles putting the hand frame at (pos, R). Returns
    // the roll equation's solver result (2 or 1), 1 when the elbow lies on
    // the shoulder-pitch axis (q[1] then left as passed), or -1 / -2 when the
    // roll equation has no solution / is degenerate (q[1] = 0 and the other
    // angles computed with a zero roll).
    int nao_inverse_geometric_model_arm(const Vector_<double>& pos, const Matrix_<double>& R, double* q,
                                        int side) const;
    int nao_inverse_geometric_model_left_arm(const Vector_<double>& pos, const Matrix_<double>& R,
                                             double* q) const;
    int nao_inverse_geometric_model_right_arm(const Vector_<double>& pos, const Matrix_<double>& R,
                                              double* q) const;

    // A sin x + B cos x + C = 0: (s1, c1), (s2, c2) sine and cosine of the
    // solutions, the first nearest zero. Returns 2, 1 (one solution
    // reported), -1 (none) or -2 (every x); unset outputs are 999.
    int solve_for_eq_Asin_plus_Bcos_plusC_equals_0(double A, double B, double C, double& s1, double& c1,
                                                   double& s2, double& c2) const;

    // Yaw psi of the right sole (DO_R, R Rz(psi)) such that it and the left
    // sole (DO_L, R Rz(psi + theta_step)) share one hip yaw-pitch angle.
    // -9999 (with two messages) when the equation has no solution, 0 (with
    // a message) when it is degenerate. With the variant's
    // yaw_failure_gives_zero the no-solution case gives 0 with one message.
    double get_yaw_angle_torso_right_foot(const Vector_<double>& DO_R, const Vector_<double>& DO_L,
                                          double theta_step, const Matrix_<double>& R) const;
};

#endif
