// Validation levels 7 to 9: parameter changes and program switches from a
// second thread while a third renders; state that reads back byte for byte;
// and no heap allocation inside process calls once a block size has been
// seen (counted by the plughost program's allocator hooks).

#include "tools/plughost/AllocationCounter.h"
#include "tools/plughost/MidiBytes.h"
#include "tools/plughost/PluginValidator.h"
#include "tools/plughost/VstEventList.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace plughost {

namespace {

void threadSafety(ValidationContext& c) {
    auto p = c.start();
    if (!p) return;
    const auto precisions = c.precisions(*p);
    std::atomic<bool> done{false};
    std::string renderProblem;
    std::thread audio([&] {
        ValidationContext local(c.source(), 11, 1);
        for (int i = 0; i < 150 * c.repeats() && !local.failed(); ++i)
            local.render(*p, precisions[std::size_t(i) % precisions.size()], 256, 1024,
                         "rendering");
        if (local.failed()) local.verdict(renderProblem);
        done.store(true);
    });
    std::string uiProblem;
    std::thread ui([&] {
        std::mt19937_64 random(c.random()());
        std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
        char text[kTextBuffer];
        const int n = p->numParams();
        const int programs = p->numPrograms();
        while (!done.load() && uiProblem.empty()) {
            for (int k = 0; k < 20 && n > 0; ++k) {
                const VstInt32 i = static_cast<VstInt32>(random() % unsigned(n));
                p->setParameter(i, uniform(random));
                std::memset(text, 0, sizeof text);
                p->dispatch(effGetParamDisplay, i, 0, text);
                if (strnlen(text, kParamDisplayLimit) >= kParamDisplayLimit)
                    uiProblem = "a display text ran past " + num(kParamDisplayLimit) + " bytes";
                p->string2Parameter(i, text);
                const float v = p->getParameter(i);
                if (!(v >= 0.0f && v <= 1.0f))
                    uiProblem = "parameter " + num(i) + " read " + std::to_string(v);
            }
            if (programs > 1) p->setProgram(static_cast<VstInt32>(random() % unsigned(programs)));
        }
    });
    ValidationContext::step("rendering while another thread edits");
    audio.join();
    ui.join();
    if (!renderProblem.empty()) c.fail(renderProblem);
    if (!uiProblem.empty()) c.fail("on the editing thread: " + uiProblem);
}

void identicalState(ValidationContext& c) {
    auto p = c.start();
    if (!p) return;
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    for (int r = 0; r < c.repeats(); ++r) {
        for (VstInt32 i = 0; i < p->numParams(); ++i) p->setParameter(i, uniform(c.random()));
        for (bool isProgram : {false, true}) {
            const char* what = isProgram ? "program chunk" : "bank chunk";
            ValidationContext::step(std::string("reading the ") + what);
            const std::vector<std::uint8_t> first = p->getChunk(isProgram);
            if (first.empty()) {
                if (p->flags() & effFlagsProgramChunks) {
                    c.fail(std::string("effFlagsProgramChunks is set, but there is no ") + what);
                    return;
                }
                if (!isProgram) {
                    c.skip("the plug-in hands out no chunks");
                    return;
                }
                continue;
            }
            ValidationContext::step(std::string("setting the ") + what + " and reading it again");
            p->setChunk(first, isProgram);
            const std::vector<std::uint8_t> again = p->getChunk(isProgram);
            if (again != first) {
                c.fail(std::string("the ") + what + " read back after setting it differs (" +
                       num(first.size()) + " and " + num(again.size()) + " bytes)");
                return;
            }
            auto fresh = c.start();
            if (!fresh) return;
            if (isProgram) fresh->setProgram(p->getProgram());
            fresh->setChunk(first, isProgram);
            if (fresh->getChunk(isProgram) != first) {
                c.fail(std::string("a fresh instance given the ") + what +
                       " hands out different bytes");
                return;
            }
        }
    }
}

// One precision: the first block of each size may allocate, no later one.
template <typename T>
void countAllocations(ValidationContext& c, PluginInstance& p, const char* path) {
    const int sizes[] = {512, 64, 511, 4096};
    AudioBuffers<T> buffers(std::max(p.numInputs(), 0), std::max(p.numOutputs(), 0), 4096);
    VstEventList events(64);
    for (int size : sizes) {
        std::int64_t allocations = 0;
        int firstBlock = -1;
        for (int b = 0; b < 100 * c.repeats(); ++b) {
            events.clear();
            if (b % 3 == 0)
                events.addMidi(size / 2, kMidiNoteOn, static_cast<std::uint8_t>(48 + b % 24), 100);
            if (b % 3 == 2)
                events.addMidi(0, kMidiNoteOff, static_cast<std::uint8_t>(48 + (b - 2) % 24), 0);
            if (b % 5 == 4)
                events.addMidi(1, kMidiPitchBend, 0, static_cast<std::uint8_t>(b % 128));
            AllocationScope scope;
            if (events.size() > 0) p.processEvents(events);
            p.process(buffers.inputs(), buffers.outputs(), size);
            const std::int64_t n = scope.finish();
            if (b > 0 && n > 0) {
                allocations += n;
                if (firstBlock < 0) firstBlock = b;
            }
        }
        if (allocations > 0) {
            c.fail(std::string(path) + " path, blocks of " + num(size) + ": " + num(allocations) +
                   " allocations in process calls after the first block (first in block " +
                   num(firstBlock) + ")");
        }
    }
}

void noAllocations(ValidationContext& c) {
    if (!AllocationCounter::available()) {
        c.skip("allocation hooks are not part of this program (run the plughost program)");
        return;
    }
    auto p = c.start(48000.0, 4096);
    if (!p) return;
    ValidationContext::step("counting allocations");
    if (p->canFloat()) countAllocations<float>(c, *p, "float");
    if (p->canDouble()) countAllocations<double>(c, *p, "double");
}

}  // namespace

void addStressTests(std::vector<ValidationTest>& tests) {
    tests.push_back({"Parameter and program changes from another thread", 7, threadSafety});
    tests.push_back({"Chunks read back byte for byte", 8, identicalState});
    tests.push_back({"No allocation in process calls", 9, noAllocations});
}

}  // namespace plughost
