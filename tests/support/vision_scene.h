// Perception messages built from a known scene: the camera's true pose and
// the field positions of what it sees, turned into the server's polar
// vision (distance, azimuth and elevation in degrees, relative to the
// camera) the way the server measures it, without noise. Tests feed them
// through the parser and compare what the world model makes of them with
// the scene. Header-only.
#ifndef BREVANE_TESTS_SUPPORT_VISION_SCENE_H
#define BREVANE_TESTS_SUPPORT_VISION_SCENE_H

#include <cmath>
#include <cstdio>
#include <string>

namespace vision_scene {

const double kPi = 3.141592653589793;

inline double deg(double rad) { return rad * 180.0 / kPi; }

// Field coordinates of the flags and goal posts by name, where the server
// puts them: the flags on the corners of the 30 m by 20 m field, the posts
// on the goal lines 1.05 m either side of the centre (its goal is 2.1 m
// wide; G1 is the post on the +y side of either goal).
struct Landmark {
    const char* name;
    double x, y;
};
const Landmark kLandmarks[] = {{"F1L", -15, 10},  {"F2L", -15, -10},  {"F1R", 15, 10},
                               {"F2R", 15, -10},  {"G1L", -15, 1.05}, {"G2L", -15, -1.05},
                               {"G1R", 15, 1.05}, {"G2R", 15, -1.05}};

inline const Landmark* landmark(const std::string& name)
{
    for (const Landmark& l : kLandmarks)
        if (name == l.name) return &l;
    return nullptr;
}

struct Camera {
    double x = 0, y = 0;       // m, field frame
    double torso_heading = 0;  // rad
    double yaw_deg = 0;        // head yaw joint (hj1), degrees
    double pitch_deg = 0;      // head pitch joint (hj2), degrees, positive looks up
    double z = 0.5;            // m above the ground

    double head_heading() const { return torso_heading + yaw_deg * kPi / 180.0; }
};

struct Polar {
    double d, az, el;  // m, degrees, degrees
};

// Wraps degrees into (-180, 180].
inline double wrap_deg(double a)
{
    while (a <= -180.0) a += 360.0;
    while (a > 180.0) a -= 360.0;
    return a;
}

inline Polar polar_of(const Camera& c, double gx, double gy, double gz)
{
    const double dx = gx - c.x, dy = gy - c.y, dz = gz - c.z;
    const double ground = std::hypot(dx, dy);
    Polar p;
    p.d = std::sqrt(ground * ground + dz * dz);
    p.az = wrap_deg(deg(std::atan2(dy, dx) - c.head_heading()));
    p.el = deg(std::atan2(dz, ground)) - c.pitch_deg;
    return p;
}

inline std::string pol_text(const Polar& p)
{
    char b[96];
    std::snprintf(b, sizeof b, "(pol %.5f %.5f %.5f)", p.d, p.az, p.el);
    return b;
}

// One message: an optional game state, the two head joints and, when
// anything was added to it, a vision predicate.
class Message {
public:
    explicit Message(const Camera& c) : cam(c) {}

    // "(GS (unum n) (team left|right) (t t) (pm PlayOn))".
    Message& game_state(int unum, const char* team, double t = 10.0)
    {
        char b[128];
        std::snprintf(b, sizeof b, "(GS (unum %d) (team %s) (t %.2f) (pm PlayOn))", unum, team, t);
        gs = b;
        return *this;
    }
    // A landmark at the camera's height, so that its distance is the
    // ground distance and a fix from it is exact.
    Message& sees(const std::string& name)
    {
        const Landmark* l = landmark(name);
        return sees_at(name, l->x, l->y, cam.z);
    }
    Message& sees_at(const std::string& name, double gx, double gy, double gz)
    {
        return sees_polar(name, polar_of(cam, gx, gy, gz));
    }
    Message& sees_polar(const std::string& name, const Polar& p)
    {
        see += " (" + name + " " + pol_text(p) + ")";
        return *this;
    }
    Message& ball(double gx, double gy, double gz = 0.042) { return sees_at("B", gx, gy, gz); }
    // A player whose lower arms are 0.1 m to either side of (gx, gy) at
    // height gz, facing `facing` (rad).
    Message& player(const std::string& team, int id, double gx, double gy, double facing = 0, double gz = 0.3)
    {
        const double lx = -std::sin(facing) * 0.1, ly = std::cos(facing) * 0.1;
        char b[32];
        std::snprintf(b, sizeof b, "%d", id);
        see += " (P (team " + team + ") (id " + b + ") (rlowerarm " +
               pol_text(polar_of(cam, gx - lx, gy - ly, gz)) + ") (llowerarm " +
               pol_text(polar_of(cam, gx + lx, gy + ly, gz)) + "))";
        return *this;
    }
    // A vision predicate even if nothing is in view.
    Message& empty_vision()
    {
        vision = true;
        return *this;
    }

    std::string str() const
    {
        char b[160];
        std::snprintf(b, sizeof b, "(time (now 12.34))%s(HJ (n hj1) (ax %.5f))(HJ (n hj2) (ax %.5f))",
                      gs.c_str(), cam.yaw_deg, cam.pitch_deg);
        std::string m = b;
        if (vision || !see.empty()) m += "(See" + see + ")";
        return m;
    }

private:
    Camera cam;
    std::string gs;
    std::string see;
    bool vision = false;
};

}  // namespace vision_scene

#endif
