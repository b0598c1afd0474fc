#include "kinematics/determinants.h"

double det22(const double* m) { return m[0] * m[3] - m[2] * m[1]; }

double det33(const double* m)
{
    const double a[4] = {m[4], m[5], m[7], m[8]};
    const double b[4] = {m[1], m[2], m[7], m[8]};
    const double c[4] = {m[1], m[2], m[4], m[5]};
    return m[0] * det22(a) - m[3] * det22(b) + m[6] * det22(c);
}

double det44(const double* m)
{
    // Minor i: rows other than i, columns 1 to 3.
    double minor[4][9];
    for (int i = 0; i < 4; i++) {
        int n = 0;
        for (int row = 0; row < 4; row++) {
            if (row == i) continue;
            for (int col = 1; col < 4; col++) minor[i][n++] = m[4 * row + col];
        }
    }
    return m[0] * det33(minor[0]) - m[4] * det33(minor[1]) + m[8] * det33(minor[2]) - m[12] * det33(minor[3]);
}

void det44_with_column_replaced(const double* A, const double* rhs, double* dets)
{
    for (int j = 0; j < 4; j++) {
        double M[16];
        for (int i = 0; i < 16; i++) M[i] = A[i];
        for (int i = 0; i < 4; i++) M[4 * i + j] = rhs[i];
        dets[j] = det44(M);
    }
}
