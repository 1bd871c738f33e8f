// Random event lists, blocks and parameter values through the plug-in's
// record; the steps and what they check are described in EventSteps.h.

#include "fuzz/EventSteps.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!EventSteps::run(data, size)) std::abort();
    return 0;
}
