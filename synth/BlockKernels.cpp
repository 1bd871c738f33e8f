#include "synth/BlockKernels.h"

bool BlockKernels::runs(Isa isa) {
    __builtin_cpu_init();
    switch (isa) {
    case BlockKernels::Baseline:
        return true;
    case BlockKernels::Avx2Fma:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    default:
        return false;
    }
}

BlockKernels::Isa BlockKernels::best() {
    static const Isa chosen = [] {
        __builtin_cpu_init();
        return runs(Avx2Fma) ? Avx2Fma : Baseline;
    }();
    return chosen;
}

const BlockKernels& BlockKernels::get(Isa isa) {
    return isa == Avx2Fma && runs(Avx2Fma) ? block_avx2::kKernels : block_baseline::kKernels;
}

const char* BlockKernels::name(Isa isa) { return isa == Avx2Fma ? "avx2+fma" : "baseline"; }
