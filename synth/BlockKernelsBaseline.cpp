// The engine's array loops for any x86-64 processor (SSE2).
#define BLOCK_KERNELS_NS block_baseline
#include "synth/BlockKernels.inl"
