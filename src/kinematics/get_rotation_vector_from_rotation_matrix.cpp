#include "kinematics/get_rotation_vector_from_rotation_matrix.h"

#include <cmath>

void get_axis_angle_from_rotation_matrix(const Matrix_<double>& R, double& angle, Vector_<double>& axis)
{
    angle = 0;
    axis[0] = 0;
    axis[1] = 0;
    axis[2] = 1;
    const double t = trace(R);
    if (t < -1 || t > 3) return;
    angle = acos((t - 1) / 2);
    // 0.001 degree: below it the antisymmetric part is too small to give
    // the axis (near 0 and near pi alike).
    const double s = sin(angle);
    if (fabs(s) < 1.7453292519057202e-05) return;
    const Vector_<double> w(R[2][1] - R[1][2], R[0][2] - R[2][0], R[1][0] - R[0][1]);
    axis = w * (1.0 / (2 * s));
}

Vector_<double> get_rotation_vector_from_rotation_matrix(const Matrix_<double>& R)
{
    double angle;
    Vector_<double> axis(0, 0, 1);
    get_axis_angle_from_rotation_matrix(R, angle, axis);
    return axis * angle;
}
