#pragma once
// Whole reads and writes on a host's stream (IBStream), which may move
// fewer bytes per call than asked.

#include "vst3/Vst3Com.h"

#include <cstddef>
#include <vector>

namespace KAMO {

// Reads to the end of the stream, but no more than `limit` bytes: a
// stream longer than that is read as `limit` bytes, so that a caller
// expecting n bytes passes n + 1 and sees a long stream as too long.
// False without a stream.
bool readStream(v3_bstream** stream, std::vector<unsigned char>& bytes, std::size_t limit);
// False unless every byte was written.
bool writeStream(v3_bstream** stream, const unsigned char* bytes, std::size_t size);

}  // namespace KAMO
