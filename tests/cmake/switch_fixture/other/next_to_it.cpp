#include "near.h"
