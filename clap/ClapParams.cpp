#include "clap/ClapParams.h"

#include "framework/KEffect.h"
#include "framework/KEffectParameter.h"
#include "framework/KParameterInfo.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace KAMO {

namespace {

// Normalised values as hosts may send them: anything, NaN included.
double unit(double x) { return KEffectParameter::clampUnit(x); }

template <std::size_t N>
void copyInto(char (&out)[N], const char* text) {
    std::snprintf(out, N, "%s", text ? text : "");
}

}  // namespace

ClapParams::ClapParams(KEffect& effect) : effect_(effect), count_(effect.parameterCount()) {}

const KEffectParameter* ClapParams::parameter(clap_id id) const {
    return isKnown(id) ? effect_.parameter(static_cast<int>(id)) : nullptr;
}

bool ClapParams::isGain(clap_id id) const {
    const KParameterInfo* row = isKnown(id) ? effect_.parameterInfo(static_cast<int>(id)) : nullptr;
    return !row || row->kind == KParameterInfo::Decibels;
}

double ClapParams::plainOf(clap_id id, double normalised) const {
    const KEffectParameter* p = parameter(id);
    if (!p || isGain(id)) return unit(normalised);
    return p->toReal(unit(normalised));
}

double ClapParams::normalisedOf(clap_id id, double plain) const {
    const KEffectParameter* p = parameter(id);
    if (!p || isGain(id) || std::isnan(plain)) return unit(plain);
    return unit(p->toNormalised(plain));
}

bool ClapParams::info(std::uint32_t index, clap_param_info_t& out) const {
    const clap_id id = index;
    const KEffectParameter* p = parameter(id);
    if (!p) return false;
    std::memset(&out, 0, sizeof out);
    const KParameterInfo* row = effect_.parameterInfo(static_cast<int>(index));
    out.id = id;
    out.flags = CLAP_PARAM_IS_AUTOMATABLE;
    // Stepped means whole numbers to a host: choices, and ranges whose
    // steps are exactly one unit each.
    if (row &&
        (row->kind == KParameterInfo::Choice ||
         (row->kind == KParameterInfo::Range && row->steps > 0 &&
          row->maximum - row->minimum == row->steps && row->minimum == std::floor(row->minimum))))
        out.flags |= CLAP_PARAM_IS_STEPPED;
    copyInto(out.name, p->name());
    copyInto(out.module, row && row->group ? row->group : "");
    out.min_value = plainOf(id, 0.0);
    out.max_value = plainOf(id, 1.0);
    out.default_value = plainOf(id, p->getDefault());
    return true;
}

bool ClapParams::value(clap_id id, double& plain) const {
    const KEffectParameter* p = parameter(id);
    if (!p) return false;
    const int index = static_cast<int>(id);
    const void* slot = effect_.programBank().valueSlot(effect_.getProgram(), index);
    plain = plainOf(id, slot ? p->getConfinedValue(slot) : p->getDefault());
    return true;
}

bool ClapParams::text(clap_id id, double plain, char* out, std::uint32_t size) const {
    const KEffectParameter* p = parameter(id);
    if (!p || !out || size < 1) return false;
    const int room = size > 1024 ? 1024 : static_cast<int>(size);
    p->displayOf(normalisedOf(id, plain), out, room, true);
    return true;
}

bool ClapParams::valueOfText(clap_id id, const char* text, double& plain) const {
    const KEffectParameter* p = parameter(id);
    if (!p || !text) return false;
    double normalised = 0.0;
    if (!p->readText(text, normalised)) {
        // What text() shows carries the label behind the number.
        const char* label = p->label();
        const std::size_t length = std::strlen(text);
        const std::size_t tail = label ? std::strlen(label) + 1 : 0;
        if (tail < 2 || length <= tail || length - tail >= 64 ||
            std::strcmp(text + length - tail + 1, label) != 0 || text[length - tail] != ' ')
            return false;
        char number[64] = {};
        std::memcpy(number, text, length - tail);
        if (!p->readText(number, normalised)) return false;
    }
    plain = plainOf(id, normalised);
    return true;
}

}  // namespace KAMO
