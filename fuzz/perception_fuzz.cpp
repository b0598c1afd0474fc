// Any bytes as one server message to a running agent: parsed into the
// perception record, then thought about once per sub-step, as the cycle
// loop does. The agent lives across inputs as it lives across the messages
// of a match, so sequences of inputs reach the states a match reaches (a
// fall, a walk, a kick). Run from the source root: the agent reads its data
// files there.
#include <cstddef>
#include <cstdint>
#include <string>

#include "skills/NaoBehavior.h"

namespace {

NaoBehavior& agent()
{
    static NaoBehavior* a = [] {
        NaoBehavior* b = new NaoBehavior(2, 0, "brevane");
        b->Init();
        b->Think("");  // the init message
        return b;
    }();
    return *a;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NaoBehavior& a = agent();
    const std::string msg(reinterpret_cast<const char*>(data), size);
    for (int i = 0; i < a.sub_steps; ++i) a.Think(msg);
    return 0;
}
