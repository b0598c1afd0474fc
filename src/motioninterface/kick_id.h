// The kick identifiers of the motion interface (NaoMove::eKick), on their
// own so that the agent object can name a kick without the motion interface.
#ifndef BREVANE_MOTIONINTERFACE_KICK_ID_H
#define BREVANE_MOTIONINTERFACE_KICK_ID_H

namespace nao_kick {

// A fixed underlying type: a request with an unknown kick number must be
// representable so that the kick stage can refuse it.
enum eKick : int { KICK_LEFT = 0, KICK_RIGHT = 1 };

}  // namespace nao_kick

#endif
