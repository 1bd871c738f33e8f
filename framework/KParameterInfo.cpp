#include "framework/KParameterInfo.h"

#include "framework/KEffectParameter.h"

#include <cmath>

namespace KAMO {

int KParameterInfo::valueCount() const {
    switch (kind) {
    case Range:
        return steps > 0 ? steps + 1 : 0;
    case Choice:
        return steps;
    case Decibels:
        break;
    }
    return 0;
}

KEffectParameter* makeParameter(const KParameterInfo& info) {
    KEffectParameter* parameter = nullptr;
    switch (info.kind) {
    case KParameterInfo::Range:
        parameter = new KRangeParam(info.name, info.label, info.minimum, info.maximum, info.steps,
                                    info.decimals);
        break;
    case KParameterInfo::Decibels:
        // 0 dB at the top is the reference 1 exactly, not a power's rounding.
        parameter = new KdBParam(info.name, info.label,
                                 info.maximum == 0.0 ? 1.0 : std::pow(10.0, info.maximum / 20.0),
                                 info.decimals);
        break;
    case KParameterInfo::Choice:
        parameter = new KEnumParam(info.name, info.label, info.choices, info.steps);
        break;
    }
    // The default goes through the mapping, so that every program record
    // holds exactly what the mapping gives for it.
    parameter->setDefaultReal(info.byDefault);
    return parameter;
}

}  // namespace KAMO
