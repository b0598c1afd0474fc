// The one leaf of dribble, init, has no action: its transitions choose
// between going to the ball and playing it.
#include "behavior/dribble.h"
