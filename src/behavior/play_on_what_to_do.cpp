// The leaves of play_on have no action: init waits for play to begin, and
// in stand_up the motion interface runs the stand-up that the fall flags
// call for.
#include "behavior/play_on.h"
