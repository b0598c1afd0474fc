// The one leaf of at_ball, init, has no action: its transitions choose
// between pushing and reaching the push point.
#include "behavior/at_ball.h"
