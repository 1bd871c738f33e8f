#pragma once
// The sample rate and block size a host renders at: every renderer's and
// the benchmark's options start from them, and the hosts' --rate and
// --block set them.

namespace plughost {

struct RenderSizes {
    double rate = 48000.0;
    int block = 512;
};

}  // namespace plughost
