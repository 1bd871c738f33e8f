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

// A feature that points at a value of type T. Each T is a class of its
// own, so the type hash tells the kinds apart.
template <typename T>
class KValueFeature : public KEffectFeature {
public:
    using Value = T;
    KValueFeature(const char* name, T* value) : KEffectFeature(name), mValue(value) {}
    T* value() const { return mValue; }

private:
    T* mValue;
};

using KDoubleFeature = KValueFeature<double>;
using KIntFeature = KValueFeature<std::int32_t>;
using KHistoryFeature = KValueFeature<KHistory>;

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
