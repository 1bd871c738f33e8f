#pragma once
// How many device pixels the editor gives one skin pixel. The factor is
// chosen when the editor opens, from the first source that gives a usable
// number: the host's own request, the MURLAN_UI_SCALE environment variable,
// the X server's Xft.dpi resource (dpi / 96), GDK_SCALE; else 1. Whatever
// the source, the factor is rounded to a quarter and kept within 1 to 4, so
// that a host or a desktop with odd settings can never ask for an empty or
// absurdly large window.

struct _XDisplay;

namespace KAMO {

class KUiScale {
public:
    static constexpr float kMinimum = 1.0f;
    static constexpr float kMaximum = 4.0f;

    // The raw values of every source; null texts and a host request of 0
    // stand for sources that say nothing.
    struct Sources {
        float host = 0.0f;
        const char* environment = nullptr;  // MURLAN_UI_SCALE
        const char* xftDpi = nullptr;       // the Xft.dpi resource, in dots per inch
        const char* gdk = nullptr;          // GDK_SCALE
    };

    // The factor the sources give, in the order above. A source whose value
    // is not a positive finite number (or not a number at all) is skipped.
    static float choose(const Sources& sources);

    // choose() with the environment of this process and the resource
    // database of the display (may be null: no Xft.dpi then).
    static float forDisplay(_XDisplay* display, float hostRequest);

    // A usable raw factor rounded to a quarter within 1 to 4; 0 for a value
    // that is not a positive finite number.
    static float confine(double raw);
    // The whole text as a number (blanks around it allowed, the decimal
    // point always '.', whatever the locale); NaN when it is not one.
    static double parse(const char* text);

    // Device pixels of a length in skin pixels.
    static int toDevice(int length, float scale);

    // Sizes of an editor that users may resize: its aspect is kept, and the
    // device width decides (the factor is that width over the skin's), so
    // every allowed size is reached by exactly one factor from 1 to 4. Both
    // answer the factor; toDevice of the skin's size gives the size itself.
    // The allowed size nearest to width x height (least squares): what a
    // host asks about while the user drags the window's corner.
    static float nearestScale(int skinWidth, int skinHeight, int width, int height);
    // The largest allowed size within width x height (the smallest allowed
    // when none fits): what a host that has already sized the window gets.
    static float fittingScale(int skinWidth, int skinHeight, int width, int height);
};

}  // namespace KAMO
