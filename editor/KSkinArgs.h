#pragma once
// Reads the arguments of one skin line, token by token from the reader's
// cursor, and resolves each to what a control or resource is built from:
// parameter indices, resource pointers, command ids, feature values, numbers
// and words. A missing token marks the line incomplete; callers build
// nothing from an incomplete line.

#include <cstdint>

namespace XP {
class TokenReader;
}

namespace KAMO {

class KEditorSkin;
class KEffect;
class KFont;
class KHistory;
class KImageResource;

class KSkinArgs {
public:
    // Integers are held within this magnitude, so that no sum of a few of
    // them can overflow further on.
    static constexpr long kIntLimit = 1000000;

    KSkinArgs(XP::TokenReader& tokens, KEditorSkin& skin, KEffect* effect);

    // Every argument asked for so far was present (and numbers were finite).
    bool complete() const { return mComplete; }

    // The next token itself, or null when none is left.
    const char* word();
    // Index of the parameter named so (letter case ignored), or -1.
    int parameter();
    // Resources of the named kind; "Null", unknown names and other kinds
    // give null.
    const unsigned char* colour();
    const KFont* font();
    KImageResource* image();
    // Id of the named command, or -1.
    int command();
    const double* valueFeature();
    const std::int32_t* intFeature();
    KHistory* historyFeature();
    long integer();
    // A number that is not finite marks the line as unusable.
    double real();
    // LeftToRight 1, RightToLeft 2, TopToBottom 3, BottomToTop 4, else 0.
    int direction();
    // First letter C: centre (1), R: right (2), else left (0).
    int alignment();

    // Resources by name, first declared wins; "Null", unknown names and
    // resources of another kind give null.
    static KImageResource* imageNamed(const KEditorSkin& skin, const char* name);
    static const unsigned char* colourNamed(const KEditorSkin& skin, const char* name);

private:
    const char* next();

    XP::TokenReader& mTokens;
    KEditorSkin& mSkin;
    KEffect* mEffect;
    bool mComplete = true;
};

}  // namespace KAMO
