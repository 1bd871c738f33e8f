#pragma once
// An image strip shown one frame at a time by a control. It remembers the
// frame it last painted, so that the control repaints only when the frame
// it would show now differs. KStripControl is such a control: a kind of
// control whose whole look is the frame its currentState() picks.

#include "editor/controls/KEditorControl.h"

#include <utility>

namespace KAMO {

class KCanvas;
class KImageResource;

class KFrameStrip {
public:
    explicit KFrameStrip(KImageResource* image) : mImage(image) {}

    KImageResource* image() const { return mImage; }
    // 0 without an image.
    int frameCount() const;
    bool differsFrom(int frame) const { return frame != mLastFrame; }
    // Paints the frame (nothing without an image) and remembers it.
    void draw(KCanvas& canvas, int frame);
    // The frame of a two-state control (off, on) with an optional third
    // frame for the press, or a third and fourth that tell pressed-off (2)
    // from pressed-on (3).
    int twoStateFrame(bool on, bool pressed) const;

private:
    KImageResource* mImage;
    int mLastFrame = -1;
};

// `Base` (a control taking the arguments after the image) drawn from the
// strip.
template <class Base>
class KStripControl : public Base {
public:
    template <class... BaseArguments>
    explicit KStripControl(KImageResource* image, BaseArguments&&... arguments)
        : Base(std::forward<BaseArguments>(arguments)...), mStrip(image) {}

    // The frame to show now.
    virtual int currentState() const = 0;

    bool needsRedraw() override {
        return this->KEditorControl::needsRedraw() || mStrip.differsFrom(currentState());
    }
    void draw(KCanvas& canvas) override { mStrip.draw(canvas, currentState()); }

protected:
    KFrameStrip mStrip;
};

}  // namespace KAMO
