#include <vector>
#include "layer/plain.h"
#include "layer/missing.h"
