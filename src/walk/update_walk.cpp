// Walking engine: the walk cycle through its five phases, the centre-of-mass
// trajectory and the walk odometry.

#include <cmath>
#include <cstdio>

#include "kinematics/nao_geometric_model.h"
#include "kinematics/profiles_5_parts.h"
#include "walk/walk.h"

void walk::fill_com_profile(long count, double P0, double D, double* pos, double* vel, const char* where)
{
    long n_a = lround(count / 2.0);
    long n_b = count - n_a;
    if (profiles_5_parts((int)n_a, (int)n_b, (int)count, dt, P0, D, pos, vel)) return;
    fprintf(stderr, "walk::%s: COM profile failed, using a ramp\n", where);
    for (long i = 0; i < count; i++) {
        pos[i] = P0 + D * (double)(i + 1) / (double)count;
        vel[i] = D / (count * dt);
    }
    if (count > 0) vel[count - 1] = 0.0;
}

bool walk::update_walk()
{
    if (stopped) return false;
    k += 1;
    k_total += 1;

    in_p1 = nbp[0] >= k;
    in_p2 = nbp[1] >= k;
    in_p3 = nbp[2] >= k;
    in_p4 = nbp[3] >= k;
    in_p5 = nbp[4] >= k;
    start_p2 = k == nbp[0] + 1;
    end_p2 = k == nbp[1];
    start_p4 = k == nbp[2] + 1;
    end_p4 = k == nbp[3];
    end_p5 = k == nbp[4];

    if (start_p2) {
        deal_with_start_phase2_1st_wp();
    } else if (start_p4) {
        if (reentrant && rotating && (nb_steps_cruise_done % 2) == 0) {
            // A turn take-over still waiting: the cruise goes on for it.
            in_p3 = true;
        } else {
            if (reentrant) {
                // Too late to take it over (a translation asked for during
                // the last step, or a turn that would still defer it after
                // an odd step): start it after this walk instead of losing it.
                reentrant = 0;
                pending = 1;
            }
            deal_with_start_phase4_last_wp();
        }
    }

    if (in_p1)
        deal_with_phase1_preparation_to_1st_wp();
    else if (in_p2)
        deal_with_phase2_1st_wp();
    else if (in_p3)
        deal_with_phase3_cruise_wp();
    else if (in_p4)
        deal_with_phase4_last_wp();
    else if (in_p5)
        deal_with_phase5_last_profile_to_set_COM();

    if (end_p2)
        deal_with_end_phase2_1st_wp();
    else if (end_p4)
        deal_with_end_phase4_last_wp();
    else if (end_p5)
        stopped = 1;

    // Odometry follows the walk-frame origin of the robot (the COM minus
    // x_pApZMP_Init along the heading), so it starts at 0 and does not jump
    // by x_pApZMP_Init at the first cycle.
    double lx = xG - x_pApZMP_Init * std::cos(theta_walk);
    double ly = yG - x_pApZMP_Init * std::sin(theta_walk);
    odo_walk_x = ox + std::cos(theta_orig) * lx - std::sin(theta_orig) * ly;
    odo_walk_y = oy + std::sin(theta_orig) * lx + std::cos(theta_orig) * ly;
    odo_walk_theta = theta_walk + theta_orig;

    if (!stopped) return true;

    stop_requested = 0;
    reentrant = 0;
    in_p1 = in_p2 = in_p3 = in_p4 = in_p5 = false;
    start_p2 = end_p2 = start_p4 = end_p4 = end_p5 = false;
    if (pending) {
        translating = (std::fabs(pending_x) > tol || std::fabs(pending_y) > tol) ? 1 : 0;
        rotating = (!translating && std::fabs(pending_theta) > tol) ? 1 : 0;
        if (translating)
            init_walk_translate(pending_x, pending_y, pending_period);
        else if (rotating)
            init_walk_rotate(pending_theta, pending_xc, pending_period);
        pending = 0;
    }
    return !stopped;
}

void walk::hyperbolic_cosine_profile_for_COM()
{
    tau = t / Tc;
    double ch = std::cosh(tau), sh = std::sinh(tau);
    xG = pivot[0] + o[0] * ch + Tc * v_start[0] * sh;
    yG = pivot[1] + o[1] * ch + Tc * v_start[1] * sh;
    vxG = v_start[0] * ch + (o[0] / Tc) * sh;
    vyG = v_start[1] * ch + (o[1] / Tc) * sh;
}

void walk::deal_with_phase1_preparation_to_1st_wp()
{
    long i = k - 1;
    if (i < 0) i = 0;
    if (i >= n_buffers) i = n_buffers - 1;
    xG = x_prep[i];
    yG = y_prep[i];
    vxG = vx_prep[i];
    vyG = vy_prep[i];
    deal_with_joint_commands_both_feet_on_the_ground(fp_sup, fp_next, true);
}

void walk::deal_with_start_phase2_1st_wp()
{
    pivot[0] = p1[0];
    pivot[1] = p1[1];
    x_start[0] = x_pApZMP_Init;
    x_start[1] = (C1 - 1.0) / C1 * p1[1];
    v_start[0] = v_start[1] = 0.0;
    o[0] = x_start[0] - pivot[0];
    o[1] = x_start[1] - pivot[1];
    t_offset = t1 - n_t1 * dt;
}

void walk::deal_with_phase2_1st_wp()
{
    long j = k - N_prepare - 1;
    t = j * dt + t_offset;
    hyperbolic_cosine_profile_for_COM();
    deal_with_joint_commands_both_feet_on_the_ground(fp_sup, fp_next, true);
}

void walk::deal_with_end_phase2_1st_wp()
{
    x_end[0] = xG;
    x_end[1] = yG;
    v_end[0] = vxG;
    v_end[1] = vyG;
    nb_steps_cruise_done = 0;
    nb_steps_in_wp = 0;
    c = 0;
}

void walk::deal_with_phase3_cruise_wp()
{
    long j = k - nbp[1];
    // (j - 1) mod N = 0 is "j mod N = 1", also for a step of one cycle.
    if (N > 0 && (j - 1) % N == 0) {
        long k_before = k;
        setup_parameters_at_start_wp();
        // A turn that stops instead of taking a request over gives this
        // cycle back: the feet hold their targets, and the next call begins
        // the step (or the last phase) afresh.
        if (k < k_before) return;
    }
    c = (c >= N) ? 1 : c + 1;
    t = ((double)c / (double)N) * step_period;
    hyperbolic_cosine_profile_for_COM();
    if (N > 0 && j % N == 0) {
        x_end[0] = xG;
        x_end[1] = yG;
        v_end[0] = vxG;
        v_end[1] = vyG;
    }
    deal_with_air_traj_cruise_phase3(N);
    deal_with_joint_commands_cruise_mode(fp_prev, fp_sup, dx, dy, dz, yaw_prev_step, yaw_cur_step, yaw_swing);
}

void walk::setup_parameters_at_start_wp()
{
    long k_before = k;
    int r = check_request_new_walk();
    // Given back (see deal_with_phase3_cruise_wp): nothing of the step
    // begins, so that the next call does not toggle the support foot twice.
    if (k < k_before) return;
    support_left = support_left ? 0 : 1;
    update_exp_for_side_with_support_foot();
    if (r == 2) {
        set_nb_cruise_wp();
        update_nbp_cruise_last_phases_3_4_5_on_the_fly();
    }
    for (int i = 0; i < 2; i++) {
        x_start[i] = x_end[i];
        v_start[i] = v_end[i];
    }
    if (dir_change_on_place) {
        nb_steps_in_wp += 1;
        nb_steps_all += 1;
        setup_parameters_at_start_specific_1st_wp_for_on_place_step_rot_dir_chge();
    } else {
        nb_steps_cruise_done += 1;
        nb_steps_in_wp += 1;
        nb_steps_all += 1;
        setup_parameters_at_start_wp_continued_usual_case();
    }
    o[0] = x_start[0] - pivot[0];
    o[1] = x_start[1] - pivot[1];
}

void walk::setup_parameters_at_start_specific_1st_wp_for_on_place_step_rot_dir_chge()
{
    double x0 = x_pApZMP_Init;
    pp_cur[0] = p1[0];
    pp_cur[1] = p1[1];
    pp_prev[0] = p2[0];
    pp_prev[1] = p2[1];
    pp_next[0] = p2[0];
    pp_next[1] = p2[1];
    fp_sup[0] = p1[0] - x0;
    fp_sup[1] = p1[1];
    fp_prev[0] = p2[0] - x0;
    fp_prev[1] = p2[1];
    fp_next[0] = p2[0] - x0;
    fp_next[1] = p2[1];
    transform_into_R0(pp_cur[0], pp_cur[1]);
    transform_into_R0(pp_prev[0], pp_prev[1]);
    transform_into_R0(pp_next[0], pp_next[1]);
    transform_into_R0(fp_sup[0], fp_sup[1]);
    transform_into_R0(fp_prev[0], fp_prev[1]);
    transform_into_R0(fp_next[0], fp_next[1]);
    // Both feet keep the yaw they stand with: the swing foot (previous) the
    // one it landed with last, the support foot the one it has just landed
    // with. Taking only the latter would turn the torso by half a step at once.
    yaw_prev_step = yaw_cur_step;
    yaw_cur_step = yaw_next_step;
    // The pendulum of this step turns about the pivot planned with it.
    pivot[0] = pivot_first_rot[0];
    pivot[1] = pivot_first_rot[1];
}

void walk::setup_parameters_at_start_wp_continued_usual_case()
{
    long s = nb_steps_cruise_done;
    if (rotating) {
        if (s == 1) {
            for (int i = 0; i < 2; i++) {
                stateA_x[i] = x_start[i];
                stateA_v[i] = v_start[i];
            }
        } else if (s == 2) {
            for (int i = 0; i < 2; i++) {
                stateB_x[i] = x_start[i];
                stateB_v[i] = v_start[i];
            }
        } else if (s >= 3) {
            // The rotating gait repeats the states of its first two steps.
            const double* px = (s % 2 == 1) ? stateA_x : stateB_x;
            const double* pv = (s % 2 == 1) ? stateA_v : stateB_v;
            double a = (s % 2 == 1) ? (s - 1) * step_theta / 2.0 : (s - 2) * step_theta / 2.0;
            rotate_about(a, xc, yc, px[0], px[1], x_start[0], x_start[1]);
            double ca = std::cos(a), sa = std::sin(a);
            v_start[0] = ca * pv[0] - sa * pv[1];
            v_start[1] = sa * pv[0] + ca * pv[1];
        }
    }

    setup_parameters_s_p();

    double sx = step_vec_next[0], w = step_vec_next[1], phi = step_vec_next[2];
    double b = (support_exp == 1 ? -1.0 : 1.0) * w;
    double hx0 = sx / 2.0, hy0 = b / 2.0;
    double cp = std::cos(phi), sp = std::sin(phi);
    double hx = cp * hx0 - sp * hy0, hy = sp * hx0 + cp * hy0;
    double vtx0 = (1.0 + C) / (S * Tc) * hx0, vty0 = (C - 1.0) / (S * Tc) * hy0;
    double vtx = cp * vtx0 - sp * vty0, vty = sp * vtx0 + cp * vty0;

    if (rotating) {
        x_target[0] = (pp_cur[0] + pp_next[0]) / 2.0;
        x_target[1] = (pp_cur[1] + pp_next[1]) / 2.0;
        if (s <= 1) {
            pivot[0] = pivot_rot[0] = via_x;
            pivot[1] = pivot_rot[1] = via_y;
        } else if (s % 2 == 1) {
            rotate_about(step_theta, xc, yc, pivot_rot[0], pivot_rot[1], pivot_rot[0], pivot_rot[1]);
            pivot[0] = pivot_rot[0];
            pivot[1] = pivot_rot[1];
        } else {
            // Mirror of the last pivot across the perpendicular bisector of
            // the previous and the current support point.
            double ax = pp_cur[0] - pp_prev[0], ay = pp_cur[1] - pp_prev[1];
            double len = std::sqrt(ax * ax + ay * ay);
            if (len > 1e-12) {
                double nx_ = ax / len, ny_ = ay / len;
                double mx = (pp_cur[0] + pp_prev[0]) / 2.0, my = (pp_cur[1] + pp_prev[1]) / 2.0;
                double dd = (pivot[0] - mx) * nx_ + (pivot[1] - my) * ny_;
                pivot[0] -= 2.0 * dd * nx_;
                pivot[1] -= 2.0 * dd * ny_;
            }
        }
    } else {
        x_target[0] = pp_cur[0] + hx;
        x_target[1] = pp_cur[1] + hy;
        v_target[0] = vtx;
        v_target[1] = vty;
        if (nb_cruise_wp == nb_steps_cruise_done + 2) v_target[0] /= 3.0;
        for (int i = 0; i < 2; i++) {
            pivot[i] = k2 * (v_target[i] - (S / Tc) * x_start[i] - C * v_start[i]) +
                       k1 * (x_target[i] - C * x_start[i] - S * Tc * v_start[i]);
        }
        double u = fp_sup[0] - model->Length_Heel_Ankle + 0.03;
        if (pivot[0] < u) {
            pivot[0] = u;
            double B = (1.0 - C) * u + C * x_start[0] + S * Tc * v_start[0] - x_start[0];
            pp_next[0] = pp_cur[0] + B;
            fp_next[0] = fp_sup[0] + B;
        }
    }
}

void walk::deal_with_start_phase4_last_wp()
{
    support_left = support_left ? 0 : 1;
    update_exp_for_side_with_support_foot();
    nb_steps_cruise_done += 1;
    nb_steps_in_wp += 1;
    nb_steps_all += 1;
    setup_parameters_s_p();
    pivot[0] = pp_cur[0];
    pivot[1] = pp_cur[1];
    for (int i = 0; i < 2; i++) {
        x_start[i] = x_end[i];
        v_start[i] = v_end[i];
        o[i] = x_start[i] - pivot[i];
    }
    if (rotating) {
        t_last = t1;
    } else {
        double den = pivot[1] - x_start[1];
        double arg = std::fabs(den) > 1e-12 ? std::fabs(Tc * v_start[1] / den) : NAN;
        if (!std::isfinite(arg) || arg >= 1.0) {
            fprintf(stderr,
                    "walk::deal_with_start_phase4_last_wp: atanh argument %f outside (-1, 1), using %f s\n",
                    arg, t1);
            t_last = t1;
        } else {
            t_last = Tc * std::atanh(arg);
        }
    }
    // The phase keeps the end mark planned with the walk; the COM reaches
    // t_last in the cycle whose index equals this count.
    n_phase4 = lround(t_last / dt) + 1;
}

void walk::deal_with_phase4_last_wp()
{
    long j = k - nbp[2];
    t = (j == n_phase4) ? t_last : j * dt;
    hyperbolic_cosine_profile_for_COM();
    deal_with_joint_commands_both_feet_on_the_ground(fp_prev, fp_sup, false);
}

void walk::deal_with_end_phase4_last_wp()
{
    x_end[0] = xG;
    x_end[1] = yG;
    v_end[0] = vxG;
    v_end[1] = vyG;
    double ty, tx;
    if (rotating) {
        ty = (pp_prev[1] + pp_cur[1]) / 2.0;
        tx = (pp_prev[0] + pp_cur[0]) / 2.0;
        fill_com_profile(N_prepare, x_end[0], tx - x_end[0], x_final, vx_final,
                         "deal_with_end_phase4_last_wp");
    } else {
        ty = (pp_next[1] + pp_cur[1]) / 2.0;
        for (long i = 0; i < N_prepare; i++) {
            x_final[i] = x_end[0];
            vx_final[i] = 0.0;
        }
    }
    fill_com_profile(N_prepare, x_end[1], ty - x_end[1], y_final, vy_final, "deal_with_end_phase4_last_wp");
}

void walk::deal_with_phase5_last_profile_to_set_COM()
{
    long i = k - nbp[3] - 1;
    if (i < 0) i = 0;
    if (i >= n_buffers) i = n_buffers - 1;
    xG = x_final[i];
    yG = y_final[i];
    vxG = vx_final[i];
    vyG = vy_final[i];
    deal_with_joint_commands_both_feet_on_the_ground(fp_prev, fp_sup, false);
}

// ---------------------------------------------------------------------------
// Odometry
// ---------------------------------------------------------------------------

void walk::setOdo(double x, double y, double theta)
{
    odo_x0 = x;
    odo_y0 = y;
    odo_theta0 = theta;
    odo_ref_x = odo_walk_x;
    odo_ref_y = odo_walk_y;
    odo_ref_theta = odo_walk_theta;
}

void walk::getOdo(double& x, double& y, double& theta)
{
    double phi = odo_theta0 - odo_ref_theta;
    double ddx = odo_walk_x - odo_ref_x, ddy = odo_walk_y - odo_ref_y;
    x = odo_x0 + std::cos(phi) * ddx - std::sin(phi) * ddy;
    y = odo_y0 + std::sin(phi) * ddx + std::cos(phi) * ddy;
    theta = odo_theta0 + (odo_walk_theta - odo_ref_theta);
}
