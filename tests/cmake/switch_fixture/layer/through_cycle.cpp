#include "layer/cycle_a.h"
