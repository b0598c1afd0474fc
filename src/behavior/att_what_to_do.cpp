// The one leaf of att, init, has no action: the choice is made by its
// transitions in the first step.
#include "behavior/att.h"
