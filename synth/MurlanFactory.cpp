// Builds one instrument for the host, with its editor when the skin allows.

#include "editor/KEditor.h"
#include "editor/KEditorSkinBuilder.h"
#include "shell/AudioEffect.h"
#include "synth/Murlan.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    Murlan* effect = new Murlan(audioMaster);

    // Without a usable skin no editor comes back: the plug-in then runs
    // without one and the record announces none.
    if (KAMO::KEditor* editor = KAMO::createEditor(effect, "MurlanSkin.txt"))
        effect->setEditor(editor);

    return effect;
}
