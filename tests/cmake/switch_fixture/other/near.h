#include "layer/names_switch.h"
