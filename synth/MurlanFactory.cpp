// Builds one instrument for the host, with its editor when the skin allows.

#include "shell/AudioEffect.h"
#include "synth/Murlan.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    Murlan* effect = new Murlan(audioMaster);

    // EDITOR: build the editor from the skin resource here and attach it with
    // effect->setEditor(editor). When no editor comes back the plug-in runs
    // without one and the record announces none.

    return effect;
}
