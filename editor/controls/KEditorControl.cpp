#include "editor/controls/KEditorControl.h"

#include "editor/KCanvas.h"
#include "editor/KEditorSkin.h"
#include "framework/KEffect.h"
#include "framework/KEffectParameter.h"

#include <cstdint>
#include <ctime>

namespace KAMO {

KEditorControl::KEditorControl(const ControlSetup& setup)
    : mLeft(setup.x),
      mTop(setup.y),
      mWidth(setup.width),
      mHeight(setup.height),
      mPage(setup.page),
      mEffect(setup.effect),
      mSkin(setup.skin) {
    // The conditions themselves are shared with the skin; only the list and
    // its else flag are ours.
    if (setup.conditions) mConditions.assign(*setup.conditions);
}

void KEditorControl::forceRedraw() {
    mDrawn = false;
    mDirty = true;
}

void KEditorControl::erase(KCanvas& canvas) {
    if (!mDrawn) return;
    if (mSkin) mSkin->restoreBackground(canvas);
    mDrawn = false;
    mDirty = true;
}

bool KEditorControl::drawIfNeeded(KCanvas& canvas) {
    if (!needsRedraw()) return false;
    // Translucent drawings must not pile up on their previous image.
    if (mDrawn) erase(canvas);
    draw(canvas);
    mDirty = false;
    mDrawn = true;
    return true;
}

bool KEditorControl::needsRedraw() { return mDirty || !mDrawn; }

void KEditorControl::draw(KCanvas&) {}

void KEditorControl::invalidate() {
    mDirty = true;
    if (mSkin) mSkin->requestRedraw();
}

int KEditorControl::cursorAt(int, int) { return kCursorStandard; }
bool KEditorControl::leftDown(bool, bool, int, int) { return false; }
bool KEditorControl::leftUp(bool, bool, int, int) { return false; }
bool KEditorControl::rightDown(bool, bool, int, int) { return false; }
bool KEditorControl::rightUp(bool, bool, int, int) { return false; }
void KEditorControl::mouseMove(bool, int, int) {}
void KEditorControl::cancelCapture() {}

const KEffectParameter& KEditorControl::parameter(int index) const {
    return *mEffect->parameters().get(index);
}

double KEditorControl::storedValue(int index) const {
    return parameter(index).getValue(
        mEffect->programBank().valueSlot(mEffect->getProgram(), index));
}

double KEditorControl::quantisedValue(int index) const {
    return parameter(index).getQuantisedValue(
        mEffect->programBank().valueSlot(mEffect->getProgram(), index));
}

double KEditorControl::defaultValue(int index) const { return parameter(index).getDefault(); }

const char* KEditorControl::labelledText(int index) const {
    return mEffect->programBank().labelledText(mEffect->getProgram(), index);
}

void KEditorControl::reportValue(int index) { mEffect->reportParameter(index); }

void KEditorControl::setFromEditor(int index, double value) {
    mEffect->performParameterEdit(index, value);
}

void KEditorControl::beginGesture(int index) { mEffect->beginParameterEdit(index); }

void KEditorControl::endGesture(int index) { mEffect->endParameterEdit(index); }

int monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Deliberately 32-bit: the value wraps and callers compare differences.
    const uint32_t ms =
        static_cast<uint32_t>(now.tv_sec) * 1000u + static_cast<uint32_t>(now.tv_nsec / 1000000);
    return static_cast<int>(ms);
}

}  // namespace KAMO
