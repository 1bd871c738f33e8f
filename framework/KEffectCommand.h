#pragma once
// Commands: actions without a stored value that the editor triggers by id.
// Names are case-sensitive, like every KIdBase name.

#include "framework/KIdBase.h"
#include "framework/PtrList.h"

namespace KAMO {

class KEffectCommand : public KIdBase {
public:
    KEffectCommand(const char* name, int id) : KIdBase(name), mId(id) {}
    ~KEffectCommand() override = default;

    int id() const { return mId; }

private:
    int mId;
};

// The effect's command list; owns its commands.
class KCommandMgr : public PtrMgr<KEffectCommand> {
public:
    using PtrMgr<KEffectCommand>::PtrMgr;

    // Id of the first command named `name`, or -1 (none).
    int idOf(const char* name) const;
};

}  // namespace KAMO
