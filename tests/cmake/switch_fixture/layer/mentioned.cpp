/* #include "layer/names_switch.h" is only mentioned */
#include "layer/plain.h"
