#include "vst3/Vst3Com.h"

namespace KAMO {

void toUtf16(std::int16_t* out, int size, const char* text) {
    if (!out || size < 1) return;
    int i = 0;
    for (; text && text[i] && i < size - 1; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out[i] = static_cast<std::int16_t>(c < 0x80 ? c : '?');
    }
    out[i] = 0;
}

void fromUtf16(char* out, int size, const std::int16_t* text) {
    if (!out || size < 1) return;
    int i = 0;
    for (; text && text[i] && i < size - 1; ++i) {
        const auto c = static_cast<std::uint16_t>(text[i]);
        out[i] = static_cast<char>(c < 0x80 ? c : '?');
    }
    out[i] = 0;
}

void copyText(char* out, int size, const char* text) {
    if (!out || size < 1) return;
    int i = 0;
    for (; text && text[i] && i < size - 1; ++i) out[i] = text[i];
    out[i] = 0;
}

}  // namespace KAMO
