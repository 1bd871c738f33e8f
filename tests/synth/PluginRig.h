#pragma once
// A freshly loaded Murlan.so driven through the host library. Each rig loads
// its own copy of the plug-in file, so its random generator starts from the
// load state: two rigs fed the same calls render the same samples.

#include <gtest/gtest.h>

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
    VstInt32 frame;  // absolute sample position
    unsigned char status, d1, d2;
};

class PluginRig {
public:
    explicit PluginRig(double rate = 48000.0, int block = 512) : rate_(rate), block_(block) {
#ifdef MURLAN_PLUGIN
        static int copies = 0;
        copy_ = "/tmp/murlan-test-" + std::to_string(getpid()) + "-" + std::to_string(copies++) + ".so";
        {
            std::ifstream from(MURLAN_PLUGIN, std::ios::binary);
            std::ofstream to(copy_, std::ios::binary);
            to << from.rdbuf();
        }
        host.setSampleRate(rate);
        host.setBlockSize(block);
        std::string error;
        plugin = host.load(copy_, &error);
        EXPECT_TRUE(plugin) << error;
        if (plugin) {
            plugin->setSampleRate(static_cast<float>(rate));
            plugin->setBlockSize(block);
            plugin->resume();
        }
#endif
        doubles.resize(0, 1, block);
        floats.resize(0, 1, block);
    }
    ~PluginRig() {
        plugin.reset();
        if (!copy_.empty()) std::remove(copy_.c_str());
    }

    bool ok() const { return plugin != nullptr; }

    // Renders `frames` samples in blocks, sending `notes` at their positions.
    // With `eventsEveryBlock` the event call comes before every block, empty
    // or not; otherwise only before blocks that have events.
    std::vector<double> render(long frames, const std::vector<Note>& notes = {}, bool useFloat = false,
                               bool eventsEveryBlock = true) {
        std::vector<double> out;
        out.reserve(static_cast<std::size_t>(frames));
        std::size_t next = 0;
        for (long start = 0; start < frames; start += block_) {
            const int n = static_cast<int>(std::min<long>(block_, frames - start));
            events.clear();
            while (next < notes.size() && notes[next].frame < start + n) {
                const Note& e = notes[next++];
                events.addMidi(static_cast<VstInt32>(e.frame - start), e.status, e.d1, e.d2);
            }
            if (eventsEveryBlock || events.size() > 0) plugin->processEvents(events);
            if (useFloat) {
                plugin->process(floats, n);
                for (int i = 0; i < n; ++i) out.push_back(floats.output(0)[i]);
            } else {
                plugin->process(doubles, n);
                for (int i = 0; i < n; ++i) out.push_back(doubles.output(0)[i]);
            }
            host.advance(n);
        }
        position_ += frames;
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
    long position_ = 0;
    std::string copy_;
};

// Frequency from the upward zero crossings, interpolated between samples.
inline double measuredFrequency(const std::vector<double>& x, std::size_t from, std::size_t to, double rate) {
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to && i < x.size(); ++i) {
        if (x[i - 1] < 0.0 && x[i] >= 0.0) {
            const double t = static_cast<double>(i - 1) + (-x[i - 1]) / (x[i] - x[i - 1]);
            if (first < 0.0) first = t;
            last = t;
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
