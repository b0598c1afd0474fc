#include "behavior/not_at_push_point.h"
#include "skills/NaoBehavior.h"
#include "world/localize.h"

void not_at_push_point::what_to_do_in_state_translate_to_push_point()
{
    double px, py;
    if (!agent->pushPoint(px, py, 0.3, Localize_t::VALID_BALL_SEEN_CNT)) return;
    if (agent->ballBetweenPlayerAndPushPoint(px, py, 10, 0.27)) {
        agent->new_trans(-0.5, 0);  // the ball is in the way: step back
        return;
    }
    const Localize_t& loc = *agent->localize;
    double dx, dy;
    agent->toTranslateTo(loc.x, loc.y, loc.torso_heading, px, py, dx, dy);
    agent->new_trans(dx, dy);
}
