#include "framework/KEffectCommand.h"

namespace KAMO {

int KCommandMgr::idOf(const char* name) const {
    const KEffectCommand* command = find(name);
    return command ? command->id() : -1;
}

}  // namespace KAMO
