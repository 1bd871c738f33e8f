#pragma once
// The creation record of every control: where it sits, on which page, under
// which conditions, and the effect and skin it works with. The skin builder
// fills it from the common prefix of a control line.

namespace KAMO {

class KConditionSet;
class KEffect;
class KEditorSkin;

struct ControlSetup {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // 0 puts the control on every page.
    int page = 0;
    // The set in force where the control was declared; the control copies it.
    const KConditionSet* conditions = nullptr;
    KEffect* effect = nullptr;
    KEditorSkin* skin = nullptr;
};

}  // namespace KAMO
