// Any bytes as a strategy file: loaded, and its formations looked up for a
// few ball positions.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "qorvexlib/Strategy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/brevane-strategy-fuzz-" + std::to_string(getpid()) + ".xml";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    qorvexlib::Strategy s;
    if (s.load(path)) {
        qorvexlib::formation_t out;
        for (double x : {-20.0, 0.0, 7.5}) s.fetchFormation(qorvexlib::vec2d(x, 0.5 * x), out);
        s.load(path);  // loading again over a loaded strategy
    }
    std::remove(path.c_str());
    return 0;
}
