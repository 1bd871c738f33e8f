#include "editor/KSkinArgs.h"

#include "editor/KEditorResource.h"
#include "editor/KEditorSkin.h"
#include "framework/KEffect.h"
#include "framework/KEffectFeature.h"
#include "xp/TokenReader.h"

#include <cmath>
#include <strings.h>

namespace KAMO {

namespace {

bool isNull(const char* name) { return !name || strcasecmp(name, "Null") == 0; }

// The first resource of that name, whatever its kind; a name used twice
// finds the one declared first.
KEditorResource* lookUp(const KEditorSkin& skin, const char* name) {
    if (isNull(name)) return nullptr;
    return skin.resources().find(name);
}

template <typename R>
R* lookUpAs(const KEditorSkin& skin, const char* name) {
    KEditorResource* resource = lookUp(skin, name);
    if (!resource || !resource->isType(KIdBase::hashOf<R>())) return nullptr;
    return static_cast<R*>(resource);
}

}  // namespace

KSkinArgs::KSkinArgs(XP::TokenReader& tokens, KEditorSkin& skin, KEffect* effect)
    : mTokens(tokens), mSkin(skin), mEffect(effect) {}

const char* KSkinArgs::next() {
    if (mTokens.cursor < 0 || mTokens.cursor >= mTokens.tokenCount()) {
        mComplete = false;
        return nullptr;
    }
    return mTokens.token(mTokens.cursor++);
}

const char* KSkinArgs::word() { return next(); }

int KSkinArgs::parameter() {
    const char* name = next();
    if (!name || !mEffect) return -1;
    return mEffect->findParameter(name);
}

const unsigned char* KSkinArgs::colour() { return colourNamed(mSkin, next()); }

const KFont* KSkinArgs::font() {
    const KFontResource* resource = lookUpAs<KFontResource>(mSkin, next());
    return resource ? resource->font() : nullptr;
}

KImageResource* KSkinArgs::image() { return imageNamed(mSkin, next()); }

int KSkinArgs::command() {
    const char* name = next();
    if (!name || !mEffect) return -1;
    return mEffect->commands().idOf(name);
}

const double* KSkinArgs::valueFeature() {
    const char* name = next();
    if (!name || !mEffect) return nullptr;
    return resolveFeature<KDoubleFeature>(mEffect->features(), name);
}

const std::int32_t* KSkinArgs::intFeature() {
    const char* name = next();
    if (!name || !mEffect) return nullptr;
    return resolveFeature<KIntFeature>(mEffect->features(), name);
}

KHistory* KSkinArgs::historyFeature() {
    const char* name = next();
    if (!name || !mEffect) return nullptr;
    return resolveFeature<KHistoryFeature>(mEffect->features(), name);
}

long KSkinArgs::integer() {
    if (!next()) return 0;
    const long value = mTokens.tokenAsLong(mTokens.cursor - 1);
    if (value > kIntLimit) return kIntLimit;
    if (value < -kIntLimit) return -kIntLimit;
    return value;
}

double KSkinArgs::real() {
    if (!next()) return 0.0;
    const double value = mTokens.tokenAsDouble(mTokens.cursor - 1);
    if (!std::isfinite(value)) {
        mComplete = false;
        return 0.0;
    }
    return value;
}

int KSkinArgs::direction() {
    const char* w = next();
    if (!w) return 0;
    static const char* const kWords[] = {"LeftToRight", "RightToLeft", "TopToBottom",
                                         "BottomToTop"};
    for (int i = 0; i < 4; ++i)
        if (strcasecmp(w, kWords[i]) == 0) return i + 1;
    return 0;
}

int KSkinArgs::alignment() {
    const char* w = next();
    if (!w) return 0;
    if (w[0] == 'C' || w[0] == 'c') return 1;
    if (w[0] == 'R' || w[0] == 'r') return 2;
    return 0;
}

KImageResource* KSkinArgs::imageNamed(const KEditorSkin& skin, const char* name) {
    return lookUpAs<KImageResource>(skin, name);
}

const unsigned char* KSkinArgs::colourNamed(const KEditorSkin& skin, const char* name) {
    const KColourResource* resource = lookUpAs<KColourResource>(skin, name);
    return resource ? resource->colour() : nullptr;
}

}  // namespace KAMO
