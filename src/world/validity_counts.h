// The validity thresholds of the world model's values, in update counts:
// a skill treats the ball as known while its unseen count is below a
// threshold, the own pose while the no-fix count is. On their own because
// the localiser's layout differs between brevane and brevane-b, so that a
// source naming only these is compiled once for both.
#ifndef BREVANE_WORLD_VALIDITY_COUNTS_H
#define BREVANE_WORLD_VALIDITY_COUNTS_H

// Localize_t derives from it (an empty base: the layout stays as it is), so
// Localize_t::VALID_BALL_SEEN_CNT and the others keep their names.
struct validity_counts_t {
    static constexpr int MAX_BALL_SEEN_CNT = 1000;   // the ball-unseen count at construction
    static constexpr int VALID_BALL_SEEN_CNT = 500;  // the ball known
    static constexpr int VALID_COORD_CNT = 500;      // the own pose known
};

#endif
