// The formation record of the run-challenge program (brevane-run): every
// player has the same place, (-10, 0) facing the opponent goal, and carries
// a role (ATT_0) of the role strategy.
#ifndef BREVANE_WORLD_TEAMFORMATION_RUN_H
#define BREVANE_WORLD_TEAMFORMATION_RUN_H

#include "world/strategy.h"
#include "world/teamformation.h"

namespace run {

class form_t : public ::form_t {
public:
    bool role_assigned;  // nothing sets it: isRole is always false
    playerRole role;

    form_t(double length, double width) : ::form_t(length, width), role_assigned(false), role(NO_ROLE) {}

    // The same place for every player number, without any check.
    void init(int n) { init_3_4_3(n); }
    void init_3_4_3(int /*n*/)
    {
        x = -10.0;
        y = 0.0;
        theta = 0.0;
        role = ATT_0;
    }
    // The role, or its family's generic role, once a role was assigned.
    bool isRole(playerRole r) const { return role_assigned && (role == r || roleType(role) == r); }
};

}  // namespace run

#endif
