#ifndef BREVANE_KINEMATICS_PROFILES_5_PARTS_H
#define BREVANE_KINEMATICS_PROFILES_5_PARTS_H

// Five-part motion profile over NT samples spaced dt apart, from P0 over the
// signed distance D: acceleration ramp (n_acc samples, two cubic halves),
// constant velocity, deceleration ramp (n_dec samples). Sample k (1..NT)
// lies at t = k dt and goes into element k - 1 of each array (NT elements).
// Odd ramp counts are made even (1 -> 2, otherwise rounded down).
// False, with the arrays unwritten, when a fit fails or the counts do not
// make a profile (a ramp of no samples, ramps longer than NT, dt <= 0).
bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos);
bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos, double* vel);
bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos, double* vel,
                      double* acc, double* jerk);
// Also reports the cruise velocity and both peak accelerations (set to 0
// before anything else).
bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos, double* vel,
                      double* acc, double* jerk, double& Vmax, double& a_acc, double& a_dec);

// Sample k (1..NT) of the profile from Pinit to Pfinal with both ramps NT/2
// samples long. Returns 1, or 0 with P = Pinit when refused (NT < 4, k
// outside 1..NT, dt <= 0, a failed fit).
int get_one_point_profiles_5_parts(int NT, int k, double dt, double Pinit, double Pfinal, double& P);

// P = P0 + k (P1 - P0) / NT; 1. (NT <= 0: P = P0, message, 0.)
int get_one_point_profiles_5_parts_linear(int NT, int k, double P0, double P1, double& P);

#endif
