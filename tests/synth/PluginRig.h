#pragma once
// A freshly loaded Murlan.so driven through the host library. Each rig loads
// its own copy of the plug-in file, so its random generator starts from the
// load state: two rigs fed the same calls render the same samples.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/VstEventList.h"

struct Note {
    long frame;  // absolute sample position
    unsigned char status, d1, d2;
};

class PluginRig {
public:
    explicit PluginRig(const char* path, double rate = 48000.0, int block = 512)
        : rate_(rate), block_(block) {
        static int copies = 0;
        copy_ =
            "/tmp/murlan-test-" + std::to_string(getpid()) + "-" + std::to_string(copies++) + ".so";
        std::ofstream(copy_, std::ios::binary) << std::ifstream(path, std::ios::binary).rdbuf();
        host.setSampleRate(rate);
        plugin = host.load(copy_);
        if (plugin) {
            plugin->setSampleRate(static_cast<float>(rate));
            plugin->setBlockSize(block);
            plugin->resume();
        }
        doubles.resize(0, 1, block);
        floats.resize(0, 1, block);
    }
    ~PluginRig() {
        plugin.reset();
        std::remove(copy_.c_str());
    }

    // Renders `frames` samples in blocks, sending `notes` at their positions;
    // the event call comes before every block, or (`everyBlock` false) only
    // before blocks that have events, as hosts differ there.
    std::vector<double> render(long frames, const std::vector<Note>& notes = {},
                               bool useFloat = false, bool everyBlock = true) {
        std::vector<double> out;
        std::size_t next = 0;
        for (long start = 0; start < frames; start += block_) {
            const int n = static_cast<int>(std::min<long>(block_, frames - start));
            events.clear();
            for (; next < notes.size() && notes[next].frame < start + n; ++next)
                events.addMidi(static_cast<VstInt32>(notes[next].frame - start), notes[next].status,
                               notes[next].d1, notes[next].d2);
            if (everyBlock || events.size() > 0) plugin->processEvents(events);
            if (useFloat) {
                plugin->process(floats, n);
                out.insert(out.end(), floats.output(0), floats.output(0) + n);
            } else {
                plugin->process(doubles, n);
                out.insert(out.end(), doubles.output(0), doubles.output(0) + n);
            }
            host.advance(n);
        }
        return out;
    }

    double rate() const { return rate_; }

    plughost::PluginHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
    plughost::VstEventList events{1024};
    plughost::AudioBuffers<double> doubles;
    plughost::AudioBuffers<float> floats;

private:
    double rate_;
    int block_;
    std::string copy_;
};

// Frequency from the upward zero crossings in [from, to), interpolated.
inline double measuredFrequency(const std::vector<double>& x, std::size_t from, std::size_t to,
                                double rate) {
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to && i < x.size(); ++i) {
        if (x[i - 1] < 0.0 && x[i] >= 0.0) {
            last = static_cast<double>(i - 1) + (-x[i - 1]) / (x[i] - x[i - 1]);
            if (first < 0.0) first = last;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0.0;
}

inline double peakOf(const std::vector<double>& x, std::size_t from, std::size_t to) {
    double peak = 0.0;
    for (std::size_t i = from; i < to && i < x.size(); ++i) peak = std::max(peak, std::fabs(x[i]));
    return peak;
}
