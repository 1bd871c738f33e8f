// Random bytes as a program or bank file (see FxChunkSteps.h for what each
// input is checked for).

#include "FxChunkSteps.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!FxChunkSteps::readsAsWritten(data, size)) std::abort();
    return 0;
}
