#include "world/geometry.h"

#include <cmath>
#include <cstdio>

namespace {
const double kPi = 3.141592653589793;
const double k2Pi = 6.283185307179586;
}  // namespace

void SubVec(double x1, double y1, double x2, double y2, double& dx, double& dy)
{
    dx = x1 - x2;
    dy = y1 - y2;
}

double Length2(double x, double y) { return x * x + y * y; }

// The guards below are reached through rounding (circles that barely touch)
// or degenerate input. They report and give "no solution": a player must
// not die in a game over a landmark fix.

int TwoCircles00(double r1, double a2, double r2, double& px, double& py)
{
    if (a2 == 0.0) {
        fprintf(stderr, "_a2 == 0.0 ERROR\n");
        return 0;
    }
    const double x = ((r1 * r1 - r2 * r2) / a2 + a2) / 2.0;
    const double t = r1 * r1 - x * x;
    if (t < 0.0) {
        fprintf(stderr, "(r1sq-_x*_x) < 0.0 ERROR\n");
        return 0;
    }
    px = x;
    py = std::sqrt(t);
    return 2;
}

int TwoCircles0b(double r1, double cx, double cy, double r2, double& px, double& py)
{
    const double d2 = Length2(cx, cy);
    if (d2 < 0.0) {
        fprintf(stderr, "len_res < 0.0 ERROR\n");
        return 0;
    }
    const double a2 = std::sqrt(d2);
    if (a2 == 0.0) {
        fprintf(stderr, "a2 == 0.0 ERROR\n");
        return 0;
    }
    const double c = cx / a2;
    const double s = cy / a2;
    double qx = 0.0, qy = 0.0;
    if (TwoCircles00(r1, a2, r2, qx, qy) == 0) return 0;
    px = c * qx - s * qy;
    py = s * qx + c * qy;
    return 2;
}

int TwoCircles0a(double r1, double cx, double cy, double r2, double& px, double& py)
{
    const double d2 = Length2(cx, cy);
    const double sum = (r1 + r2) * (r1 + r2);
    const double diff = (r1 - r2) * (r1 - r2);
    if (d2 > sum || d2 < diff) return 0;
    if (d2 == sum) {
        if (r1 + r2 == 0.0) {
            fprintf(stderr, "(_r1+_r2) == 0.0 ERROR\n");
            return 0;
        }
        const double k = r1 / (r1 + r2);
        px = k * cx;
        py = k * cy;
        return 1;
    }
    if (d2 == diff) {
        if (diff == 0.0) {
            px = r1;
            py = 0.0;
            return 3;
        }
        if (r1 - r2 == 0.0) {
            fprintf(stderr, "(_r1-_r2) == 0.0 ERROR\n");
            return 0;
        }
        const double k = r1 / (r1 - r2);
        px = k * cx;
        py = k * cy;
        return 1;
    }
    return TwoCircles0b(r1, cx, cy, r2, px, py);
}

int TwoCircles(double x1, double y1, double r1, double x2, double y2, double r2, double& x, double& y)
{
    double cx = 0.0, cy = 0.0;
    SubVec(x2, y2, x1, y1, cx, cy);
    double px = 0.0, py = 0.0;
    const int n = TwoCircles0a(r1, cx, cy, r2, px, py);
    if (n == 0) return 0;
    x = px + x1;
    y = py + y1;
    return n;
}

int AreaSign(Point_t& a, Point_t& b, Point_t& c)
{
    const double area2 = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area2 > 0.5) return 1;
    if (area2 < -0.5) return -1;
    return 0;
}

bool Collinear(Point_t a, Point_t b, Point_t c) { return AreaSign(a, b, c) == 0; }

bool Left(Point_t a, Point_t b, Point_t c) { return AreaSign(a, b, c) > 0; }

bool Xor(bool x, bool y) { return !x ^ !y; }

bool Intersect(Point_t a, Point_t b, Point_t c, Point_t d)
{
    if (Collinear(a, b, c) || Collinear(a, b, d) || Collinear(c, d, a) || Collinear(c, d, b)) return false;
    return Xor(Left(a, b, c), Left(a, b, d)) && Xor(Left(c, d, a), Left(c, d, b));
}

void Assigndi(Point_t& p, Point_t& q)
{
    p.x = q.x;
    p.y = q.y;
}

bool Between(Point_t a, Point_t b, Point_t c)
{
    if (a.x != b.x) return (a.x <= c.x && c.x <= b.x) || (a.x >= c.x && c.x >= b.x);
    return (a.y <= c.y && c.y <= b.y) || (a.y >= c.y && c.y >= b.y);
}

char ParallelInt(Point_t a, Point_t b, Point_t c, Point_t d, Point_t& p)
{
    if (!Collinear(a, b, c)) return '0';
    if (Between(a, b, c)) {
        Assigndi(p, c);
        return 'e';
    }
    if (Between(a, b, d)) {
        Assigndi(p, d);
        return 'e';
    }
    if (Between(c, d, a)) {
        Assigndi(p, a);
        return 'e';
    }
    if (Between(c, d, b)) {
        Assigndi(p, b);
        return 'e';
    }
    return '0';
}

char SegSegInt(Point_t a, Point_t b, Point_t c, Point_t d, Point_t& p)
{
    const double denom = a.x * (d.y - c.y) + b.x * (c.y - d.y) + d.x * (b.y - a.y) + c.x * (a.y - b.y);
    if (denom == 0.0) return ParallelInt(a, b, c, d, p);

    char code = '?';
    const double num = a.x * (d.y - c.y) + c.x * (a.y - d.y) + d.x * (c.y - a.y);
    if (num == 0.0 || num == denom) code = 'v';
    const double s = num / denom;

    const double num2 = -(a.x * (c.y - b.y) + b.x * (a.y - c.y) + c.x * (b.y - a.y));
    if (num2 == 0.0 || num2 == denom) code = 'v';
    const double t = num2 / denom;

    if (0.0 < s && s < 1.0 && 0.0 < t && t < 1.0)
        code = '1';
    else if (s < 0.0 || s > 1.0 || t < 0.0 || t > 1.0)
        code = '0';

    p.x = a.x + s * (b.x - a.x);
    p.y = a.y + s * (b.y - a.y);
    return code;
}

// Loops subtract 2 pi one turn at a time; an infinite or huge angle would
// never get there (a - 2 pi == a), so those are left alone or reduced first.
static bool reducible(double& angle)
{
    if (!std::isfinite(angle)) return false;
    if (std::fabs(angle) > 1e6) angle = std::fmod(angle, k2Pi);
    return true;
}

void Set_2M_PI_Mod(double& angle)
{
    if (!reducible(angle)) return;
    while (angle >= k2Pi) angle -= k2Pi;
    while (angle <= 0.0) angle += k2Pi;
}

void Set_M_PI_Mod(double& angle)
{
    if (!reducible(angle)) return;
    while (angle >= kPi) angle -= k2Pi;
    while (angle <= -kPi) angle += k2Pi;
}

void wrap_angle(double& angle)
{
    if (!reducible(angle)) return;
    while (angle < -kPi) angle += k2Pi;
    while (angle > kPi) angle -= k2Pi;
}
