#include "world/localize.h"

#include <cmath>
#include <cstdio>

#include "motioninterface/naomove.h"
#include "walk/walk.h"
#include "world/geometry.h"

bool avg_1 = true;
bool avg_2 = false;

// Definitions of the class constants, for callers that bind them to
// references.
const int Localize_t::PREV_LIST_SIZE;
const bool Localize_t::use_all_obj_to_locate;
const int Localize_t::NB_MATES;

namespace {

const double kPi = 3.141592653589793;

double rad(double deg) { return deg * kPi / 180.0; }

double wrapped(double a)
{
    wrap_angle(a);
    return a;
}

// The landmark pairs in the order they are tried. In each pair the second
// landmark lies counter-clockwise of the first as seen from the centre
// spot, so the circle intersection to the left of the line from the first
// to the second (the one TwoCircles returns) is the one on the field.
const int kPairs[][2] = {{5, 6}, {6, 2}, {2, 4}, {4, 8}, {8, 7}, {7, 3}, {3, 1}, {1, 5}};
// The second pass of the averaging localisation.
const int kMorePairs[][2] = {{5, 2}, {5, 6}, {8, 7}, {8, 3}, {6, 2}, {2, 4},
                             {4, 7}, {4, 8}, {7, 3}, {3, 1}, {1, 6}, {1, 5}};

// The walk's reset at the end of every kick and stand-up clears its
// odometry: the anchor, its reference and the point walked. The localiser
// runs before the next walk step, so it finds all three at zero. (Anchored
// at exactly (0, 0, 0) before any walk, the odometry looks the same, and
// anchoring it again at the pose it gives changes nothing.)
bool odometry_reset(const NaoMove& move)
{
    const walk& w = *move.walk_engine;
    return w.odo_x0 == 0.0 && w.odo_y0 == 0.0 && w.odo_theta0 == 0.0 && w.odo_ref_x == 0.0 &&
           w.odo_ref_y == 0.0 && w.odo_ref_theta == 0.0 && w.odo_walk_x == 0.0 && w.odo_walk_y == 0.0 &&
           w.odo_walk_theta == 0.0;
}

bool is_landmark(int id) { return id >= NaoParse::VO_F1L && id <= NaoParse::VO_G2R; }
bool is_vision_object(int id) { return id >= 0 && id < NaoParse::NB_VISION_OBJECTS; }

// Process-wide, shared by every localiser: the held ball priority and the
// rate limiter's values.
int prev_prio = 0;
bool prev_prio_set = false;
int prev_prio_lCounter = 0;
const int kPrioHold = 399;  // a held priority is refreshed after 400 more calls

void forget_held_priority()
{
    prev_prio = 0;
    prev_prio_set = false;
    prev_prio_lCounter = 0;
}

#ifndef BREVANE_NO_RATE_LIMITER
double f_filtered = 0.0;
double s_filtered = 0.0;

// The limited values are sums of steps: closer to the request than this,
// they are the request, which rounding would otherwise step over.
const double kRounding = 1e-9;

void settle(double request, double& filtered)
{
    if (std::fabs(filtered - request) < kRounding) filtered = request;
}

// One step of the rate limiter toward the request: the small step near the
// request's sign change or for requests under 1 m, else the large one.
void rate_limit(double request, double& filtered, double small_step, double large_step)
{
    const bool reversal = (request > 0 && filtered < 0) || (request < 0 && filtered > 0);
    const double step = (reversal || std::fabs(request) < 1.0) ? small_step : large_step;
    settle(request, filtered);
    if (request < filtered) filtered -= step;
    settle(request, filtered);
    if (request > filtered) filtered += step;
}
#endif

// Field position of a point seen at polar (d, azimuth, elevation) degrees
// from a camera at (x, y) looking along `heading`, with the head pitch;
// `a` is the global direction of the point.
void seen_point(double x, double y, double heading, double pitch, double d, double azimuth, double elevation,
                double& gx, double& gy, double& a)
{
    a = wrapped(rad(azimuth) + heading);
    const double e = wrapped(pitch + rad(elevation));
    gx = x + std::cos(e) * std::cos(a) * d;
    gy = y + std::cos(e) * std::sin(a) * d;
}

// Cost for a player at (x, y) to reach the ball: the distance, plus up to
// pi/2 for standing on the side of the ball away from the own goal.
double ball_cost(double x, double y, double bx, double by, int side)
{
    const double dx = x - bx, dy = y - by;
    const double dist = std::sqrt(dx * dx + dy * dy);
    const double a = std::fabs(std::atan2(dy, dx));
    if (side == 1) return dist + (kPi - a) / 2.0;
    if (side == -1) return dist + a / 2.0;
    return 0.0;
}

}  // namespace

Localize_t::Localize_t(double x0, double y0, double a0, int nx_, int ny_, bool grid_on)
    :
#ifndef BREVANE_NO_RATE_LIMITER
      speed_filter(0),
#endif
      side(0),
      no_fix_count(0),
      x(x0),
      y(y0),
      head_heading(0.0),
      torso_heading(a0),
      odo_x(x0),
      odo_y(y0),
      odo_torso_heading(a0),
      odo_head_heading(0.0),
      ball_unseen_count(MAX_BALL_SEEN_CNT),
      ball_bearing(0.0),
      ball_ground_dist(0.0),
      ball_lx(0.0),
      ball_ly(0.0),
      ball_gdir(0.0),
      ball_gx(0.0),
      ball_gy(0.0),
      ball_dist(0.01),
      own_goal_x(0.0),
      own_goal_y(0.0),
      opp_goal_x(0.0),
      opp_goal_y(0.0),
      gkp_angle(0.0),
      gkp_lx(0.0),
      gkp_ly(0.0),
      gkp_dist(0.0),
      gkp_gdir(0.0),
      gkp_gx(0.0),
      gkp_gy(0.0),
      gkp_dist2(0.01),
      lkp_angle(0.0),
      lkp_lx(0.0),
      lkp_ly(0.0),
      lkp_dist(0.0),
      fix(false),
      hear_claims(false),
      claims_heard(0),
      claim_time(-HUGE_VAL),
      start_x(x0),
      start_y(y0),
      start_heading(a0),
      ever_fixed(false),
      start_anchored(false),
      vision_before_beam(false),
      vision_count(0),
      taken_vis(),
      vis_yaw(0.0),
      vis_pitch(0.0),
      grid(grid_on),
      nx(nx_),
      ny(ny_),
      cell_L(nx_ > 0 ? NaoParse::DIM_FIELD_LENGTH / nx_ : 0.0),
      cell_W(ny_ > 0 ? NaoParse::DIM_FIELD_WIDTH / ny_ : 0.0),
      cells(nullptr),
      grid_pass(0)
{
    for (int i = 0; i < NB_MATES; ++i) {
        mates[i] = mate_t{-1, 0.0, 0.0, 0.0};
        mates2[i] = mate_t{-1, 0.0, 0.0, 0.0};
    }
    if (nx > 0 && ny > 0) {
        cells = new grid_elt[nx * ny];
        // Column 0 at the +x end of the field, row 0 at the +y side.
        for (int k = 0; k < nx; ++k)
            for (int l = 0; l < ny; ++l)
                cells[k * ny + l] =
                    grid_elt{NaoParse::DIM_FIELD_LENGTH / 2 - cell_L / 2 - k * cell_L,
                             NaoParse::DIM_FIELD_WIDTH / 2 - cell_W / 2 - l * cell_W, 0.0, 0, -1};
    }
}

Localize_t::~Localize_t() { delete[] cells; }

void Localize_t::current_pose(double& px, double& py, double& head, double& torso) const
{
    if (fix) {
        px = x;
        py = y;
        head = head_heading;
        torso = torso_heading;
    } else {
        px = odo_x;
        py = odo_y;
        head = odo_head_heading;
        torso = odo_torso_heading;
    }
}

namespace {

bool same_polar(const double* a, const double* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

// Equal in everything the localiser reads: objects, players.
bool same_vision(const NaoParse::NaoVis& a, const NaoParse::NaoVis& b)
{
    for (int id = 0; id < NaoParse::NB_VISION_OBJECTS; ++id)
        if (a.seen[id] != b.seen[id] || (a.seen[id] && !same_polar(a.pol[id], b.pol[id]))) return false;
    if (a.nb_player != b.nb_player) return false;
    for (int k = 0; k < a.nb_player && k < NaoParse::MAX_PLAYER_SEEN; ++k) {
        const NaoParse::vis_player_t &p = a.player[k], &q = b.player[k];
        if (p.id != q.id || p.teammate != q.teammate) return false;
        for (int i = 0; i < 2; ++i)
            if (p.dist[i] != q.dist[i] || p.azimuth[i] != q.azimuth[i] || p.elevation[i] != q.elevation[i])
                return false;
    }
    return true;
}

}  // namespace

void Localize_t::take_vision(const NaoParse::NaoVis& vis)
{
    if (same_vision(vis, taken_vis)) return;
    taken_vis = vis;
    vis_yaw = NaoParse::GetJointAngleRad(NaoParse::JID_HEAD_1);
    vis_pitch = NaoParse::GetJointAngleRad(NaoParse::JID_HEAD_2);
}

double Localize_t::record_heading() const
{
    return fix ? head_heading : wrapped(odo_torso_heading + vis_yaw);
}

void Localize_t::update(NaoParse& parse, NaoMove& move)
{
    NaoParse::NaoVis& vis = parse.nv;
    const double yaw = NaoParse::GetJointAngleRad(NaoParse::JID_HEAD_1);

    double last_x, last_y, last_head, last_torso;
    current_pose(last_x, last_y, last_head, last_torso);
    fix = false;
    if (parse.vision_count != vision_count) vision_before_beam = false;
    vision_count = parse.vision_count;
    // A record from before the beam shows the old place's landmarks.
    if (!vision_before_beam) {
        if (use_all_obj_to_locate)
            vision_localize_all_obj(vis, move);
        else
            vision_localize_break_first_2_obj(vis, move);
    }

    if (fix) {
        ever_fixed = true;
        move.set_odo_global(x, y, torso_heading);
    } else {
        if (!ever_fixed && !start_anchored) {
            move.set_odo_global(odo_x, odo_y, odo_torso_heading);
            start_anchored = true;
        } else if (odometry_reset(move)) {
            // Dead reckoning goes on from where the kick or stand-up left
            // the robot, not from the field's centre.
            move.set_odo_global(last_x, last_y, last_torso);
        }
        move.get_odo_global(odo_x, odo_y, odo_torso_heading);
        // The odometry sums turns without wrapping.
        wrap_angle(odo_torso_heading);
        odo_head_heading = wrapped(odo_torso_heading + yaw);
        ++no_fix_count;
    }

    double px, py, head, torso;
    current_pose(px, py, head, torso);
    update_ball(parse, px, py, record_heading());

    update_mates(parse);

    ball_dist = std::hypot(px - ball_gx, py - ball_gy);

    if (grid) updateGrid(vis);
}

void Localize_t::update_ball(NaoParse& parse, double px, double py, double head)
{
    NaoParse::NaoVis& vis = parse.nv;
    if (vis.seen[NaoParse::VO_BALL] && !vision_before_beam) {
        double bearing = 0.0;
        vision_to_local_object(vis, NaoParse::VO_BALL, ball_ground_dist, bearing);
        ball_bearing = wrapped(bearing + vis_yaw);
        vision_to_local_coord(vis, ball_ground_dist, bearing, ball_lx, ball_ly);
        vision_to_global_object(px, py, head, vis, NaoParse::VO_BALL, ball_gx, ball_gy, ball_gdir);
        ball_unseen_count = 0;

        // The last two ball samples taken more than GAMETIME_INC apart.
        const double t = parse.game_time;
        if (t > 0.0 && (prev_ball_time.empty() || t - prev_ball_time.front() > GAMETIME_INC)) {
            prev_ball_time.push_front(t);
            prev_ball_lx.push_front(ball_lx);
            prev_ball_ly.push_front(ball_ly);
            if (static_cast<int>(prev_ball_time.size()) > PREV_LIST_SIZE) {
                prev_ball_time.pop_back();
                prev_ball_lx.pop_back();
                prev_ball_ly.pop_back();
            }
        }
    } else {
        ++ball_unseen_count;
    }
}

void Localize_t::vision_localize_break_first_2_obj(NaoParse::NaoVis& vis, NaoMove& move)
{
    take_vision(vis);
    fix = false;
    for (const auto& pair : kPairs) {
        vision_to_xy(vis, move, pair[0], pair[1]);
        if (fix) return;
    }
}

void Localize_t::vision_localize_all_obj(NaoParse::NaoVis& vis, NaoMove& move)
{
    // Mean of the fixes of every pair in view; the second pass, when on,
    // replaces the first. Headings are averaged on the circle (the mean of
    // their unit vectors), so that fixes on both sides of the +-pi seam
    // average to a heading near the seam, not to one near 0.
    auto average = [&](const int(*pairs)[2], int n) {
        // A fix of the pass before must not count as a success of this one.
        const bool earlier = fix;
        fix = false;
        int found = 0;
        double sx = 0, sy = 0, head_c = 0, head_s = 0, torso_c = 0, torso_s = 0;
        for (int i = 0; i < n; ++i) {
            vision_to_xy(vis, move, pairs[i][0], pairs[i][1]);
            if (!fix) continue;
            ++found;
            sx += x;
            sy += y;
            head_c += std::cos(head_heading);
            head_s += std::sin(head_heading);
            torso_c += std::cos(torso_heading);
            torso_s += std::sin(torso_heading);
            fix = false;
        }
        if (found > 0) {
            x = sx / found;
            y = sy / found;
            head_heading = std::atan2(head_s / found, head_c / found);
            torso_heading = std::atan2(torso_s / found, torso_c / found);
            fix = true;
        } else {
            fix = earlier;
        }
    };
    take_vision(vis);
    fix = false;
    if (avg_1) average(kPairs, sizeof(kPairs) / sizeof(kPairs[0]));
    if (avg_2) average(kMorePairs, sizeof(kMorePairs) / sizeof(kMorePairs[0]));
}

void Localize_t::vision_to_xy(NaoParse::NaoVis& vis, NaoMove&, int id0, int id1)
{
    for (int id : {id0, id1}) {
        // Only the flags and goal posts have field coordinates.
        if (!is_landmark(id)) {
            std::fprintf(stderr, "Localize_t::vision_to_xy _id0 %d ERROR\n", id);
            return;
        }
    }
    if (!vis.seen[id0] || !vis.seen[id1]) return;

    // Raw perceived distances: the heights of camera and landmark are not
    // taken out.
    const double d0 = vis.pol[id0][0], a0 = rad(vis.pol[id0][1]);
    const double d1 = vis.pol[id1][0], a1 = rad(vis.pol[id1][1]);
    const double lx0 = d0 * std::cos(a0), ly0 = d0 * std::sin(a0);
    const double lx1 = d1 * std::cos(a1), ly1 = d1 * std::sin(a1);
    double r0 = std::sqrt(lx0 * lx0 + ly0 * ly0);
    const double r1 = std::sqrt(lx1 * lx1 + ly1 * ly1);
    if (!std::isfinite(r0) || !std::isfinite(r1)) return;
    if (r0 == r1) r0 += 0.01;

    double px = 0.0, py = 0.0;
    if (TwoCircles(NaoParse::vo_x_coord[id0], NaoParse::vo_y_coord[id0], r0, NaoParse::vo_x_coord[id1],
                   NaoParse::vo_y_coord[id1], r1, px, py) == 0)
        return;
    no_fix_count = 0;
    x = px;
    y = py;
    fix = true;
    vision_to_angle(id0, lx0, ly0);
}

void Localize_t::vision_to_angle(int id, double lx, double ly)
{
    if (!is_vision_object(id)) return;
    head_heading =
        wrapped(std::atan2(NaoParse::vo_y_coord[id] - y, NaoParse::vo_x_coord[id] - x) - std::atan2(ly, lx));
    torso_heading = wrapped(head_heading - vis_yaw);
}

void Localize_t::vision_to_local_object(NaoParse::NaoVis& vis, int id, double& dist, double& bearing)
{
    if (!is_vision_object(id)) return;
    dist = vis.pol[id][0] * std::cos(vis_pitch + rad(vis.pol[id][2]));
    bearing = wrapped(rad(vis.pol[id][1]));
}

void Localize_t::vision_to_local_coord(NaoParse::NaoVis&, double dist, double bearing, double& lx, double& ly)
{
    const double a = wrapped(vis_yaw + bearing);
    lx = std::cos(a) * dist;
    ly = std::sin(a) * dist;
}

void Localize_t::vision_to_global_object(double px, double py, double head, NaoParse::NaoVis& vis, int id,
                                         double& gx, double& gy, double& gdir)
{
    if (!is_vision_object(id)) return;
    seen_point(px, py, head, vis_pitch, vis.pol[id][0], vis.pol[id][1], vis.pol[id][2], gx, gy, gdir);
}

namespace {

// Midpoint of a seen player's lower arms, the direction it faces (its left
// arm to the left of its right arm) and the direction in which it is seen
// (halfway between its arms', also across +-pi), from a camera at (x, y)
// looking along `heading` with the head pitch.
void seen_player(const NaoParse::vis_player_t& p, double x, double y, double heading, double pitch,
                 double& px, double& py, double& facing, double& direction)
{
    double rx, ry, ra, lx, ly, la;
    seen_point(x, y, heading, pitch, p.dist[0], p.azimuth[0], p.elevation[0], rx, ry, ra);
    seen_point(x, y, heading, pitch, p.dist[1], p.azimuth[1], p.elevation[1], lx, ly, la);
    px = (rx + lx) / 2.0;
    py = (ry + ly) / 2.0;
    facing = std::atan2(ly - ry, lx - rx) - kPi / 2.0;
    direction = wrapped(ra + wrapped(la - ra) / 2.0);
}

}  // namespace

void Localize_t::player_to_global_coord(NaoParse::NaoVis& vis, int k, double& px, double& py, double& heading)
{
    if (k < 0 || k >= vis.nb_player || k >= NaoParse::MAX_PLAYER_SEEN) return;
    double direction;
    seen_player(vis.player[k], x, y, head_heading, vis_pitch, px, py, heading, direction);
}

void Localize_t::player_to_local_coord(NaoParse::NaoVis& vis, int k, double& px, double& py, double& heading)
{
    if (k < 0 || k >= vis.nb_player || k >= NaoParse::MAX_PLAYER_SEEN) return;
    double direction;
    seen_player(vis.player[k], 0.0, 0.0, vis_yaw, vis_pitch, px, py, heading, direction);
}

void Localize_t::updateGrid(NaoParse::NaoVis& vis)
{
    if (++grid_pass >= 100) grid_pass = 0;
    if (!cells) return;
    for (int i = 0; i < nx * ny; ++i) cells[i].id = -1;
    for (int k = 0; k < vis.nb_player && k < NaoParse::MAX_PLAYER_SEEN; ++k) {
        double px = 0.0, py = 0.0, heading = 0.0;
        player_to_global_coord(vis, k, px, py, heading);
        // The distance to the field edge is cut to whole metres first.
        const double col = std::trunc(std::trunc(NaoParse::DIM_FIELD_LENGTH / 2 - px) / cell_L);
        const double row = std::trunc(std::trunc(NaoParse::DIM_FIELD_WIDTH / 2 - py) / cell_W);
        // A player seen off the field has no cell.
        if (!(col >= 0 && col < nx && row >= 0 && row < ny)) continue;
        grid_elt& c = cells[static_cast<int>(col) * ny + static_cast<int>(row)];
        c.x = px;
        c.y = py;
        c.heading = heading;
        c.occupied = 1;
        c.id = vis.player[k].id;
    }
}

int Localize_t::seenSize(NaoParse::NaoVis& vis, int from, int to)
{
    int n = 0;
    for (int id = from < 0 ? 0 : from; id <= to && id < NaoParse::NB_VISION_OBJECTS; ++id)
        if (vis.seen[id]) ++n;
    return n;
}

void Localize_t::local_coord_to_global_coord(double lx, double ly, double& gx, double& gy)
{
    if (!fix) return;
    gx = x + std::cos(torso_heading) * lx - std::sin(torso_heading) * ly;
    gy = y + std::sin(torso_heading) * lx + std::cos(torso_heading) * ly;
}

void Localize_t::update_mates(NaoParse& parse)
{
    double px, py, head, torso;
    current_pose(px, py, head, torso);
    for (int i = 0; i < NB_MATES; ++i) {
        mates[i].id = -1;
        mates2[i].id = -1;
    }
    const int u = parse.unum;
    if (u > 0 && u < NB_MATES) mates[u] = mate_t{u, px, py, torso};

    const NaoParse::NaoVis& vis = parse.nv;
    for (int k = 0; k < vis.nb_player && k < NaoParse::MAX_PLAYER_SEEN; ++k) {
        const NaoParse::vis_player_t& p = vis.player[k];
        // Uniform numbers are 1..11; anything else is no team-mate of ours.
        if (!p.teammate || p.id == u || p.id < 1 || p.id >= NB_MATES) continue;
        mate_t& row = mates[p.id];
        double facing;
        seen_player(p, px, py, record_heading(), vis_pitch, row.x, row.y, facing, row.direction);
        row.id = p.id;
    }
    update_claims(parse);
}

void Localize_t::update_claims(const NaoParse& parse)
{
    if (parse.hear_count == claims_heard) return;
    claims_heard = parse.hear_count;
    if (!hear_claims || !std::isfinite(parse.hear_dir) || (parse.side != 1 && parse.side != -1)) return;
    double px, py, head, torso;
    current_pose(px, py, head, torso);
    // The server gives the direction in the team's frame, turned half a
    // circle for the team playing from the right.
    const double dir = wrapped(rad(parse.hear_dir) + (parse.side == -1 ? kPi : 0.0));
    const double to_ball = std::atan2(ball_gy - py, ball_gx - px);
    if (!(std::fabs(wrapped(dir - to_ball)) < CLAIM_CONE)) return;
    // A team-mate in view in that direction is the claimant: the table
    // knows where it stands.
    const int u = parse.unum;
    for (int k = 0; k < NB_MATES; ++k) {
        if (k == u || mates[k].id == -1) continue;
        const double to_mate = std::atan2(mates[k].y - py, mates[k].x - px);
        if (std::fabs(wrapped(to_mate - dir)) < CLAIM_SEEN_MATE) return;
    }
    claim_time = parse.hear_time;
}

double Localize_t::claim_hold(double ball_distance) { return CLAIM_HOLD + CLAIM_HOLD_PER_M * ball_distance; }

bool Localize_t::yield_to_claim(const NaoParse& parse) const
{
    if (!hear_claims) return false;
    const double age = parse.game_time - claim_time;
    return age >= 0.0 && age <= claim_hold(ball_dist);
}

int Localize_t::get_ball_priority(NaoParse& parse)
{
    const int u = parse.unum;
    if (u <= 0 || u >= NB_MATES) return 0;
    const double own = ball_cost(mates[u].x, mates[u].y, ball_gx, ball_gy, parse.side);
    int p = 0;
    for (int k = 0; k < NB_MATES; ++k)
        if (k != u && mates[k].id != -1 &&
            ball_cost(mates[k].x, mates[k].y, ball_gx, ball_gy, parse.side) < own)
            ++p;
    // Seeing no team-mate nearer is not being first at the ball: a
    // team-mate out of view may claim it.
    if (p == 0 && yield_to_claim(parse)) p = 1;
    if (p == 0) return 0;

    // A non-zero priority is held for 400 calls, then refreshed. The hold
    // starts from the first non-zero value: a 0 is never held, so a player
    // that was first at the ball when the hold began does not keep acting
    // as first for 400 calls.
    if (!prev_prio_set) {
        prev_prio = p;
        prev_prio_set = true;
    }
    if (prev_prio_lCounter <= kPrioHold) {
        ++prev_prio_lCounter;
        return prev_prio;
    }
    prev_prio = p;
    prev_prio_lCounter = 0;
    return p;
}

int Localize_t::get_ball_proximity(NaoParse& parse)
{
    const int u = parse.unum;
    if (u < 1) return 0;
    int n = 0;
    for (int k = 0; k < NB_MATES; ++k)
        if (k != u && mates[k].id != -1 &&
            std::hypot(mates[k].x - ball_gx, mates[k].y - ball_gy) <= ball_dist - 0.5)
            ++n;
    return n;
}

void Localize_t::set_side(int s)
{
    if (s != 1 && s != -1) {
        std::fprintf(stderr, "Localize_t::set_side %d ERROR \n", s);
        return;
    }
    side = s;
    own_goal_x = NaoParse::DIM_FIELD_LENGTH * -0.5 * s;
    own_goal_y = 0.0;
    opp_goal_x = -own_goal_x;
    opp_goal_y = 0.0;

    if (!ever_fixed) take_start_place();
}

void Localize_t::take_start_place()
{
    // The start place in the field frame; the odometry starts again from
    // it at the next update without a fix.
    const int s = side == -1 ? -1 : 1;
    x = odo_x = s * start_x;
    y = odo_y = s * start_y;
    torso_heading = odo_torso_heading = wrapped(start_heading + (s == 1 ? 0.0 : kPi));
    start_anchored = false;
}

void Localize_t::beam_to(double x0, double y0, double a0)
{
    start_x = x0;
    start_y = y0;
    start_heading = a0;
    ever_fixed = false;
    no_fix_count = 0;
    vision_before_beam = true;
    take_start_place();
    head_heading = odo_head_heading =
        wrapped(torso_heading + NaoParse::GetJointAngleRad(NaoParse::JID_HEAD_1));
    forget_ball();
}

void Localize_t::forget_ball()
{
    ball_unseen_count = MAX_BALL_SEEN_CNT;
    ball_bearing = 0.0;
    ball_ground_dist = 0.0;
    ball_lx = ball_ly = 0.0;
    prev_ball_time.clear();
    prev_ball_lx.clear();
    prev_ball_ly.clear();
    ball_gdir = 0.0;
    ball_gx = ball_gy = 0.0;
    ball_dist = 0.01;
    // The priority held, and a team-mate's claim, were judged against the
    // old ball.
    forget_held_priority();
    claim_time = -HUGE_VAL;
}

void Localize_t::place_unseen_ball(double gx, double gy, int unseen)
{
    double px, py, head, torso;
    current_pose(px, py, head, torso);
    ball_gx = gx;
    ball_gy = gy;
    const double dx = gx - px, dy = gy - py;
    ball_dist = ball_ground_dist = std::hypot(dx, dy);
    ball_gdir = std::atan2(dy, dx);
    const double c = std::cos(torso), s = std::sin(torso);
    ball_lx = c * dx + s * dy;
    ball_ly = -s * dx + c * dy;
    ball_bearing = std::atan2(ball_ly, ball_lx);
    if (ball_unseen_count < unseen) ball_unseen_count = unseen;
}

bool Localize_t::set_goal_kick_point(double px, double py, int n)
{
    if (ball_unseen_count >= n || no_fix_count >= n) return false;
    const double vx = ball_gx - opp_goal_x, vy = ball_gy - opp_goal_y;
    const double len = std::sqrt(vx * vx + vy * vy);
    // The ball in the goal's centre gives no line to kick along: the
    // previous kick point stays.
    if (!(len > 0.0) || !std::isfinite(len)) return false;
    gkp_gx = ball_gx + 0.5 * vx / len;
    gkp_gy = ball_gy + 0.5 * vy / len;
    gkp_gdir = std::atan2(gkp_gy - py, gkp_gx - px);
    gkp_dist = gkp_dist2 = std::hypot(gkp_gx - px, gkp_gy - py);
    // The heading of the pose the ball was placed by (odometry without a
    // fix), as the position passed in.
    double x_now, y_now, head_now, torso_now;
    current_pose(x_now, y_now, head_now, torso_now);
    gkp_angle = wrapped(gkp_gdir - torso_now);
    gkp_lx = std::cos(gkp_angle) * gkp_dist;
    gkp_ly = std::sin(gkp_angle) * gkp_dist;
    return true;
}

bool Localize_t::set_kick_point(int n) { return set_kick_point(n, 0.24, 0.04); }

bool Localize_t::set_kick_point(int n, double dx, double dy)
{
    if (ball_unseen_count >= n) return false;
    lkp_lx = ball_lx - dx;
    lkp_ly = ball_ly - dy;
    lkp_dist = std::sqrt(lkp_lx * lkp_lx + lkp_ly * lkp_ly);
    lkp_angle = std::atan2(lkp_ly, lkp_lx);
    return true;
}

void Localize_t::new_trans2013(NaoMove& move, double fwd, double sideways)
{
#ifndef BREVANE_NO_RATE_LIMITER
    if (speed_filter == 1) {
        rate_limit(fwd, f_filtered, 0.01, 0.04);
        rate_limit(sideways, s_filtered, 0.0025, 0.005);
        fwd = f_filtered;
        sideways = s_filtered;
        // A limited request that came back to zero asks for no walk.
        if (fwd == 0.0 && sideways == 0.0) return;
    }
#endif
    // A translation that waits for its start keeps its request.
    if (move.trans && !move.walking) return;
    move.new_trans2013(fwd, sideways);
}

void Localize_t::new_trans2013_unlimited(NaoMove& move, double fwd, double sideways)
{
    if (move.trans && !move.walking) return;
    move.new_trans2013(fwd, sideways);
}

void Localize_t::new_rot2013(NaoMove& move, double theta, double xc)
{
    if (move.rot && !move.walking) return;
    move.new_rot2013(theta, xc);
}

void Localize_t::reset_process_state()
{
    forget_held_priority();
#ifndef BREVANE_NO_RATE_LIMITER
    f_filtered = 0.0;
    s_filtered = 0.0;
#endif
}
