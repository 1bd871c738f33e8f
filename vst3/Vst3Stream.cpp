#include "vst3/Vst3Stream.h"

#include <algorithm>
#include <cstdint>

namespace KAMO {

bool readStream(v3_bstream** stream, std::vector<unsigned char>& bytes, std::size_t limit) {
    bytes.clear();
    if (!stream) return false;
    constexpr std::size_t kPiece = 4096;
    while (bytes.size() < limit) {
        const std::size_t want = std::min(kPiece, limit - bytes.size());
        const std::size_t at = bytes.size();
        bytes.resize(at + want);
        std::int32_t got = 0;
        const v3_result result = vst3Methods(stream)->read(stream, bytes.data() + at,
                                                           static_cast<std::int32_t>(want), &got);
        if (got < 0 || static_cast<std::size_t>(got) > want) got = 0;
        bytes.resize(at + static_cast<std::size_t>(got));
        // Streams answer the end either way: no bytes, or a result other than ok.
        if (result != V3_OK || got == 0) break;
    }
    return true;
}

bool writeStream(v3_bstream** stream, const unsigned char* bytes, std::size_t size) {
    if (!stream) return false;
    std::size_t done = 0;
    while (done < size) {
        std::int32_t wrote = 0;
        const auto piece = static_cast<std::int32_t>(std::min<std::size_t>(size - done, 1 << 20));
        if (vst3Methods(stream)->write(stream, const_cast<unsigned char*>(bytes + done), piece,
                                       &wrote) != V3_OK ||
            wrote <= 0 || wrote > piece)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

}  // namespace KAMO
