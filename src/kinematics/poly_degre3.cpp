#include "kinematics/poly_degre3.h"

#include <cmath>

#include "kinematics/determinants.h"

bool poly_degre3(double t0, double p0, double t1, double p1, double dp0, double dp1, double& c3, double& c2,
                 double& c1, double& c0)
{
    const double A[16] = {t0 * t0 * t0, t0 * t0, t0, 1,  //
                          t1 * t1 * t1, t1 * t1, t1, 1,  //
                          3 * t0 * t0,  2 * t0,  1,  0,  //
                          3 * t1 * t1,  2 * t1,  1,  0};
    const double rhs[4] = {p0, p1, dp0, dp1};
    const double det = det44(A);
    if (fabs(det) < 1e-15) return false;
    // Cramer's rule.
    double c[4];
    det44_with_column_replaced(A, rhs, c);
    for (int j = 0; j < 4; j++) c[j] = c[j] * (1 / det);
    c3 = c[0];
    c2 = c[1];
    c1 = c[2];
    c0 = c[3];
    return true;
}
