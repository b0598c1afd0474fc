#ifndef BREVANE_KINEMATICS_GET_ROTATION_MATRIX_FROM_ROTATION_VECTOR_H
#define BREVANE_KINEMATICS_GET_ROTATION_MATRIX_FROM_ROTATION_VECTOR_H

#include "kinematics/cmat.h"
#include "kinematics/vect.h"

// Rotation of angle (rad) about axis (Rodrigues). The axis is used as given:
// pass a unit axis.
Matrix_<double> get_rotation_matrix_from_rotation_vector(double angle, const Vector_<double>& axis);

// Rotation of the rotation vector rotvec (unit axis times angle); the
// identity below 1e-4 rad.
Matrix_<double> get_rotation_matrix_from_rotation_vector(Vector_<double> rotvec);

// Rotation taking the direction of a to that of b; the identity for parallel
// or opposite directions.
Matrix_<double> get_rotation_matrix_from_initial_and_image_vectors(const Vector_<double>& a,
                                                                   const Vector_<double>& b);

// Earlier form of the previous one: exact only for directions at most
// 90 degrees apart (the angle comes from an arcsine).
Matrix_<double> old_basic_not_orth_get_rotation_matrix_from_initial_and_image_vectors(
    const Vector_<double>& a, const Vector_<double>& b);

#endif
