// Validation level 6: nonsense from the host. Parameter values outside
// [0, 1] and texts of every kind while rendering, every dispatcher opcode
// with odd arguments, malformed MIDI, and the restoration of state through
// bank and program chunks (all programs, long and non-ASCII names).

#include "tools/plughost/MidiBytes.h"
#include "tools/plughost/PluginValidator.h"
#include "tools/plughost/VstEventList.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>

namespace plughost {

namespace {

bool displaysReadable(ValidationContext& c, PluginInstance& p, const std::string& when) {
    for (VstInt32 i = 0; i < p.numParams(); ++i) {
        char buffer[kTextBuffer];
        std::memset(buffer, 0, sizeof buffer);
        p.dispatch(effGetParamDisplay, i, 0, buffer);
        if (!c.checkText(buffer, kParamDisplayLimit,
                         "effGetParamDisplay of parameter " + num(i) + " " + when))
            return false;
    }
    return true;
}

void parameterFuzz(ValidationContext& c) {
    auto p = c.start();
    if (!p || p->numParams() == 0) return;
    const float inf = std::numeric_limits<float>::infinity();
    const float odd[] = {
        std::numeric_limits<float>::quiet_NaN(),  inf,       -inf, -1.0f, 2.0f, 1e30f, -0.0f,
        std::numeric_limits<float>::denorm_min(), 1.0000001f};
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    const auto useDouble = c.precisions(*p);
    // Parameters last set to an odd value, named in failures: the culprit
    // is more often one of them than the parameter set last.
    std::map<VstInt32, float> holdingOdd;
    for (int i = 0; i < 200 * c.repeats(); ++i) {
        const VstInt32 index = static_cast<VstInt32>(c.random()() % unsigned(p->numParams()));
        const bool weird = c.random()() % 3 == 0;
        const float v =
            weird ? odd[c.random()() % (sizeof odd / sizeof odd[0])] : uniform(c.random());
        ValidationContext::step("setParameter(" + num(index) + ", " + std::to_string(v) + ")");
        p->setParameter(index, v);
        if (weird)
            holdingOdd[index] = v;
        else
            holdingOdd.erase(index);
        if (i % 8 == 7) {
            std::ostringstream when;
            when << "after setting parameter " << index << " to " << v;
            if (!holdingOdd.empty()) {
                when << " (odd values held:";
                for (const auto& h : holdingOdd) when << " " << h.first << "=" << h.second;
                when << ")";
            }
            if (!c.render(*p, useDouble[std::size_t(i / 8) % useDouble.size()], 256, 1024,
                          when.str()))
                return;
            if (!displaysReadable(c, *p, when.str())) return;
        }
    }
}

void textFuzz(ValidationContext& c) {
    auto p = c.start();
    if (!p || p->numParams() == 0) return;
    std::vector<std::string> texts = {"",
                                      "0",
                                      "-1",
                                      "2",
                                      "1e309",
                                      "-1e309",
                                      "nan",
                                      "NaN",
                                      "inf",
                                      "-inf",
                                      "Inf",
                                      "-Inf",
                                      "0x10",
                                      " 5",
                                      "5 dB",
                                      "1,5",
                                      ".",
                                      "-",
                                      "99999999999999999999999999",
                                      std::string(1000, '9'),
                                      std::string(1000, 'x')};
    for (int i = 0; i < 40 * c.repeats(); ++i) {
        std::string junk(1 + c.random()() % 80, ' ');
        for (char& ch : junk) ch = static_cast<char>(1 + c.random()() % 255);
        texts.push_back(junk);
    }
    for (std::size_t t = 0; t < texts.size(); ++t) {
        for (VstInt32 i = 0; i < p->numParams(); ++i) {
            ValidationContext::step("effString2Parameter(" + num(i) + ", text " + num(t) + ")");
            p->string2Parameter(i, texts[t].c_str());
        }
        const std::string when = "after text " + num(t) + " through effString2Parameter";
        if (!displaysReadable(c, *p, when)) return;
        if (t % 4 == 0 && !c.render(*p, false, 512, 1024, when)) return;
    }
    ValidationContext::step("effString2Parameter with a null text");
    for (VstInt32 i = 0; i < p->numParams(); ++i) p->dispatch(effString2Parameter, i, 0, nullptr);
}

// Text limits of the opcodes that write texts into `ptr`.
std::size_t textLimit(VstInt32 opcode) {
    switch (opcode) {
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return ValidationContext::kProgramNameField;
    case effGetParamLabel:
    case effGetParamName:
        return ValidationContext::kNameField;
    case effGetParamDisplay:
        return kParamDisplayLimit;
    case effGetEffectName:
        return kVstMaxEffectNameLen;
    case effGetVendorString:
        return kVstMaxVendorStrLen;
    case effGetProductString:
        return kVstMaxProductStrLen;
    default:
        return 0;
    }
}

void dispatcherSweep(ValidationContext& c) {
    auto p = c.start();
    if (!p) return;
    alignas(16) static char buffer[kTextBuffer];
    const VstInt32 indices[] = {-1, 0, 1 << 20};
    for (int r = 0; r < c.repeats(); ++r) {
        for (VstInt32 op = 0; op <= 90; ++op) {
            if (op == effClose) continue;  // ends the instance
            for (VstInt32 index : indices) {
                for (int withBuffer = 0; withBuffer < 2; ++withBuffer) {
                    // An editor's parent window cannot be a buffer address.
                    if (withBuffer && op == effEditOpen) continue;
                    std::memset(buffer, 0, sizeof buffer);
                    void* ptr = withBuffer ? buffer : nullptr;
                    ValidationContext::step("opcode " + num(op) + ", index " + num(index) +
                                            (withBuffer ? ", zeroed buffer" : ", null ptr"));
                    p->dispatch(op, index, 0, ptr, 0.0f);
                    const std::size_t limit = withBuffer ? textLimit(op) : 0;
                    if (limit && !c.checkText(buffer, limit,
                                              "opcode " + num(op) + " with index " + num(index)))
                        return;
                    if (withBuffer &&
                        (op == effGetInputProperties || op == effGetOutputProperties)) {
                        const auto* pin = reinterpret_cast<const VstPinProperties*>(buffer);
                        if (!c.checkText(pin->label, kVstMaxLabelLen,
                                         "pin label of opcode " + num(op)) ||
                            !c.checkText(pin->shortLabel, kVstMaxShortLabelLen,
                                         "short pin label of opcode " + num(op)))
                            return;
                    }
                }
            }
            if (op == effEditOpen) p->dispatch(effEditClose);
        }
    }
    ValidationContext::step("rendering after the sweep");
    p->suspend();
    p->setSampleRate(48000.0f);
    p->setBlockSize(512);
    p->resume();
    for (bool d : c.precisions(*p)) c.render(*p, d, 512, 4096, "after the dispatcher sweep");
}

void midiGarbage(ValidationContext& c) {
    auto p = c.start();
    if (!p) return;
    VstEventList events(2048);
    auto deliver = [&](const std::string& what, int block) {
        ValidationContext::step(what);
        p->processEvents(events);
        return c.render(*p, false, block, block, what, false) &&
               c.render(*p, false, 512, 2048, what + ", later", false);
    };
    for (int r = 0; r < c.repeats(); ++r) {
        events.clear();
        for (int i = 0; i < 100; ++i)
            events.addMidi(i * 5, static_cast<std::uint8_t>(c.random()()),
                           static_cast<std::uint8_t>(c.random()()),
                           static_cast<std::uint8_t>(c.random()()));
        if (!deliver("random MIDI bytes", 512)) return;
        events.clear();
        for (int i = 0; i < 50; ++i)
            events.addMidi(static_cast<VstInt32>(c.random()() % 512), kMidiNoteOn, 60 + i % 12,
                           100);
        if (!deliver("events out of order", 512)) return;
        events.clear();
        for (int i = 0; i < 1000; ++i)
            events.addMidi(i % 512, i % 2 ? kMidiNoteOff : kMidiNoteOn, 40 + i % 40, 90);
        if (!deliver("1000 events in one call", 512)) return;
        events.clear();
        events.addMidi(-1, kMidiNoteOn, 60, 100);
        events.addMidi(511, kMidiNoteOn, 62, 100);
        events.addMidi(512, kMidiNoteOn, 64, 100);
        events.addMidi(1 << 30, kMidiNoteOff, 64, 0);
        if (!deliver("deltaFrames outside the block", 512)) return;
        events.clear();
        events.addMidi(0, kMidiNoteOn, 60, 100);
        if (!deliver("an event in a block of one frame", 1)) return;
        events.clear();
        VstEvent junk;
        std::memset(&junk, 0xA5, sizeof junk);
        junk.type = 99;
        junk.byteSize = sizeof junk;
        junk.deltaFrames = 3;
        events.addRaw(junk);
        static char dump[] = {char(0xF0), 0x7E, 0x7F, 0x09, 0x01, char(0xF7)};
        static VstMidiSysexEvent sysex{};
        sysex.type = kVstSysExType;
        sysex.byteSize = sizeof sysex;
        sysex.deltaFrames = 5;
        sysex.dumpBytes = sizeof dump;
        sysex.sysexDump = dump;
        events.addExternal(reinterpret_cast<VstEvent*>(&sysex));
        if (!deliver("unknown and system-exclusive event types", 512)) return;
        events.clear();
        if (!deliver("an empty event list", 512)) return;
    }
}

std::string programNameFor(int program) {
    switch (program % 4) {
    case 0:
        return "ABCDEFGHIJKLMNOPQRSTUVWX";  // 24 characters: the whole field
    case 3:
        return "ABCDEFGHIJKLMNOPQRSTUVWXY";  // one too many
    case 1:
        return "Gr\xc3\xbc\xc3\x9f"
               "e \xe2\x98\x83 \xff\x80";  // UTF-8 and stray bytes
    default:
        return "Program " + std::to_string(program);
    }
}

void stateRestoration(ValidationContext& c) {
    auto original = c.start();
    if (!original) return;
    const VstInt32 programs = std::min<VstInt32>(original->numPrograms(), 128);
    const VstInt32 params = original->numParams();
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    std::vector<std::vector<float>> values(std::size_t(std::max(programs, 1)));
    std::vector<std::string> names(values.size());
    for (VstInt32 prog = 0; prog < std::max(programs, 1); ++prog) {
        ValidationContext::step("filling program " + num(prog));
        if (programs > 0) {
            original->setProgram(prog);
            original->setProgramName(programNameFor(prog));
            char buffer[kTextBuffer];
            std::memset(buffer, 0, sizeof buffer);
            original->dispatch(effGetProgramName, 0, 0, buffer);
            if (!c.checkText(buffer, ValidationContext::kProgramNameField,
                             "the name of program " + num(prog) + " after renaming it"))
                return;
            names[std::size_t(prog)] = buffer;
        }
        for (VstInt32 i = 0; i < params; ++i) original->setParameter(i, uniform(c.random()));
        for (VstInt32 i = 0; i < params; ++i)
            values[std::size_t(prog)].push_back(original->getParameter(i));
    }
    // With effFlagsProgramChunks a host keeps the bank chunk and the current
    // program, and nothing else: both must bring the whole state back.
    const bool chunksAreState = (original->flags() & effFlagsProgramChunks) != 0;
    const VstInt32 current = programs > 1 ? programs / 2 : 0;
    if (programs > 0) original->setProgram(current);
    ValidationContext::step("effGetChunk of the bank");
    const std::vector<std::uint8_t> bank = original->getChunk(false);
    if (bank.empty()) {
        if (chunksAreState)
            c.fail("effFlagsProgramChunks is set, but effGetChunk hands out no bank");
        else
            c.skip("the plug-in hands out no chunks");
        return;
    }
    auto compare = [&](PluginInstance& p, VstInt32 prog, const std::string& how) {
        if (programs > 0) p.setProgram(prog);
        for (VstInt32 i = 0; i < params; ++i) {
            const float want = values[std::size_t(prog)][std::size_t(i)];
            const float got = p.getParameter(i);
            if (!(std::fabs(got - want) <= 1e-6f)) {
                c.fail(how + ": parameter " + num(i) + " of program " + num(prog) + " is " +
                       std::to_string(got) + ", was " + std::to_string(want));
                return false;
            }
        }
        if (programs > 0 && p.programName() != names[std::size_t(prog)]) {
            c.fail(how + ": program " + num(prog) + " is named \"" + p.programName() +
                   "\", was \"" + names[std::size_t(prog)] + "\"");
            return false;
        }
        return true;
    };
    for (int r = 0; r < c.repeats(); ++r) {
        ValidationContext::step("effSetChunk of the bank into a fresh instance");
        auto restored = c.start();
        if (!restored) return;
        restored->setChunk(bank, false);  // answers vary among plug-ins; the values tell
        if (chunksAreState && programs > 0) {
            restored->setProgram(current);
            if (restored->getProgram() != current) {
                c.fail("the bank restored, effSetProgram " + num(current) + " leaves program " +
                       num(restored->getProgram()));
                return;
            }
            if (!compare(*restored, current, "the session's current program restored")) return;
        }
        for (VstInt32 prog = 0; prog < std::max(programs, 1); ++prog)
            if (!compare(*restored, prog, "bank restored")) return;
        if (!c.render(*restored, false, 512, 2048, "after restoring the bank")) return;
    }
    for (VstInt32 prog = 0; prog < std::max(programs, 1); ++prog) {
        ValidationContext::step("program chunk of program " + num(prog));
        if (programs > 0) original->setProgram(prog);
        const std::vector<std::uint8_t> chunk = original->getChunk(true);
        if (chunk.empty()) continue;
        auto restored = c.start();
        if (!restored) return;
        if (programs > 0) restored->setProgram(prog);
        restored->setChunk(chunk, true);
        if (!compare(*restored, prog, "program chunk restored")) return;
    }
}

}  // namespace

void addFuzzTests(std::vector<ValidationTest>& tests) {
    tests.push_back({"Parameter fuzzing while rendering", 6, parameterFuzz});
    tests.push_back({"Texts through effString2Parameter", 6, textFuzz});
    tests.push_back({"Every dispatcher opcode with odd arguments", 6, dispatcherSweep});
    tests.push_back({"Malformed MIDI", 6, midiGarbage});
    tests.push_back({"State restoration through chunks", 6, stateRestoration});
}

}  // namespace plughost
