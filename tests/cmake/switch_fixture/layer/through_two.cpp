#include "layer/plain.h"
#include "layer/via_header.h"
