// Writes the demo piece: a short monophonic tune in two tempos that shows
// what the instrument does with glides, legato (overlapping notes), pitch
// bend and its tempo-locked tremolo. Output is a format 1 Standard MIDI
// File: a conductor track (tempo, signature) and one note track.
//
// With a phrase name it writes instead the short phrase at 120 BPM that the
// sound gallery plays for the sounds of one library category (the name is
// the category file's, without its number: bass, lead, keys, ...).
//
//   make_demo_mid OUT.mid
//   make_demo_mid PHRASE OUT.mid

#include "tools/plughost/MidiBytes.h"

// glib, which smf.h includes inside extern "C", needs the C++ headers first.
#include <algorithm>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include <smf.h>

namespace {

using namespace plughost;

constexpr int kPpqn = 480;
constexpr int kBar = 4 * kPpqn;
constexpr int kSixteenth = kPpqn / 4;

struct Event {
    int tick;
    int order;  // among equal ticks: offs (0) before bends (1) before ons (2)
    std::vector<unsigned char> bytes;
};

class Piece {
public:
    void note(int start, int length, int key, int velocity = 100) {
        events_.push_back(
            {start,
             2,
             {kMidiNoteOn, static_cast<unsigned char>(key), static_cast<unsigned char>(velocity)}});
        events_.push_back({start + length, 0, {kMidiNoteOff, static_cast<unsigned char>(key), 64}});
    }
    // A run of notes, each sounding `overlap` ticks into the next one, so
    // that a monophonic instrument plays them legato (and glides).
    void legato(int start, int step, int overlap, const std::vector<int>& keys) {
        for (std::size_t i = 0; i < keys.size(); ++i)
            note(start + int(i) * step, step + (i + 1 < keys.size() ? overlap : 0), keys[i]);
    }
    // Bend from `from` to `to` semitones (range ±2) over `length` ticks.
    void bend(int start, int length, double from, double to) {
        const int steps = std::max(1, length / (kPpqn / 16));
        for (int i = 0; i <= steps; ++i) {
            const double semis = from + (to - from) * i / steps;
            int value = kMidiBendCentre + int(semis / 2.0 * kMidiBendCentre);
            value = std::min(std::max(value, 0), kMidiBendMax);
            events_.push_back({start + i * length / steps,
                               1,
                               {kMidiPitchBend, static_cast<unsigned char>(value & kMidiDataMask),
                                static_cast<unsigned char>(value >> 7)}});
        }
    }
    std::vector<Event> sorted() const {
        std::vector<Event> v = events_;
        std::stable_sort(v.begin(), v.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        return v;
    }

private:
    std::vector<Event> events_;
};

void addMeta(smf_track_t* track, int tick, std::vector<unsigned char> bytes) {
    smf_event_t* e = smf_event_new_from_pointer(bytes.data(), int(bytes.size()));
    smf_track_add_event_pulses(track, e, tick);
}

void addTempo(smf_track_t* track, int tick, int bpm) {
    const int us = 60000000 / bpm;
    addMeta(track, tick,
            {kSmfMeta, kSmfTempo, 0x03, static_cast<unsigned char>(us >> 16),
             static_cast<unsigned char>(us >> 8), static_cast<unsigned char>(us)});
}

Piece compose() {
    Piece p;
    const int q = kPpqn, e = kPpqn / 2;
    // Bars 1-2 at 112 BPM: detached notes; the tremolo beats on the long ones.
    p.note(0, q + e, 57);
    p.note(2 * q, q, 60);
    p.note(3 * q, 3 * q, 64);
    p.note(kBar + 2 * q, 2 * q - kSixteenth, 62);
    // Bars 3-4: a legato line, each note gliding into the next.
    p.legato(2 * kBar, e, kSixteenth, {60, 62, 64, 67, 69, 67, 64, 62, 60, 57, 55, 57});
    p.note(2 * kBar + 12 * e, 2 * q, 60);
    // Bar 5: one long note bent up a whole tone and back.
    p.note(4 * kBar, kBar - kSixteenth, 64);
    p.bend(4 * kBar + q, q, 0.0, 2.0);
    p.bend(4 * kBar + 2 * q + e, q, 2.0, 0.0);
    // Bar 6: an overlapping trill, the glide smearing the two keys.
    std::vector<int> trill;
    for (int i = 0; i < 12; ++i) trill.push_back(i % 2 ? 69 : 67);
    p.legato(5 * kBar, kSixteenth, kSixteenth / 2, trill);
    p.note(5 * kBar + 12 * kSixteenth, q, 67);
    // From bar 7 at 132 BPM: octave leaps, glides over wide intervals.
    p.legato(6 * kBar, q, e / 2, {57, 69, 60, 72, 64, 76, 62, 74});
    // Bar 9: a held note; the tremolo now follows the faster tempo.
    p.note(8 * kBar, kBar - kSixteenth, 69);
    p.bend(8 * kBar + 3 * q, e, 0.0, -1.0);
    p.bend(8 * kBar + 3 * q + e, e / 2, -1.0, 0.0);
    // Bars 10-12: a falling legato phrase and a last bent note.
    p.legato(9 * kBar, e, kSixteenth, {76, 74, 72, 71, 69, 67, 65, 64, 62, 64, 65, 67, 69, 71});
    p.note(9 * kBar + 14 * e, kBar + q, 72);
    p.bend(10 * kBar + 3 * q, q, 0.0, 2.0);
    p.bend(11 * kBar, q, 2.0, 0.0);
    return p;
}

// The gallery's phrases: what each category is for, in at most eight
// seconds, so that a release tail still fits in ten.
bool composePhrase(const std::string& name, Piece& p) {
    const int q = kPpqn, e = kPpqn / 2;
    if (name == "bass") {
        // A riff: detached notes, a legato slide up an octave and back.
        p.note(0, e, 36);
        p.note(e, e / 2, 36);
        p.note(q + e, e, 43);
        p.legato(2 * q, e, kSixteenth, {36, 48, 46, 43});
        p.note(kBar, q, 41);
        p.note(kBar + q + e, e, 39);
        p.legato(kBar + 2 * q + e, e, kSixteenth, {36, 43, 36});
        p.note(2 * kBar + q / 2, q, 36);
    } else if (name == "lead" || name == "init") {
        // A legato line with small steps and wide leaps, then a held note.
        p.legato(0, e, kSixteenth, {60, 62, 64, 67, 72, 67, 64, 62});
        p.legato(kBar, q, e / 2, {57, 69, 60, 72});
        p.note(2 * kBar, q + e, 64);
    } else if (name == "effects") {
        // Long legato notes far apart, so that the slowest glides arrive,
        // then a held note with the wheel pushed all the way up and back
        // down: a rise and a drop over the sound's whole bend range.
        p.legato(0, 2 * q, e, {48, 72, 55, 79});
        p.note(2 * kBar, q, 43);
        p.note(2 * kBar + 2 * q, kBar + q, 48);
        p.bend(2 * kBar + 2 * q, 2 * q, 0.0, 2.0);
        p.bend(3 * kBar, q, 2.0, 0.0);
    } else if (name == "bells") {
        // Struck notes, each ringing until the next one strikes.
        const int keys[] = {72, 79, 76, 84, 67, 74, 72};
        const int at[] = {0, e, q, 2 * q, 4 * q, 4 * q + e, 5 * q};
        for (int i = 0; i < 7; ++i) p.note(at[i], kSixteenth, keys[i]);
    } else if (name == "keys") {
        // The notes of a chord in turn, then a short tune, every note
        // struck anew as on a keyboard.
        p.note(0, q - kSixteenth, 48);
        p.note(q, q - kSixteenth, 55);
        p.note(2 * q, q - kSixteenth, 60);
        p.note(3 * q, q - kSixteenth, 64);
        const int tune[] = {67, 65, 64, 62, 60, 62, 64, 67};
        for (int i = 0; i < 8; ++i) p.note(kBar + i * e, e - kSixteenth / 2, tune[i]);
        p.note(2 * kBar, q, 60);
    } else if (name == "pads") {
        // A chord in turn, each note held a bar, longer than any swell.
        p.note(0, kBar - kSixteenth, 48);
        p.note(kBar, kBar - kSixteenth, 55);
        p.note(2 * kBar, kBar - kSixteenth, 52);
    } else if (name == "rhythmic") {
        // Two bars of held notes: the tremolo does the rhythm.
        p.note(0, kBar, 48);
        p.note(kBar, 2 * q, 51);
        p.note(kBar + 2 * q, 2 * q, 55);
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Piece piece;
    const bool phrase = argc == 3;
    if ((argc != 2 && !phrase) || (phrase && !composePhrase(argv[1], piece))) {
        std::fprintf(stderr,
                     "usage: make_demo_mid OUT.mid | make_demo_mid "
                     "init|bass|lead|keys|bells|pads|rhythmic|effects OUT.mid\n");
        return 2;
    }
    if (!phrase) piece = compose();
    const char* path = argv[argc - 1];
    smf_t* smf = smf_new();
    if (!smf || smf_set_ppqn(smf, kPpqn) != 0) return 1;
    smf_track_t* conductor = smf_track_new();
    smf_track_t* notes = smf_track_new();
    smf_add_track(smf, conductor);
    smf_add_track(smf, notes);

    addMeta(conductor, 0, {kSmfMeta, kSmfTimeSignature, 0x04, 4, 2, 24, 8});  // 4/4
    addTempo(conductor, 0, phrase ? 120 : 112);
    if (!phrase) addTempo(conductor, 6 * kBar, 132);

    const char name[] = "Demo";
    std::vector<unsigned char> title = {kSmfMeta, kSmfTrackName,
                                        static_cast<unsigned char>(sizeof name - 1)};
    title.insert(title.end(), name, name + sizeof name - 1);
    addMeta(notes, 0, title);
    int last = 0;
    for (const Event& ev : piece.sorted()) {
        smf_event_t* e = smf_event_new_from_pointer(const_cast<unsigned char*>(ev.bytes.data()),
                                                    int(ev.bytes.size()));
        smf_track_add_event_pulses(notes, e, ev.tick);
        last = std::max(last, ev.tick);
    }
    if (smf_track_add_eot_pulses(conductor, last) != 0 ||
        smf_track_add_eot_pulses(notes, last) != 0)
        return 1;
    const int result = smf_save(smf, path);
    smf_delete(smf);
    if (result != 0) {
        std::fprintf(stderr, "make_demo_mid: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
