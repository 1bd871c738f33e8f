#pragma once
// What one validation test works with: where the plug-in comes from, a host,
// a seeded random generator, the repeat count of the strictness level, the
// checks every test shares (rendering with output hygiene, text lengths),
// and the test's verdict with its reasons.

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/PluginHost.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace plughost {

// Room for any text a plug-in writes, larger than every limit of the
// interface so that overruns land in it; zeroed before each call.
constexpr std::size_t kTextBuffer = 4096;
// Bytes hosts give effGetParamDisplay: the interface says 8, common hosts
// provide 32 and plug-ins rely on that.
constexpr std::size_t kParamDisplayLimit = 32;

// A number in a failure text: integers as they are, other values with at
// most six decimals and no trailing zeros.
template <typename T>
std::string num(T v) {
    std::string s = std::to_string(v);
    if constexpr (!std::is_integral_v<T>) {
        s.erase(s.find_last_not_of('0') + 1);
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return s;
}

// A plug-in to validate: a shared object, or an entry point linked into
// this program (test doubles).
struct PluginSource {
    std::string path;
    PluginHost::EntryProc entry = nullptr;

    std::unique_ptr<PluginInstance> load(PluginHost& host, std::string* error) const;
};

class ValidationContext {
public:
    enum Verdict { Pass, Fail, Skip };

    // Bytes a plug-in may write for a parameter's name or label (8
    // characters) and for a program's name (24), terminator included.
    static constexpr std::size_t kNameField = kVstMaxParamStrLen + 1;
    static constexpr std::size_t kProgramNameField = kVstMaxProgNameLen + 1;

    ValidationContext(const PluginSource& source, std::uint64_t seed, int repeats);

    const PluginSource& source() const { return source_; }
    PluginHost& host() { return host_; }
    std::mt19937_64& random() { return random_; }
    int repeats() const { return repeats_; }

    // Loads an instance with this context's host; on failure records it.
    std::unique_ptr<PluginInstance> load();
    // Loads, sets rate and block size like a host, and resumes.
    std::unique_ptr<PluginInstance> start(double rate = 48000.0, int block = 512);

    // --- Verdict
    void fail(const std::string& reason);
    void skip(const std::string& reason);
    bool failed() const { return !failures_.empty(); }
    Verdict verdict(std::string& text) const;
    // Tells the parent process what comes next (shown when it crashes there).
    static void step(const std::string& what);

    // --- Shared checks. Each records a failure naming `where` and answers
    // false on the first problem.
    // Renders `frames` frames in blocks of `block` with a stream of notes and
    // bends, checking that every sample is written, finite, not subnormal and
    // within ±kOutputBound. Processes one 0-frame call when `block` is 0.
    // With `withNotes` false no events are sent (the caller sends its own).
    bool render(PluginInstance& plugin, bool useDouble, int block, std::int64_t frames,
                const std::string& where, bool withNotes = true);
    // A text the plug-in wrote into a zeroed buffer of `limit` bytes (the
    // buffer given is larger): terminated within the limit.
    bool checkText(const char* text, std::size_t limit, const std::string& where);
    // Makes `buffer` (`size` bytes) ready for a text of at most `limit` bytes:
    // zeros up to the limit, a marker behind it.
    static void prepareField(char* buffer, std::size_t size, std::size_t limit);
    // checkText on a prepared buffer, and nothing written behind the limit
    // (padding a buffer the plug-in was never given counts too).
    bool checkField(const char* buffer, std::size_t size, std::size_t limit,
                    const std::string& where);
    // The precisions the plug-in offers: {false} or {false, true} (double).
    std::vector<bool> precisions(PluginInstance& plugin) const;

    static constexpr double kOutputBound = 16.0;  // +24 dBFS

private:
    template <typename T>
    bool renderWith(PluginInstance& plugin, int block, std::int64_t frames,
                    const std::string& where, bool withNotes);

    const PluginSource& source_;
    PluginHost host_;
    std::mt19937_64 random_;
    int repeats_;
    std::vector<std::string> failures_;
    std::string skipReason_;
    std::int64_t noteClock_ = 0;  // frames rendered, for the note stream
    int key_ = 60;
};

}  // namespace plughost
