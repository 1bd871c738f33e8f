#pragma once
// What a listener judges a library sound by, measured on a mono render:
// how loud it is (ITU-R BS.1770 integrated loudness through libebur128),
// whether the notes of one kind in a phrase come out alike, and a
// fingerprint of its colour and its shape in time that tells two sounds
// apart, or not.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/plughost/MidiSong.h"

namespace soundcheck {

// Gated integrated loudness in LUFS of a mono signal (one front channel).
double integratedLoudness(const std::vector<float>& mono, double rate);
// Largest sample magnitude in dBFS.
double peakDb(const std::vector<float>& mono);

struct Note {
    std::int64_t on = 0, off = 0;  // frames
    double heldBeats = 0.0;        // quarter notes from key down to key up
    bool legato = false;           // still held when the next note starts
    std::int64_t span = 0;         // frames until the next note starts (or the end)
};
std::vector<Note> notesOf(const plughost::MidiSong& song, double rate, std::int64_t frames);

// Notes held equally long and equally joined are of one kind; each is
// measured over the same stretch from its start (the shortest span of its
// kind). Answers the largest level difference within a kind in dB and
// describes where it is.
double worstNoteSpread(const std::vector<float>& mono, const std::vector<Note>& notes,
                       std::string* where);

// Colour: the energy in sixth-octave bands from 50 Hz to 10 kHz, in dB
// against the whole. Shape: the level of every 20 ms in dB against the
// loudest. Both are floored at -50 dB.
struct Fingerprint {
    std::vector<double> bands;
    std::vector<double> envelope;
};
Fingerprint fingerprintOf(const std::vector<float>& mono, double rate);
// Root mean square of the differences, in dB.
double colourDistance(const Fingerprint& a, const Fingerprint& b);
double shapeDistance(const Fingerprint& a, const Fingerprint& b);

}  // namespace soundcheck
