#ifndef BREVANE_KINEMATICS_GET_ROTATION_VECTOR_FROM_ROTATION_MATRIX_H
#define BREVANE_KINEMATICS_GET_ROTATION_VECTOR_FROM_ROTATION_MATRIX_H

#include "kinematics/cmat.h"
#include "kinematics/vect.h"

// Angle in [0, pi] and unit axis of the rotation R. Near 0 and near pi the
// axis cannot be read from the antisymmetric part and is (0, 0, 1); a matrix
// whose trace is outside [-1, 3] gives angle 0 and axis (0, 0, 1).
void get_axis_angle_from_rotation_matrix(const Matrix_<double>& R, double& angle, Vector_<double>& axis);

// angle * axis of the previous function.
Vector_<double> get_rotation_vector_from_rotation_matrix(const Matrix_<double>& R);

#endif
