#pragma once
// Musical time of a song: tempo and time-signature changes placed on the
// quarter-note axis, and conversions between quarters and seconds.
// Without any change the tempo is 120 BPM and the signature 4/4, as in a
// Standard MIDI File without tempo events.

#include <cstdint>
#include <vector>

namespace plughost {

class TempoMap {
public:
    // Renderers look positions up this far after a block start: a start that
    // the rounding of frames puts an ulp before a change still gets the new
    // tempo.
    static constexpr double kAfter = 1e-9;

    TempoMap();

    // Changes take effect at `ppq` (quarter notes from the start). A later
    // change at the same position replaces an earlier one.
    void addTempo(double ppq, double bpm);
    void addTimeSignature(double ppq, int numerator, int denominator);
    // Forgets every tempo change and plays the whole song at `bpm`.
    void setConstantTempo(double bpm);

    double secondsAt(double ppq) const;
    double ppqAt(double seconds) const;
    double tempoAtPpq(double ppq) const;
    double tempoAtSeconds(double seconds) const { return tempoAtPpq(ppqAt(seconds)); }
    // Quarter position of the next tempo change after `ppq`, or a negative
    // number when there is none.
    double nextTempoChangeAfter(double ppq) const;
    // A block of `len` frames from frame `pos` (at quarter `ppq`, `rate`
    // frames a second), cut short where the next tempo change takes effect,
    // so that no block spans two tempos.
    std::int64_t blockLength(double ppq, std::int64_t pos, std::int64_t len, double rate) const;
    // The next block of a render of `total` frames, from frame `pos`: at
    // most `block` frames, cut as blockLength cuts it; `ppq` gets its start.
    std::int64_t nextBlock(std::int64_t pos, std::int64_t total, std::int64_t block, double rate,
                           double& ppq) const;

    int numeratorAt(double ppq) const;
    int denominatorAt(double ppq) const;
    // Start of the bar that contains `ppq`, counting bars from the last
    // signature change (which starts a bar).
    double barStartAt(double ppq) const;

private:
    struct Tempo {
        double ppq;
        double bpm;
        double seconds;  // derived: when the change happens
    };
    struct Signature {
        double ppq;
        int numerator;
        int denominator;
    };
    void recompute();
    const Tempo& tempoSegmentAtPpq(double ppq) const;
    const Signature& signatureAt(double ppq) const;

    std::vector<Tempo> tempi_;           // sorted, first at 0
    std::vector<Signature> signatures_;  // sorted, first at 0
};

}  // namespace plughost
