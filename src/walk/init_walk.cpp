// Walking engine: parameters, construction, stand pose and step planning.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "kinematics/nao_geometric_model.h"
#include "kinematics/naoparam.h"
#include "walk/walk.h"

namespace {

const double kPi = 3.14159265358979323846;
const double kDeg = kPi / 180.0;

// Defaults of the step maxima, kept when the parameter file gives a value
// that would make the step counts divide by zero.
const double kDefaultXStepMax = 0.08;
const double kDefaultYStepMax = 0.06;
const double kDefaultThetaStepMax = 1.0471975511965976;

Matrix_<double> rot_z(double a)
{
    Matrix_<double> M;
    M[0][0] = std::cos(a);
    M[0][1] = -std::sin(a);
    M[1][0] = std::sin(a);
    M[1][1] = std::cos(a);
    return M;
}

// Pendulum times come from atanh: an argument at or beyond +-1 (or not a
// number) has no finite time, and a negative time would give negative
// cycle counts; both fall back to a time that keeps the walk sound.
double time_from_atanh(double Tc, double arg, double fallback, const char* where)
{
    if (!std::isfinite(arg) || std::fabs(arg) >= 1.0) {
        fprintf(stderr, "walk::%s: atanh argument %f outside (-1, 1), using %f s\n", where, arg, fallback);
        return fallback;
    }
    double tt = Tc * std::atanh(arg);
    if (!(tt >= 0.0)) {
        // Already past the point: no time left for it.
        fprintf(stderr, "walk::%s: negative duration %f, using 0 s\n", where, tt);
        return 0.0;
    }
    return tt;
}

void set_vec(double* v, double a, double b)
{
    v[0] = a;
    v[1] = b;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

walk::walk(double dt_, int version, int Ptype, int Stype, const char* dir, const motion_variant_t& variant)
{
    model = new Model(version, Ptype, Stype, dir, variant);
    robot_type = Ptype;
    dt = dt_;
    g = 9.8;
    tol = 5e-4;
    tol_stop_rot = 1e-4;
    length_stretched_leg = model->Lf + model->Lt + model->FootHeight;

    set_dist_between_feet_p_points(version);

    long_offset_MidAnkles_2_Torso_Init = 0.0108;
    xlength_step_max = kDefaultXStepMax;
    ylength_step_max = kDefaultYStepMax;
    height_lift = 0.03;
    ratio_flexion = DEFAULT_RATIO_FLEXION;
    theta_step_max = kDefaultThetaStepMax;
    eta_torso_incline = 0.0;
    eta_torso_incline_lateral = 0.0;
    step_period = 0.24;

    NaoWalkParam::set(Ptype, Stype, "long_offset_MidAnkles_2_Torso_Init", long_offset_MidAnkles_2_Torso_Init,
                      "./");
    NaoWalkParam::set(Ptype, Stype, "xlength_step_max", xlength_step_max, "./");
    NaoWalkParam::set(Ptype, Stype, "ylength_step_max", ylength_step_max, "./");
    NaoWalkParam::set(Ptype, Stype, "height_lift", height_lift, "./");
    NaoWalkParam::set(Ptype, Stype, "ratio_flexion", ratio_flexion, "./");
    NaoWalkParam::set(Ptype, Stype, "dist_between_feet_p_points", dist_between_feet_p_points, "./");
    NaoWalkParam::set(Ptype, Stype, "theta_step_max", theta_step_max, "./");
    NaoWalkParam::set(Ptype, Stype, "eta_torso_incline", eta_torso_incline, "./");
    NaoWalkParam::set(Ptype, Stype, "eta_torso_incline_lateral", eta_torso_incline_lateral, "./");

    // The step counts divide by the maxima.
    struct {
        const char* key;
        double* value;
        double fallback;
    } maxima[] = {{"xlength_step_max", &xlength_step_max, kDefaultXStepMax},
                  {"ylength_step_max", &ylength_step_max, kDefaultYStepMax},
                  {"theta_step_max", &theta_step_max, kDefaultThetaStepMax}};
    for (auto& m : maxima) {
        if (!(*m.value > 0.0)) {
            fprintf(stderr, "walk::walk: %s = %f must be positive, keeping %f\n", m.key, *m.value,
                    m.fallback);
            *m.value = m.fallback;
        }
    }

    torso_center_height = length_stretched_leg * ratio_flexion + model->HipOffsetZ;
    foot_left[0] = -long_offset_MidAnkles_2_Torso_Init;
    foot_left[1] = dist_between_feet_p_points / 2.0;
    foot_left[2] = -torso_center_height;
    foot_right[0] = -long_offset_MidAnkles_2_Torso_Init;
    foot_right[1] = -dist_between_feet_p_points / 2.0;
    foot_right[2] = -torso_center_height;

    set_zc_and_Torso2COM();
    x_pApZMP_Init = xCOM_RT + long_offset_MidAnkles_2_Torso_Init;

    fprintf(stderr, "x_pApZMP_Init = %f\n", x_pApZMP_Init);
    fprintf(stderr, "ratio_flexion = %f\n", ratio_flexion);
    fprintf(stderr, "dist_between_feet_p_points = %f\n", dist_between_feet_p_points);
    fprintf(stderr, "torso_center_height = %f\n", torso_center_height);
    fprintf(stderr, "length_stretched_leg+HipOffsetZ = %f\n", length_stretched_leg + model->HipOffsetZ);
    fprintf(stderr, "zC = %f\n", zC);

    step_x = xlength_step_max;
    step_y = ylength_step_max;
    step_theta = theta_step_max;
    double_support_share = 0.0;

    if (!(dt > 0.0)) fprintf(stderr, "walk::walk: time step %f must be positive, walking disabled\n", dt);
    if (!(zC > 0.0))
        fprintf(stderr, "walk::walk: pendulum height zC = %f must be positive, walking disabled\n", zC);

    // Sized once: N_prepare follows dt only, which never changes.
    set_N_prepare();
    n_buffers = N_prepare > 0 ? N_prepare : 1;
    x_prep = new double[n_buffers]();
    y_prep = new double[n_buffers]();
    vx_prep = new double[n_buffers]();
    vy_prep = new double[n_buffers]();
    x_final = new double[n_buffers]();
    y_final = new double[n_buffers]();
    vx_final = new double[n_buffers]();
    vy_final = new double[n_buffers]();

    ResetWalk();

    // Pressure points of the standing stance.
    set_vec(p1, x_pApZMP_Init, -dist_between_feet_p_points / 2.0);
    set_vec(p2, x_pApZMP_Init, dist_between_feet_p_points / 2.0);
    set_vec(pp_cur, p1[0], p1[1]);
    set_vec(pp_prev, p1[0], p1[1]);
    set_vec(pp_next, p2[0], p2[1]);
    set_vec(fp_sup, p1[0] - x_pApZMP_Init, p1[1]);
    set_vec(fp_prev, fp_sup[0], fp_sup[1]);
    set_vec(fp_next, p2[0] - x_pApZMP_Init, p2[1]);
    support_left = 0;
    update_exp_for_side_with_support_foot();

    if (!can_walk() && dt > 0.0 && zC > 0.0 && total_mass > 0.0)
        fprintf(
            stderr,
            "walk::walk: time step %f too large for a walk (N = %ld, N_prepare = %ld), walking disabled\n",
            dt, N, N_prepare);

    writeStand3File();
    // The ramp climbs to the type's own longest forward step (0.08 m unless
    // its walk parameter file says otherwise), so that a longer step tuned
    // in the file lengthens the run-challenge walk too.
    step_manage = StepManage(xlength_step_max, step_period, 6.0);
}

walk::~walk()
{
    delete model;
    delete[] x_prep;
    delete[] y_prep;
    delete[] vx_prep;
    delete[] vy_prep;
    delete[] x_final;
    delete[] y_final;
    delete[] vx_final;
    delete[] vy_final;
}

bool walk::ramped_translation() const { return model->variant.step_manager && step_manage.usable(); }

bool walk::can_walk()
{
    // The preparation profile needs two ramps of at least two samples each.
    return dt > 0.0 && zC > 0.0 && total_mass > 0.0 && N_prepare >= 4 && N >= 1;
}

int walk::getVersion() { return model->getVersion(); }

void walk::set_dist_between_feet_p_points(int version)
{
    dist_between_feet_p_points = 0.11;
    if (version == 3) {
        double q[6] = {0.0, 0.0, -25.0 * kDeg, 40.0 * kDeg, -20.0 * kDeg, 0.0};
        Vector_<double> pos(0, 0, 0);
        Matrix_<double> Rf;
        model->nao_direct_geometric_model_leg(q, pos, Rf, -1);
        dist_between_feet_p_points = 2.0 * std::fabs(pos[1]);
    }
}

void walk::set_zc_and_Torso2COM()
{
    const NaoParam& P = model->param;
    const NaoLeg& leg = P.left_leg;
    const NaoArm& armL = P.left_arm;
    const NaoArm& armR = P.right_arm;

    // Stand-pose angles; the legs are symmetric, so both use the left angles.
    double qleg[6] = {0, 0, 0, 0, 0, 0};
    Matrix_<double> I;
    model->nao_inverse_geometric_model_leg(getFootLeft(), I, qleg, -1);
    double qarmL[4] = {0, 0, 0, 0}, qarmR[4] = {0, 0, 0, 0};
    Vector_<double> hL(0, 0, 0), hR(0, 0, 0);
    Matrix_<double> RhL, RhR;
    getHandsLeftRight(hL, RhL, hR, RhR);
    model->nao_inverse_geometric_model_arm(hL, RhL, qarmL, -1);
    model->nao_inverse_geometric_model_arm(hR, RhR, qarmR, +1);
    double qneck[2] = {0, 0};

    // Local centre of each segment in the frame that selects it.
    double ux = model->KneeAnkleOffsetX, uz = -model->Lf;
    double ul = std::sqrt(ux * ux + uz * uz);
    Vector_<double> u(ul > 0 ? ux / ul : 0.0, 0, ul > 0 ? uz / ul : -1.0);
    Vector_<double> ey(0, 1, 0);
    Vector_<double> r2 = ey.crossprod(u);
    Matrix_<double> T;
    for (int j = 0; j < 3; j++) {
        T[0][j] = u[j];
        T[1][j] = r2[j];
        T[2][j] = ey[j];
    }
    Vector_<double> thigh = T * Vector_<double>(leg.ThighRelHip2_Y, 0, leg.ThighRelHip2_Z);
    Vector_<double> leg_points[6] = {
        Vector_<double>(0, 0, 0),
        Vector_<double>(0, 0, 0),
        thigh,
        Vector_<double>(model->ShankCenter2KneeZ, model->ShankCenter2KneeY, 0),
        Vector_<double>(0, 0, 0),
        Vector_<double>(leg.FootSizeY / 2.0 - model->Length_Heel_Ankle, 0, leg.FootSizeZ / 2.0)};
    double leg_mass[6] = {leg.Hip1Mass,  leg.Hip2Mass,  leg.ThighMass,
                          leg.ShankMass, leg.AnkleMass, leg.FootMass};
    double arm_mass[4] = {armL.ShoulderMass, armL.UpperArmMass, armL.ElbowMass, armL.LowerArmMass};

    double M = NaoBase::TorsoMass + P.neck.Neck_Mass + P.neck.Head_Mass;
    double mx = 0.0, mz = 0.0;
    Vector_<double> pos(0, 0, 0);
    Matrix_<double> Rk;
    for (int i = 0; i < 6; i++) {
        M += 2.0 * leg_mass[i];
        model->nao_direct_geometric_model_leg_RDHKK(qleg, pos, Rk, i + 1, leg_points[i], -1);
        double xs = pos[0], zs = pos[2];
        model->nao_direct_geometric_model_leg_RDHKK(qleg, pos, Rk, i + 1, leg_points[i], +1);
        mx += leg_mass[i] * (xs + pos[0]);
        mz += leg_mass[i] * (zs + pos[2]);
    }
    for (int i = 0; i < 4; i++) {
        M += 2.0 * arm_mass[i];
        Vector_<double> pl(0, 0, 0), pr(0, 0, 0);
        if (i == 1) {
            pl =
                Vector_<double>(-armL.UpperarmRelShoulderX, -armL.UpperarmRelShoulderY, -model->ElbowOffsetZ);
            pr =
                Vector_<double>(-armR.UpperarmRelShoulderX, -armR.UpperarmRelShoulderY, -model->ElbowOffsetZ);
        } else if (i == 3) {
            pl = Vector_<double>(-armL.LowerArmSizeY / 2.0, 0, 0);
            pr = pl;
        }
        model->nao_direct_geometric_model_arm_RDHKK(qarmL, pos, Rk, i + 1, pl, -1);
        double xs = pos[0], zs = pos[2];
        model->nao_direct_geometric_model_arm_RDHKK(qarmR, pos, Rk, i + 1, pr, +1);
        mx += arm_mass[i] * (xs + pos[0]);
        mz += arm_mass[i] * (zs + pos[2]);
    }
    model->nao_direct_geometric_model_neckchead_RDHKK(
        qneck, pos, Rk, 1, Vector_<double>(0, 0, -model->NeckYawCenter2NeckPitchCenterZ));
    mx += P.neck.Neck_Mass * pos[0];
    mz += P.neck.Neck_Mass * pos[2];
    model->nao_direct_geometric_model_neckchead_RDHKK(qneck, pos, Rk, 2, Vector_<double>(0, 0, 0));
    mx += P.neck.Head_Mass * pos[0];
    mz += P.neck.Head_Mass * pos[2];

    total_mass = M;
    if (model->variant.null_mass_undivided) {
        if (std::fabs(M) < 0.001) {
            fprintf(stderr, "\n null MASS, be careful !!!\n");
            xCOM_RT = mx;
            zCOM_RT = mz;
        } else {
            xCOM_RT = mx / M;
            zCOM_RT = mz / M;
        }
    } else if (M > 0.0) {
        xCOM_RT = mx / M;
        zCOM_RT = mz / M;
    } else {
        fprintf(stderr, "walk::set_zc_and_Torso2COM: total body mass %f, walking disabled\n", M);
        xCOM_RT = 0.0;
        zCOM_RT = 0.0;
    }
    zC = torso_center_height + zCOM_RT;
    fprintf(stderr, "\nxCOM_RT=%f\n", xCOM_RT);
    fprintf(stderr, "zc=%f (zCOM_RT=%f)\n\n", zC, zCOM_RT);
}

// ---------------------------------------------------------------------------
// Getters for the whole-body motions
// ---------------------------------------------------------------------------

void walk::getTorsoInclineFwdLateral(double& fwd, double& lat)
{
    fwd = eta_torso_incline;
    lat = eta_torso_incline_lateral;
}

void walk::getMatrixForInclinationFwdLat(Matrix_<double>& Rincl)
{
    Vector_<double> nrm(std::tan(eta_torso_incline), std::tan(-eta_torso_incline_lateral), 1.0);
    nrm = nrm * (1.0 / nrm.norm());
    Vector_<double> kv = Vector_<double>(0, 0, 1).crossprod(nrm);
    double cc = nrm[2];
    double s = kv * kv;
    Matrix_<double> Id;
    if (s < 1e-4) {
        Rincl = Id;
        return;
    }
    Matrix_<double> KK, K;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) KK[i][j] = kv[i] * kv[j];
    K[0][0] = 0;
    K[0][1] = -kv[2];
    K[0][2] = kv[1];
    K[1][0] = kv[2];
    K[1][1] = 0;
    K[1][2] = -kv[0];
    K[2][0] = -kv[1];
    K[2][1] = kv[0];
    K[2][2] = 0;
    Rincl = (cc * Id + ((1.0 - cc) / s) * KK) - K;
}

Vector_<double> walk::getFootLeft() { return Vector_<double>(foot_left[0], foot_left[1], foot_left[2]); }

Vector_<double> walk::getFootRight() { return Vector_<double>(foot_right[0], foot_right[1], foot_right[2]); }

Vector_<double> walk::getLeftHip()
{
    return Vector_<double>(-model->HipOffsetX, model->HipOffsetY, -model->HipOffsetZ);
}

Vector_<double> walk::getRightHip()
{
    return Vector_<double>(-model->HipOffsetX, -model->HipOffsetY, -model->HipOffsetZ);
}

Vector_<double> walk::getLeftShoulder()
{
    return Vector_<double>(0, model->ShoulderOffsetY, model->ShoulderOffsetZ);
}

Vector_<double> walk::getRightShoulder()
{
    return Vector_<double>(0, -model->ShoulderOffsetY, model->ShoulderOffsetZ);
}

double walk::getYawAngleStep() { return yaw_left - yaw_right; }

double walk::getYawAngleRightForInit()
{
    Matrix_<double> Rincl;
    getMatrixForInclinationFwdLat(Rincl);
    return model->get_yaw_angle_torso_right_foot(Rincl * getFootRight(), Rincl * getFootLeft(),
                                                 getYawAngleStep(), Rincl);
}

void walk::getLegsLeftRight(Vector_<double>& pL, Matrix_<double>& RL, Vector_<double>& pR,
                            Matrix_<double>& RR)
{
    int v = getVersion();
    if (v == 1 || v == 2) {
        pL = getFootLeft();
        pR = getFootRight();
        RL = Matrix_<double>();
        RR = Matrix_<double>();
    } else if (v == 3) {
        double q[6] = {0.0, 0.0, -25.0 * kDeg, 40.0 * kDeg, -20.0 * kDeg, 0.0};
        model->nao_direct_geometric_model_leg(q, pL, RL, -1);
        q[1] = -q[1];
        q[5] = -q[5];
        model->nao_direct_geometric_model_leg(q, pR, RR, +1);
    }
}

void walk::getHandsLeftRight(Vector_<double>& pL, Matrix_<double>& RL, Vector_<double>& pR,
                             Matrix_<double>& RR)
{
    double qL[4];
    if (getVersion() == 3) {
        qL[0] = 80.0 * kDeg;
        qL[1] = 20.0 * kDeg;
        qL[2] = -80.0 * kDeg;
        qL[3] = -60.0 * kDeg;
    } else {
        qL[0] = 103.97 * kDeg;
        qL[1] = 11.51 * kDeg;
        qL[2] = -84.55 * kDeg;
        qL[3] = -30.85 * kDeg;
    }
    double qR[4] = {qL[0], -qL[1], -qL[2], -qL[3]};
    model->nao_direct_geometric_model_arm(qL, pL, RL, -1);
    model->nao_direct_geometric_model_arm(qR, pR, RR, +1);
}

void walk::getFeetPosMatrices_Inclined(Vector_<double>& pL, Matrix_<double>& RL, Vector_<double>& pR,
                                       Matrix_<double>& RR)
{
    Matrix_<double> Rincl;
    getMatrixForInclinationFwdLat(Rincl);
    Matrix_<double> R0 = Rincl * rot_z(Yaw_FootRight_Init);
    pL = R0 * getFootLeft();
    pR = R0 * getFootRight();
    double psi = model->get_yaw_angle_torso_right_foot(pR, pL, getYawAngleStep(), R0);
    if (psi == -9999) {
        fprintf(stderr, "error(epilepsie), getFootLeft()=(%f,%f,%f), getFootRight()=(%f,%f,%f)\n",
                foot_left[0], foot_left[1], foot_left[2], foot_right[0], foot_right[1], foot_right[2]);
        fprintf(stderr, "error(epilepsie), Yaw_FootRight_Init = %f\n", Yaw_FootRight_Init);
        fprintf(stderr, "error(epilepsie), eta_torso_incline = %f, eta_torso_incline_lateral = %f\n",
                eta_torso_incline, eta_torso_incline_lateral);
        psi = 0.0;
    }
    RR = R0 * rot_z(psi);
    RL = R0 * rot_z(psi + getYawAngleStep());
}

// ---------------------------------------------------------------------------
// Stand-pose file and reset
// ---------------------------------------------------------------------------

namespace {

// Replaces `path` with `text` whole. Every agent started in this directory
// rewrites its files while others may be reading them: a private file is
// written next to it and renamed into place, so a reader sees either the
// old or the new file, never a part.
bool replace_file(const std::string& path, const std::string& text)
{
    std::string tmp = path + ".tmpXXXXXX";
    int fd = mkstemp(&tmp[0]);
    FILE* f = fd >= 0 ? fdopen(fd, "w+") : nullptr;
    if (f == nullptr) {
        if (fd >= 0) {
            close(fd);
            unlink(tmp.c_str());
        }
        return false;
    }
    fchmod(fd, 0644);
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = fflush(f) == 0 && !ferror(f) && ok;
    ok = (fclose(f) == 0) && ok;
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

void append_angle(std::string& s, double deg)
{
    char b[32];
    snprintf(b, sizeof b, "%4.2f ", deg);
    s += b;
}

}  // namespace

std::string walk::stand_pose_file(int type) { return "dataWalk/stand3-" + std::to_string(type) + ".dat"; }

void walk::writeStand3File()
{
    double qaL[4] = {0, 0, 0, 0}, qaR[4] = {0, 0, 0, 0};
    Vector_<double> hL(0, 0, 0), hR(0, 0, 0);
    Matrix_<double> RhL, RhR;
    getHandsLeftRight(hL, RhL, hR, RhR);
    model->nao_inverse_geometric_model_arm(hL, RhL, qaL, -1);
    model->nao_inverse_geometric_model_arm(hR, RhR, qaR, +1);
    double qL[6] = {0, 0, 0, 0, 0, 0}, qR[6] = {0, 0, 0, 0, 0, 0};
    getLegAnglesForCommand(qL, qR);

    std::string text = " ";
    for (int i = 1; i <= 2; i++) text += "hj" + std::to_string(i) + " ";
    for (int i = 1; i <= 4; i++) text += "laj" + std::to_string(i) + " ";
    for (int i = 1; i <= 6; i++) text += "llj" + std::to_string(i) + " ";
    for (int i = 1; i <= 6; i++) text += "rlj" + std::to_string(i) + " ";
    for (int i = 1; i <= 4; i++) text += "raj" + std::to_string(i) + " ";
    text += "\n ";
    append_angle(text, 0.09);
    append_angle(text, 12.21);
    for (int i = 0; i < 4; i++) append_angle(text, qaL[i] * 180.0 / kPi);
    for (int i = 0; i < 6; i++) append_angle(text, qL[i] * 180.0 / kPi);
    for (int i = 0; i < 6; i++) append_angle(text, qR[i] * 180.0 / kPi);
    for (int i = 0; i < 4; i++) append_angle(text, qaR[i] * 180.0 / kPi);
    text += "\n";
    const bool shared_ok = replace_file("dataWalk/stand3.dat", text);
    const bool own_ok = replace_file(stand_pose_file(robot_type), text);
    if (!shared_ok || !own_ok) fprintf(stderr, "error, cannot open file...\n");
}

void walk::ResetWalk()
{
    foot_left[0] = -long_offset_MidAnkles_2_Torso_Init;
    foot_left[1] = dist_between_feet_p_points / 2.0;
    foot_left[2] = -torso_center_height;
    foot_right[0] = -long_offset_MidAnkles_2_Torso_Init;
    foot_right[1] = -dist_between_feet_p_points / 2.0;
    foot_right[2] = -torso_center_height;
    step_x = xlength_step_max;
    step_y = ylength_step_max;
    step_theta = theta_step_max;
    xc = yc = 0.0;
    yaw_left = yaw_right = 0.0;
    yaw_prev_step = yaw_cur_step = yaw_next_step = 0.0;
    k = k_total = 0;
    nb_steps_cruise_done = nb_steps_in_wp = nb_steps_all = 0;
    c = 0;
    x_total = y_total = theta_total = 0.0;
    pending_x = pending_y = pending_theta = pending_xc = pending_period = 0.0;
    xG_at_request = yG_at_request = theta_at_request = 0.0;
    stopped = 1;
    nx = ny = n = 0;
    x_rest = y_rest = theta_rest = 0.0;
    xG = x_pApZMP_Init;
    yG = 0.0;
    vxG = vyG = 0.0;
    x_torso = x_pApZMP_Init - xCOM_RT;
    y_torso = 0.0;
    odo_walk_x = odo_walk_y = odo_walk_theta = 0.0;
    ox = oy = 0.0;
    theta_orig = theta_walk = 0.0;
    for (int i = 0; i < 2; i++) {
        p1[i] = p2[i] = p3[i] = 0.0;
        pp_prev[i] = pp_cur[i] = pp_next[i] = 0.0;
        fp_prev[i] = fp_sup[i] = fp_next[i] = 0.0;
        pivot[i] = pivot_rot[i] = pivot_first_rot[i] = 0.0;
        x_start[i] = v_start[i] = o[i] = x_end[i] = v_end[i] = 0.0;
        x_target[i] = v_target[i] = 0.0;
        stateA_x[i] = stateA_v[i] = stateB_x[i] = stateB_v[i] = 0.0;
    }
    for (int i = 0; i < 3; i++) step_vec_prev[i] = step_vec_cur[i] = step_vec_next[i] = 0.0;
    via_x = via_y = 0.0;
    for (int i = 0; i < 5; i++) nbp[i] = 0;
    dx = dy = dz = yaw_swing = 0.0;
    if (dt > 0.0) {
        N = lround((float)(step_period / dt));
        step_period = N * dt;
    }
    set_N_prepare();
    nb_cruise_wp = nb_cruise_wp_prev = 0;
    support_left = 0;
    update_exp_for_side_with_support_foot();
    translating = rotating = dir_change_on_place = reentrant = pending = stop_requested = taking_over = 0;
    reentry_fraction = 0.0;
    in_p1 = in_p2 = in_p3 = in_p4 = in_p5 = false;
    start_p2 = end_p2 = start_p4 = end_p4 = end_p5 = false;
    odo_x0 = odo_y0 = odo_theta0 = 0.0;
    odo_ref_x = odo_ref_y = odo_ref_theta = 0.0;
    Yaw_FootRight_Init = getYawAngleRightForInit();
}

double walk::getxG() { return xG - x_pApZMP_Init; }

double walk::getyG() { return yG; }

double walk::thetaG() { return std::fmod(theta_walk + 3.0 * kPi, 2.0 * kPi) - kPi; }

// ---------------------------------------------------------------------------
// Requests
// ---------------------------------------------------------------------------

bool walk::init_walk_translate(double x, double y, double T)
{
    if (!can_walk()) {
        fprintf(stderr, "walk::init_walk_translate: walking disabled, request (%f, %f) refused\n", x, y);
        return false;
    }
    double Tr = T < 0.24 ? T : 0.24;
    if (!(lround(Tr / dt) >= 1)) {
        fprintf(stderr, "walk::init_walk_translate: step period %f shorter than one cycle, request refused\n",
                T);
        return false;
    }
    height_lift = std::fabs(std::atan2(y, x)) < 0.6981317007977318 ? 0.042 : 0.03;
    if (stopped) {
        // From standing the plan starts at rest, whatever speed an earlier
        // walk that was cut short left it with.
        step_manage.step_cur = 0.0;
        init_var_translate(x, y, T);
        return init_walk();
    }
    take_over_or_queue(translating, T, x, y, 0.0, 0.0);
    return true;
}

// A request while walking: a walk of the same kind still before its last
// phase takes it over at the current step; otherwise it waits for the end
// of the walk.
void walk::take_over_or_queue(bool same_kind, double T, double x, double y, double theta, double xc_)
{
    if (same_kind && k <= nbp[2]) {
        reentrant = 1;
        pending = 0;
        long done = (k > nbp[1] && N > 0) ? c : 0;
        reentry_fraction = 1.0 - (double)done / (double)N;
    } else {
        reentrant = 0;
        pending = 1;
        reentry_fraction = 0.0;
    }
    pending_period = T;
    pending_theta = theta;
    pending_xc = xc_;
    pending_x = x;
    pending_y = y;
    xG_at_request = getxG();
    yG_at_request = getyG();
    theta_at_request = thetaG();
}

bool walk::init_walk_rotate(double theta, double xc_, double T)
{
    (void)T;  // rotations always step at 0.14 s
    if (!can_walk()) {
        fprintf(stderr, "walk::init_walk_rotate: walking disabled, request %f refused\n", theta);
        return false;
    }
    if (!(lround(0.14 / dt) >= 1)) {
        fprintf(stderr, "walk::init_walk_rotate: step period 0.14 shorter than one cycle, request refused\n");
        return false;
    }
    if (xc_ > 0) xc_ = -xc_;
    if (stopped) {
        init_var_rotate(theta, xc_, 0.14);
        return init_walk();
    }
    take_over_or_queue(rotating, 0.14, 0.0, 0.0, theta, xc_);
    return true;
}

void walk::init_var_translate(double x, double y, double T)
{
    step_period = T < 0.24 ? T : 0.24;
    x_total = x;
    y_total = y;
    theta_total = 0.0;
    if (model->variant.step_manager) {
        step_manage.set_t_step(step_period);
        step_manage.setRemDist(x_total);
    }
}

void walk::init_var_rotate(double theta, double xc_, double T)
{
    step_period = T < 0.24 ? T : 0.24;
    theta_total = theta;
    xc = xc_ < -2.0 ? -2.0 : (xc_ > 2.0 ? 2.0 : xc_);
    yc = 0.0;
    x_total = 0.0;
    y_total = 0.0;
}

bool walk::init_walk()
{
    bool started = sub_init_walk_OK();
    if (!started) return false;
    // COM y from the walk frame's start to the via-point of phase 1.
    fill_com_profile(N_prepare, 0.0, (C1 - 1.0) / C1 * p1[1], y_prep, vy_prep, "init_walk");
    for (long i = 0; i < N_prepare; i++) {
        x_prep[i] = x_pApZMP_Init;
        vx_prep[i] = 0.0;
    }
    return started;
}

bool walk::sub_init_walk_OK()
{
    if (!stopped) return true;
    translating = (std::fabs(x_total) > tol || std::fabs(y_total) > tol) ? 1 : 0;
    rotating = (!translating && std::fabs(theta_total) > tol) ? 1 : 0;
    if (!translating && !rotating) {
        stopped = 1;
        return false;
    }
    stopped = 0;
    get_support_foot();
    calculate_steps();
    calculate_for_1st_last_wp();
    calculate_coeff_optim_pressure_points();
    initial_set();
    update_all_nbp_first_request();
    deal_with_joint_commands_both_feet_on_the_ground(fp_sup, fp_next, true);
    return true;
}

void walk::get_support_foot()
{
    if (translating) {
        support_left = y_total >= 0 ? 1 : 0;
    } else if (rotating) {
        if (xc < 0.001)
            support_left = theta_total > 0 ? 1 : 0;
        else
            support_left = theta_total > 0 ? 0 : 1;
    }
    update_exp_for_side_with_support_foot();
}

void walk::update_exp_for_side_with_support_foot() { support_exp = support_left ? 1 : 2; }

// ---------------------------------------------------------------------------
// Step planning
// ---------------------------------------------------------------------------

void walk::calculate_steps()
{
    if (translating) {
        double ax = std::fabs(x_total), ay = std::fabs(y_total);
        nx = lround(ax / xlength_step_max);
        x_rest = ax - nx * xlength_step_max;
        if (x_rest > 0 && std::fabs(x_rest) > tol) nx += 1;
        if (ay > tol && (nx % 2) == 1) nx += 1;
        long nyr = lround(ay / ylength_step_max);
        y_rest = ay - nyr * ylength_step_max;
        ny = 2 * nyr;
        if (y_rest > 0 && std::fabs(y_rest) > tol) ny += 2;
        n = nx > ny ? nx : ny;
        step_x = n > 0 ? ax / n : 0.0;
        // Without lateral step pairs there is no lateral step (n / 2 may be 0).
        step_y = (ny > 0 && n / 2 > 0) ? ay / (double)(n / 2) : 0.0;
        step_theta = 0.0;
        theta_rest = 0.0;
        if (ramped_translation()) {
            // The plan's COM steps. A side component still needs the step
            // pairs counted above (an even number of steps), spread over
            // all the steps.
            step_manage.calc_nb_com_steps();
            long np = (long)step_manage.getNpSteps();
            if (np > n) n = np;
            if (ny > 0 && n % 2 == 1) n += 1;
            nx = n;
            step_y = (ny > 0 && n / 2 > 0) ? ay / (double)(n / 2) : 0.0;
        }
    } else if (rotating) {
        nx = ny = 0;
        x_rest = y_rest = 0.0;
        step_x = step_y = 0.0;
        double at = std::fabs(theta_total);
        long nr = lround(at / theta_step_max);
        theta_rest = at - nr * theta_step_max;
        if (theta_rest > 0 && std::fabs(theta_rest) > tol) nr += 1;
        if (nr < 1) nr = 1;
        // About a far centre even a small angle carries the feet a long way:
        // keep the arc of the outer pressure point within a forward step.
        double rx = x_pApZMP_Init - xc, ry = dist_between_feet_p_points / 2.0 + std::fabs(yc);
        double arc = at * std::sqrt(rx * rx + ry * ry);
        long n_arc = (long)std::ceil(arc / xlength_step_max - 1e-9);
        if (n_arc > nr) nr = n_arc;
        step_theta = theta_total / nr;
        n = 2 * nr;
    }
}

// The line of via-points of a rotation: via = (w u + l, w h + e) for the
// lateral velocity w. False when the first step has no length.
static bool rotation_via_line(double Tc, double C, double S, double x0, double xc, double yc,
                              const double* p2, const double* p3, double& u, double& h, double& l, double& e)
{
    double Dx = p3[0] - p2[0], Dy = p3[1] - p2[1];
    double a = S / Tc, o1 = 1.0 - C, m = S * Dy * Tc;
    double den = -a * o1 * (Dx * Dx + Dy * Dy);
    if (!(std::fabs(den) > 1e-15) || !std::isfinite(den)) return false;
    u = (a * Dx * m + C * Dx * o1 * Dy) / den;
    double v = Dx * (C * x0 - xc) - Dy * yc;
    double e0 = a * x0 * Dy;
    l = (a * Dx * v - e0 * o1 * Dy) / den;
    h = (-o1 * C * Dx * Dx + a * Dy * m) / den;
    e = (e0 * o1 * Dx + a * Dy * v) / den;
    return true;
}

// The pendulum constants of the step period and the step vectors of the
// first (or on-the-spot) way-point; returns the signed forward step.
double walk::set_pendulum_and_step_vectors()
{
    const double d = dist_between_feet_p_points;
    Tc = std::sqrt(zC / g);
    C = std::cosh(step_period / Tc);
    S = std::sinh(step_period / Tc);

    const double sx = x_total < 0 ? -step_x : step_x;
    step_vec_prev[0] = 0.0;
    step_vec_prev[1] = d;
    step_vec_prev[2] = 0.0;
    step_vec_next[0] = sx;
    step_vec_next[1] = d;
    step_vec_next[2] = step_theta;
    return sx;
}

void walk::calculate_for_1st_last_wp()
{
    const double d = dist_between_feet_p_points;
    const double x0 = x_pApZMP_Init;
    const double sx = set_pendulum_and_step_vectors();

    set_vec(p1, x0, support_left ? d / 2.0 : -d / 2.0);
    set_vec(p2, x0, -p1[1]);
    double sgn = support_exp == 1 ? -1.0 : 1.0;  // (-1)^support_exp
    if (rotating) {
        rotate_about(step_theta, xc, yc, p1[0], p1[1], p3[0], p3[1]);
    } else {
        double lx = sx, ly = -sgn * d;
        p3[0] = p2[0] + std::cos(step_theta) * lx - std::sin(step_theta) * ly;
        p3[1] = p2[1] + std::sin(step_theta) * lx + std::cos(step_theta) * ly;
    }

    double fallback = step_period / 2.0;
    if (rotating) {
        double u = 0, h = 0, l = 0, e = 0, w = 0;
        bool line = rotation_via_line(Tc, C, S, x0, xc, yc, p2, p3, u, h, l, e);
        if (!line)
            fprintf(stderr, "walk::calculate_for_1st_last_wp: rotation step of no length, no via-point\n");
        if (taking_over) {
            w = v_end[1] * std::cos(theta_walk) - v_end[0] * std::sin(theta_walk);
        } else if (line && h * h + u * u > 1e-15) {
            w = -((e - p2[1]) * h + (l - p2[0]) * u) / (h * h + u * u);
        }
        t1 = time_from_atanh(Tc, p1[1] != 0.0 ? -w * Tc / p1[1] : NAN, fallback, "calculate_for_1st_last_wp");
        if (line) {
            via_x = w * u + l;
            via_y = w * h + e;
        } else {
            via_x = x0;
            via_y = 0.0;
        }
        if (taking_over) {
            transform_into_R0(via_x, via_y);
            transform_into_R0(xc, yc);
        }
        nb_steps_cruise_done = 0;
    } else {
        double den = p1[1] * S;
        double arg = den != 0.0 ? ((1.0 - C) * p2[1] - (p3[1] + p2[1]) / 2.0) / den : NAN;
        t1 = time_from_atanh(Tc, arg, fallback, "calculate_for_1st_last_wp");
    }
    C1 = std::cosh(t1 / Tc);
    S1 = std::sinh(t1 / Tc);
    n_t1 = lround(t1 / dt);
    n_phase2 = n_t1 + 1;
    n_phase4 = n_t1 + 1;
    N = lround((float)(step_period / dt));
    step_period = N * dt;
    set_N_prepare();
}

void walk::calculate_for_1st_specific_wp_on_place_step_rot_dir_chge()
{
    const double d = dist_between_feet_p_points;
    const double x0 = x_pApZMP_Init;
    set_pendulum_and_step_vectors();

    set_vec(p1, x0, support_left ? -d / 2.0 : d / 2.0);
    set_vec(p2, x0, -p1[1]);
    rotate_about(step_theta, xc, yc, p1[0], p1[1], p3[0], p3[1]);

    double w = v_end[1] * std::cos(theta_walk) - v_end[0] * std::sin(theta_walk);
    t1 = time_from_atanh(Tc, p1[1] != 0.0 ? w * Tc / p1[1] : NAN, step_period / 2.0,
                         "calculate_for_1st_specific_wp_on_place_step_rot_dir_chge");
    double u = 0, h = 0, l = 0, e = 0;
    if (rotation_via_line(Tc, C, S, x0, xc, yc, p2, p3, u, h, l, e)) {
        // The step on the spot reverses the lateral velocity: the first
        // step of the new direction starts with -w.
        via_x = -w * u + l;
        via_y = -w * h + e;
    } else {
        fprintf(
            stderr,
            "walk::calculate_for_1st_specific_wp_on_place_step_rot_dir_chge: rotation step of no length\n");
        via_x = x0;
        via_y = 0.0;
    }
    pivot_first_rot[0] = x0;
    pivot_first_rot[1] = (C - 1.0) != 0.0 ? S * Tc / (C - 1.0) * w : 0.0;
    transform_into_R0(via_x, via_y);
    transform_into_R0(xc, yc);
    transform_into_R0(pivot_first_rot[0], pivot_first_rot[1]);
    nb_steps_cruise_done = 0;
    N = lround((float)(step_period / dt));
    step_period = N * dt;
}

void walk::set_N_prepare() { N_prepare = dt > 0.0 ? lround(0.2 / dt) : 0; }

void walk::calculate_coeff_optim_pressure_points()
{
    if (translating) {
        Q = 120.0;
        R = 0.8;
    } else if (rotating) {
        Q = 5.0;
        R = 50.0;
    } else {
        Q = 0.0;
        R = 0.0;
    }
    double E = R * (S / Tc) * (S / Tc) + Q * (C - 1.0) * (C - 1.0);
    if (E > 0.0 && std::isfinite(E)) {
        k1 = -Q * (C - 1.0) / E;
        k2 = -R * S / (Tc * E);
    } else {
        k1 = 0.0;
        k2 = 0.0;
    }
}

void walk::initial_set()
{
    set_nb_cruise_wp();
    for (int i = 0; i < 2; i++) {
        x_start[i] = v_start[i] = o[i] = x_end[i] = v_end[i] = 0.0;
        x_target[i] = v_target[i] = 0.0;
        stateA_x[i] = stateA_v[i] = stateB_x[i] = stateB_v[i] = 0.0;
        pivot[i] = pivot_rot[i] = 0.0;
    }
    for (long i = 0; i < n_buffers; i++) {
        x_prep[i] = y_prep[i] = vx_prep[i] = vy_prep[i] = 0.0;
        x_final[i] = y_final[i] = vx_final[i] = vy_final[i] = 0.0;
    }
    double x0 = x_pApZMP_Init;
    set_vec(pp_cur, p1[0], p1[1]);
    set_vec(pp_prev, p1[0], p1[1]);
    set_vec(pp_next, p2[0], p2[1]);
    for (int i = 0; i < 3; i++) step_vec_cur[i] = step_vec_prev[i];
    set_vec(fp_prev, p1[0] - x0, p1[1]);
    set_vec(fp_sup, p1[0] - x0, p1[1]);
    set_vec(fp_next, p2[0] - x0, p2[1]);
    // A fresh walk frame: the feet stand parallel to its x axis.
    yaw_prev_step = yaw_cur_step = yaw_next_step = 0.0;
    c = 0;
    k = 0;
    save_last_Orig();
    xG = x0;
    yG = 0.0;
    vxG = vyG = 0.0;
    theta_walk = 0.0;
}

void walk::set_nb_cruise_wp()
{
    nb_cruise_wp_prev = nb_cruise_wp;
    if (rotating)
        nb_cruise_wp = n + (dir_change_on_place ? 1 : 0);
    else
        nb_cruise_wp = n + 1;
    nb_steps_cruise_done = 0;
    nb_steps_in_wp = 0;
}

void walk::save_last_Orig()
{
    double lx = xG - x_pApZMP_Init * std::cos(theta_walk);
    double ly = yG - x_pApZMP_Init * std::sin(theta_walk);
    ox += std::cos(theta_orig) * lx - std::sin(theta_orig) * ly;
    oy += std::sin(theta_orig) * lx + std::cos(theta_orig) * ly;
    theta_orig += theta_walk;
}

void walk::transform_into_R0(double& x, double& y)
{
    double cs = std::cos(theta_walk), sn = std::sin(theta_walk);
    double nrm = std::sqrt(cs * cs + sn * sn);
    double rx = (cs * x - sn * y) / nrm;
    double ry = (sn * x + cs * y) / nrm;
    x = rx + xG - x_pApZMP_Init * cs;
    y = ry + yG - x_pApZMP_Init * sn;
}

void walk::transform_Vector_from_old_Orig_to_last_Orig(double& x, double& y, double vx, double vy)
{
    x = std::cos(theta_orig) * vx - std::sin(theta_orig) * vy;
    y = std::sin(theta_orig) * vx + std::cos(theta_orig) * vy;
}

void walk::transform_Point_from_old_Orig_to_last_Orig(double& x, double& y, double px, double py)
{
    transform_Vector_from_old_Orig_to_last_Orig(x, y, px, py);
    x += ox;
    y += oy;
}

// ---------------------------------------------------------------------------
// Phase marks, take-over and stopping
// ---------------------------------------------------------------------------

void walk::update_all_nbp_first_request()
{
    nbp[0] = N_prepare;
    nbp[1] = N_prepare + n_phase2;
    nbp[2] = nbp[1] + N * nb_cruise_wp;
    nbp[3] = nbp[2] + n_phase4;
    nbp[4] = nbp[3] + N_prepare;
}

void walk::update_nbp_cruise_last_phases_3_4_5_on_the_fly()
{
    nbp[2] = k + N * nb_cruise_wp - 1;
    nbp[3] = nbp[2] + n_phase4;
    nbp[4] = nbp[3] + N_prepare;
}

void walk::update_all_nbp()
{
    nbp[2] -= N * (nb_cruise_wp_prev - nb_cruise_wp);
    nbp[3] = nbp[2] + n_phase4;
    nbp[4] = nbp[3] + N_prepare;
}

int walk::check_request_new_walk()
{
    dir_change_on_place = 0;
    if (reentrant) {
        if (rotating && (nb_steps_cruise_done % 2) == 1) return 3;
        int r = deal_with_new_walk_reentrant();
        reentrant = 0;
        return r;
    }
    if (stop_requested || !pending) return 0;
    stop_walk();
    stop_requested = 1;
    return 1;
}

int walk::deal_with_new_walk_reentrant()
{
    double prev_theta_total = theta_total;
    int was_translating = translating, was_rotating = rotating;
    if (was_translating) {
        double progress_x = getxG() + step_vec_next[0] / 2.0 - xG_at_request;
        // step_y is a length: the walk steps sideways towards the side of
        // its y total, and the progress has that sign.
        double progress_y = (y_total < 0 ? -1.0 : 1.0) * (1.0 + reentry_fraction) * step_y / 2.0;
        // A part of the request that the walk has already gone past is not
        // walked back. It ends the walk only when the other part has nothing
        // left to walk either (as for a stop, a tiny step forward): ending it
        // on one part alone would drop the rest of the other part, and a
        // request sent once (the step to a kick position) would never be
        // walked while the motion reports it done.
        bool past_x = pending_x * progress_x > 0 && std::fabs(progress_x) > std::fabs(pending_x);
        bool past_y = pending_y * progress_y > 0 && std::fabs(progress_y) > std::fabs(pending_y);
        if (past_x || past_y) {
            bool rest_x = !past_x && std::fabs(pending_x) > tol && std::fabs(pending_x - progress_x) > tol;
            bool rest_y = !past_y && std::fabs(pending_y) > tol && std::fabs(pending_y - progress_y) > tol;
            if (!rest_x && !rest_y) {
                stop_walk();
                return 1;
            }
        }
        x_total = past_x ? 0.0 : pending_x - progress_x;
        y_total = past_y ? 0.0 : pending_y - progress_y;
        theta_total = 0.0;
        if (model->variant.step_manager) step_manage.setRemDist(x_total);
        if (!(std::fabs(x_total) > tol) && !(std::fabs(y_total) > tol)) {
            stop_walk();
            return 1;
        }
        translating = 1;
        stopped = 0;
        init_var_translate(x_total, y_total, pending_period);
    } else if (was_rotating) {
        double progress = thetaG() - theta_at_request;
        double remainder = pending_theta - progress;
        if ((pending_theta * progress > 0 && std::fabs(progress) > std::fabs(pending_theta)) ||
            !(std::fabs(remainder) > tol)) {
            stop_walk();
            k -= 1;
            k_total -= 1;
            return 1;
        }
        theta_total = remainder;
        x_total = y_total = 0.0;
        rotating = 1;
        stopped = 0;
        dir_change_on_place = (remainder * prev_theta_total < 0) ? 1 : 0;
        init_var_rotate(remainder, pending_xc, pending_period);
    }
    if (translating && rotating) {
        stop_walk();
        return 1;
    }
    calculate_steps();
    taking_over = 1;
    if (dir_change_on_place)
        calculate_for_1st_specific_wp_on_place_step_rot_dir_chge();
    else
        calculate_for_1st_last_wp();
    taking_over = 0;
    calculate_coeff_optim_pressure_points();
    return 2;
}

void walk::stop_walk()
{
    if (stopped) return;
    nb_cruise_wp_prev = nb_cruise_wp;
    if (translating || rotating) {
        // The cruise end counts every step of the current way-point, the
        // step on the spot of a reversed turn too, which the cruise steps
        // done leave out: counting those would put the end in the past.
        if (k <= nbp[1]) {
            nb_cruise_wp = 2;
        } else if (k <= nbp[2]) {
            if (rotating && check_can_stop_now_rotation())
                nb_cruise_wp = nb_steps_in_wp;
            else
                nb_cruise_wp = nb_steps_in_wp + 1;
        }
    }
    update_all_nbp();
}

bool walk::check_can_stop_now_rotation()
{
    bool r;
    if (xc < 0.001)
        r = (theta_total > 0 && support_left) || (theta_total < 0 && !support_left);
    else
        r = (theta_total < 0 && support_left) || (theta_total > 0 && !support_left);
    return r || std::fabs(theta_total) < tol_stop_rot;
}

void walk::print_debug() {}
