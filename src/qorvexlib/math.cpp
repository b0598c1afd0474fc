#include "qorvexlib/math.h"

#include <cmath>

namespace qorvexlib {

double distance(const vec2d& a, const vec2d& b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

double norm(const vec2d& v) { return std::sqrt(v.x * v.x + v.y * v.y); }

bool isIn(const vec2d& p, const bboxd& box)
{
    return box.origin.x <= p.x && p.x <= box.origin.x + box.size.x && box.origin.y <= p.y &&
           p.y <= box.origin.y + box.size.y;
}

bool operator==(const vec2d& a, const vec2d& b) { return distance(a, b) < 1e-10; }

bool operator!=(const vec2d& a, const vec2d& b) { return !(a == b); }

}  // namespace qorvexlib
