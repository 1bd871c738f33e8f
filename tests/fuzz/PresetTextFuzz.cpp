// Random preset texts applied to an effect with one parameter of each kind.
// Whatever the text, every stored value must stay a number in [0, 1], every
// program name and display text must stay within its length, and reading
// must not touch memory outside the bank.

#include "framework/KEffect.h"
#include "xp/MemorySource.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

VstIntPtr silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

const char* const kChoices[] = {"Sine", "Triangle", "Square"};

class PresetTarget : public KAMO::KEffect {
public:
    static constexpr int kPrograms = 3;
    static constexpr int kParameters = 3;

    PresetTarget() : KEffect(silentHost, kPrograms, kParameters, 0, 1) {
        reserveParameters(kParameters);
        addParameter(new KAMO::KRangeParam("Detune", "cents", -99, 99, 198, 0, 0.5));
        addParameter(new KAMO::KdBParam("Level", "dB", 1.0, 1, 1.0));
        addParameter(new KAMO::KEnumParam("Wave", "", kChoices, 3, 0.0));
        programBank().setupPrograms(kPrograms);
    }
    void resetState() override {}
    bool acceptsIoConfig(int inputs, int outputs) const override {
        return inputs == 0 && outputs == 1;
    }
    void parametersChanged(bool) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static PresetTarget* effect = new PresetTarget();
    effect->programBank().resetPrograms();
    MemorySource source(std::string(reinterpret_cast<const char*>(data), size), 97);
    effect->loadPresetsFrom(source);

    KAMO::ProgramBank& bank = effect->programBank();
    for (int program = 0; program < bank.programCount(); ++program) {
        if (std::strlen(bank.programName(program)) > std::size_t(KAMO::ProgramBank::kNameLength))
            std::abort();
        for (int index = 0; index < effect->parameterCount(); ++index) {
            double value = effect->parameter(index)->getValue(bank.valueSlot(program, index));
            if (!(value >= 0.0 && value <= 1.0)) std::abort();
            if (std::strlen(bank.valueText(program, index)) >=
                    std::size_t(KAMO::ProgramBank::kTextSize) ||
                std::strlen(bank.labelledText(program, index)) >=
                    std::size_t(KAMO::ProgramBank::kLabelledTextSize))
                std::abort();
        }
    }
    return 0;
}
