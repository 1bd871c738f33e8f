#include "lv2/Lv2ControlPorts.h"

#include "framework/KEffect.h"
#include "framework/KEffectParameter.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace KAMO {

namespace {

// The parameters' unit labels and what the LV2 units vocabulary calls them.
struct UnitName {
    const char* label;
    const char* unit;
};
constexpr UnitName kUnits[] = {
    {"cents", "cent"},          {"s", "s"},   {"dB", "db"}, {"%", "pc"},
    {"semis", "semitone12TET"}, {"Hz", "hz"}, {"ms", "ms"},
};

bool isWhole(double x) { return std::fabs(x - std::round(x)) < 1e-9; }

}  // namespace

Lv2ControlPorts::Lv2ControlPorts(const KEffect& effect)
    : original_(effect.originalParameterCount()) {
    for (int i = 0; i < effect.parameterCount(); ++i) {
        const KEffectParameter* parameter = effect.parameter(i);
        ports_.push_back(parameter ? describe(*parameter) : Lv2ControlPort());
        Lv2ControlPort& port = ports_.back();
        // Hosts store values under the symbol: the row's is kept for good,
        // whatever becomes of the name.
        if (const KParameterInfo* info = effect.parameterInfo(i)) port.symbol = info->symbol;
        // Symbols must be unique within the plug-in.
        for (int j = 0; j < i; ++j)
            if (ports_[static_cast<std::size_t>(j)].symbol == port.symbol) {
                port.symbol += "_" + std::to_string(i);
                break;
            }
    }
}

int Lv2ControlPorts::parameterOf(uint32_t port) const {
    if (port < static_cast<uint32_t>(original_)) return static_cast<int>(port);
    if (port < static_cast<uint32_t>(original_) + 2 || port >= static_cast<uint32_t>(portCount()))
        return -1;
    return static_cast<int>(port) - 2;
}

std::string Lv2ControlPorts::symbolFor(const char* name) {
    std::string symbol;
    for (const char* c = name ? name : ""; *c; ++c) {
        const char ch = *c;
        const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
        const bool digit = ch >= '0' && ch <= '9';
        symbol += letter ? static_cast<char>(ch | 0x20) : digit ? ch : '_';
    }
    if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9')) symbol.insert(0, "p");
    return symbol;
}

Lv2ControlPort Lv2ControlPorts::describe(const KEffectParameter& parameter) {
    Lv2ControlPort port;
    port.name = parameter.name();
    port.symbol = symbolFor(parameter.name());
    for (const UnitName& u : kUnits)
        if (std::strcmp(parameter.label(), u.label) == 0) port.unit = u.unit;
    if (port.unit.empty() && parameter.label()[0]) {
        port.customUnitLabel = parameter.label();
        port.customUnitSymbol = parameter.label();
    }

    if (const auto* range = dynamic_cast<const KRangeParam*>(&parameter)) {
        port.minimum = range->minimum();
        port.maximum = range->maximum();
        const int steps = range->steps();
        if (steps > 0) {
            const double step = (port.maximum - port.minimum) / steps;
            if (isWhole(port.minimum) && std::fabs(step - 1.0) < 1e-9)
                port.integer = true;
            else
                port.rangeSteps = steps + 1;
        }
    } else if (const auto* choices = dynamic_cast<const KEnumParam*>(&parameter)) {
        port.minimum = 0.0;
        port.maximum = choices->choiceCount() > 0 ? choices->choiceCount() - 1 : 0;
        port.integer = true;
        port.enumeration = true;
        for (int c = 0; c < choices->choiceCount(); ++c)
            port.scalePoints.emplace_back(c, choices->choiceText(c));
    } else if (dynamic_cast<const KdBParam*>(&parameter)) {
        port.minimum = kDecibelFloor;
        port.maximum = parameter.toReal(1.0);
        port.minimumIsSilence = true;
        port.scalePoints.emplace_back(kDecibelFloor, "-inf");
    } else {
        port.minimum = parameter.toReal(0.0);
        port.maximum = parameter.toReal(1.0);
    }
    if (!port.customUnitLabel.empty())
        port.customUnitRender = (port.integer ? "%.0f " : "%f ") + port.customUnitLabel;

    double value = parameter.toReal(parameter.getDefault());
    if (!(value >= port.minimum)) value = port.minimum;  // -inf dB and NaN too
    if (value > port.maximum) value = port.maximum;
    port.defaultValue = value;
    return port;
}

double Lv2ControlPorts::realFromPort(int index, float value) const {
    const Lv2ControlPort& p = ports_[static_cast<std::size_t>(index)];
    if (p.minimumIsSilence && !(value > p.minimum)) return -std::numeric_limits<double>::infinity();
    return static_cast<double>(value);
}

float Lv2ControlPorts::portFromEffect(KEffect& effect, int index) const {
    const KEffectParameter* parameter = effect.parameter(index);
    const void* slot = effect.programBank().valueSlot(effect.getProgram(), index);
    const Lv2ControlPort& p = ports_[static_cast<std::size_t>(index)];
    if (!parameter || !slot) return static_cast<float>(p.minimum);
    double normalised = parameter->getValue(slot);
    if (!(normalised >= 0.0)) normalised = 0.0;
    if (normalised > 1.0) normalised = 1.0;
    double real = parameter->toReal(normalised);
    if (!(real >= p.minimum)) real = p.minimum;
    if (real > p.maximum) real = p.maximum;
    return static_cast<float>(real);
}

}  // namespace KAMO
