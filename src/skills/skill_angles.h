// Angle helpers of the skills (radians). Both keep any finite input
// bounded in time: a perceived azimuth can be any finite number, and
// subtracting 2 pi from a huge value never brings it into range.
#ifndef BREVANE_SKILLS_SKILL_ANGLES_H
#define BREVANE_SKILLS_SKILL_ANGLES_H

#include <cmath>
#include <limits>

namespace skill_angles {

const double kPi = 3.141592653589793;
const double kTwoPi = 6.283185307179586;
const double kDegToRad = kPi / 180.0;

// Into [-pi, pi] by adding 2 pi while below -pi, then subtracting it while
// above pi. A value that is not finite gives nan, which fails every
// tolerance test.
inline double wrap_loops(double a)
{
    if (!std::isfinite(a)) return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(a) > 64.0 * kTwoPi) a = std::fmod(a, kTwoPi);
    while (a < -kPi) a += kTwoPi;
    while (a > kPi) a -= kTwoPi;
    return a;
}

// fmod(a + 3 pi, 2 pi) - pi: into [-pi, pi), also for a below -3 pi.
inline double wrap_closed(double a)
{
    double r = std::fmod(a + 3.0 * kPi, kTwoPi);
    if (r < 0) r += kTwoPi;
    return r - kPi;
}

}  // namespace skill_angles

#endif
