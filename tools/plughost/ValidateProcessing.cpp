// Validation level 3: processing at every common rate and block size in
// both precisions, odd set-ups hosts produce (rates of 0 Hz or 1.4 MHz,
// block size 0, processing before resume), many instances at once, and the
// hygiene of the output (every sample written, finite, bounded, no
// subnormal numbers, also in the silence after the last note).

#include "tools/plughost/MidiBytes.h"
#include "tools/plughost/PluginValidator.h"
#include "tools/plughost/VstEventList.h"

#include <cmath>

namespace plughost {

namespace {

const double kRates[] = {22050, 44100, 48000, 88200, 96000, 176400, 192000};
const int kBlocks[] = {1, 7, 64, 512, 4096, 8192, 0};

void grid(ValidationContext& c, bool useDouble) {
    auto p = c.load();
    if (!p) return;
    if (useDouble && !p->canDouble()) {
        c.skip("the plug-in has no double-precision processing");
        return;
    }
    if (!useDouble && !p->canFloat()) {
        c.skip("the plug-in has no processReplacing");
        return;
    }
    for (int r = 0; r < c.repeats(); ++r) {
        for (double rate : kRates) {
            ValidationContext::step("setting up " + num(rate) + " Hz");
            p->suspend();
            c.host().setSampleRate(rate);
            p->setSampleRate(static_cast<float>(rate));
            p->setBlockSize(8192);
            p->resume();
            for (int block : kBlocks) {
                const std::int64_t frames =
                    block == 0 ? 0 : std::max<std::int64_t>(2 * block, std::int64_t(rate * 0.05));
                const std::string where = num(rate) + " Hz";
                ValidationContext::step("rendering at " + where + " in blocks of " + num(block));
                if (!c.render(*p, useDouble, block, frames, where)) return;
            }
        }
    }
}

void oddSampleRates(ValidationContext& c) {
    for (float rate : {0.0f, 1.0f, 1.4e6f}) {
        const std::string where = "after effSetSampleRate " + num(rate);
        ValidationContext::step(where);
        auto p = c.load();
        if (!p) return;
        p->setSampleRate(rate);
        p->setBlockSize(512);
        p->resume();
        for (bool d : c.precisions(*p))
            if (!c.render(*p, d, 512, 4096, where)) return;
        ValidationContext::step("back to 48000 Hz " + where);
        p->suspend();
        p->setSampleRate(48000.0f);
        p->resume();
        for (bool d : c.precisions(*p))
            if (!c.render(*p, d, 512, 4096, "48000 Hz " + where)) return;
    }
}

void zeroBlockSize(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    p->setSampleRate(48000.0f);
    ValidationContext::step("effSetBlockSize 0");
    p->setBlockSize(0);
    p->resume();
    for (bool d : c.precisions(*p)) c.render(*p, d, 512, 8192, "after effSetBlockSize 0");
}

void processBeforeResume(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    p->setSampleRate(48000.0f);
    p->setBlockSize(512);
    ValidationContext::step("processing without effMainsChanged");
    for (bool d : c.precisions(*p)) c.render(*p, d, 512, 2048, "before effMainsChanged");
}

void manyInstances(ValidationContext& c) {
    for (int r = 0; r < c.repeats(); ++r) {
        std::vector<std::unique_ptr<PluginInstance>> instances;
        for (int i = 0; i < 20; ++i) {
            ValidationContext::step("starting instance " + num(i + 1) + " of 20");
            auto p = c.start();
            if (!p) return;
            instances.push_back(std::move(p));
        }
        for (std::size_t i = 0; i < instances.size(); ++i) {
            ValidationContext::step("rendering instance " + num(i + 1));
            if (!c.render(*instances[i], false, 512, 4096, "instance " + num(i + 1) + " of 20"))
                return;
        }
        // Closed in creation order, not the reverse, as hosts often do.
        ValidationContext::step("closing 20 instances");
        for (auto& p : instances) p.reset();
    }
}

// The decay after the last note must not sink into subnormal numbers.
void cleanSilence(ValidationContext& c) {
    auto p = c.start();
    if (!p) return;
    for (bool d : c.precisions(*p)) {
        ValidationContext::step("a note, then silence");
        VstEventList events(4);
        events.addMidi(0, kMidiNoteOn, 64, 100);
        p->processEvents(events);
        if (!c.render(*p, d, 512, 24000, "during a note", false)) return;
        events.clear();
        events.addMidi(0, kMidiNoteOff, 64, 0);
        p->processEvents(events);
        if (!c.render(*p, d, 512, 48000 * 6 * c.repeats(), "in the silence after a note", false))
            return;
    }
}

}  // namespace

void addProcessingTests(std::vector<ValidationTest>& tests) {
    tests.push_back({"Processing grid, float", 3, [](ValidationContext& c) { grid(c, false); }});
    tests.push_back({"Processing grid, double", 3, [](ValidationContext& c) { grid(c, true); }});
    tests.push_back({"Sample rates 0 Hz, 1 Hz and 1.4 MHz", 3, oddSampleRates});
    tests.push_back({"Block size 0", 3, zeroBlockSize});
    tests.push_back({"Processing before effMainsChanged", 3, processBeforeResume});
    tests.push_back({"Twenty instances at once", 3, manyInstances});
    tests.push_back({"Clean silence after the last note", 3, cleanSilence});
}

}  // namespace plughost
