// Random runs of the LV2 face as a careless or hostile host would make
// them: control port values, port connections and atom sequences of MIDI
// and time:Position objects, at sample rates good and bad. The input:
//   one byte choosing the sample rate (some must be refused), then steps,
//   each a byte whose low two bits say what to do:
//   0  a control value: one byte of port (some beyond the controls), one
//      choosing the value (NaN, infinities, huge, or a fraction of the range);
//   1  a run: two bytes of length (up to the maximum block), one byte of
//      event count, then per event a kind byte, two bytes of frame and the
//      event's own bytes: 1 to 3 MIDI bytes, or a position whose fields
//      each come as a double, float, long or int of a chosen value, or an
//      atom that is not ours;
//   2  activate or deactivate;
//   3  four bytes of port index: one that is no port must change nothing.
// Every run's output must be finite and bounded, and nothing past the run's
// frames may be written.

#include "fuzz/EventSteps.h"
#include "fuzz/Lv2FuzzHost.h"

#include <lv2/atom/forge.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kRates[] = {48000.0, 44100.0,  8000.0, 768000.0, 96000.0, 1000.0, 1e6,   22050.0,
                             0.0,     -48000.0, kNaN,   kInf,     1e9,     1e300,  1.4e6, 999.0};
constexpr double kValues[] = {kNaN, kInf, -kInf, 1e300, -1e300, 1e30,   -1e30, 9.3e18,
                              0.0,  -0.0, 1.0,   -1.0,  0.5,    1e-310, 2.5,   120.0};
// A value the output never reaches; it marks frames that must stay unwritten.
constexpr float kUnwritten = 12345.0f;
// Three full-scale oscillators at the loudest settings stay far below.
constexpr float kBound = 1000.0f;

using EventSteps::Bytes;

std::uint32_t next32(Bytes& in) {
    const std::uint32_t low = in.next16();
    return low | std::uint32_t(in.next16()) << 16;
}

double valueFrom(Bytes& in) {
    const std::uint8_t b = in.next();
    if (b < 128) return kValues[b % 16];
    return (b - 128) / 127.0 * 2400.0 - 1200.0;
}

struct Uris {
    LV2_URID midi = Lv2FuzzHost::map(LV2_MIDI__MidiEvent);
    LV2_URID position = Lv2FuzzHost::map(LV2_TIME__Position);
    LV2_URID keys[8] = {
        Lv2FuzzHost::map(LV2_TIME__frame),          Lv2FuzzHost::map(LV2_TIME__speed),
        Lv2FuzzHost::map(LV2_TIME__beatsPerMinute), Lv2FuzzHost::map(LV2_TIME__beatsPerBar),
        Lv2FuzzHost::map(LV2_TIME__beatUnit),       Lv2FuzzHost::map(LV2_TIME__bar),
        Lv2FuzzHost::map(LV2_TIME__barBeat),        Lv2FuzzHost::map(LV2_TIME__beat)};
};

// One number of a position field in the type the kind byte chose; the
// integer types take only what they can hold, as a host's would.
void forgeNumber(LV2_Atom_Forge& forge, std::uint8_t type, double v) {
    switch (type & 3) {
    case 0:
        lv2_atom_forge_double(&forge, v);
        break;
    case 1:
        lv2_atom_forge_float(&forge, std::fabs(v) < 3e38 || !std::isfinite(v) ? float(v) : 0.0f);
        break;
    case 2:
        lv2_atom_forge_long(&forge, std::fabs(v) < 9e18 ? std::int64_t(v) : INT64_MIN);
        break;
    default:
        lv2_atom_forge_int(&forge, std::fabs(v) < 2e9 ? std::int32_t(v) : INT32_MAX);
        break;
    }
}

void forgeEvents(LV2_Atom_Forge& forge, const Uris& uris, Bytes& in, std::uint32_t frames) {
    const int count = in.next() % 32;
    for (int e = 0; e < count && !in.empty(); ++e) {
        const std::uint8_t kind = in.next();
        // Mostly within the run, sometimes beyond it or going back.
        const std::int64_t frame = in.next16() % (frames + 64);
        lv2_atom_forge_frame_time(&forge, frame);
        switch (kind & 3) {
        case 0:
        case 1: {
            std::uint8_t midi[3] = {std::uint8_t(0x80 | in.next()), in.next(), in.next()};
            const std::uint32_t size = 1 + (kind >> 2) % 3;
            lv2_atom_forge_atom(&forge, size, uris.midi);
            lv2_atom_forge_write(&forge, midi, size);
            break;
        }
        case 2: {
            LV2_Atom_Forge_Frame object;
            lv2_atom_forge_object(&forge, &object, 0, uris.position);
            const std::uint8_t fields = in.next();
            for (int f = 0; f < 8; ++f) {
                if (!(fields & (1 << f))) continue;
                lv2_atom_forge_key(&forge, uris.keys[f]);
                const std::uint8_t type = in.next();
                forgeNumber(forge, type, valueFrom(in));
            }
            lv2_atom_forge_pop(&forge, &object);
            break;
        }
        default:
            // Atoms that are no MIDI and no position: skipped.
            if (kind & 4) {
                LV2_Atom_Forge_Frame object;
                lv2_atom_forge_object(&forge, &object, 0, uris.midi);
                lv2_atom_forge_pop(&forge, &object);
            } else {
                lv2_atom_forge_int(&forge, std::int32_t(next32(in)));
            }
            break;
        }
    }
}

struct Ports {
    explicit Ports(int controls) : values(std::size_t(controls), 0.0f) {}
    std::vector<float> values;
    std::vector<std::uint64_t> events = std::vector<std::uint64_t>(8192);
    std::vector<float> output = std::vector<float>(Lv2FuzzHost::kMaxBlock + 16);
};

void connect(KAMO::Lv2Plugin& plugin, Ports& ports, std::uint32_t port) {
    const auto controls = std::uint32_t(plugin.controlCount());
    if (port < controls)
        plugin.connectPort(port, &ports.values[port]);
    else if (port == controls)
        plugin.connectPort(port, ports.events.data());
    else if (port == controls + 1)
        plugin.connectPort(port, ports.output.data());
}

void run(KAMO::Lv2Plugin& plugin, Ports& ports, const Uris& uris, Bytes& in) {
    const std::uint32_t frames = in.next16() % (Lv2FuzzHost::kMaxBlock + 1);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &Lv2FuzzHost::gMap);
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(ports.events.data()),
                              ports.events.size() * sizeof(std::uint64_t));
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    forgeEvents(forge, uris, in, frames);
    lv2_atom_forge_pop(&forge, &sequence);

    std::fill(ports.output.begin(), ports.output.end(), kUnwritten);
    plugin.run(frames);
    for (std::size_t i = 0; i < ports.output.size(); ++i) {
        const float v = ports.output[i];
        if (i >= frames ? v != kUnwritten : !(std::fabs(v) < kBound)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    const int rateChoice = in.next() % 16;
    const double rate = kRates[rateChoice];
    std::unique_ptr<KAMO::Lv2Plugin> plugin(Lv2FuzzHost::create(rate));
    // The first eight rates are playable, the rest must be refused.
    if (!plugin != (rateChoice >= 8)) std::abort();
    if (!plugin) return 0;

    static const Uris uris;
    Ports ports(plugin->controlCount());
    for (int p = 0; p < plugin->controlCount() + 2; ++p) connect(*plugin, ports, std::uint32_t(p));
    plugin->activate();
    bool active = true;

    int step = 0;
    while (!in.empty() && step++ < 64) {
        const std::uint8_t op = in.next();
        switch (op & 3) {
        case 0: {
            const int port = in.next() % (plugin->controlCount() + 4);
            const double v = valueFrom(in);
            if (port < plugin->controlCount())
                ports.values[std::size_t(port)] =
                    std::fabs(v) < 3e38 || !std::isfinite(v) ? float(v) : 3e38f;
            break;
        }
        case 1:
            run(*plugin, ports, uris, in);
            break;
        case 2:
            active ? plugin->deactivate() : plugin->activate();
            active = !active;
            break;
        default: {
            const std::uint32_t port = next32(in);
            // Connections to the real ports are remade to our buffers; any
            // other index must be ignored.
            if (port >= std::uint32_t(plugin->controlCount()) + 2) {
                float stray = 0.0f;
                plugin->connectPort(port, &stray);
            } else {
                connect(*plugin, ports, port);
            }
            break;
        }
        }
    }
    if (active) plugin->deactivate();
    return 0;
}
