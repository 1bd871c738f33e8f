#pragma once
// Features: live values that the effect publishes for the editor to show
// (a level for a meter, a history for a wave view). The effect owns the
// value; a feature only points at it. Each value type has its own concrete
// class, so the type hash of the class found by name tells what it holds.

#include "framework/KHistory.h"
#include "framework/KIdBase.h"
#include "framework/PtrList.h"

#include <cstdint>
#include <strings.h>

namespace KAMO {

class KEffectFeature : public KIdBase {
public:
    explicit KEffectFeature(const char* name) : KIdBase(name) {}
    ~KEffectFeature() override;
};

class KDoubleFeature : public KEffectFeature {
public:
    using Value = double;
    KDoubleFeature(const char* name, double* value) : KEffectFeature(name), mValue(value) {}
    double* value() const { return mValue; }

private:
    double* mValue;
};

class KIntFeature : public KEffectFeature {
public:
    using Value = std::int32_t;
    KIntFeature(const char* name, std::int32_t* value) : KEffectFeature(name), mValue(value) {}
    std::int32_t* value() const { return mValue; }

private:
    std::int32_t* mValue;
};

class KHistoryFeature : public KEffectFeature {
public:
    using Value = KHistory;
    KHistoryFeature(const char* name, KHistory* value) : KEffectFeature(name), mValue(value) {}
    KHistory* value() const { return mValue; }

private:
    KHistory* mValue;
};

// The value of the feature named `name` when it is of kind F, else null.
// "Null" (any case) names no feature. Example:
//   const double* level = resolveFeature<KDoubleFeature>(effect->features(), "Level");
template <typename F>
typename F::Value* resolveFeature(const PtrList<KEffectFeature>& features, const char* name) {
    if (!name || strcasecmp(name, "Null") == 0) return nullptr;
    const KEffectFeature* feature = features.find(name);
    if (!feature || !feature->isType(KIdBase::hashOf<F>())) return nullptr;
    return static_cast<const F*>(feature)->value();
}

}  // namespace KAMO
