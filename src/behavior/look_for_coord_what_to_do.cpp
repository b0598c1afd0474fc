#include "behavior/look_for_coord.h"
#include "skills/NaoBehavior.h"

void look_for_coord::what_to_do_in_state_coord_cnt_ok() { agent->new_rot(0.5, -0.01); }
