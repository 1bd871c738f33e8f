#include "editor/KEditorSkinBuilder.h"

#include "editor/ControlSetup.h"
#include "editor/KEditor.h"
#include "editor/KEditorCheck.h"
#include "editor/KEditorResource.h"
#include "editor/KEditorSkin.h"
#include "editor/KFont.h"
#include "editor/KSkinArgs.h"
#include "editor/controls/KButton.h"
#include "editor/controls/KCommand.h"
#include "editor/controls/KEditorControl.h"
#include "editor/controls/KImg.h"
#include "editor/controls/KImgPeak.h"
#include "editor/controls/KLabel.h"
#include "editor/controls/KMeter.h"
#include "editor/controls/KPageSel.h"
#include "editor/controls/KPot.h"
#include "editor/controls/KRadio.h"
#include "editor/controls/KSlide.h"
#include "editor/controls/KSoundList.h"
#include "editor/controls/KSwitch.h"
#include "editor/controls/KTextPeak.h"
#include "editor/controls/KUrl.h"
#include "editor/controls/KValue.h"
#include "editor/controls/KWave.h"
#include "editor/controls/KZoomWave.h"
#include "framework/KEffect.h"
#include "xp/InputReader.h"
#include "xp/ResourceReader.h"
#include "xp/TokenReader.h"

#include <cmath>
#include <strings.h>
#include <tuple>

namespace KAMO {

namespace {

// A number of the line held within [low, high]; anything else is -1, which
// every caller treats as out of range.
long boundedLong(XP::TokenReader& tokens, int i, long low, long high) {
    const long value = tokens.tokenAsLong(i);
    return (value < low || value > high) ? -1 : value;
}

// One control type of the skin language: its keyword and how the resolved
// arguments of its line become a control (null when a required one is
// missing).
struct ControlType {
    const char* keyword;
    KEditorControl* (*create)(const ControlSetup& setup, KSkinArgs& args);
};

// An argument that resolved: a parameter or command that exists, a resource
// or feature of the kind asked for, a word that is there, a radius that is a
// positive number. Directions and alignments are never negative.
bool resolved(int index) { return index >= 0; }
bool resolved(double radius) { return radius > 0; }
template <class T>
bool resolved(T* pointer) {
    return pointer != nullptr;
}

// The maker of a kind that needs nothing of its arguments but that they
// resolved: reads one argument of each kind listed, in order, and builds the
// control from them when the line is complete.
template <class Control, auto... read>
KEditorControl* make(const ControlSetup& setup, KSkinArgs& args) {
    // A braced list reads in order.
    const std::tuple values{(args.*read)()...};
    return std::apply(
        [&](auto... value) -> KEditorControl* {
            if (!args.complete() || !(resolved(value) && ...)) return nullptr;
            return new Control(setup, value...);
        },
        values);
}

// The indicator of a highlight switch or radio: its rectangle, then the
// colours off, on and pressed; false when a colour does not resolve.
bool readLook(KSkinArgs& a, KIndicatorLook& look) {
    for (int* v : {&look.ix, &look.iy, &look.iw, &look.ih}) *v = static_cast<int>(a.integer());
    look.offColour = a.colour();
    look.onColour = a.colour();
    look.pressColour = a.colour();
    return look.offColour && look.onColour && look.pressColour;
}

// Each maker reads every argument first, so that the line's completeness is
// known before anything is constructed.
const ControlType kControlTypes[] = {
    {"KBarFracMeter",
     make<KBarFracMeter, &KSkinArgs::valueFeature, &KSkinArgs::direction, &KSkinArgs::colour>},
    {"KPotDot", make<KPotDot, &KSkinArgs::parameter, &KSkinArgs::colour, &KSkinArgs::real,
                     &KSkinArgs::colour>},
    {"KBgPotDot", make<KBgPotDot, &KSkinArgs::parameter, &KSkinArgs::image, &KSkinArgs::real,
                       &KSkinArgs::colour>},
    {"KPotLine",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const int index = a.parameter();
         const unsigned char* highlight = a.colour();
         const double length = a.real();
         const unsigned char* pointer = a.colour();
         if (!a.complete() || index < 0 || !highlight || !pointer) return nullptr;
         return new KPotLine(s, index, highlight, length, pointer);
     }},
    {"KTextPeak", make<KTextPeak, &KSkinArgs::valueFeature, &KSkinArgs::command, &KSkinArgs::font,
                       &KSkinArgs::font>},
    {"KUrl", make<KUrl, &KSkinArgs::word>},
    {"KImgUrl", make<KImgUrl, &KSkinArgs::image, &KSkinArgs::word>},
    {"KImgCommand", make<KImgCommand, &KSkinArgs::command, &KSkinArgs::image>},
    {"KImgFracMeter", make<KImgFracMeter, &KSkinArgs::valueFeature, &KSkinArgs::image>},
    {"KImgMeter",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const std::int32_t* value = a.intFeature();
         const double scale = a.real();
         const double offset = a.real();
         KImageResource* image = a.image();
         if (!a.complete() || !value || !(scale > 0) || !image) return nullptr;
         return new KImgMeter(s, value, scale, offset, image);
     }},
    {"KImgPot", make<KImgPot, &KSkinArgs::parameter, &KSkinArgs::image>},
    {"KImgButton", make<KImgButton, &KSkinArgs::parameter, &KSkinArgs::image>},
    {"KImgPageSel",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         KImageResource* image = a.image();
         const long page = a.integer();
         if (!a.complete() || !image || page < 1) return nullptr;
         return new KImgPageSel(s, image, static_cast<int>(page));
     }},
    {"KImgRadio",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const int index = a.parameter();
         const long option = a.integer();
         const long highest = a.integer();
         KImageResource* image = a.image();
         if (!a.complete() || index < 0 || !image || option < 0 || option > highest) return nullptr;
         return new KImgRadio(s, index, static_cast<int>(option), static_cast<int>(highest), image);
     }},
    {"KImgSwitch", make<KImgSwitch, &KSkinArgs::parameter, &KSkinArgs::image>},
    {"KImgPeak", make<KImgPeak, &KSkinArgs::valueFeature, &KSkinArgs::command, &KSkinArgs::image>},
    {"KImg", make<KImg, &KSkinArgs::image>},
    {"KLabel",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const int alignment = a.alignment();
         const char* text = a.word();
         const KFont* font = a.font();
         const long refreshMs = a.integer();
         if (!a.complete() || !text || !font) return nullptr;
         return new KLabel(s, alignment, text, font, static_cast<int>(refreshMs));
     }},
    {"KSoundList",
     make<KSoundList, &KSkinArgs::font, &KSkinArgs::font, &KSkinArgs::colour, &KSkinArgs::colour>},
    {"KValue", make<KValue, &KSkinArgs::parameter, &KSkinArgs::font>},
    {"KBgValue", make<KBgValue, &KSkinArgs::parameter, &KSkinArgs::image, &KSkinArgs::font>},
    {"KPageSelHlt",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const long page = a.integer();
         const unsigned char* highlight = a.colour();
         if (!a.complete() || page < 1 || !highlight) return nullptr;
         return new KPageSelHlt(s, static_cast<int>(page), highlight);
     }},
    {"KZoomWave",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         KHistory* history = a.historyFeature();
         const double* level1 = a.valueFeature();
         const double* level2 = a.valueFeature();
         const unsigned char* colours[6];
         bool allColours = true;
         for (auto& colour : colours) allColours = (colour = a.colour()) != nullptr && allColours;
         const KFont* font = a.font();
         if (!a.complete() || !history || !allColours || !font) return nullptr;
         return new KZoomWave(s, history, level1, level2, colours[0], colours[1], colours[2],
                              colours[3], colours[4], colours[5], font);
     }},
    {"KWave",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         KHistory* history = a.historyFeature();
         const double* level1 = a.valueFeature();
         const double* level2 = a.valueFeature();
         const unsigned char* colour1 = a.colour();
         const unsigned char* colour2 = a.colour();
         const unsigned char* colour3 = a.colour();
         if (!a.complete() || !history || !colour1 || !colour2 || !colour3) return nullptr;
         return new KWave(s, history, level1, level2, colour1, colour2, colour3);
     }},
    {"KHlSwitch",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const int index = a.parameter();
         KIndicatorLook look;
         const bool coloured = readLook(a, look);
         if (!a.complete() || index < 0 || !coloured) return nullptr;
         return new KHlSwitch(look, s, index);
     }},
    {"KHlRadio",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const int index = a.parameter();
         const long option = a.integer();
         const long highest = a.integer();
         KIndicatorLook look;
         const bool coloured = readLook(a, look);
         // The options split the range into highest + 1 bands; a negative
         // count or an option outside it has no band.
         if (!a.complete() || index < 0 || !coloured || option < 0 || option > highest)
             return nullptr;
         return new KHlRadio(look, s, index, static_cast<int>(option), static_cast<int>(highest));
     }},
    {"KSlide",
     [](const ControlSetup& s, KSkinArgs& a) -> KEditorControl* {
         const int index = a.parameter();
         KImageResource* knob = a.image();
         const unsigned char* highlight = a.colour();
         int rect[4];
         for (int& v : rect) v = static_cast<int>(a.integer());
         if (!a.complete() || index < 0 || !knob || !highlight) return nullptr;
         return new KSlide(s, index, knob, highlight, rect[0], rect[1], rect[2], rect[3]);
     }},
};

}  // namespace

KEditorSkinBuilder::KEditorSkinBuilder(KEffect* effect) : mEffect(effect) {}

KEditorSkinBuilder::~KEditorSkinBuilder() = default;

KEditorControl* KEditorSkinBuilder::createControl(const ControlSetup& setup,
                                                  XP::TokenReader& tokens) {
    if (!mSkin) return nullptr;
    for (const ControlType& type : kControlTypes) {
        if (!tokens.tokenIs(tokens.cursor, type.keyword)) continue;
        ++tokens.cursor;
        KSkinArgs args(tokens, *mSkin, mEffect);
        return type.create(setup, args);
    }
    return nullptr;
}

KEditorResource* KEditorSkinBuilder::createResource(KEditorSkin& skin, XP::TokenReader& tokens) {
    if (tokens.acceptToken("PngResource", 4)) {
        const char* block = tokens.token(tokens.cursor);
        const long width = boundedLong(tokens, tokens.cursor + 1, 1, kMaxSize);
        const long height = boundedLong(tokens, tokens.cursor + 2, 1, kMaxSize);
        const long frames = boundedLong(tokens, tokens.cursor + 3, 1, kMaxFrames);
        tokens.cursor += 4;
        if (width < 1 || height < 1 || frames < 1) return nullptr;
        return new KImageResource(block, static_cast<int>(width), static_cast<int>(height),
                                  static_cast<int>(frames));
    }
    // Components keep their low 8 bits, whatever the number written.
    if (tokens.acceptToken("RGBColour", 3)) {
        const int c = tokens.cursor;
        tokens.cursor += 3;
        return new KColourResource(static_cast<int>(tokens.tokenAsLong(c) & 0xff),
                                   static_cast<int>(tokens.tokenAsLong(c + 1) & 0xff),
                                   static_cast<int>(tokens.tokenAsLong(c + 2) & 0xff), 255);
    }
    if (tokens.acceptToken("RGBAColour", 4)) {
        const int c = tokens.cursor;
        tokens.cursor += 4;
        return new KColourResource(static_cast<int>(tokens.tokenAsLong(c) & 0xff),
                                   static_cast<int>(tokens.tokenAsLong(c + 1) & 0xff),
                                   static_cast<int>(tokens.tokenAsLong(c + 2) & 0xff),
                                   static_cast<int>(tokens.tokenAsLong(c + 3) & 0xff));
    }
    if (tokens.acceptToken("DefFont", 3)) {
        const int c = tokens.cursor;
        tokens.cursor += 3;
        const double size = tokens.tokenAsDouble(c);
        const unsigned char* colour = KSkinArgs::colourNamed(skin, tokens.token(c + 1));
        if (!(size > 0 && size <= kMaxFontSize) || !colour) return nullptr;
        return new KFontResource(new KFont(colour, size, tokens.token(c + 2)));
    }
    return nullptr;
}

KEditorSkin* KEditorSkinBuilder::buildSkin(XP::InputReader& input) {
    if (!input.isOpen()) return nullptr;
    mSkin = new KEditorSkin(mEffect);
    XP::TokenReader tokens(&input);
    KConditionSet current;
    while (tokens.readLine()) readLine(tokens, current);
    KEditorSkin* skin = mSkin;
    mSkin = nullptr;
    if (skin->width() < 1 || skin->height() < 1 || skin->pageCount() < 1) {
        delete skin;
        return nullptr;
    }
    return skin;
}

void KEditorSkinBuilder::readLine(XP::TokenReader& tokens, KConditionSet& current) {
    if (tokens.tokenCount() == 0) return;
    tokens.cursor = 0;
    if (tokens.acceptToken("Init", 3))
        init(tokens);
    else if (tokens.acceptToken("BackgroundMap", 1))
        backgroundMap(tokens, current);
    else if (tokens.acceptToken("BackgroundImage", 3))
        backgroundImage(tokens, current);
    else if (tokens.acceptToken("StartPage", 1))
        startPage(tokens);
    else if (tokens.acceptToken("RefreshThrottleMs", 1))
        refreshThrottle(tokens);
    else if (tokens.acceptToken("Condition", 1))
        condition(tokens, current);
    else if (tokens.acceptToken("ConditionElse", 0))
        current.toggleElse();
    else if (tokens.acceptToken("EndCondition", 0))
        current.reset();
    else if (tokens.acceptToken("AddCheck", 2))
        addCheck(tokens);
    else if (tokens.acceptToken("AddResource", 1))
        addResource(tokens);
    else if (tokens.acceptToken("AddControl", 5))
        addControl(tokens, current, false);
    else if (tokens.acceptToken("AddNameCtl", 6))
        addControl(tokens, current, true);
    else if (tokens.acceptToken("InstallTTF", 2))
        installFont(tokens);
}

void KEditorSkinBuilder::init(XP::TokenReader& tokens) {
    // A value out of range is stored as 0, which leaves the skin unusable
    // unless a later "Init" fixes it.
    const int c = tokens.cursor;
    const long width = boundedLong(tokens, c, 1, kMaxSize);
    const long height = boundedLong(tokens, c + 1, 1, kMaxSize);
    const long pages = boundedLong(tokens, c + 2, 1, kMaxPages);
    mSkin->setSize(width > 0 ? static_cast<int>(width) : 0,
                   height > 0 ? static_cast<int>(height) : 0,
                   pages > 0 ? static_cast<int>(pages) : 0);
}

void KEditorSkinBuilder::backgroundMap(XP::TokenReader& tokens, const KConditionSet& current) {
    KImageResource* image = KSkinArgs::imageNamed(*mSkin, tokens.token(tokens.cursor));
    if (!image) return;
    const int pages = mSkin->pageCount();
    // One frame per page when the image has exactly that many, else the
    // first frame everywhere.
    const bool framePerPage = image->frameCount() == pages;
    for (int page = 1; page <= pages; ++page)
        mSkin->backgrounds().add(new KEditorBg(page, image, framePerPage ? page - 1 : 0, current));
}

void KEditorSkinBuilder::backgroundImage(XP::TokenReader& tokens, const KConditionSet& current) {
    const int c = tokens.cursor;
    const long page = tokens.tokenAsLong(c);
    KImageResource* image = KSkinArgs::imageNamed(*mSkin, tokens.token(c + 1));
    const long frame = tokens.tokenAsLong(c + 2);
    if (!image || page < 0 || page > kMaxPages || frame < 1 || frame > kMaxFrames) return;
    mSkin->backgrounds().add(
        new KEditorBg(static_cast<int>(page), image, static_cast<int>(frame - 1), current));
}

void KEditorSkinBuilder::startPage(XP::TokenReader& tokens) {
    const long page = tokens.tokenAsLong(tokens.cursor);
    if (page >= 1 && page <= mSkin->pageCount()) mSkin->setStartPage(static_cast<int>(page));
}

void KEditorSkinBuilder::refreshThrottle(XP::TokenReader& tokens) {
    // A negative spacing means none; a huge one would starve the display.
    long ms = tokens.tokenAsLong(tokens.cursor);
    if (ms < 0) ms = 0;
    if (ms > kMaxThrottleMs) ms = kMaxThrottleMs;
    mSkin->setRefreshThrottleMs(static_cast<int>(ms));
}

void KEditorSkinBuilder::condition(XP::TokenReader& tokens, KConditionSet& current) {
    current.reset();
    int i = tokens.cursor;
    const int count = tokens.tokenCount();
    while (i < count) {
        // "Not" negates the one check that follows it, however often it is
        // written; a "Not" with nothing after it is a check name itself.
        bool negated = false;
        while (i + 1 < count && tokens.tokenIs(i, "Not")) {
            negated = true;
            ++i;
        }
        const KEditorCheck* check = mSkin->checks().find(tokens.token(i));
        if (check) current.add(mSkin->sharedCondition(check, negated));
        ++i;
    }
    tokens.cursor = count;
}

void KEditorSkinBuilder::addCheck(XP::TokenReader& tokens) {
    const char* name = tokens.token(tokens.cursor);
    ++tokens.cursor;
    KEditorCheck* check = nullptr;
    if (tokens.acceptToken("Param", 3)) {
        const int c = tokens.cursor;
        const int index = mEffect ? mEffect->findParameter(tokens.token(c)) : -1;
        const int op = KEditorCheck::parseOperator(tokens.token(c + 1));
        const double value = tokens.tokenAsDouble(c + 2);
        if (index >= 0 && op != KEditorCheck::kInvalid)
            check = new KParamCheck(mEffect, index, op, value);
    } else if (tokens.acceptToken("InOut", 4)) {
        const int c = tokens.cursor;
        const int inputOp = KEditorCheck::parseOperator(tokens.token(c));
        const int outputOp = KEditorCheck::parseOperator(tokens.token(c + 2));
        const long inputs = tokens.tokenAsLong(c + 1);
        const long outputs = tokens.tokenAsLong(c + 3);
        if (inputOp != KEditorCheck::kInvalid && outputOp != KEditorCheck::kInvalid)
            check = new KInOutCheck(mEffect, inputOp, static_cast<int>(inputs), outputOp,
                                    static_cast<int>(outputs));
    } else if (tokens.acceptToken("OS", 1)) {
        check = new KOSCheck(tokens.tokenIs(tokens.cursor, "LNX"));
    }
    if (!check) return;
    check->setName(name);
    mSkin->checks().add(check);
}

void KEditorSkinBuilder::addResource(XP::TokenReader& tokens) {
    const char* name = tokens.token(tokens.cursor);
    ++tokens.cursor;
    KEditorResource* resource = createResource(*mSkin, tokens);
    if (!resource) return;
    resource->setName(name);
    mSkin->resources().add(resource);
}

void KEditorSkinBuilder::addControl(XP::TokenReader& tokens, const KConditionSet& current,
                                    bool named) {
    const char* name = named ? tokens.token(tokens.cursor++) : nullptr;
    const int c = tokens.cursor;
    const long page = tokens.tokenAsLong(c);
    const long x = tokens.tokenAsLong(c + 1);
    const long y = tokens.tokenAsLong(c + 2);
    const long width = tokens.tokenAsLong(c + 3);
    const long height = tokens.tokenAsLong(c + 4);
    tokens.cursor += 5;
    // Positions may lie partly off the editor, but within reach of it, so
    // that no edge computation can overflow.
    if (page < 0 || page > kMaxPages || x < -kMaxSize || x > kMaxSize || y < -kMaxSize ||
        y > kMaxSize || width < 1 || width > kMaxSize || height < 1 || height > kMaxSize)
        return;
    ControlSetup setup;
    setup.x = static_cast<int>(x);
    setup.y = static_cast<int>(y);
    setup.width = static_cast<int>(width);
    setup.height = static_cast<int>(height);
    setup.page = static_cast<int>(page);
    setup.conditions = &current;
    setup.effect = mEffect;
    setup.skin = mSkin;
    KEditorControl* control = createControl(setup, tokens);
    if (!control) return;
    if (name) control->setName(name);
    mSkin->controls().add(control);
}

void KEditorSkinBuilder::installFont(XP::TokenReader& tokens) {
    const char* family = tokens.token(tokens.cursor);
    const char* file = tokens.token(tokens.cursor + 1);
    tokens.cursor += 2;
    KEditorResource* resource = new KFontTypeResource(family, file);
    resource->setName(family);
    mSkin->resources().add(resource);
}

KEditor* createEditor(KEffect* effect, XP::InputReader& input) {
    if (!effect || !input.isOpen()) return nullptr;
    KEditorSkinBuilder builder(effect);
    KEditorSkin* skin = builder.buildSkin(input);
    return skin ? new KEditor(effect, skin) : nullptr;
}

KEditor* createEditor(KEffect* effect, const char* resourceName) {
    XP::ResourceReader reader;
    if (!resourceName || !reader.open(resourceName)) return nullptr;
    return createEditor(effect, reader);
}

}  // namespace KAMO
