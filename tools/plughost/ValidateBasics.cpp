// Validation levels 1 and 2: what a host learns before it processes audio.
// The record, the texts and their lengths, programs, parameter values,
// capability answers, and opening and closing in the ways hosts do.

#include "tools/plughost/ForkedProbe.h"
#include "tools/plughost/PluginValidator.h"

#include <cmath>
#include <cstring>

namespace plughost {

namespace {

constexpr std::size_t kNameField = ValidationContext::kNameField;
constexpr std::size_t kProgramNameField = ValidationContext::kProgramNameField;

// Asks `opcode` for a text of at most `limit` bytes and checks that it ends
// there and that nothing was written behind it.
void askText(ValidationContext& c, PluginInstance& p, VstInt32 opcode, VstInt32 index,
             std::size_t limit, const std::string& what) {
    char buffer[kTextBuffer];
    ValidationContext::prepareField(buffer, sizeof buffer, limit);
    ValidationContext::step(what);
    p.dispatch(opcode, index, 0, buffer);
    c.checkField(buffer, sizeof buffer, limit, what);
}

void entryAndIdentity(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    const AEffect* e = p->effect();
    if (!e->dispatcher) c.fail("the record has no dispatcher");
    if (!e->setParameter || !e->getParameter)
        c.fail("the record lacks setParameter or getParameter");
    if (!e->processReplacing && !e->processDoubleReplacing)
        c.fail("the record has no process function");
    if ((e->flags & effFlagsCanReplacing) && !e->processReplacing)
        c.fail("effFlagsCanReplacing is set but processReplacing is null");
    if ((e->flags & effFlagsCanDoubleReplacing) && !e->processDoubleReplacing)
        c.fail("effFlagsCanDoubleReplacing is set but processDoubleReplacing is null");
    if (e->numParams < 0 || e->numPrograms < 0) c.fail("negative parameter or program count");
    if (e->numInputs < 0 || e->numInputs > 64 || e->numOutputs < 0 || e->numOutputs > 64)
        c.fail("implausible channel counts " + num(e->numInputs) + " in, " + num(e->numOutputs) +
               " out");
    if ((e->flags & effFlagsIsSynth) && e->numOutputs == 0) c.fail("a synth without outputs");
    askText(c, *p, effGetEffectName, 0, kVstMaxEffectNameLen, "effGetEffectName");
    askText(c, *p, effGetVendorString, 0, kVstMaxVendorStrLen, "effGetVendorString");
    askText(c, *p, effGetProductString, 0, kVstMaxProductStrLen, "effGetProductString");
    const VstIntPtr version = p->vstVersion();
    if (version != 0 && version < 2000) c.fail("effGetVstVersion answers " + num(version));
    const VstIntPtr category = p->category();
    if (category < 0 || category > kPlugCategGenerator)
        c.fail("effGetPlugCategory answers " + num(category));

    // A host that answers 0 to audioMasterVersion: refusing is fine, crashing is not.
    PluginHost old;
    old.setVersionAnswer(0);
    std::string error;
    ValidationContext::step("loading under a host that answers version 0");
    auto refused = c.source().load(old, &error);
    refused.reset();
}

void openAndClose(ValidationContext& c) {
    for (int r = 0; r < c.repeats(); ++r) {
        ValidationContext::step("open and close at once");
        auto cold = c.load();
        if (!cold) return;
        cold.reset();
        ValidationContext::step("a second instance while the first is open");
        auto first = c.load();
        auto second = c.load();
        if (!first || !second) return;
        if (first->effect() == second->effect()) c.fail("two instances share one record");
        second.reset();
        first->setSampleRate(44100);
        first->setBlockSize(256);
        ValidationContext::step("closing an instance that was never resumed");
        first.reset();
        ValidationContext::step("closing an instance that is still resumed");
        auto resumed = c.load();
        if (!resumed) return;
        resumed->setSampleRate(48000);
        resumed->setBlockSize(512);
        resumed->dispatch(effMainsChanged, 0, 1);  // no suspend before the close
        resumed.reset();
        ValidationContext::step("suspend and resume repeatedly");
        auto toggled = c.start();
        if (!toggled) return;
        for (int i = 0; i < 20; ++i) {
            toggled->suspend();
            toggled->resume();
        }
        c.render(*toggled, false, 512, 2048, "after toggling");
    }
}

void parameterTexts(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    for (VstInt32 i = 0; i < p->numParams(); ++i) {
        const std::string at = " of parameter " + num(i);
        askText(c, *p, effGetParamName, i, kNameField, "effGetParamName" + at);
        askText(c, *p, effGetParamLabel, i, kNameField, "effGetParamLabel" + at);
        // Hosts give display texts more room than the interface's 8 bytes;
        askText(c, *p, effGetParamDisplay, i, kParamDisplayLimit, "effGetParamDisplay" + at);
    }
    for (VstInt32 i : {-1, p->numParams(), 1 << 20}) {
        const std::string at = " of missing parameter " + num(i);
        askText(c, *p, effGetParamName, i, kNameField, "effGetParamName" + at);
        askText(c, *p, effGetParamLabel, i, kNameField, "effGetParamLabel" + at);
        askText(c, *p, effGetParamDisplay, i, kParamDisplayLimit, "effGetParamDisplay" + at);
    }
}

void programNames(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    askText(c, *p, effGetProgramName, 0, kProgramNameField, "effGetProgramName");
    const VstInt32 count = std::min<VstInt32>(p->numPrograms(), 1024);
    for (VstInt32 i = 0; i < count; ++i)
        askText(c, *p, effGetProgramNameIndexed, i, kProgramNameField,
                "effGetProgramNameIndexed of program " + num(i));
    for (VstInt32 i : {-1, p->numPrograms(), 1 << 20}) {
        char buffer[kTextBuffer];
        std::memset(buffer, 0, sizeof buffer);
        ValidationContext::step("effGetProgramNameIndexed of missing program " + num(i));
        if (p->dispatch(effGetProgramNameIndexed, i, -1, buffer) != 0 && buffer[0] != 0)
            c.fail("effGetProgramNameIndexed answers a name for missing program " + num(i));
    }
}

void programs(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    const VstInt32 count = std::min<VstInt32>(p->numPrograms(), 1024);
    for (int r = 0; r < c.repeats(); ++r) {
        for (VstInt32 i = 0; i < count; ++i) {
            ValidationContext::step("switching to program " + num(i));
            p->setProgram(i);
            if (p->getProgram() != i) {
                c.fail("effGetProgram answers " + num(p->getProgram()) + " after switching to " +
                       num(i));
                return;
            }
        }
    }
    if (count == 0) return;
    p->setProgram(0);
    ValidationContext::step("switching to programs that do not exist");
    for (VstIntPtr bad : {VstIntPtr(p->numPrograms()), VstIntPtr(-1), VstIntPtr(1) << 40}) {
        p->dispatch(effSetProgram, 0, bad);
        if (p->getProgram() < 0 || p->getProgram() >= p->numPrograms())
            c.fail("effSetProgram with " + num(bad) + " leaves program " + num(p->getProgram()));
        p->setProgram(0);
    }
    ValidationContext::step("renaming a program");
    p->setProgramName("Renamed");
    if (p->programName() != "Renamed")
        c.fail("the program name reads \"" + p->programName() + "\" after renaming it \"Renamed\"");
}

void parameterValues(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    for (VstInt32 i = 0; i < p->numParams(); ++i) {
        const float original = p->getParameter(i);
        for (float v : {0.0f, 0.5f, 1.0f, original}) {
            ValidationContext::step("parameter " + num(i) + " set to " + std::to_string(v));
            p->setParameter(i, v);
            const float back = p->getParameter(i);
            if (!std::isfinite(back) || back < 0.0f || back > 1.0f) {
                c.fail("parameter " + num(i) + " set to " + std::to_string(v) + " reads back " +
                       std::to_string(back));
                break;
            }
            char buffer[kTextBuffer];
            std::memset(buffer, 0, sizeof buffer);
            p->dispatch(effGetParamDisplay, i, 0, buffer);
            if (!c.checkText(buffer, kParamDisplayLimit,
                             "effGetParamDisplay of parameter " + num(i)))
                break;
        }
    }
}

void capabilities(ValidationContext& c) {
    auto p = c.load();
    if (!p) return;
    const char* const texts[] = {
        "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
        "receiveVstTimeInfo", "offline",          "bypass",           "midiProgramNames",
        "noRealTime",         "1in1out",          "2in2out",          "8in8out"};
    auto check = [&](const char* text, const std::string& shown) {
        ValidationContext::step("canDo " + shown);
        const VstIntPtr answer = p->canDo(text);
        if (answer < -1 || answer > 1) c.fail("canDo " + shown + " answers " + num(answer));
    };
    for (const char* t : texts) check(t, std::string("\"") + t + "\"");
    check("", "of an empty text");
    const std::string longText(1000, 'x');
    check(longText.c_str(), "of a 1000-character text");
    for (int r = 0; r < 4 * c.repeats(); ++r) {
        std::string junk(1 + c.random()() % 64, ' ');
        for (char& ch : junk) ch = static_cast<char>(1 + c.random()() % 255);
        check(junk.c_str(), "of random bytes");
    }
}

}  // namespace

void addBasicTests(std::vector<ValidationTest>& tests) {
    tests.push_back({"Entry point and identity", 1, entryAndIdentity});
    tests.push_back({"Open and close, cold and warm", 1, openAndClose});
    tests.push_back({"Parameter texts within their lengths", 1, parameterTexts});
    tests.push_back({"Program names within their lengths", 1, programNames});
    tests.push_back({"Program switching", 2, programs});
    tests.push_back({"Parameter values stay normalised", 2, parameterValues});
    tests.push_back({"canDo answers", 2, capabilities});
}

}  // namespace plughost
