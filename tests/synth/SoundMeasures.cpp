#include "SoundMeasures.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>

namespace soundcheck {

namespace {

constexpr double kFloorDb = -50.0;
constexpr double kPi = 3.141592653589793;

double toDb(double power) { return power > 0.0 ? 10.0 * std::log10(power) : -300.0; }

double meanSquare(const std::vector<float>& x, std::int64_t from, std::int64_t to) {
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, static_cast<std::int64_t>(x.size()));
    double sum = 0.0;
    for (std::int64_t i = from; i < to; ++i) sum += double(x[std::size_t(i)]) * x[std::size_t(i)];
    return to > from ? sum / double(to - from) : 0.0;
}

// A band-pass biquad with 0 dB at its centre, run twice over the signal for
// steeper skirts, so that neighbouring partials fall in different bands.
double bandEnergy(const std::vector<float>& x, double centre, double rate) {
    const double q = 1.0 / (std::pow(2.0, 1.0 / 12.0) - std::pow(2.0, -1.0 / 12.0));
    const double w = 2.0 * kPi * centre / rate, alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0;
    const double a1 = -2.0 * std::cos(w) / a0, a2 = (1.0 - alpha) / a0;
    double s1[2] = {0, 0}, s2[2] = {0, 0}, energy = 0.0;
    for (float sample : x) {
        double v = sample;
        for (int stage = 0; stage < 2; ++stage) {
            // Transposed direct form II.
            const double y = b0 * v + s1[stage];
            s1[stage] = s2[stage] - a1 * y;
            s2[stage] = b2 * v - a2 * y;
            v = y;
        }
        energy += v * v;
    }
    return energy;
}

double rmsDifference(const std::vector<double>& a, const std::vector<double>& b) {
    const std::size_t n = std::max(a.size(), b.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = (i < a.size() ? a[i] : kFloorDb) - (i < b.size() ? b[i] : kFloorDb);
        sum += d * d;
    }
    return n ? std::sqrt(sum / double(n)) : 0.0;
}

}  // namespace

double integratedLoudness(const std::vector<float>& mono, double rate) {
    std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(
        ebur128_init(1, static_cast<unsigned long>(rate), EBUR128_MODE_I),
        [](ebur128_state* s) { ebur128_destroy(&s); });
    double lufs = -HUGE_VAL;
    if (state && ebur128_add_frames_float(state.get(), mono.data(), mono.size()) == EBUR128_SUCCESS)
        ebur128_loudness_global(state.get(), &lufs);
    return lufs;
}

double peakDb(const std::vector<float>& mono) {
    float peak = 0.0f;
    for (float v : mono) peak = std::max(peak, std::fabs(v));
    return 20.0 * std::log10(std::max(peak, 1e-15f));
}

std::vector<Note> notesOf(const plughost::MidiSong& song, double rate, std::int64_t frames) {
    std::vector<std::int64_t> frameOf;
    song.messageFrames(song.tempoMap(), rate, 0.0, frameOf);
    const auto& messages = song.messages();
    auto isOn = [&](std::size_t i) {
        return (messages[i].bytes[0] & 0xF0) == 0x90 && messages[i].bytes[2] != 0;
    };
    auto isOff = [&](std::size_t i, std::uint8_t key) {
        const std::uint8_t kind = messages[i].bytes[0] & 0xF0;
        return messages[i].bytes[1] == key &&
               (kind == 0x80 || (kind == 0x90 && messages[i].bytes[2] == 0));
    };
    std::vector<Note> notes;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (!isOn(i)) continue;
        Note note;
        note.on = frameOf[i];
        note.off = frames;
        double offBeats = song.endPpq();
        for (std::size_t j = i + 1; j < messages.size(); ++j)
            if (isOff(j, messages[i].bytes[1])) {
                note.off = frameOf[j];
                offBeats = messages[j].ppq;
                break;
            }
        note.heldBeats = offBeats - messages[i].ppq;
        note.span = frames - note.on;
        for (std::size_t j = i + 1; j < messages.size(); ++j)
            if (isOn(j) && frameOf[j] > note.on) {
                note.span = frameOf[j] - note.on;
                note.legato = note.off > frameOf[j];
                break;
            }
        notes.push_back(note);
    }
    return notes;
}

double worstNoteSpread(const std::vector<float>& mono, const std::vector<Note>& notes,
                       std::string* where) {
    // Kind: held length in 32nd notes, and whether it runs into the next.
    std::map<std::pair<long, bool>, std::vector<const Note*>> kinds;
    for (const Note& n : notes) kinds[{std::lround(n.heldBeats * 8.0), n.legato}].push_back(&n);
    double worst = 0.0;
    for (const auto& [kind, members] : kinds) {
        if (members.size() < 2) continue;
        std::int64_t window = members.front()->span;
        for (const Note* n : members) window = std::min(window, n->span);
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (const Note* n : members) {
            const double db = toDb(meanSquare(mono, n->on, n->on + window));
            lo = std::min(lo, db);
            hi = std::max(hi, db);
        }
        if (hi - lo > worst) {
            worst = hi - lo;
            if (where) {
                char text[96];
                std::snprintf(text, sizeof text, "%zu %s notes of %.2f beats, %.1f dB apart",
                              members.size(), kind.second ? "legato" : "detached", kind.first / 8.0,
                              worst);
                *where = text;
            }
        }
    }
    return worst;
}

Fingerprint fingerprintOf(const std::vector<float>& mono, double rate) {
    Fingerprint f;
    double total = 0.0;
    for (int k = 0; k <= 45; ++k) {
        f.bands.push_back(bandEnergy(mono, 50.0 * std::pow(2.0, k / 6.0), rate));
        total += f.bands.back();
    }
    for (double& b : f.bands) b = std::max(kFloorDb, toDb(b / total));
    const std::int64_t frame = static_cast<std::int64_t>(0.02 * rate);
    double loudest = -HUGE_VAL;
    for (std::int64_t at = 0; at + frame <= std::int64_t(mono.size()); at += frame) {
        f.envelope.push_back(toDb(meanSquare(mono, at, at + frame)));
        loudest = std::max(loudest, f.envelope.back());
    }
    for (double& e : f.envelope) e = std::max(kFloorDb, e - loudest);
    return f;
}

double colourDistance(const Fingerprint& a, const Fingerprint& b) {
    return rmsDifference(a.bands, b.bands);
}

double shapeDistance(const Fingerprint& a, const Fingerprint& b) {
    return rmsDifference(a.envelope, b.envelope);
}

}  // namespace soundcheck
