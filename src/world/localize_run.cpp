#include "world/localize_run.h"

#include <cmath>

#include "motioninterface/naomove_run.h"
#include "perception/naoparse.h"

namespace run {

int Localize_t::DEFAULT_VALID_PERCEP_CNT = 100;

Localize_t::Localize_t(double x0, double y0, double a0, int nx_, int ny_, bool grid_on)
    : ::Localize_t(x0, y0, a0, nx_, ny_, grid_on)
{
    ball_unseen_count = DEFAULT_VALID_PERCEP_CNT;
    avg_1 = false;
    avg_2 = true;
}

void Localize_t::update(NaoParse& parse, ::NaoMove& move)
{
    NaoParse::NaoVis& vis = parse.nv;
    fix = false;
    // A fix sets it back to 0: the updates since the last fix.
    ++no_fix_count;
    vision_localize_all_obj(vis, move);
    update_ball(parse, x, y, head_heading);
    ball_dist = std::hypot(x - ball_gx, y - ball_gy);
    if (vis.nb_player > 0 && grid) updateGrid(vis);
}

void Localize_t::update__2012(NaoParse::NaoVis& vis, NaoMove& move)
{
    fix = false;
    vision_localize_break_first_2_obj(vis, move);
    if (fix)
        move.set_odo(x, y, torso_heading);
    else
        ++no_fix_count;
    if (vis.seen[NaoParse::VO_BALL]) {
        vision_to_global_object(vis, NaoParse::VO_BALL, ball_gx, ball_gy, ball_gdir);
        ball_unseen_count = 0;
    } else {
        ++ball_unseen_count;
    }
    if (ball_unseen_count < no_fix_count) ball_unseen_count = no_fix_count;
    ball_dist = std::hypot(x - ball_gx, y - ball_gy);
    if (vis.nb_player > 0 && grid) updateGrid(vis);
}

void Localize_t::vision_to_global_object(NaoParse::NaoVis& vis, int id, double& gx, double& gy, double& gdir)
{
    ::Localize_t::vision_to_global_object(x, y, head_heading, vis, id, gx, gy, gdir);
}

void Localize_t::local_coord_to_global_coord(double lx, double ly, double& gx, double& gy, int n)
{
    if (no_fix_count >= n) return;
    gx = x + std::cos(torso_heading) * lx - std::sin(torso_heading) * ly;
    gy = y + std::sin(torso_heading) * lx + std::cos(torso_heading) * ly;
}

bool Localize_t::set_kick_point(int n) { return ::Localize_t::set_kick_point(n, 0.22, 0.05); }

}  // namespace run
