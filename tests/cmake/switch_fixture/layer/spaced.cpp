#  include   "layer/via_header.h"
