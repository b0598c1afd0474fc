// Hand-built perception messages: a robot standing at a known place of the
// field, its head turned by a known yaw, seeing the landmarks, the ball and
// players where they are. The message holds what the server would send
// from a camera at the height of everything it sees (elevations 0), so
// that the observed distances are the ground distances and a localiser
// that inverts the polar observations finds the scene's numbers again.
// A robot exactly on the field's long axis sees both posts of a goal at
// the same distance, and the localiser then moves one of its circles by
// 1 cm: place robots off the axis. Header-only.
#ifndef BREVANE_TESTS_SUPPORT_PERCEPTION_SCENE_H
#define BREVANE_TESTS_SUPPORT_PERCEPTION_SCENE_H

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/vision_scene.h"

struct ScenePlayer {
    int id;
    double x, y;        // m, field frame
    double facing = 0;  // rad: direction the player faces
    std::string team;   // empty: the robot's own team
};

struct Scene {
    // The robot: torso pose in the field frame and head yaw.
    double x = 0, y = 0, heading = 0;  // m, m, rad
    double head_yaw = 0;               // rad, positive to the left
    int unum = 2;
    std::string team_name = "brevane";
    const char* team_side = "left";  // "left", "right", or nullptr (not told)
    const char* play_mode = "PlayOn";
    double game_time = 10.0;
    double server_time = -1;  // s; negative: 100 s ahead of the game time
    bool landmarks = true;    // the four flags and four goal posts
    bool ball = true;
    double ball_x = 0, ball_y = 0;  // m, field frame
    std::vector<ScenePlayer> players;
    bool vision = true;  // a message without See keeps the last vision
    std::string hear;    // a whole (hear ...) predicate to append, or nothing
};

namespace scene_detail {

const double kPi = 3.141592653589793;

// "(pol d az 0)" of a field point seen from the robot's camera.
inline std::string pol(const Scene& s, double px, double py)
{
    const double dx = px - s.x, dy = py - s.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    double az = std::atan2(dy, dx) - (s.heading + s.head_yaw);
    while (az < -kPi) az += 2 * kPi;
    while (az > kPi) az -= 2 * kPi;
    char buf[96];
    std::snprintf(buf, sizeof(buf), "(pol %.6f %.6f 0.000000)", d, az * 180.0 / kPi);
    return buf;
}

}  // namespace scene_detail

// The field coordinates of a point given in the robot's torso frame.
inline void scene_local_to_field(const Scene& s, double lx, double ly, double& fx, double& fy)
{
    fx = s.x + std::cos(s.heading) * lx - std::sin(s.heading) * ly;
    fy = s.y + std::sin(s.heading) * lx + std::cos(s.heading) * ly;
}

// The message of one server cycle.
inline std::string scene_message(const Scene& s)
{
    char buf[160];
    std::string m;
    std::snprintf(buf, sizeof(buf), "(time (now %.2f))(GS",
                  s.server_time < 0 ? s.game_time + 100.0 : s.server_time);
    m += buf;
    if (s.team_side) {
        std::snprintf(buf, sizeof(buf), " (unum %d) (team %s)", s.unum, s.team_side);
        m += buf;
    }
    std::snprintf(buf, sizeof(buf), " (t %.2f) (pm %s))", s.game_time, s.play_mode);
    m += buf;
    std::snprintf(buf, sizeof(buf), "(HJ (n hj1) (ax %.6f))(HJ (n hj2) (ax 0.00))",
                  s.head_yaw * 180.0 / scene_detail::kPi);
    m += buf;
    m += s.hear;
    if (!s.vision) return m;
    m += "(See";
    if (s.landmarks)
        for (const auto& l : vision_scene::kLandmarks)
            m += std::string(" (") + l.name + " " + scene_detail::pol(s, l.x, l.y) + ")";
    if (s.ball) m += " (B " + scene_detail::pol(s, s.ball_x, s.ball_y) + ")";
    for (const ScenePlayer& p : s.players) {
        // Lower arms 0.1 m to either side of the player's centre.
        const double sx = 0.1 * std::sin(p.facing), sy = -0.1 * std::cos(p.facing);
        std::snprintf(buf, sizeof(buf), " (P (team %s) (id %d)",
                      (p.team.empty() ? s.team_name : p.team).c_str(), p.id);
        m += buf;
        m += " (rlowerarm " + scene_detail::pol(s, p.x + sx, p.y + sy) + ")";
        m += " (llowerarm " + scene_detail::pol(s, p.x - sx, p.y - sy) + "))";
    }
    m += ")";
    return m;
}

#endif
