#include "layer/cycle_b.h"
