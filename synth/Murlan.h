#pragma once
// The instrument: a monophonic synthesizer with three sine oscillators and
// a tempo-synchronised tremolo, on top of the effect framework.

#include "framework/KEffect.h"
#include "synth/MurlanEngine.h"
#include "synth/MurlanParameters.h"

class Murlan : public KAMO::KEffect, public MurlanParameters {
public:
    static constexpr int kProgramCount = 10;
    static constexpr int kInputCount = 0;
    static constexpr int kOutputCount = 1;

    // Ids of the commands the editor's buttons trigger.
    enum Command { kAutoLevel = 0, kRandom = 1, kFullRandom = 2, kPartRandom = 3, kCommandCount };

    explicit Murlan(audioMasterCallback host);
    ~Murlan() override;

    const char* effectName() const override { return "Murlan"; }
    const char* vendorName() const override { return "KAMO"; }
    const char* productName() const override { return "Murlan"; }
    const char* plugVersion() const override;
    const char* plugBuild() const override;
    const char* buildDate() const override { return "09 Sep 2024"; }
    const char* platformName() const override { return "Linux64"; }
    const char* docFolder() const override;
    VstInt32 getVendorVersion() override;

    VstInt32 canDo(char* text) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool acceptsIoConfig(int inputs, int outputs) const override;

    // Sample rates the engine runs at; anything else the host sets keeps the
    // previous rate (44100 Hz before the first valid one).
    static constexpr double kMinSampleRate = 1000.0;
    static constexpr double kMaxSampleRate = 1000000.0;

    void setSampleRate(float rate) override;
    bool playsSampleRate(double rate) const override;
    void resetState() override;
    void parametersChanged(bool afterReset) override;
    VstInt32 processEvents(VstEvents* events) override;
    void processMidiEvent(const VstMidiEvent& event) override;
    void processDouble(double** inputs, int inputCount, double** outputs, int outputCount,
                       int frames) override;
    // Renders straight into the host's floats, without a double staging buffer.
    void processFloat(float** inputs, int inputCount, float** outputs, int outputCount,
                      int frames) override;
    void executeCommand(int id, bool shift, bool ctrl) override;

    // The linear gain of a level parameter as the engine plays it. Stored
    // values outside [0, 1] (hosts may send any float, NaN included) are
    // confined to that range first, as for every engine quantity; the stored
    // value is left as it is.
    double engineGain(int index);

    const MurlanEngine& engine() const { return engine_; }

private:
    void createParameters();
    void createCommands();
    // The stored value of `index` in `program`, confined to [0, 1].
    double confinedValue(int program, int index);
    double realOf(int index, double confined) const;
    void syncHostTime();

    MurlanEngine engine_;
    // The confined value each parameter's engine quantities were last derived
    // from (NaN before the first time): a change re-derives only what it
    // touches, so the powers and logarithms are not redone for every edit.
    Relaxed<double> derivedFrom_[kParameterCount];
};
