#include "kinematics/calculate_accmax.h"

#include <cmath>

#include "kinematics/determinants.h"

double calculate_accmax(double t0, double a0, double t1, double V)
{
    const double A[16] = {t0 * t0 * t0,
                          t0 * t0,
                          t0,
                          1,
                          3 * t0 * t0,
                          2 * t0,
                          1,
                          0,
                          3 * t1 * t1,
                          2 * t1,
                          1,
                          0,
                          (t1 * t1 * t1 * t1 - t0 * t0 * t0 * t0) / 4,
                          (t1 * t1 * t1 - t0 * t0 * t0) / 3,
                          (t1 * t1 - t0 * t0) / 2,
                          t1 - t0};
    const double rhs[4] = {a0, 0, 0, V / 2};
    const double det = det44(A);
    if (fabs(det) < 1e-15) return 0;
    // Cramer's rule.
    double c[4];
    det44_with_column_replaced(A, rhs, c);
    for (int j = 0; j < 4; j++) c[j] = c[j] / det;
    return c[0] * t1 * t1 * t1 + c[1] * t1 * t1 + c[2] * t1 + c[3];
}
