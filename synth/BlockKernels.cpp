#include "synth/BlockKernels.h"

namespace {
bool runs(BlockKernels::Isa isa) {
    switch (isa) {
    case BlockKernels::Baseline:
        return true;
    case BlockKernels::Avx2Fma:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    default:
        return false;
    }
}
}  // namespace

BlockKernels::Isa BlockKernels::best() {
    static const Isa chosen = [] {
        __builtin_cpu_init();
        return runs(Avx2Fma) ? Avx2Fma : Baseline;
    }();
    return chosen;
}

std::vector<BlockKernels::Isa> BlockKernels::available() {
    __builtin_cpu_init();
    std::vector<Isa> isas;
    for (int i = 0; i < kIsaCount; ++i)
        if (runs(Isa(i))) isas.push_back(Isa(i));
    return isas;
}

const BlockKernels& BlockKernels::get(Isa isa) {
    return isa == Avx2Fma && runs(Avx2Fma) ? block_avx2::kKernels : block_baseline::kKernels;
}

const char* BlockKernels::name(Isa isa) {
    return isa == Avx2Fma ? "avx2+fma" : "baseline";
}
