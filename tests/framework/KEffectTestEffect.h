#pragma once
// A small instrument for the effect-core tests: one parameter of each kind
// plus one whose text is wide enough to need cutting, and a record of the
// hooks the framework calls. A later release of it has one more parameter.

#include "framework/KEffect.h"
#include "xp/InputReader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace ktest {

class TestEffect : public KAMO::KEffect {
public:
    enum { kDetune, kMain, kWave, kReset, kWide, kParameterCount };
    // The parameter the later release adds.
    static constexpr int kLater = kParameterCount;
    static constexpr double kLaterDefault = 0.25;
    static constexpr int kPrograms = 3;

    explicit TestEffect(audioMasterCallback host = nullptr, bool laterRelease = false)
        : KEffect(host, kPrograms, kParameterCount + (laterRelease ? 1 : 0), 0, 1) {
        static const char* const waves[] = {"Sine",   "Triangle", "Square",
                                            "Rising", "Falling",  "Random"};
        reserveParameters(kParameterCount);
        addParameter(new KAMO::KRangeParam("Detune1", "cents", -99, 99, 198, 0, 0.5));
        addParameter(new KAMO::KdBParam("MainLvl", "dB", 1.0, 1, 0.23713737056616552));
        addParameter(new KAMO::KEnumParam("LFOWave", "", waves, 6, 0.0));
        addParameter(new KAMO::KRangeParam("PortaRst", "s", 0.1, 5.0, 49, 1, 19.0 / 49.0));
        // Ten integer digits and twenty decimals: exactly 31 characters at 0.5.
        addParameter(new KAMO::KRangeParam("Wide", "", 0.0, 1e10, 0, 20, 0.5));
        if (laterRelease) {
            addParameter(new KAMO::KRangeParam("Later", "", 0, 1, 0, 2, kLaterDefault));
            setOriginalParameterCount(kParameterCount);
        }
        programBank().setupPrograms(kPrograms);
    }

    void resetState() override {}
    bool acceptsIoConfig(int inputs, int outputs) const override {
        return inputs == acceptedInputs && outputs == acceptedOutputs;
    }
    void parametersChanged(bool) override { ++changes; }
    void parameterChanged(int index) override { changed.push_back(index); }
    const char* plugVersion() const override { return "3.1"; }
    const char* plugBuild() const override { return "3.1"; }
    const char* buildDate() const override { return "09 Sep 2024"; }
    const char* platformName() const override { return "Linux64"; }

    // Display text of parameter `index` in the current program.
    const char* text(int index) const { return programBank().valueText(curProgram.load(), index); }

    int acceptedInputs = 0;
    int acceptedOutputs = 1;
    int changes = 0;
    std::vector<int> changed;
};

// Bytes of a string as a byte source, handed out in pieces of 7 so that
// readers are exercised across refills.
class TextSource : public XP::InputReader {
public:
    explicit TextSource(std::string text) : mText(std::move(text)) {}
    bool isOpen() const override { return true; }
    std::uint64_t read(void* destination, std::uint64_t maximum) override {
        std::uint64_t n = std::min<std::uint64_t>({maximum, 7, mText.size() - mPosition});
        std::memcpy(destination, mText.data() + mPosition, n);
        mPosition += n;
        return n;
    }

private:
    std::string mText;
    std::size_t mPosition = 0;
};

}  // namespace ktest
