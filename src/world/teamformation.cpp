#include "world/teamformation.h"

#include <cstdio>
#include <cstdlib>

form_t::form_t(double L_, double W_) : L(L_), W(W_), x(-1.0), y(0.0), theta(0.0) {}

void form_t::init(int n)
{
    switch (n) {
        case 1:  // goalkeeper on the goal line
            x = -L / 2.0;
            y = 0.0;
            break;
        case 2:  // kick-off taker, just behind the ball
            x = -1.5;
            y = 0.0;
            break;
        case 3:
            x = 6.0 * L / 7.0 - L;
            y = W / 5.0;
            break;
        case 4:  // in front of the centre line
            x = L - 8.0 * L / 9.0;
            y = -W / 8.0;
            break;
        case 5:
            x = -L / 6.0;
            y = -W / 8.0;
            break;
        case 6:
            x = -L / 2.6;
            y = W / 11.0;
            break;
        case 7:
            x = -L / 2.6;
            y = 0.0;
            break;
        case 8:
            x = -L / 2.6;
            y = -W / 11.0;
            break;
        case 9:
            x = -L / 3.2;
            y = W / 20.0;
            break;
        case 10:
            x = -L / 3.2;
            y = 0.0;
            break;
        case 11:
            x = -L / 3.2;
            y = -W / 20.0;
            break;
        default:
            fprintf(stderr, "player_number error: given %d\n", n);
            exit(1);
    }
    theta = 0.0;
}
