#include "ControlTestRig.h"

#include "framework/KEffect.h"
#include "xp/ResourceTable.h"

namespace ControlTest {

namespace {
// Images attach only from a block of the resource table; the recording
// canvas never decodes it.
const unsigned char kStripBytes[] = {1, 2, 3, 4};
const XP::ResourceEntry kStripEntry{"ControlTestStrip.png", sizeof kStripBytes, kStripBytes};
}  // namespace

std::vector<HostCall>& hostLog() {
    static std::vector<HostCall> log;
    return log;
}

VstIntPtr fakeHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetSampleRate) return 48000;
    if (opcode != audioMasterAutomate && opcode != audioMasterBeginEdit &&
        opcode != audioMasterEndEdit)
        return 0;
    hostLog().push_back({opcode, index, opt});
    return 1;
}

Rig::Rig() {
    static const bool registered = (XP::registerResource(&kStripEntry), true);
    (void)registered;
    hostLog().clear();
}

KAMO::ControlSetup Rig::setup(int x, int y, int w, int h, int page) {
    KAMO::ControlSetup s;
    s.x = x, s.y = y, s.width = w, s.height = h, s.page = page;
    s.effect = &effect;
    s.skin = &skin;
    return s;
}

double Rig::stored(const char* name) {
    const int i = index(name);
    return effect.parameter(i)->getValue(effect.programBank().valueSlot(effect.getProgram(), i));
}

void Rig::store(const char* name, double value) {
    const int i = index(name);
    effect.parameter(i)->setValue(effect.programBank().valueSlot(effect.getProgram(), i), value);
    effect.programBank().refreshTexts(effect.getProgram(), i);
}

KAMO::KImageResource* Rig::image(int frameWidth, int frameHeight, int frames) {
    mImages.push_back(std::make_unique<KAMO::KImageResource>("ControlTestStrip.png", frameWidth,
                                                             frameHeight, frames));
    canvas.sheetWidth = frameWidth * frames;
    canvas.sheetHeight = frameHeight;
    mImages.back()->attach(canvas);
    return mImages.back().get();
}

std::vector<int> Rig::framesDrawn(const KAMO::KImageResource* image) const {
    std::vector<int> frames;
    for (const DrawOp& op : canvas.ofKind(DrawOp::Image))
        if (static_cast<int>(op.v[0]) == image->handle())
            frames.push_back(static_cast<int>(op.v[1]) / image->frameWidth());
    return frames;
}

int Rig::lastFrame(const KAMO::KImageResource* image) const {
    const std::vector<int> frames = framesDrawn(image);
    return frames.empty() ? -1 : frames.back();
}

}  // namespace ControlTest
