#include "layer/cycle_a.h"
#include "layer/names_switch.h"
