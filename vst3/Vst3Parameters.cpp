#include "vst3/Vst3Parameters.h"

#include "framework/KEffect.h"
#include "framework/KEffectParameter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace KAMO {

namespace {

double unit(double x) {
    if (!(x >= 0.0)) return 0.0;  // NaN too
    return x > 1.0 ? 1.0 : x;
}

// A value of our own for the parameter objects, which work on slots.
struct Slot {
    explicit Slot(double normalised) { KEffectParameter::writeSlot(bytes, normalised); }
    double value() const { return KEffectParameter::readSlot(bytes); }
    unsigned char bytes[8];
};

}  // namespace

Vst3Parameters::Vst3Parameters(KEffect& effect)
    : effect_(effect),
      effectCount_(effect.parameterCount()),
      programCount_(effect.programBank().programCount()) {}

const KEffectParameter* Vst3Parameters::parameter(v3_param_id id) const {
    return id < static_cast<v3_param_id>(effectCount_) ? effect_.parameter(static_cast<int>(id))
                                                       : nullptr;
}

int Vst3Parameters::stepCount(v3_param_id id) const {
    if (id == kProgramId) return programCount_ > 1 ? programCount_ - 1 : 0;
    const KEffectParameter* p = parameter(id);
    if (const auto* range = dynamic_cast<const KRangeParam*>(p))
        return range->steps() > 0 ? range->steps() : 0;
    if (const auto* choices = dynamic_cast<const KEnumParam*>(p))
        return choices->choiceCount() > 1 ? choices->choiceCount() - 1 : 0;
    return 0;
}

v3_result Vst3Parameters::info(int index, v3_param_info& out) const {
    if (index < 0 || index >= count()) return V3_INVALID_ARG;
    std::memset(&out, 0, sizeof out);
    out.unit_id = kRootUnit;
    if (index == effectCount_) {
        out.param_id = kProgramId;
        toUtf16(out.title, 128, "Program");
        toUtf16(out.short_title, 128, "Program");
        out.step_count = stepCount(kProgramId);
        out.flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE;
        return V3_OK;
    }
    if (index == effectCount_ + 1) {
        out.param_id = kBendId;
        toUtf16(out.title, 128, "Pitch Bend");
        toUtf16(out.short_title, 128, "Bend");
        out.default_normalised_value = 0.5;
        out.flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_HIDDEN;
        return V3_OK;
    }
    const auto id = static_cast<v3_param_id>(index);
    const KEffectParameter* p = parameter(id);
    if (!p) return V3_INVALID_ARG;
    out.param_id = id;
    toUtf16(out.title, 128, p->name());
    toUtf16(out.short_title, 128, p->name());
    toUtf16(out.units, 128, p->label());
    out.step_count = stepCount(id);
    out.default_normalised_value = unit(p->getDefault());
    out.flags = V3_PARAM_CAN_AUTOMATE;
    if (dynamic_cast<const KEnumParam*>(p)) out.flags |= V3_PARAM_IS_LIST;
    return V3_OK;
}

int Vst3Parameters::programOf(double normalised) const {
    if (programCount_ <= 1) return 0;
    return static_cast<int>(std::lround(unit(normalised) * (programCount_ - 1)));
}

double Vst3Parameters::programValue(int program) const {
    if (programCount_ <= 1 || program <= 0) return 0.0;
    if (program >= programCount_) return 1.0;
    return static_cast<double>(program) / (programCount_ - 1);
}

bool Vst3Parameters::text(v3_param_id id, double normalised, char* out, int size) const {
    if (!out || size < 1) return false;
    if (id == kProgramId) {
        char name[kVstMaxProgNameLen + 1] = {};
        effect_.getProgramNameIndexed(0, programOf(normalised), name);
        copyText(out, size, name);
        return true;
    }
    if (id == kBendId) {
        std::snprintf(out, static_cast<std::size_t>(size), "%.3f", plain(id, normalised));
        return true;
    }
    const KEffectParameter* p = parameter(id);
    if (!p) return false;
    const Slot slot(unit(normalised));
    p->getDisplay(out, size, slot.bytes);
    return true;
}

bool Vst3Parameters::valueOfText(v3_param_id id, const char* text, double& normalised) const {
    if (!text) return false;
    if (id == kProgramId) {
        for (int i = 0; i < programCount_; ++i) {
            char name[kVstMaxProgNameLen + 1] = {};
            effect_.getProgramNameIndexed(0, i, name);
            if (std::strcmp(name, text) == 0) {
                normalised = programValue(i);
                return true;
            }
        }
        return false;
    }
    char* end = nullptr;
    if (id == kBendId) {
        const double v = std::strtod(text, &end);
        if (end == text || !std::isfinite(v)) return false;
        normalised = normalisedOf(id, v);
        return true;
    }
    const KEffectParameter* p = parameter(id);
    if (!p || !p->canConvertText()) return false;
    // A text the parameter cannot read leaves the value as it was: NaN
    // tells that apart from every value it can store.
    Slot slot(std::nan(""));
    p->setFromText(slot.bytes, text);
    if (std::isnan(slot.value())) return false;
    normalised = unit(slot.value());
    return true;
}

double Vst3Parameters::plain(v3_param_id id, double normalised) const {
    if (id == kProgramId) return programOf(normalised);
    if (id == kBendId) return unit(normalised) * 2.0 - 1.0;
    const KEffectParameter* p = parameter(id);
    return p ? p->toReal(unit(normalised)) : unit(normalised);
}

double Vst3Parameters::normalisedOf(v3_param_id id, double plain) const {
    if (std::isnan(plain)) return 0.0;
    if (id == kProgramId) return programValue(static_cast<int>(std::lround(plain)));
    if (id == kBendId) return unit((plain + 1.0) * 0.5);
    const KEffectParameter* p = parameter(id);
    return p ? unit(p->toNormalised(plain)) : unit(plain);
}

}  // namespace KAMO
