#include "behavior/not_at_push_point.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

void not_at_push_point::what_to_do_in_state_translate_to_push_point()
{
    double px, py;
    if (!agent->pushPoint(px, py, 0.3, validity_counts_t::VALID_BALL_SEEN_CNT)) return;
    if (agent->ballBetweenPlayerAndPushPoint(px, py, 10, 0.27)) {
        agent->new_trans(-0.5, 0);  // the ball is in the way: step back
        return;
    }
    double x, y, heading;
    agent->fieldPose(x, y, heading);
    double dx, dy;
    agent->toTranslateTo(x, y, heading, px, py, dx, dy);
    agent->new_trans(dx, dy);
}
