#pragma once
// Base of every editor control: a rectangle on one page (0 = every page),
// the condition set in force where it was declared, and the two-flag redraw
// state. The skin moves the canvas origin to the control and clips to its
// rectangle before calling drawIfNeeded or erase, so drawing coordinates are
// control-relative. Mouse coordinates handed in are control-relative too.

#include "editor/ControlSetup.h"
#include "editor/KCondition.h"
#include "framework/KIdBase.h"

#include <cstddef>

namespace KAMO {

class KCanvas;
class KEditorSkin;
class KEffect;
class KEffectParameter;

class KEditorControl : public KIdBase {
public:
    // The skin calls a mouse operation only when the class implements it; a
    // handler that is not implemented counts as "not handled" and, for
    // cursorAt, as the standard cursor. Classes announce their handlers in
    // their constructors with addHandlers().
    enum Handler : unsigned {
        kLeftDown = 1u << 0,
        kLeftUp = 1u << 1,
        kRightDown = 1u << 2,
        kRightUp = 1u << 3,
        kMouseMove = 1u << 4,
        kCursorAt = 1u << 5,
        kCancelCapture = 1u << 6,
    };

    // Cursor kinds answered by cursorAt.
    enum Cursor : int { kCursorStandard = 0, kCursorHand = 2, kCursorText = 3 };

    explicit KEditorControl(const ControlSetup& setup);
    ~KEditorControl() override = default;
    KEditorControl(const KEditorControl&) = delete;
    KEditorControl& operator=(const KEditorControl&) = delete;

    // Every control shares one type hash, so that the skin can find controls
    // by name and type; a class that must be told apart overrides this.
    std::size_t typeHash() const override { return hashOf<KEditorControl>(); }

    // Next pass paints the control afresh without erasing first (the
    // background under it has just been repainted).
    virtual void forceRedraw();
    // If drawn: restores the background under the control and marks it dirty.
    virtual void erase(KCanvas& canvas);
    // Paints the control when needsRedraw says so; answers whether it drew.
    virtual bool drawIfNeeded(KCanvas& canvas);
    virtual bool needsRedraw();
    virtual void draw(KCanvas& canvas);
    // Marks the control dirty and asks the skin for a redraw pass.
    virtual void invalidate();

    virtual int cursorAt(int x, int y);
    virtual bool leftDown(bool shift, bool ctrl, int x, int y);
    virtual bool leftUp(bool shift, bool ctrl, int x, int y);
    virtual bool rightDown(bool shift, bool ctrl, int x, int y);
    virtual bool rightUp(bool shift, bool ctrl, int x, int y);
    // Motion carries only the Shift state.
    virtual void mouseMove(bool shift, int x, int y);
    // The skin withdraws the mouse capture from this control.
    virtual void cancelCapture();

    unsigned handlers() const { return mHandlers; }
    bool handles(Handler h) const { return (mHandlers & h) != 0; }

    int x() const { return mLeft; }
    int y() const { return mTop; }
    int width() const { return mWidth; }
    int height() const { return mHeight; }
    int page() const { return mPage; }
    // True when the point (editor coordinates) lies inside the rectangle.
    bool contains(int px, int py) const {
        return px >= mLeft && px < mLeft + mWidth && py >= mTop && py < mTop + mHeight;
    }
    const KConditionSet& conditions() const { return mConditions; }
    KEffect* effect() const { return mEffect; }
    KEditorSkin* skin() const { return mSkin; }
    bool isDirty() const { return mDirty; }
    bool isDrawn() const { return mDrawn; }

protected:
    void addHandlers(unsigned bits) { mHandlers |= bits; }

    // Parameter access for controls bound to parameter `index` of the
    // current program.
    const KEffectParameter& parameter(int index) const;
    double storedValue(int index) const;
    double quantisedValue(int index) const;
    double defaultValue(int index) const;
    const char* labelledText(int index) const;

    // The editing steps shared by every parameter control; the effect does
    // the editing and tells the host (KEffect::beginParameterEdit and the
    // rest), the controls only say what the user did.
    void reportValue(int index);
    void setFromEditor(int index, double value);
    void beginGesture(int index);
    void endGesture(int index);

    int mLeft;
    int mTop;
    int mWidth;
    int mHeight;
    int mPage;
    KConditionSet mConditions;
    KEffect* mEffect;
    KEditorSkin* mSkin;
    bool mDirty = true;
    bool mDrawn = false;

private:
    unsigned mHandlers = 0;
};

// Milliseconds of the monotonic clock in 32-bit arithmetic (wraps).
int monotonicMs();

}  // namespace KAMO
