#include "framework/KEffectFeature.h"

namespace KAMO {

// Out of line so that the class's virtual table lives in one unit.
KEffectFeature::~KEffectFeature() = default;

}  // namespace KAMO
