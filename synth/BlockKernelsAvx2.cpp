// The engine's array loops for processors with AVX2 and fused multiply-add;
// compiled with those units enabled (see CMakeLists.txt) and only ever
// called after the processor has been asked.
#define BLOCK_KERNELS_NS block_avx2
#include "synth/BlockKernels.inl"
