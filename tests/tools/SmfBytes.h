#pragma once
// Builds Standard MIDI File bytes by hand, so that tests control exactly
// what a file contains (running status, track layout, tempo events).

#include <cstdint>
#include <string>
#include <vector>

namespace faketest {

class SmfBytes {
public:
    SmfBytes(int format, int division) : format_(format), division_(division) {}

    // Starts a new track; the following calls append to it.
    void track() { tracks_.emplace_back(); }
    // Appends a delta time and raw event bytes (the status may be left out
    // to use running status).
    void event(std::uint32_t delta, std::vector<std::uint8_t> bytes) {
        auto& t = tracks_.back();
        writeVarLen(t, delta);
        t.insert(t.end(), bytes.begin(), bytes.end());
    }
    void tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
        event(delta, {0xFF, 0x51, 0x03, std::uint8_t(microsPerQuarter >> 16),
                      std::uint8_t(microsPerQuarter >> 8), std::uint8_t(microsPerQuarter)});
    }
    void endOfTrack(std::uint32_t delta = 0) { event(delta, {0xFF, 0x2F, 0x00}); }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
        put16(out, format_);
        put16(out, int(tracks_.size()));
        put16(out, division_);
        for (const auto& t : tracks_) {
            out.insert(out.end(), {'M', 'T', 'r', 'k'});
            put32(out, std::uint32_t(t.size()));
            out.insert(out.end(), t.begin(), t.end());
        }
        return out;
    }

private:
    static void writeVarLen(std::vector<std::uint8_t>& out, std::uint32_t v) {
        std::uint8_t buf[5];
        int n = 0;
        buf[n++] = v & 0x7F;
        while (v >>= 7) buf[n++] = std::uint8_t(0x80 | (v & 0x7F));
        while (n--) out.push_back(buf[n]);
    }
    static void put16(std::vector<std::uint8_t>& out, int v) {
        out.push_back(std::uint8_t(v >> 8));
        out.push_back(std::uint8_t(v));
    }
    static void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(v >> s));
    }

    int format_;
    int division_;
    std::vector<std::vector<std::uint8_t>> tracks_;
};

}  // namespace faketest
