#pragma once
// How the effect's parameters look as LV2 control ports: one input port per
// parameter carrying its real value (cents,
// seconds, decibels, choice number) rather than the normalised 0..1 that the
// effect stores. The Turtle description, the plug-in's run and the editor's
// port writes all convert through here, so the three cannot disagree.
//
// Port numbers: the parameters of the first release at their own indices,
// then the event input and the audio output, then every later parameter.
// Hosts keep ports by number and symbol, so none of them ever moves.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace KAMO {

class KEffect;
class KEffectParameter;

struct Lv2ControlPort {
    std::string symbol;
    std::string name;
    double minimum = 0.0;
    double maximum = 1.0;
    double defaultValue = 0.0;
    bool integer = false;
    bool enumeration = false;
    // Distinct values the port can take when they are evenly spaced and not
    // whole numbers (pprops:rangeSteps); 0 when not stepped that way.
    int rangeSteps = 0;
    // Local name in the LV2 units vocabulary, or empty.
    std::string unit;
    // A unit of our own when the vocabulary has none (label, symbol, format).
    std::string customUnitLabel;
    std::string customUnitSymbol;
    std::string customUnitRender;
    // Decibels: the minimum is not a level but silence (-inf dB).
    bool minimumIsSilence = false;
    std::vector<std::pair<double, std::string>> scalePoints;
};

class Lv2ControlPorts {
public:
    // Where a decibel port starts; the port's minimum stands for -inf dB.
    static constexpr double kDecibelFloor = -90.0;

    explicit Lv2ControlPorts(const KEffect& effect);

    // Ports and their descriptions are by parameter index, not port number.
    int count() const { return static_cast<int>(ports_.size()); }
    const Lv2ControlPort& port(int index) const { return ports_[static_cast<std::size_t>(index)]; }

    int eventPort() const { return original_; }
    int outputPort() const { return original_ + 1; }
    int portCount() const { return count() + 2; }
    // The port number of parameter `index`.
    int portOf(int index) const { return index < original_ ? index : index + 2; }
    // The parameter of a port number; -1 for the fixed ports and past the end.
    int parameterOf(uint32_t port) const;

    // The real value to store for a port value the host sent: decibel ports
    // at or below their minimum mean silence. Real-time safe.
    double realFromPort(int index, float value) const;
    // The port value that shows what parameter `index` of the effect's
    // current program holds, within the port's range.
    float portFromEffect(KEffect& effect, int index) const;

    // A C identifier from a parameter name: lower case, anything else '_'.
    static std::string symbolFor(const char* name);

private:
    static Lv2ControlPort describe(const KEffectParameter& parameter);

    std::vector<Lv2ControlPort> ports_;
    // Parameters before the fixed ports.
    int original_ = 0;
};

}  // namespace KAMO
