#pragma once
// An image strip shown one frame at a time by a control. It remembers the
// frame it last painted, so that the control repaints only when the frame
// it would show now differs.

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

private:
    KImageResource* mImage;
    int mLastFrame = -1;
};

}  // namespace KAMO
