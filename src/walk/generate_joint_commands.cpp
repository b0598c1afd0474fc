// Walking engine: step geometry, swing-foot trajectory and foot targets in
// the torso frame, turned into the 12 leg joint angles.

#include <cmath>
#include <initializer_list>

#include "kinematics/nao_geometric_model.h"
#include "walk/walk.h"

namespace {

const double kPi = 3.14159265358979323846;

}  // namespace

void walk::rotate_about(double a, double cx, double cy, double x, double y, double& rx, double& ry)
{
    double ca = std::cos(a), sa = std::sin(a);
    double ux = x - cx, uy = y - cy;
    rx = cx + ca * ux - sa * uy;
    ry = cy + sa * ux + ca * uy;
}

void walk::set_torso_point()
{
    if (rotating) {
        x_torso = xG - xCOM_RT * std::cos(theta_walk);
        y_torso = yG - xCOM_RT * std::sin(theta_walk);
    } else {
        x_torso = xG - xCOM_RT;
        y_torso = yG;
    }
}

void walk::turn_feet_into_heading()
{
    double cs = std::cos(theta_walk), sn = std::sin(theta_walk);
    for (double* f : {foot_left, foot_right}) {
        double x = f[0], y = f[1];
        f[0] = x * cs + y * sn;
        f[1] = -x * sn + y * cs;
    }
}

bool walk::check_lateral_step()
{
    return std::fabs(y_total) > 0.001 && ((y_total < 0 && support_left) || (y_total > 0 && !support_left));
}

void walk::setup_parameters_s_p()
{
    for (int i = 0; i < 3; i++) {
        step_vec_prev[i] = step_vec_cur[i];
        step_vec_cur[i] = step_vec_next[i];
    }
    step_vec_next[1] = dist_between_feet_p_points;
    if (nb_steps_cruise_done == nb_cruise_wp || nb_steps_cruise_done == nb_cruise_wp + 1) {
        // Closing steps bring the swing foot beside the support foot.
        step_vec_next[0] = 0.0;
        step_vec_next[2] = theta_total;
    } else {
        step_vec_next[0] = step_x;
        if (translating && ramped_translation()) {
            // The plan's next step; its sign follows x_total below.
            step_manage.calc_next_st_foot();
            step_vec_next[0] = std::fabs(step_manage.getStFootNext());
            step_manage.updateStComFoot();
        }
        step_vec_next[2] = nb_steps_cruise_done * step_theta;
        if (check_lateral_step()) step_vec_next[1] = step_y + dist_between_feet_p_points;
    }
    if (x_total < 0) step_vec_next[0] = -step_vec_next[0];

    for (int i = 0; i < 2; i++) {
        pp_prev[i] = pp_cur[i];
        pp_cur[i] = pp_next[i];
        fp_prev[i] = fp_sup[i];
        fp_sup[i] = fp_next[i];
    }
    yaw_prev_step = yaw_cur_step;
    yaw_cur_step = yaw_next_step;

    if (rotating) {
        rotate_about(step_theta, xc, yc, pp_prev[0], pp_prev[1], pp_next[0], pp_next[1]);
        rotate_about(step_theta, xc, yc, fp_prev[0], fp_prev[1], fp_next[0], fp_next[1]);
        yaw_next_step = step_theta + yaw_prev_step;
    } else if (translating) {
        double b = (support_exp == 1 ? -1.0 : 1.0) * step_vec_next[1];
        double ca = std::cos(step_vec_next[2]), sa = std::sin(step_vec_next[2]);
        double lx = ca * step_vec_next[0] - sa * b;
        double ly = sa * step_vec_next[0] + ca * b;
        pp_next[0] = pp_cur[0] + lx;
        pp_next[1] = pp_cur[1] + ly;
        fp_next[0] = fp_sup[0] + lx;
        fp_next[1] = fp_sup[1] + ly;
        step_theta = 0.0;
    }
}

void walk::deal_with_air_traj_cruise_phase3(long N_)
{
    long d = lround(N_ * double_support_share);
    if (d % 2 == 1) d += 1;
    double half = d / 2.0;
    if (c < half) {
        dx = dy = dz = 0.0;
        yaw_swing = 0.0;
    } else if (c > N_ - half - 1) {
        dz = 0.0;
        dx = fp_next[0] - fp_prev[0];
        dy = fp_next[1] - fp_prev[1];
        yaw_swing = dir_change_on_place ? 0.0 : step_theta;
    } else {
        double D = (double)(N_ - d - 1);
        dz = (std::sin((c - half) * 2.0 * kPi / (D + 1.0) - kPi / 2.0) + 1.0) * height_lift / 2.0;
        double s = (std::sin((c - half) * kPi / D - kPi / 2.0) + 1.0) / 2.0;
        yaw_swing = dir_change_on_place ? 0.0 : s * step_theta;
        if (rotating) {
            // The swing foot travels on a circle about the rotation centre.
            double alpha = std::atan2(fp_prev[1] - yc, fp_prev[0] - xc);
            double r = std::hypot(fp_next[0] - xc, fp_next[1] - yc);
            dx = xc + r * std::cos(alpha + yaw_swing) - fp_prev[0];
            dy = yc + r * std::sin(alpha + yaw_swing) - fp_prev[1];
        } else {
            dx = s * (fp_next[0] - fp_prev[0]);
            dy = s * (fp_next[1] - fp_prev[1]);
        }
    }
}

void walk::deal_with_joint_commands_cruise_mode(double* fs, double* fsup, double dx_, double dy_, double dz_,
                                                double y_prev, double y_cur, double y_sw)
{
    double gh = (y_cur + y_prev + y_sw) / 2.0;
    double* sup = support_left ? foot_left : foot_right;
    double* swg = support_left ? foot_right : foot_left;
    if (rotating) {
        theta_walk = gh;
        if (support_left) {
            yaw_left = y_cur - gh;
            yaw_right = y_prev + y_sw - gh;
        } else {
            yaw_right = y_cur - gh;
            yaw_left = y_prev + y_sw - gh;
        }
    } else {
        yaw_left = yaw_right = 0.0;
    }
    set_torso_point();
    sup[0] = fsup[0] - x_torso;
    sup[1] = fsup[1] - y_torso;
    sup[2] = -torso_center_height;
    swg[0] = fs[0] + dx_ - x_torso;
    swg[1] = fs[1] + dy_ - y_torso;
    swg[2] = dz_ - torso_center_height;
    if (rotating) turn_feet_into_heading();
}

void walk::deal_with_joint_commands_both_feet_on_the_ground(double* a, double* b, bool walk_start)
{
    set_torso_point();
    double mx = (a[0] + b[0]) / 2.0, my = (a[1] + b[1]) / 2.0;
    double L = std::cos(theta_walk) * (a[1] - my) - std::sin(theta_walk) * (a[0] - mx);
    const double* left = L >= 0 ? a : b;
    const double* right = L >= 0 ? b : a;
    foot_left[0] = left[0] - x_torso;
    foot_left[1] = left[1] - y_torso;
    foot_left[2] = -torso_center_height;
    foot_right[0] = right[0] - x_torso;
    foot_right[1] = right[1] - y_torso;
    foot_right[2] = -torso_center_height;
    yaw_left = yaw_right = 0.0;
    if (!walk_start && rotating) turn_feet_into_heading();
}

void walk::getLegAnglesForCommand(double* qL, double* qR)
{
    Vector_<double> pL(0, 0, 0), pR(0, 0, 0);
    Matrix_<double> RL, RR;
    getFeetPosMatrices_Inclined(pL, RL, pR, RR);
    model->nao_inverse_geometric_model_leg(pL, RL, qL, -1);
    model->nao_inverse_geometric_model_leg(pR, RR, qR, +1);
}
