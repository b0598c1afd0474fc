#include <cstdio>

#include "behavior/playing.h"
#include "qorvexlib/Strategy.h"
#include "skills/NaoBehavior.h"

// Walks to the strategy's place for the ball (but for the kick-off taker
// waiting for another player to touch the ball): the player at ball priority p
// takes the p-th nearest place to the ball (the nearest, index 0, is left
// to the player at the ball). The robot keeps walking to its last accepted
// target whatever the strategy says.
void playing::what_to_do_in_state_assist()
{
    // The kick-off taker may not touch the ball again before another
    // player has: it waits instead of taking a place.
    if (agent->kickOffTakerWaits()) {
        agent->kickOffWait();
        return;
    }
    qorvexlib::vec2_t<double> ball(agent->ballGlobalX(), agent->ballGlobalY());
    qorvexlib::Side side = agent->fieldSide() == -1 ? qorvexlib::RED : qorvexlib::BLUE;
    qorvexlib::formation_t& f = *places;
    if (agent->play_on_strategy.interpolate(ball, side, f)) {
        f.sort();
        const int slot = agent->getBallPriority();
        if (slot >= 0 && slot < static_cast<int>(f.players.size()))
            agent->new_move_target(f.players[slot].x, f.players[slot].y, true);
        else
            std::fprintf(stderr, "new_player_form_id > new_form.players.size() ERROR\n");
    } else {
        std::fprintf(stderr, "play_on_strategy.interpolate (%.1f %.1f) %d ERROR \n", agent->ballGlobalX(),
                     agent->ballGlobalY(), agent->fieldSide());
    }
    agent->new_move(500);
}
