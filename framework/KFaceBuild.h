#pragma once
// How a plug-in face (LV2, VST 3) builds the effect it adapts. The effect
// asks its host questions from its constructor, before the face can point
// the effect's record back at itself; until then the face's host callback
// finds the face through `building`, a thread-local of the face's own.

#include "framework/KEffect.h"
#include "shell/AudioEffect.h"

namespace KAMO {

// The effect, or null, with nothing left over, when the factory builds none
// or one that is not a KEffect.
template <typename Face>
KEffect* buildFaceEffect(Face* face, Face*& building, audioMasterCallback host) {
    building = face;
    AudioEffect* built = createEffectInstance(host);
    building = nullptr;
    auto* effect = dynamic_cast<KEffect*>(built);
    if (!effect) delete built;
    return effect;
}

}  // namespace KAMO
