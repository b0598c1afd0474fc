#include <cmath>

#include "kinematics/nao_geometric_model.h"

int Model::solve_for_eq_Asin_plus_Bcos_plusC_equals_0(double A, double B, double C, double& s1, double& c1,
                                                      double& s2, double& c2) const
{
    s1 = c1 = s2 = c2 = 999;
    if (fabs(A) < eps && fabs(B) < eps && fabs(C) < eps) return -2;  // every x solves it
    const double Delta = A * A + B * B - C * C;
    if (Delta < -eps) return -1;
    if (fabs(B - C) > eps) {
        // t = tan(x/2) solves (C - B) t^2 + 2 A t + (B + C) = 0.
        const double g = (fabs(Delta) <= eps) ? 0 : sqrt(Delta);
        double t1 = (A + g) / (B - C);
        double t2 = (A - g) / (B - C);
        if (fabs(t1) > fabs(t2)) {
            const double tmp = t1;
            t1 = t2;
            t2 = tmp;
        }
        s1 = 2 * t1 / (1 + t1 * t1);
        c1 = (1 - t1 * t1) / (1 + t1 * t1);
        s2 = 2 * t2 / (1 + t2 * t2);
        c2 = (1 - t2 * t2) / (1 + t2 * t2);
        return 2;
    }
    // B == C: the equation in t is linear; x = pi is the other solution.
    if (fabs(A) >= eps) {
        const double t = -B / A;
        s1 = 2 * t / (1 + t * t);
        c1 = (1 - t * t) / (1 + t * t);
        return 1;
    }
    s1 = 0;
    c1 = -1;
    return 1;
}
