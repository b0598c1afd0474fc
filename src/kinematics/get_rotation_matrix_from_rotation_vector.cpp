#include "kinematics/get_rotation_matrix_from_rotation_vector.h"

#include <cmath>
#include <cstdio>

namespace {

typedef Vector_<double> Vec;
typedef Matrix_<double> Mat;

// K with K v = u x v.
Mat skew(const Vec& u)
{
    Mat K;
    K[0][0] = 0;
    K[0][1] = -u[2];
    K[0][2] = u[1];
    K[1][0] = u[2];
    K[1][1] = 0;
    K[1][2] = -u[0];
    K[2][0] = -u[1];
    K[2][1] = u[0];
    K[2][2] = 0;
    return K;
}

Mat outer(const Vec& u)
{
    Mat P;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) P[i][j] = u[i] * u[j];
    return P;
}

// Below this a direction has no length to normalise.
const double kTinyNorm = 1e-12;

}  // namespace

Matrix_<double> get_rotation_matrix_from_rotation_vector(double angle, const Vector_<double>& axis)
{
    const double c = cos(angle);
    const double s = sin(angle);
    const Mat I;
    return (I + s * skew(axis)) + (1 - c) * (outer(axis) - I);
}

Matrix_<double> get_rotation_matrix_from_rotation_vector(Vector_<double> rotvec)
{
    const double angle = rotvec.norm();
    if (angle < 1e-4) return Mat();
    return get_rotation_matrix_from_rotation_vector(angle, rotvec * (1.0 / angle));
}

Matrix_<double> get_rotation_matrix_from_initial_and_image_vectors(const Vector_<double>& a,
                                                                   const Vector_<double>& b)
{
    const double na = a.norm();
    const double nb = b.norm();
    if (na < kTinyNorm || nb < kTinyNorm) {
        fprintf(stderr,
                "get_rotation_matrix_from_initial_and_image_vectors: zero-length direction (|a|=%g, |b|=%g), "
                "returning the identity\n",
                na, nb);
        return Mat();
    }
    const Vec an = a * (1.0 / na);
    const Vec bn = b * (1.0 / nb);
    const Vec w = an.crossprod(bn);
    const double s = w.norm();
    if (s < 1e-4) return Mat();
    const double c = an * bn;
    const Vec e = w * (1.0 / s);
    // K of w itself: it already carries the sine.
    return (c * Mat() + skew(w)) + (1 - c) * outer(e);
}

Matrix_<double> old_basic_not_orth_get_rotation_matrix_from_initial_and_image_vectors(
    const Vector_<double>& a, const Vector_<double>& b)
{
    const Vec w = a.crossprod(b);
    const double s = w.norm();
    if (s < 1e-4) return Mat();
    // Rounding may push the sine a hair above 1.
    double sine = s / (b.norm() * a.norm());
    if (sine > 1) sine = 1;
    return get_rotation_matrix_from_rotation_vector(asin(sine), w * (1.0 / s));
}
