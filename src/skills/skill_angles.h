// Angle helpers of the skills (radians), for any finite input: a
// perceived azimuth can be any finite number.
#ifndef BREVANE_SKILLS_SKILL_ANGLES_H
#define BREVANE_SKILLS_SKILL_ANGLES_H

#include <cmath>

#include "world/geometry.h"

namespace skill_angles {

const double kPi = 3.141592653589793;
const double kTwoPi = 6.283185307179586;
const double kDegToRad = kPi / 180.0;

// Into [-pi, pi] by the loops of the world model.
inline double wrap_loops(double a)
{
    wrap_angle(a);
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
