#include "tools/plughost/ValidationContext.h"

#include "tools/plughost/ForkedProbe.h"
#include "tools/plughost/MidiBytes.h"
#include "tools/plughost/VstEventList.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <type_traits>

namespace plughost {

namespace {
// A value no plug-in writes by chance: samples still holding it were not written.
constexpr double kUnwritten = 1234.5;
// Events of the note stream come this many frames apart.
constexpr std::int64_t kNoteSpacing = 2400;
constexpr std::size_t kMaxReasons = 5;
// Fills a text buffer behind the room the plug-in may use.
constexpr char kFieldMarker = '\x5a';
}  // namespace

std::unique_ptr<PluginInstance> PluginSource::load(PluginHost& host, std::string* error) const {
    if (entry) return host.loadEntry(entry, path.empty() ? "in-process plug-in" : path, error);
    return host.load(path, error);
}

ValidationContext::ValidationContext(const PluginSource& source, std::uint64_t seed, int repeats)
    : source_(source), random_(seed), repeats_(repeats < 1 ? 1 : repeats) {}

std::unique_ptr<PluginInstance> ValidationContext::load() {
    std::string error;
    auto plugin = source_.load(host_, &error);
    if (!plugin) fail("cannot load: " + error);
    return plugin;
}

std::unique_ptr<PluginInstance> ValidationContext::start(double rate, int block) {
    host_.setSampleRate(rate);
    host_.setBlockSize(block);
    auto plugin = load();
    if (!plugin) return plugin;
    plugin->setSampleRate(static_cast<float>(rate));
    plugin->setBlockSize(block);
    plugin->resume();
    return plugin;
}

void ValidationContext::fail(const std::string& reason) {
    if (failures_.size() < kMaxReasons)
        failures_.push_back(reason);
    else if (failures_.size() == kMaxReasons)
        failures_.push_back("(more failures not shown)");
}

void ValidationContext::skip(const std::string& reason) { skipReason_ = reason; }

ValidationContext::Verdict ValidationContext::verdict(std::string& text) const {
    if (!failures_.empty()) {
        text.clear();
        for (const auto& f : failures_) text += (text.empty() ? "" : "; ") + f;
        return Fail;
    }
    text = skipReason_;
    return skipReason_.empty() ? Pass : Skip;
}

void ValidationContext::step(const std::string& what) { ForkedProbe::step(what); }

std::vector<bool> ValidationContext::precisions(PluginInstance& plugin) const {
    std::vector<bool> result;
    if (plugin.canFloat() || !plugin.canDouble()) result.push_back(false);
    if (plugin.canDouble()) result.push_back(true);
    return result;
}

bool ValidationContext::checkText(const char* text, std::size_t limit, const std::string& where) {
    if (strnlen(text, limit) >= limit) {
        std::string shown(text, strnlen(text, 128));
        fail(where + ": text \"" + shown + "\" is not terminated within " + std::to_string(limit) +
             " bytes");
        return false;
    }
    return true;
}

void ValidationContext::prepareField(char* buffer, std::size_t size, std::size_t limit) {
    limit = std::min(limit, size);
    std::memset(buffer, 0, limit);
    std::memset(buffer + limit, kFieldMarker, size - limit);
}

bool ValidationContext::checkField(const char* buffer, std::size_t size, std::size_t limit,
                                   const std::string& where) {
    if (!checkText(buffer, limit, where)) return false;
    for (std::size_t i = limit; i < size; ++i) {
        if (buffer[i] != kFieldMarker) {
            fail(where + ": wrote byte " + std::to_string(i) + " behind the text's " +
                 std::to_string(limit) + " bytes");
            return false;
        }
    }
    return true;
}

bool ValidationContext::render(PluginInstance& plugin, bool useDouble, int block,
                               std::int64_t frames, const std::string& where, bool withNotes) {
    if (useDouble && !plugin.canDouble()) return true;
    return useDouble ? renderWith<double>(plugin, block, frames, where, withNotes)
                     : renderWith<float>(plugin, block, frames, where, withNotes);
}

template <typename T>
bool ValidationContext::renderWith(PluginInstance& plugin, int block, std::int64_t frames,
                                   const std::string& where, bool withNotes) {
    const int nOut = std::max(plugin.numOutputs(), 0);
    AudioBuffers<T> buffers(std::max(plugin.numInputs(), 0), nOut, std::max(block, 1));
    VstEventList events(64);
    const char* path = std::is_same<T, double>::value ? "double" : "float";
    if (block <= 0) {
        // A zero-frame call: nothing may be written, not even one sample.
        buffers.fillOutputs(T(kUnwritten));
        for (int c = 0; c < nOut; ++c) buffers.output(c)[0] = T(kUnwritten);
        plugin.process(buffers.inputs(), buffers.outputs(), 0);
        for (int c = 0; c < nOut; ++c) {
            if (buffers.output(c)[0] != T(kUnwritten)) {
                fail(where + " (" + path + "): a 0-frame call wrote output channel " +
                     std::to_string(c));
                return false;
            }
        }
        return true;
    }
    for (std::int64_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<std::int64_t>(block, frames - done));
        events.clear();
        const std::int64_t f0 = ((noteClock_ + kNoteSpacing - 1) / kNoteSpacing) * kNoteSpacing;
        for (std::int64_t f = withNotes ? f0 : noteClock_ + n; f < noteClock_ + n;
             f += kNoteSpacing) {
            const auto delta = static_cast<VstInt32>(f - noteClock_);
            const std::int64_t k = f / kNoteSpacing;
            if (k % 4 == 3) {
                events.addMidi(delta, kMidiPitchBend, 0, static_cast<std::uint8_t>(k % 128));
            } else {
                events.addMidi(delta, kMidiNoteOff, static_cast<std::uint8_t>(key_), 0);
                key_ = 48 + static_cast<int>((k * 7) % 36);
                events.addMidi(delta, kMidiNoteOn, static_cast<std::uint8_t>(key_), 100);
            }
        }
        if (events.size() > 0) plugin.processEvents(events);
        buffers.fillOutputs(T(kUnwritten));
        plugin.process(buffers.inputs(), buffers.outputs(), n);
        for (int c = 0; c < nOut; ++c) {
            const T* out = buffers.output(c);
            for (int i = 0; i < n; ++i) {
                const T v = out[i];
                const char* problem = nullptr;
                if (v == T(kUnwritten))
                    problem = "was not written";
                else if (!std::isfinite(v))
                    problem = "is not finite";
                else if (std::fpclassify(v) == FP_SUBNORMAL)
                    problem = "is subnormal";
                else if (std::fabs(double(v)) > kOutputBound)
                    problem = "exceeds +24 dBFS";
                if (problem) {
                    std::ostringstream s;
                    s << where << " (" << path << ", block " << block << "): sample " << done + i
                      << " of output " << c << " " << problem << " (" << double(v) << ")";
                    fail(s.str());
                    return false;
                }
            }
        }
        done += n;
        noteClock_ += n;
    }
    return true;
}

template bool ValidationContext::renderWith<float>(PluginInstance&, int, std::int64_t,
                                                   const std::string&, bool);
template bool ValidationContext::renderWith<double>(PluginInstance&, int, std::int64_t,
                                                    const std::string&, bool);

}  // namespace plughost
