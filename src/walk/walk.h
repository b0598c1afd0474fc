#ifndef BREVANE_WALK_WALK_H
#define BREVANE_WALK_WALK_H

// Walking-pattern generator of the Nao.
//
// A request to translate by (x, y) or to rotate by theta about a centre on
// the robot's x axis is planned into steps; every control cycle the centre
// of mass (COM) follows a linear-inverted-pendulum trajectory about the
// pressure points of the steps, and the feet get new targets in the torso
// frame, from which the leg inverse models give the 12 leg joint angles.
//
// Units: metres, seconds, radians. Torso frame: x forward, y left, z up.
// The walk frame is the pressure-point frame of the walk start: the COM
// starts at (x_pApZMP_Init, 0) and the foot points lie a distance
// x_pApZMP_Init behind their pressure points.
//
// A walk runs through five phases (cycle k, last cycle of phase i in
// nbp[i - 1]): 1 preparation (COM shifted sideways from buffers), 2 first
// way-point (pendulum about the first support point), 3 cruise (N cycles
// per step, one foot in the air), 4 last way-point, 5 final COM profile.

#include <string>

#include "kinematics/cmat.h"
#include "kinematics/motion_variant.h"
#include "kinematics/vect.h"
#include "walk/manageStep.h"

class Model;

class walk {
public:
    // ---- owned model -------------------------------------------------
    Model* model = nullptr;

    // ---- constants ----------------------------------------------------
    double g = 0;             // 9.8 m/s^2
    double tol = 0;           // 5e-4: distance and angle tolerance
    double tol_stop_rot = 0;  // 1e-4: a rotation this close to its end may stop at once
    double dt = 0;            // control period

    // ---- parameters (defaults, overridden by the walk parameter file) ----
    double long_offset_MidAnkles_2_Torso_Init = 0;  // ankles behind the torso origin at rest
    double xlength_step_max = 0;
    double ylength_step_max = 0;
    double height_lift = 0;    // swing-foot lift; set again by every translation request
    double ratio_flexion = 0;  // leg height at rest / stretched leg length
    // The built-in crouch, for a walk file without ratio_flexion; the
    // generic kick is made for it.
    static constexpr double DEFAULT_RATIO_FLEXION = 0.727726;
    double dist_between_feet_p_points = 0;
    double theta_step_max = 0;
    double eta_torso_incline = 0;
    double eta_torso_incline_lateral = 0;
    double step_period = 0;  // T, rounded to whole cycles

    // ---- derived at construction -----------------------------------------
    double length_stretched_leg = 0;
    double torso_center_height = 0;
    double xCOM_RT = 0, zCOM_RT = 0;  // stand-pose COM relative to the torso origin
    double zC = 0;                    // pendulum height
    double x_pApZMP_Init = 0;         // COM x above the pressure-point frame at rest
    long N = 0;                       // cycles per step
    long N_prepare = 0;               // cycles of the preparation and of the final phase
    double Yaw_FootRight_Init = 0;
    double total_mass = 0;  // of the stand-pose COM

    // ---- foot targets (torso frame) -----------------------------------------
    double foot_left[3]{};
    double foot_right[3]{};
    double yaw_left = 0, yaw_right = 0;  // foot yaws relative to the torso heading

    // ---- current step lengths and rotation centre -----------------------------
    double step_x = 0, step_y = 0, step_theta = 0;
    double xc = 0, yc = 0;

    // ---- COM state in the walk frame, torso point ------------------------------
    double xG = 0, yG = 0, vxG = 0, vyG = 0;
    double x_torso = 0, y_torso = 0;  // COM minus xCOM_RT along the heading

    // ---- accumulated frame change and heading -----------------------------------
    double ox = 0, oy = 0;  // translation of the walk frame
    double theta_orig = 0;  // angle of the walk frame
    double theta_walk = 0;  // heading within the walk frame

    // ---- mode flags ----------------------------------------------------------
    int stopped = 0;
    int translating = 0;
    int rotating = 0;
    int dir_change_on_place = 0;  // a rotation reversing its direction on the spot
    int reentrant = 0;            // a request the running walk takes over
    int pending = 0;              // a request waiting for the end of the walk
    int stop_requested = 0;       // latch: the walk was already shortened for the pending request
    int taking_over = 0;          // set while a take-over is being planned

    // ---- request, step counts and rests -------------------------------------------
    double x_total = 0, y_total = 0, theta_total = 0;
    long nx = 0, ny = 0, n = 0;
    double x_rest = 0, y_rest = 0, theta_rest = 0;

    // ---- pending request and COM at the last request made while walking ------------
    double pending_x = 0, pending_y = 0, pending_theta = 0, pending_xc = 0, pending_period = 0;
    double reentry_fraction = 0;  // share of the current step still to come at the request
    double xG_at_request = 0, yG_at_request = 0, theta_at_request = 0;

    // ---- support foot ----------------------------------------------------------------
    int support_left = 0;  // 1: the left foot supports
    int support_exp = 0;   // 1 when support_left, else 2: sign (-1)^support_exp

    // ---- cycle and step counters --------------------------------------------------------
    long nbp[5]{};
    long k = 0;
    long k_total = 0;
    long nb_steps_cruise_done = 0;
    long nb_steps_in_wp = 0;
    long nb_steps_all = 0;
    long c = 0;  // cycle within the current cruise step, 1..N
    long nb_cruise_wp = 0;
    long nb_cruise_wp_prev = 0;

    // ---- pendulum values ----------------------------------------------------------------
    double Tc = 0, C = 0, S = 0;
    double t1 = 0, C1 = 0, S1 = 0;
    long n_t1 = 0;
    long n_phase2 = 0;  // cycles of phase 2
    long n_phase4 = 0;  // cycles of phase 4
    double t_offset = 0;
    double t_last = 0;
    double t = 0, tau = 0;

    // ---- first way-points and pressure-point weights ----------------------------------------
    double p1[2]{}, p2[2]{}, p3[2]{};
    double via_x = 0, via_y = 0;  // via-point of a rotation
    double pivot_first_rot[2]{};  // pivot of the first step of a rotation that reverses on the spot
    double Q = 0, R = 0, k1 = 0, k2 = 0;

    // ---- pendulum of the current step -----------------------------------------------------
    double pivot[2]{};
    double x_start[2]{}, v_start[2]{};  // state at the start of the step
    double o[2]{};                      // start - pivot
    double x_end[2]{}, v_end[2]{};      // state at the end of the last step
    double x_target[2]{}, v_target[2]{};
    double stateA_x[2]{}, stateA_v[2]{};  // rotation: start of cruise step 1
    double stateB_x[2]{}, stateB_v[2]{};  // rotation: start of cruise step 2
    double pivot_rot[2]{};                // rotation: pivot of the last odd step

    // ---- pressure points, foot points and step vectors (x length, width, angle) ---------------
    double pp_prev[2]{}, pp_cur[2]{}, pp_next[2]{};
    double fp_prev[2]{}, fp_sup[2]{}, fp_next[2]{};
    double step_vec_prev[3]{}, step_vec_cur[3]{}, step_vec_next[3]{};
    double yaw_prev_step = 0, yaw_cur_step = 0, yaw_next_step = 0;

    // ---- swing offsets of the current cycle -------------------------------------------------
    double dx = 0, dy = 0, dz = 0, yaw_swing = 0;
    double double_support_share = 0;  // 0: the swing lasts the whole step

    // ---- phase and event flags of the current cycle ------------------------------------------
    bool in_p1 = false, in_p2 = false, in_p3 = false, in_p4 = false, in_p5 = false;
    bool start_p2 = false, end_p2 = false, start_p4 = false, end_p4 = false, end_p5 = false;

    // ---- COM buffers of the preparation and the final phase (N_prepare each) -------------------
    double* x_prep = nullptr;
    double* y_prep = nullptr;
    double* vx_prep = nullptr;
    double* vy_prep = nullptr;
    double* x_final = nullptr;
    double* y_final = nullptr;
    double* vx_final = nullptr;
    double* vy_final = nullptr;
    long n_buffers = 0;  // their allocated length

    // ---- odometry -------------------------------------------------------------------
    double odo_walk_x = 0, odo_walk_y = 0, odo_walk_theta = 0;  // summed over all walks
    double odo_x0 = 0, odo_y0 = 0, odo_theta0 = 0;              // global pose at the last anchoring
    double odo_ref_x = 0, odo_ref_y = 0, odo_ref_theta = 0;     // walk odometry at the last anchoring

    // ---- step manager -------------------------------------------------------------------
    // Trapezoidal plan of the forward steps (maximum xlength_step_max, ramp
    // of 6 periods). Every walk carries it; only the variant with step_manager
    // (the run-challenge program) walks its translations by it: their step
    // count and every forward step length that is not a closing step.
    StepManage step_manage{0.08, 0.24, 6.0};

    // ---- construction and stand pose ------------------------------------------------------
    int robot_type = 0;  // Ptype of the constructor: whose walk parameter file and stand-pose file
    walk(double dt, int version, int Ptype, int Stype, const char* dir,
         const motion_variant_t& variant = motion_variant_t());
    ~walk();
    walk(const walk&) = delete;
    walk& operator=(const walk&) = delete;

    int getVersion();
    void set_dist_between_feet_p_points(int version);
    void set_zc_and_Torso2COM();
    void getTorsoInclineFwdLateral(double& fwd, double& lat);
    void getMatrixForInclinationFwdLat(Matrix_<double>& Rincl);
    Vector_<double> getFootLeft();
    Vector_<double> getFootRight();
    Vector_<double> getLeftHip();
    Vector_<double> getRightHip();
    Vector_<double> getLeftShoulder();
    Vector_<double> getRightShoulder();
    double getYawAngleStep();
    double getYawAngleRightForInit();
    void getLegsLeftRight(Vector_<double>& pL, Matrix_<double>& RL, Vector_<double>& pR, Matrix_<double>& RR);
    void getHandsLeftRight(Vector_<double>& pL, Matrix_<double>& RL, Vector_<double>& pR,
                           Matrix_<double>& RR);
    void getFeetPosMatrices_Inclined(Vector_<double>& pL, Matrix_<double>& RL, Vector_<double>& pR,
                                     Matrix_<double>& RR);
    void getLegAnglesForCommand(double* qL, double* qR);
    // Writes the stand pose to "dataWalk/stand3.dat" and to the robot
    // type's own file (stand_pose_file), which the motion interface plays:
    // agents of other types started in the same directory rewrite the first
    // with their own poses at the same moment.
    void writeStand3File();
    static std::string stand_pose_file(int robot_type);  // "dataWalk/stand3-<type>.dat"
    void ResetWalk();

    double getxG();  // xG - x_pApZMP_Init
    double getyG();
    double thetaG();  // theta_walk wrapped into [-pi, pi]

    // ---- requests and step planning ----------------------------------------------------------
    bool init_walk_translate(double x, double y, double T);
    void take_over_or_queue(bool same_kind, double T, double x, double y, double theta, double xc);
    bool init_walk_rotate(double theta, double xc, double T);
    void init_var_translate(double x, double y, double T);
    void init_var_rotate(double theta, double xc, double T);
    bool init_walk();
    bool sub_init_walk_OK();
    void calculate_steps();
    void get_support_foot();
    void update_exp_for_side_with_support_foot();
    double set_pendulum_and_step_vectors();
    void calculate_for_1st_last_wp();
    void calculate_for_1st_specific_wp_on_place_step_rot_dir_chge();
    void set_N_prepare();
    void calculate_coeff_optim_pressure_points();
    void initial_set();
    void set_nb_cruise_wp();
    void save_last_Orig();
    void transform_into_R0(double& x, double& y);
    void transform_Vector_from_old_Orig_to_last_Orig(double& x, double& y, double vx, double vy);
    void transform_Point_from_old_Orig_to_last_Orig(double& x, double& y, double px, double py);
    int check_request_new_walk();
    int deal_with_new_walk_reentrant();
    void stop_walk();
    bool check_can_stop_now_rotation();
    void update_all_nbp_first_request();
    void update_nbp_cruise_last_phases_3_4_5_on_the_fly();
    void update_all_nbp();
    void print_debug();

    // ---- walk cycle ---------------------------------------------------------------------
    bool update_walk();
    void deal_with_phase1_preparation_to_1st_wp();
    void deal_with_start_phase2_1st_wp();
    void deal_with_phase2_1st_wp();
    void deal_with_end_phase2_1st_wp();
    void setup_parameters_at_start_wp();
    void setup_parameters_at_start_specific_1st_wp_for_on_place_step_rot_dir_chge();
    void setup_parameters_at_start_wp_continued_usual_case();
    void deal_with_phase3_cruise_wp();
    void deal_with_start_phase4_last_wp();
    void deal_with_phase4_last_wp();
    void deal_with_end_phase4_last_wp();
    void deal_with_phase5_last_profile_to_set_COM();
    void hyperbolic_cosine_profile_for_COM();

    // ---- foot targets ---------------------------------------------------------------------
    void setup_parameters_s_p();
    void deal_with_air_traj_cruise_phase3(long N);
    void deal_with_joint_commands_cruise_mode(double* fp_swing_start, double* fp_support, double dx,
                                              double dy, double dz, double yaw_prev, double yaw_cur,
                                              double yaw_swing);
    void deal_with_joint_commands_both_feet_on_the_ground(double* a, double* b, bool walk_start);
    bool check_lateral_step();

    // ---- odometry -----------------------------------------------------------------------
    void setOdo(double x, double y, double theta);
    void getOdo(double& x, double& y, double& theta);

    // True when the constructor found the time step, the body mass and the
    // pendulum height usable for walking; requests are refused otherwise.
    bool can_walk();

    // True when translations walk by the step manager's plan.
    bool ramped_translation() const;

    // ---- helpers shared by the planning, the cycle and the foot targets -------------------
    // (x, y) rotated by a about (cx, cy).
    static void rotate_about(double a, double cx, double cy, double x, double y, double& rx, double& ry);
    // count COM samples from P0 to P0 + D with zero end velocity (a plain ramp
    // when the profile cannot be fitted, so no buffer keeps stale values).
    void fill_com_profile(long count, double P0, double D, double* pos, double* vel, const char* where);
    // Torso point: the COM minus xCOM_RT along the heading.
    void set_torso_point();
    // Both foot targets' (x, y) turned from the walk frame into the torso heading.
    void turn_feet_into_heading();
};

#endif
