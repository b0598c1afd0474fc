// The localiser of the run-challenge program (brevane-run): the match
// agent's Localize_t with these differences:
// - it averages the fixes of every landmark pair in view (the twelve pairs
//   of the second averaging pass: avg_1 off, avg_2 on) instead of taking
//   the first good pair;
// - it never falls back on the walk odometry: without a fix the pose stays
//   where it was, and the ball is always placed from the vision pose;
// - it keeps no team-mate table;
// - the ball counts as unseen for DEFAULT_VALID_PERCEP_CNT (100) updates
//   after construction, not 1000;
// - its local kick point lies 0.22 m behind and 0.05 m right of the ball.
// The older update (update__2012) anchors the motion interface's odometry
// at every fix; nothing in the program calls it.
#ifndef BREVANE_WORLD_LOCALIZE_RUN_H
#define BREVANE_WORLD_LOCALIZE_RUN_H

#include "world/localize.h"

namespace run {

class NaoMove;

class Localize_t : public ::Localize_t {
public:
    static int DEFAULT_VALID_PERCEP_CNT;  // 100

    // As the match agent's; turns the averaging switches to this program's.
    Localize_t(double x0, double y0, double a0, int nx, int ny, bool grid_on);

    // Once per think call: the averaged fix, the ball from the vision pose,
    // the ball distance, and the grid when a player is in view.
    void update(NaoParse& parse, ::NaoMove& move);

    // The older update: the first good pair; a fix is handed to the motion
    // interface's set_odo.
    void update__2012(nao_vision::NaoVis& vis, NaoMove& move);

    // A seen object in the field frame from the vision pose.
    void vision_to_global_object(nao_vision::NaoVis& vis, int id, double& gx, double& gy, double& gdir);

    // Torso frame to field frame from the vision pose, while the no-fix
    // count is below n; otherwise the outputs are left unchanged.
    void local_coord_to_global_coord(double lx, double ly, double& gx, double& gy, int n);

    bool set_kick_point(int n);
};

}  // namespace run

#endif
