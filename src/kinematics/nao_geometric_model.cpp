#include "kinematics/nao_geometric_model.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

typedef Vector_<double> Vec;
typedef Matrix_<double> Mat;

const double kSqrt2Over2 = 0.70710678118654752440;

// Rotation of a DHKK frame in its parent, from the cosines and sines of
// theta and alpha.
Mat frame_rotation(double ct, double st, double ca, double sa)
{
    Mat R;
    R[0][0] = ct;
    R[0][1] = -st;
    R[0][2] = 0;
    R[1][0] = ca * st;
    R[1][1] = ca * ct;
    R[1][2] = -sa;
    R[2][0] = sa * st;
    R[2][1] = sa * ct;
    R[2][2] = ca;
    return R;
}

// Origin of a DHKK frame in its parent.
Vec frame_offset(double d, double r, double sa, double ca) { return Vec(d, -r * sa, r * ca); }

template <int N>
Mat table_rotation(const DHKKTable<N>& T, int j)
{
    return frame_rotation(cos(T.theta[j]), sin(T.theta[j]), cos(T.alpha[j]), sin(T.alpha[j]));
}

template <int N>
Vec table_offset(const DHKKTable<N>& T, int j)
{
    return frame_offset(T.d[j], T.r[j], sin(T.alpha[j]), cos(T.alpha[j]));
}

// What the inverse models solve for, from the pose (pos, R) of a chain's end
// frame: W, the orientation of the last joint frame relative to frame 0 (the
// fixed end frames taken out), and D, the vector from the origin of frame 1
// (hip or shoulder) to that of the last joint frame (ankle or elbow), in
// frame 0.
template <int N>
void target_in_frame0(const DHKKTable<N>& T, const Vec& pos, const Mat& R, Mat& W, Vec& D)
{
    const Mat R0t = transpose(table_rotation(T, 0));
    const Vec P0 = table_offset(T, 0);
    const Mat Rnt = transpose(table_rotation(T, N - 1));
    const Vec Pn = table_offset(T, N - 1);
    const Vec P1 = table_offset(T, 1);
    W = R0t * R * Rnt;
    D = R0t * (pos - P0 - R * Rnt * Pn) - P1;
}

// Chains the transforms of frames 0..m (cosines, sines and distances
// already evaluated at the joint angles) and applies them to the point p
// given in frame m.
void chain_pose(int m, const double* ct, const double* st, const double* ca, const double* sa,
                const double* d, const double* r, const Vec& p, Vec& pos, Mat& R)
{
    Vec v(p);
    Mat Racc;
    for (int j = m; j >= 0; j--) {
        Mat Rj = frame_rotation(ct[j], st[j], ca[j], sa[j]);
        v = frame_offset(d[j], r[j], sa[j], ca[j]) + Rj * v;
        Racc = Rj * Racc;
    }
    pos = v;
    R = Racc;
}

// Evaluates a table at joint angles q, frames first..last carrying joints
// 0..last-first.
template <int N>
void eval_table(const DHKKTable<N>& T, int first, int last, const double* q, double* ct, double* st,
                double* ca, double* sa, double* d, double* r)
{
    for (int j = 0; j < N; j++) {
        double th = T.theta[j];
        if (j >= first && j <= last) th += q[j - first];
        ct[j] = cos(th);
        st[j] = sin(th);
        ca[j] = cos(T.alpha[j]);
        sa[j] = sin(T.alpha[j]);
        d[j] = T.d[j];
        r[j] = T.r[j];
    }
}

}  // namespace

Model::Model(int version_, int Ptype, int Stype, const char* dir, const motion_variant_t& variant_)
    : variant(variant_)
{
    version = version_;
    eps = 1e-6;
    Torso2NeckYawCenterZ = 0;
    NeckYawCenter2NeckPitchCenterZ = 0;
    NeckPitchCenter2HeadCenterZ = 0;
    ShankCenter2KneeZ = 0;
    ShankCenter2KneeY = 0;

    if (version == 1) {
        param.init(dir, Ptype, Stype, variant.body_files_separator);
        const NaoLeg& leg = param.left_leg;
        const NaoArm& arm = param.left_arm;
        // The body files' axes are X right, Y forward, Z up; the model's x
        // forward, y left, z up. Only the left limbs are read: the right
        // ones follow by symmetry.
        HipOffsetZ = -leg.Hip1RelTorso_Z;
        HipOffsetY = -leg.Hip1RelTorso_X;
        HipOffsetX = -leg.Hip1RelTorso_Y;

        ShankCenter2KneeZ = 0.045;
        ShankCenter2KneeY = -0.01;
        KneeAnkleOffsetX = -leg.ShankRelThigh_Y - ShankCenter2KneeY;
        Lf = (-leg.ShankRelThigh_Z - ShankCenter2KneeZ) + (-leg.ThighRelHip2_Z);
        // Knee centre down to the ankle centre: the knee sits
        // ShankCenter2KneeZ above the shank centre and the ankle
        // -AnkleRelShank_Z below it. (Deriving it from the shank box would
        // ignore the longer shanks of the long-legged robot types.)
        Lt = ShankCenter2KneeZ + (-leg.AnkleRelShank_Z);
        // Widened before the arithmetic: only Larm's sum is formed in single
        // precision.
        FootHeight = -static_cast<double>(leg.FootRelAnkle_Z) + static_cast<double>(leg.FootSizeZ) / 2;
        Length_Heel_Ankle = static_cast<double>(leg.FootSizeY) / 2 - static_cast<double>(leg.FootRelAnkle_Y);
        Length_Ankle_Toe_Tip = leg.FootSizeY - Length_Heel_Ankle;
        Length_Ankle_IntBorderSole = leg.FootSizeX / 2;
        Length_Ankle_ExtBorderSole = Length_Ankle_IntBorderSole;

        ShoulderOffsetZ = arm.ShoulderRelTorso_Z;
        ShoulderOffsetY = -arm.ShoulderRelTorso_X;
        ElbowOffsetY = 0;
        ElbowOffsetZ = arm.ElbowRelUpperArm_Z;
        Larm = static_cast<float>(arm.ElbowRelUpperArm_Y + arm.UpperarmRelShoulderY);
        Lforearm = static_cast<double>(arm.LowerarmRelElbow_Y) + arm.LowerArmSizeY / 2;

        NeckPitchCenter2HeadCenterZ = 0.005;
        Torso2NeckYawCenterZ = NaoBase::TorsoHeight / 2;
        NeckYawCenter2NeckPitchCenterZ = param.neck.Head_Radius - NeckPitchCenter2HeadCenterZ;
    } else {
        HipOffsetZ = 0.085;
        HipOffsetY = 0.05;
        HipOffsetX = 0;
        KneeAnkleOffsetX = 0;
        Lf = 0.1;
        Lt = 0.1029;
        FootHeight = 0.04519;
        Length_Heel_Ankle = 0.05;
        Length_Ankle_Toe_Tip = 0.11;
        Length_Ankle_IntBorderSole = 0.035;
        Length_Ankle_ExtBorderSole = 0.045;
        ShoulderOffsetZ = 0.1;
        ShoulderOffsetY = 0.098;
        ElbowOffsetY = 0.015;
        ElbowOffsetZ = 0;
        Larm = 0.105;
        Lforearm = 0.13;
    }

    Lthigh = sqrt((HipOffsetX - KneeAnkleOffsetX) * (HipOffsetX - KneeAnkleOffsetX) + Lf * Lf);
    ThighAngle = atan2(HipOffsetX - KneeAnkleOffsetX, Lf);

    getDHKK_kinematics_param_for_nao_leg(-1);
    getDHKK_kinematics_param_for_nao_leg(1);
    getDHKK_kinematics_param_for_nao_arm(-1);
    getDHKK_kinematics_param_for_nao_arm(1);
    getDHKK_kinematics_param_for_nao_neckhead();
}

int Model::getVersion() const { return version; }

void Model::getDHKK_kinematics_param_for_nao_leg(int side)
{
    const double s = side;
    const double k = kSqrt2Over2;
    const Vec O(0, 0, 0), x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    const Vec H(-HipOffsetX, -s * HipOffsetY, -HipOffsetZ);
    const Vec K = H + Vec(HipOffsetX - KneeAnkleOffsetX, 0, -Lf);
    const Vec A = K + Vec(0, 0, -Lt);
    const Vec F = A + Vec(0, 0, -FootHeight);
    std::vector<Vec> P = {O, O, H, H, H, K, A, A, F, F};
    std::vector<Vec> Z = {z, z, Vec(0, k, s * k), x, y, y, y, x, z, -y};
    const double q[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    DHKKTable<8>& T = (side < 0) ? LegLeftDHKK : LegRightDHKK;
    calc_generic_DHKK_Param(8, P.data(), Z.data(), x, q, T.d, T.r, T.alpha, T.theta);
}

void Model::getDHKK_kinematics_param_for_nao_arm(int side)
{
    const double s = side;
    const Vec O(0, 0, 0), x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    const Vec S(0, -s * ShoulderOffsetY, ShoulderOffsetZ);
    const Vec E = S + Vec(Larm, -s * ElbowOffsetY, ElbowOffsetZ);
    const Vec W = E + Vec(Lforearm, 0, 0);
    std::vector<Vec> P = {O, O, S, S, E, E, W, W};
    std::vector<Vec> Z = {z, z, y, z, x, z, z, -y};
    const double q[6] = {0, 0, 0, 0, 0, 0};
    DHKKTable<6>& T = (side < 0) ? ArmLeftDHKK : ArmRightDHKK;
    calc_generic_DHKK_Param(6, P.data(), Z.data(), x, q, T.d, T.r, T.alpha, T.theta);
}

void Model::getDHKK_kinematics_param_for_nao_neckhead()
{
    const Vec O(0, 0, 0), x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    const double h = Torso2NeckYawCenterZ + NeckYawCenter2NeckPitchCenterZ;
    const Vec N(0, 0, h);
    const Vec D(0, 0, h + NeckPitchCenter2HeadCenterZ);
    std::vector<Vec> P = {O, O, N, N, D, D};
    std::vector<Vec> Z = {z, z, z, y, z, z};
    const double q[4] = {0, 0, 0, 0};
    calc_generic_DHKK_Param(4, P.data(), Z.data(), x, q, NeckheadDHKK.d, NeckheadDHKK.r, NeckheadDHKK.alpha,
                            NeckheadDHKK.theta);
}

void Model::calc_generic_DHKK_Param(int n, Vector_<double>* P, Vector_<double>* Z, Vector_<double> x0,
                                    const double* q, double* d, double* r, double* alpha, double* theta) const
{
    // X[i]: common normal of axes i and i+1 (the x axis of frame i-1);
    // Hf[i], Gf[i]: its feet on axis i and on axis i+1.
    std::vector<Vec> X, Hf, Gf;
    X.reserve(n + 1);
    Hf.reserve(n + 1);
    Gf.reserve(n + 1);
    for (int i = 0; i <= n; i++) {
        const Vec c = Z[i].crossprod(Z[i + 1]);
        const double nc = c.norm();
        const Vec delta = P[i + 1] - P[i];
        double a, b;
        if (nc >= 0.001) {
            X.push_back(c * (1.0 / nc));
            const Vec u = delta.crossprod(Z[i + 1]);
            const Vec v = delta.crossprod(Z[i]);
            a = (u * c) / (nc * nc);
            b = (v * c) / (nc * nc);
        } else {
            // Parallel axes: the normal points from axis i towards axis i+1,
            // or is inherited when the axes coincide.
            const Vec w = Z[i].crossprod(delta);
            const double nw = w.norm();
            if (nw >= 0.001)
                X.push_back(w.crossprod(Z[i]) * (1.0 / nw));
            else if (i == 0)
                X.push_back(x0);
            else
                X.push_back(X[i - 1]);
            a = 0;
            b = (P[i] - P[i + 1]) * Z[i + 1];
        }
        Hf.push_back(P[i] + Z[i] * a);
        Gf.push_back(P[i + 1] + Z[i + 1] * b);
    }

    for (int k = 0; k < n; k++) d[k] = r[k] = alpha[k] = theta[k] = 0;

    for (int k = 0; k < n; k++) {
        d[k] = (P[k + 1] - P[k]) * X[k];
        alpha[k] = atan2(Z[k].crossprod(Z[k + 1]) * X[k], Z[k] * Z[k + 1]);
        r[k] = (Hf[k + 1] - Gf[k]) * Z[k + 1];
        theta[k] = atan2(X[k].crossprod(X[k + 1]) * Z[k + 1], X[k] * X[k + 1]) + q[k];
    }
}

void Model::getLegDHKKParam(double* ct, double* st, double* ca, double* sa, double* d, double* r,
                            const double* q, int side) const
{
    eval_table((side < 0) ? LegLeftDHKK : LegRightDHKK, 1, 6, q, ct, st, ca, sa, d, r);
}

void Model::getArmDHKKParam(double* ct, double* st, double* ca, double* sa, double* d, double* r,
                            const double* q, int side) const
{
    eval_table((side < 0) ? ArmLeftDHKK : ArmRightDHKK, 1, 4, q, ct, st, ca, sa, d, r);
}

void Model::getNeckheadDHKKParam(double* ct, double* st, double* ca, double* sa, double* d, double* r,
                                 const double* q) const
{
    eval_table(NeckheadDHKK, 1, 2, q, ct, st, ca, sa, d, r);
}

// ---------------------------------------------------------------- direct models

int Model::nao_direct_geometric_model_leg(const double* q, Vector_<double>& pos, Matrix_<double>& R,
                                          int side) const
{
    double ct[8], st[8], ca[8], sa[8], d[8], r[8];
    getLegDHKKParam(ct, st, ca, sa, d, r, q, side);
    chain_pose(7, ct, st, ca, sa, d, r, Vec(0, 0, 0), pos, R);
    return 1;
}

int Model::nao_direct_geometric_model_left_leg(const double* q, Vector_<double>& pos,
                                               Matrix_<double>& R) const
{
    return nao_direct_geometric_model_leg(q, pos, R, -1);
}

int Model::nao_direct_geometric_model_right_leg(const double* q, Vector_<double>& pos,
                                                Matrix_<double>& R) const
{
    return nao_direct_geometric_model_leg(q, pos, R, 1);
}

int Model::nao_direct_geometric_model_arm(const double* q, Vector_<double>& pos, Matrix_<double>& R,
                                          int side) const
{
    double ct[6], st[6], ca[6], sa[6], d[6], r[6];
    getArmDHKKParam(ct, st, ca, sa, d, r, q, side);
    chain_pose(5, ct, st, ca, sa, d, r, Vec(0, 0, 0), pos, R);
    return 1;
}

int Model::nao_direct_geometric_model_left_arm(const double* q, Vector_<double>& pos,
                                               Matrix_<double>& R) const
{
    return nao_direct_geometric_model_arm(q, pos, R, -1);
}

int Model::nao_direct_geometric_model_right_arm(const double* q, Vector_<double>& pos,
                                                Matrix_<double>& R) const
{
    return nao_direct_geometric_model_arm(q, pos, R, 1);
}

int Model::nao_direct_geometric_model_leg_RDHKK(const double* q, Vector_<double>& pos, Matrix_<double>& R,
                                                int k, Vector_<double> point, int side) const
{
    if (k < 1 || k > 6) {
        fprintf(
            stderr,
            "nao_direct_geometric_model_leg_RDHKK::unknown index %d for DHKK coord. frame, returnnig -1\n",
            k);
        return -1;
    }
    // The last index selects the sole frame, fixed to the ankle roll frame.
    const int frame = (k == 6) ? 7 : k;
    double ct[8], st[8], ca[8], sa[8], d[8], r[8];
    getLegDHKKParam(ct, st, ca, sa, d, r, q, side);
    chain_pose(frame, ct, st, ca, sa, d, r, point, pos, R);
    return 1;
}

int Model::nao_direct_geometric_model_arm_RDHKK(const double* q, Vector_<double>& pos, Matrix_<double>& R,
                                                int k, Vector_<double> point, int side) const
{
    if (k < 1 || k > 4) {
        fprintf(
            stderr,
            "nao_direct_geometric_model_arm_RDHKK::unknown index %d for DHKK coord. frame, returnnig -1\n",
            k);
        return -1;
    }
    const int frame = (k == 4) ? 5 : k;
    double ct[6], st[6], ca[6], sa[6], d[6], r[6];
    getArmDHKKParam(ct, st, ca, sa, d, r, q, side);
    chain_pose(frame, ct, st, ca, sa, d, r, point, pos, R);
    return 1;
}

int Model::nao_direct_geometric_model_neckchead_RDHKK(const double* q, Vector_<double>& pos,
                                                      Matrix_<double>& R, int k, Vector_<double> point) const
{
    if (k < 1 || k > 2) {
        fprintf(stderr,
                "nao_direct_geometric_model_neckhead_RDHKK::unknown index %d for DHKK coord. frame, "
                "returnnig -1\n",
                k);
        return -1;
    }
    const int frame = (k == 2) ? 3 : k;
    double ct[4], st[4], ca[4], sa[4], d[4], r[4];
    getNeckheadDHKKParam(ct, st, ca, sa, d, r, q);
    chain_pose(frame, ct, st, ca, sa, d, r, point, pos, R);
    return 1;
}

// ---------------------------------------------------------------- inverse models

int Model::nao_inverse_geometric_model_leg(const Vector_<double>& pos, const Matrix_<double>& R, double* q,
                                           int side) const
{
    const double s = side;
    const double k2 = kSqrt2Over2;
    // Orientation of the ankle roll frame and hip-to-ankle vector, both
    // relative to frame 0.
    Mat W;
    Vec D(0, 0, 0);
    target_in_frame0((side < 0) ? LegLeftDHKK : LegRightDHKK, pos, R, W, D);
    const double DD = D * D;

    // A segment of no length or an ankle at the hip leaves nothing to divide
    // by: refuse with the zero pose (defined angles even for callers that
    // ignore the result) instead of returning NaN angles.
    if (Lthigh < eps || Lt < eps || DD < eps * eps) {
        fprintf(
            stderr,
            "nao_inverse_geometric_model_leg: degenerate leg or target (Lthigh=%g, Lt=%g, |hip-ankle|^2=%g), "
            "returning -1\n",
            Lthigh, Lt, DD);
        for (int i = 0; i < 6; i++) q[i] = 0;
        return -1;
    }

    // Knee.
    double c = (DD - Lthigh * Lthigh - Lt * Lt) / (2 * Lthigh * Lt);
    if (c > 1)
        c = 1;
    else if (c < -1)
        c = -1;
    const double sk = sqrt(1 - c * c);
    double a[6];
    a[3] = acos(c) - ThighAngle;

    // Ankle roll: the candidate of smaller magnitude.
    const Vec E = transpose(W) * D;
    const double a1 = atan2(E[0], E[1]);
    const double a2 = atan2(-E[0], -E[1]);
    a[5] = (fabs(a2) <= fabs(a1)) ? a2 : a1;

    // Ankle pitch.
    const Vec V(Lthigh * c + Lt, -Lthigh * sk, 0);
    const double s5 = sin(a[5]), c5 = cos(a[5]);
    const double t = E[0] * s5 + E[1] * c5;
    const double X4 = (V[0] * t - V[1] * E[2]) / DD;
    const double Y4 = (V[1] * t + V[0] * E[2]) / DD;
    a[4] = atan2(Y4, X4);

    // Hip: what is left of W once knee and ankle are taken out.
    Mat Rk, R4, R5;
    Rk[0][0] = c;
    Rk[0][1] = -sk;
    Rk[0][2] = 0;
    Rk[1][0] = sk;
    Rk[1][1] = c;
    Rk[1][2] = 0;
    Rk[2][0] = 0;
    Rk[2][1] = 0;
    Rk[2][2] = 1;
    R4[0][0] = X4;
    R4[0][1] = -Y4;
    R4[0][2] = 0;
    R4[1][0] = Y4;
    R4[1][1] = X4;
    R4[1][2] = 0;
    R4[2][0] = 0;
    R4[2][1] = 0;
    R4[2][2] = 1;
    R5[0][0] = s5;
    R5[0][1] = c5;
    R5[0][2] = 0;
    R5[1][0] = 0;
    R5[1][1] = 0;
    R5[1][2] = -1;
    R5[2][0] = -c5;
    R5[2][1] = s5;
    R5[2][2] = 0;
    const Mat T = W * transpose(R5) * transpose(R4) * transpose(Rk);

    // Hip yaw-pitch, about the axis tilted 45 degrees.
    const double y0 = s * T[0][2];
    const double x0 = -s * k2 * (T[2][2] + s * T[1][2]);
    a[0] = atan2(y0, x0);

    // Hip roll.
    const double c1 = k2 * (T[1][2] - s * T[2][2]);
    const double s1 = s * sqrt(x0 * x0 + y0 * y0);
    a[1] = atan2(s1, c1) - s * 3 * M_PI / 4;

    // Hip pitch.
    const double sq0 = sin(a[0]), cq0 = cos(a[0]);
    const double u = -sq0 * c1 * T[0][1] - cq0 * T[0][0];
    const double v = sq0 * c1 * T[0][0] - cq0 * T[0][1];
    a[2] = atan2(-u, -v) + ThighAngle;

    for (int i = 0; i < 6; i++) q[i] = a[i];
    return 1;
}

int Model::nao_inverse_geometric_model_left_leg(const Vector_<double>& pos, const Matrix_<double>& R,
                                                double* q) const
{
    return nao_inverse_geometric_model_leg(pos, R, q, -1);
}

int Model::nao_inverse_geometric_model_right_leg(const Vector_<double>& pos, const Matrix_<double>& R,
                                                 double* q) const
{
    return nao_inverse_geometric_model_leg(pos, R, q, 1);
}

int Model::nao_inverse_geometric_model_arm(const Vector_<double>& pos, const Matrix_<double>& R, double* q,
                                           int side) const
{
    const double s = side;
    // Shoulder-to-elbow vector in frame 0.
    Mat W;
    Vec D(0, 0, 0);
    target_in_frame0((side < 0) ? ArmLeftDHKK : ArmRightDHKK, pos, R, W, D);

    // Shoulder roll. With the elbow on the shoulder-pitch axis the roll
    // equation says nothing: the roll is kept as the caller passed it.
    double sr = 0, cr = 1;
    int result = 1;
    if (!(D[0] * D[0] < eps && D[2] * D[2] < eps)) {
        double s1, c1, s2, c2;
        result = solve_for_eq_Asin_plus_Bcos_plusC_equals_0(Larm, -s * ElbowOffsetY, D[1], s1, c1, s2, c2);
        if (result == 2 || result == 1) {
            sr = s1;
            cr = c1;
            q[1] = atan2(sr, cr);
        } else {
            q[1] = 0;
        }
    }

    // Shoulder pitch.
    const double e = cr * Larm + s * sr * ElbowOffsetY;
    const double Ap = D[2] * e + D[0] * ElbowOffsetZ;
    const double Bp = D[0] * e - D[2] * ElbowOffsetZ;
    q[0] = atan2(-Ap, -Bp);

    // Elbow.
    const double c0 = cos(q[0]), s0 = sin(q[0]);
    Mat M1, M2;
    M1[0][0] = -c0;
    M1[0][1] = s0;
    M1[0][2] = 0;
    M1[1][0] = 0;
    M1[1][1] = 0;
    M1[1][2] = -1;
    M1[2][0] = -s0;
    M1[2][1] = -c0;
    M1[2][2] = 0;
    M2[0][0] = -sr;
    M2[0][1] = -cr;
    M2[0][2] = 0;
    M2[1][0] = 0;
    M2[1][1] = 0;
    M2[1][2] = -1;
    M2[2][0] = cr;
    M2[2][1] = -sr;
    M2[2][2] = 0;
    const Mat T = transpose(M2) * transpose(M1) * W;
    q[2] = atan2(-T[0][2], T[2][2]);
    q[3] = atan2(T[1][1], -T[1][0]);
    return result;
}

int Model::nao_inverse_geometric_model_left_arm(const Vector_<double>& pos, const Matrix_<double>& R,
                                                double* q) const
{
    return nao_inverse_geometric_model_arm(pos, R, q, -1);
}

int Model::nao_inverse_geometric_model_right_arm(const Vector_<double>& pos, const Matrix_<double>& R,
                                                 double* q) const
{
    return nao_inverse_geometric_model_arm(pos, R, q, 1);
}

// ---------------------------------------------------------------- torso yaw

double Model::get_yaw_angle_torso_right_foot(const Vector_<double>& DO_R, const Vector_<double>& DO_L,
                                             double theta_step, const Matrix_<double>& R) const
{
    const Vec P0R = table_offset(LegRightDHKK, 0);
    const Vec P1R = table_offset(LegRightDHKK, 1);
    const Mat R0R = table_rotation(LegRightDHKK, 0);
    const Vec P0L = table_offset(LegLeftDHKK, 0);
    const Vec P1L = table_offset(LegLeftDHKK, 1);
    const Mat R0L = table_rotation(LegLeftDHKK, 0);
    const Vec DR = transpose(R0R) * (DO_R - P0R) - P1R;
    const Vec DL = transpose(R0L) * (DO_L - P0L) - P1L;
    const double t = tan(theta_step);
    const double F = FootHeight;

    const double a = R[1][0] * R[0][2] - R[0][0] * R[1][2];
    const double b = R[0][1] * R[1][2] - R[1][1] * R[0][2];
    const double c = R[2][2] * R[1][0] - R[2][0] * R[1][2];
    const double d = R[2][1] * R[1][2] - R[2][2] * R[1][1];
    const double e = R[2][2] * R[0][0] - R[2][0] * R[0][2];
    const double f = R[2][1] * R[0][2] - R[2][2] * R[0][1];

    const double A1 = DR[2] * e + DR[1] * a + R[0][0] * F;
    const double A2 = DL[2] * e + DL[1] * a + R[0][0] * F;
    const double B1 = DR[2] * f + DR[1] * b - R[0][1] * F;
    const double B2 = DL[2] * f + DL[1] * b - R[0][1] * F;
    const double C1 = (DR[1] - DR[2]) * c + (a + e) * DR[0] + (R[2][0] - R[1][0]) * F;
    const double C2 = (DL[2] + DL[1]) * c + (e - a) * DL[0] + (R[2][0] + R[1][0]) * F;
    const double D1 = (DR[1] - DR[2]) * d + (b + f) * DR[0] + (R[1][1] - R[2][1]) * F;
    const double D2 = (DL[2] + DL[1]) * d + (f - b) * DL[0] - (R[1][1] + R[2][1]) * F;

    const double E1 = C2 * t + D2;
    const double E2 = C2 - D2 * t;
    const double F1 = A2 * t + B2;
    const double F2 = A2 - B2 * t;
    // Quadratic in x = tan(psi).
    const double QA = A1 * E2 - C1 * F2;
    const double QB = B1 * E2 + A1 * E1 - C1 * F1 - D1 * F2;
    const double QC = B1 * E1 - D1 * F1;

    double x;
    if (fabs(QA) > 1e-5) {
        const double bp = QB / QA;
        const double cp = QC / QA;
        double delta = bp * bp - 4 * cp;
        if (delta < -1e-5) {
            if (variant.yaw_failure_gives_zero) {
                fprintf(stderr, "error, there is no solution, delta is too much negative = %f\n", delta);
                return 0;
            }
            fprintf(stderr,
                    "error, there is no solution, delta is too much negative = %f, A=%f, B=%f,Bp=%f, C=%f, "
                    "Cp=%f\n",
                    delta, QA, bp, QB, cp, QC);
            fprintf(stderr, "error(next debug), DO_R=(%f,%f,%f), DO_L=(%f,%f,%f), theta_step=%f\n", DO_R[0],
                    DO_R[1], DO_R[2], DO_L[0], DO_L[1], DO_L[2], theta_step);
            return -9999;
        }
        if (delta < 0) delta = 0;
        // The root nearest zero.
        if (fabs(bp) > 1e-5) {
            const double sgn = (bp < 0) ? -1.0 : 1.0;
            x = (sgn * sqrt(delta) - bp) / 2;
        } else {
            x = -sqrt(delta) / 2;
        }
    } else {
        if (fabs(QB) < 1e-5) {
            fprintf(stderr, "error, there is no solution (A,Bp)=(0,0)=(%f,%f)\n", QA, QB);
            return 0;
        }
        x = -QC / QB;
    }
    return atan(x);
}
