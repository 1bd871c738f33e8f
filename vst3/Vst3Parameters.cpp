#include "vst3/Vst3Parameters.h"

#include "framework/KEffect.h"
#include "framework/KEffectParameter.h"
#include "framework/KParameterInfo.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace KAMO {

namespace {

// Normalised values as hosts may send them: anything, NaN included.
double unit(double x) { return KEffectParameter::clampUnit(x); }

}  // namespace

Vst3Parameters::Vst3Parameters(KEffect& effect)
    : effect_(effect),
      effectCount_(effect.parameterCount()),
      programCount_(effect.programBank().programCount()),
      rootName_(effect.effectName() ? effect.effectName() : "Root") {
    for (int i = 0; i < effectCount_; ++i) {
        const KParameterInfo* info = effect.parameterInfo(i);
        if (!info || !info->group || !*info->group) continue;
        bool known = false;
        for (const std::string& g : groups_) known = known || g == info->group;
        if (!known) groups_.emplace_back(info->group);
    }
}

std::int32_t Vst3Parameters::unitOf(int index) const {
    const KParameterInfo* info = effect_.parameterInfo(index);
    if (!info || !info->group) return kRootUnit;
    for (std::size_t g = 0; g < groups_.size(); ++g)
        if (groups_[g] == info->group) return static_cast<std::int32_t>(g + 1);
    return kRootUnit;
}

v3_result Vst3Parameters::unitInfo(int index, v3_unit_info& out) const {
    if (index < 0 || index >= unitCount()) return V3_INVALID_ARG;
    std::memset(&out, 0, sizeof out);
    if (index == 0) {
        out.id = kRootUnit;
        out.parent_unit_id = -1;
        toUtf16(out.name, 128, rootName_.c_str());
        out.program_list_id = kProgramListId;
        return V3_OK;
    }
    out.id = index;
    out.parent_unit_id = kRootUnit;
    toUtf16(out.name, 128, groups_[static_cast<std::size_t>(index - 1)].c_str());
    out.program_list_id = -1;
    return V3_OK;
}

const KEffectParameter* Vst3Parameters::parameter(v3_param_id id) const {
    return id < static_cast<v3_param_id>(effectCount_) ? effect_.parameter(static_cast<int>(id))
                                                       : nullptr;
}

int Vst3Parameters::stepCount(v3_param_id id) const {
    if (id == kProgramId) return programCount_ > 1 ? programCount_ - 1 : 0;
    if (id >= static_cast<v3_param_id>(effectCount_)) return 0;
    const KParameterInfo* info = effect_.parameterInfo(static_cast<int>(id));
    const int values = info ? info->valueCount() : 0;
    return values > 1 ? values - 1 : 0;
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
    const KParameterInfo* row = effect_.parameterInfo(index);
    out.param_id = id;
    toUtf16(out.title, 128, p->name());
    toUtf16(out.short_title, 128, p->name());
    toUtf16(out.units, 128, p->label());
    out.step_count = stepCount(id);
    out.default_normalised_value = unit(p->getDefault());
    out.unit_id = unitOf(index);
    out.flags = V3_PARAM_CAN_AUTOMATE;
    if (row && row->kind == KParameterInfo::Choice) out.flags |= V3_PARAM_IS_LIST;
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
    p->displayOf(unit(normalised), out, size);
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
    double read = 0.0;
    if (!p || !p->readText(text, read)) return false;
    normalised = unit(read);
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
