#ifndef QORVEXLIB_MATH_H
#define QORVEXLIB_MATH_H

// Plane points and boxes of the strategy library (metres, field frame of a
// team whose own goal lies at negative x).

namespace qorvexlib {

template <typename T>
class vec2_t {
public:
    T x;
    T y;

    vec2_t() : x(0), y(0) {}
    vec2_t(T x_, T y_) : x(x_), y(y_) {}
};

typedef vec2_t<double> vec2d;

// The closed rectangle [origin.x, origin.x + size.x] x [origin.y, origin.y + size.y].
template <typename T>
class bbox_t {
public:
    vec2_t<T> origin;  // corner of smallest x and y
    vec2_t<T> size;    // extent along x and along y

    bbox_t() {}
    bbox_t(const vec2_t<T>& o, const vec2_t<T>& s) : origin(o), size(s) {}
};

typedef bbox_t<double> bboxd;

double distance(const vec2d& a, const vec2d& b);
double norm(const vec2d& v);
// Bounds included, so adjacent ball areas leave no gap between them.
bool isIn(const vec2d& p, const bboxd& box);

// Positions read back from files or scripts differ by rounding only.
bool operator==(const vec2d& a, const vec2d& b);
bool operator!=(const vec2d& a, const vec2d& b);

}  // namespace qorvexlib

#endif
