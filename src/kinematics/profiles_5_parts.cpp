#include "kinematics/profiles_5_parts.h"

#include <cmath>
#include <cstdio>

#include "kinematics/calculate_accmax.h"
#include "kinematics/poly_degre3.h"

namespace {

struct Cubic {
    double c3, c2, c1, c0;
};

int make_even(int n)
{
    if (n == 1) return 2;
    if (n % 2 == 1) return n - 1;
    return n;
}

// Velocity and position at t of a part that starts at ts with velocity vs
// and position ps, its acceleration being the cubic a: the exact first and
// second integrals.
double part_velocity(const Cubic& a, double ts, double vs, double t)
{
    return vs + a.c3 * (pow(t, 4) - pow(ts, 4)) / 4 + a.c2 * (pow(t, 3) - pow(ts, 3)) / 3 +
           a.c1 * (t * t - ts * ts) / 2 + a.c0 * (t - ts);
}

double part_position(const Cubic& a, double ts, double vs, double ps, double t)
{
    const double dt = t - ts;
    return ps + vs * dt + a.c3 / 4 * (pow(t, 5) / 5 - pow(ts, 5) / 5 - dt * pow(ts, 4)) +
           a.c2 / 3 * (pow(t, 4) / 4 - pow(ts, 4) / 4 - dt * pow(ts, 3)) +
           a.c1 / 2 * (pow(t, 3) / 3 - pow(ts, 3) / 3 - dt * ts * ts) +
           a.c0 * (t * t / 2 - ts * ts / 2 - dt * ts);
}

double cubic_value(const Cubic& a, double t) { return a.c3 * t * t * t + a.c2 * t * t + a.c1 * t + a.c0; }

double cubic_slope(const Cubic& a, double t) { return 3 * a.c3 * t * t + 2 * a.c2 * t + a.c1; }

// The cruise velocity, both peak accelerations and the four acceleration
// cubics of a profile (ramp counts already even). False when the counts
// make no profile (with a message naming the caller) or a fit fails.
bool build_profile(const char* caller, int n_acc, int n_dec, int NT, double dt, double D, double& Vmax,
                   double& a_acc, double& a_dec, Cubic A[4])
{
    // Guards for what would otherwise divide by zero or index before the
    // arrays: ramps without samples, ramps longer than the profile, no time.
    if (n_acc < 2 || n_dec < 2 || NT < n_acc + n_dec || !(dt > 0)) {
        fprintf(stderr, "%s: no profile with n_acc=%d, n_dec=%d, NT=%d, dt=%g, returning failure\n", caller,
                n_acc, n_dec, NT, dt);
        return false;
    }
    const double Tacc = n_acc * dt;
    const double Tdec = n_dec * dt;
    const double Tcst = (NT - n_acc - n_dec) * dt;
    Vmax = D / (Tdec * 0.5 + (Tacc / 2 + Tcst));
    a_acc = calculate_accmax(0, 0, Tacc / 2, Vmax);
    a_dec = calculate_accmax(0, 0, Tdec / 2, Vmax);
    if (!poly_degre3(0, 0, Tacc / 2, a_acc, 0, 0, A[0].c3, A[0].c2, A[0].c1, A[0].c0)) return false;
    if (!poly_degre3(Tacc / 2, a_acc, Tacc, 0, 0, 0, A[1].c3, A[1].c2, A[1].c1, A[1].c0)) return false;
    if (!poly_degre3(Tacc + Tcst, 0, Tacc + Tcst + Tdec / 2, -a_dec, 0, 0, A[2].c3, A[2].c2, A[2].c1,
                     A[2].c0))
        return false;
    if (!poly_degre3(Tdec / 2 + (Tacc + Tcst), -a_dec, Tacc + Tcst + Tdec, 0, 0, 0, A[3].c3, A[3].c2, A[3].c1,
                     A[3].c0))
        return false;
    return true;
}

// The whole sampling; every output but pos may be null.
bool sample_profile(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos, double* vel,
                    double* acc, double* jerk, double* Vmax_out, double* a_acc_out, double* a_dec_out)
{
    n_acc = make_even(n_acc);
    n_dec = make_even(n_dec);
    double Vmax = 0, a_acc = 0, a_dec = 0;
    Cubic A[4];
    if (!build_profile("profiles_5_parts", n_acc, n_dec, NT, dt, D, Vmax, a_acc, a_dec, A)) return false;
    if (Vmax_out) *Vmax_out = Vmax;
    if (a_acc_out) *a_acc_out = a_acc;
    if (a_dec_out) *a_dec_out = a_dec;

    for (int k = 1; k <= NT; k++) {
        const double t = k * dt;
        const Cubic* a = nullptr;
        double ts = 0, vs = 0, ps = 0;
        if (k <= n_acc / 2) {
            a = &A[0];
            ts = 0;
            vs = 0;
            ps = P0;
        } else if (k <= n_acc) {
            a = &A[1];
            ts = (n_acc / 2) * dt;
            vs = Vmax / 2;
            ps = pos[n_acc / 2 - 1];
        } else if (k <= NT - n_dec) {
            pos[k - 1] = (k - n_acc) * dt * Vmax + pos[n_acc - 1];
            if (vel) vel[k - 1] = Vmax;
            if (acc) acc[k - 1] = 0;
            if (jerk) jerk[k - 1] = 0;
            continue;
        } else if (k <= NT - n_dec / 2) {
            a = &A[2];
            ts = (NT - n_dec) * dt;
            vs = Vmax;
            ps = pos[NT - n_dec - 1];
        } else {
            a = &A[3];
            ts = (NT - n_dec / 2) * dt;
            vs = Vmax / 2;
            ps = pos[NT - n_dec / 2 - 1];
        }
        pos[k - 1] = part_position(*a, ts, vs, ps, t);
        if (vel) vel[k - 1] = part_velocity(*a, ts, vs, t);
        if (acc) acc[k - 1] = cubic_value(*a, t);
        if (jerk) jerk[k - 1] = cubic_slope(*a, t);
    }
    return true;
}

}  // namespace

bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos)
{
    return sample_profile(n_acc, n_dec, NT, dt, P0, D, pos, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr);
}

bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos, double* vel)
{
    return sample_profile(n_acc, n_dec, NT, dt, P0, D, pos, vel, nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos, double* vel,
                      double* acc, double* jerk)
{
    return sample_profile(n_acc, n_dec, NT, dt, P0, D, pos, vel, acc, jerk, nullptr, nullptr, nullptr);
}

bool profiles_5_parts(int n_acc, int n_dec, int NT, double dt, double P0, double D, double* pos, double* vel,
                      double* acc, double* jerk, double& Vmax, double& a_acc, double& a_dec)
{
    Vmax = 0;
    a_acc = 0;
    a_dec = 0;
    return sample_profile(n_acc, n_dec, NT, dt, P0, D, pos, vel, acc, jerk, &Vmax, &a_acc, &a_dec);
}

int get_one_point_profiles_5_parts(int NT, int k, double dt, double Pinit, double Pfinal, double& P)
{
    P = Pinit;
    if (NT < 4) {
        fprintf(stderr,
                "\n\n =====> !!! Erreur inside get_one_point_profiles_5_parts: insufficient number of "
                "points, must be "
                ">= 4. Returning Pinit.\n\n");
        return 0;
    }
    const double D = Pfinal - Pinit;
    if (fabs(D) < 1e-4) return 1;

    const int n_acc = make_even(NT / 2);
    const int n_dec = make_even(NT / 2);
    double Vmax = 0, a_acc = 0, a_dec = 0;
    Cubic A[4];
    if (!build_profile("get_one_point_profiles_5_parts", n_acc, n_dec, NT, dt, D, Vmax, a_acc, a_dec, A))
        return 0;

    const double P1 = part_position(A[0], 0, 0, Pinit, (n_acc / 2) * dt);
    const double P2 = part_position(A[1], (n_acc / 2) * dt, Vmax / 2, P1, n_acc * dt);
    const double P3 = (NT - n_dec - n_acc) * dt * Vmax + P2;
    const double P4 = part_position(A[2], (NT - n_dec) * dt, Vmax, P3, (NT - n_dec / 2) * dt);

    if (k < 1) {
        fprintf(stderr,
                "Erreur inside get_one_point_profiles_5_parts: k < 1, must start with 1. Returning Pinit\n");
        return 0;
    }
    const double t = k * dt;
    if (k <= n_acc / 2)
        P = part_position(A[0], 0, 0, Pinit, t);
    else if (k <= n_acc)
        P = part_position(A[1], (n_acc / 2) * dt, Vmax / 2, P1, t);
    else if (k <= NT - n_dec)
        P = (k - n_acc) * dt * Vmax + P2;
    else if (k <= NT - n_dec / 2)
        P = part_position(A[2], (NT - n_dec) * dt, Vmax, P3, t);
    else if (k <= NT)
        P = part_position(A[3], (NT - n_dec / 2) * dt, Vmax / 2, P4, t);
    else {
        fprintf(
            stderr,
            "Erreur inside get_one_point_profiles_5_parts: current number above NT, not possible. Returning "
            "Pinit");
        P = Pinit;
        return 0;
    }
    return 1;
}

int get_one_point_profiles_5_parts_linear(int NT, int k, double P0, double P1, double& P)
{
    if (NT <= 0) {
        // No samples to spread the move over: stay at the start.
        fprintf(stderr, "get_one_point_profiles_5_parts_linear: NT=%d must be positive. Returning P0\n", NT);
        P = P0;
        return 0;
    }
    P = P0 + k * (P1 - P0) / NT;
    return 1;
}
