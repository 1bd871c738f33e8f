#include "EditorTestSupport.h"

#include "editor/KCondition.h"
#include "editor/KEditor.h"
#include "editor/KEditorCheck.h"
#include "editor/KEditorResource.h"
#include "editor/KEditorSkinBuilder.h"
#include "editor/KFont.h"
#include "editor/controls/KButton.h"
#include "editor/controls/KCommand.h"
#include "editor/controls/KImg.h"
#include "editor/controls/KImgPeak.h"
#include "editor/controls/KLabel.h"
#include "editor/controls/KMeter.h"
#include "editor/controls/KPageSel.h"
#include "editor/controls/KPot.h"
#include "editor/controls/KRadio.h"
#include "editor/controls/KSlide.h"
#include "editor/controls/KSwitch.h"
#include "editor/controls/KTextPeak.h"
#include "editor/controls/KUrl.h"
#include "editor/controls/KValue.h"
#include "editor/controls/KWave.h"
#include "editor/controls/KZoomWave.h"
#include "framework/KEffectFeature.h"
#include "framework/KHistory.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

using EditorTest::buildSkin;
using KAMO::KEditorControl;
using KAMO::KEditorSkin;

namespace {

// The instrument with one feature of each value type, for meter lines.
class FeatureMurlan : public EditorTest::TestMurlan {
public:
    FeatureMurlan() {
        features().add(new KAMO::KDoubleFeature("Level", &level));
        features().add(new KAMO::KIntFeature("Count", &count));
        features().add(new KAMO::KHistoryFeature("Hist", &history));
    }
    double level = 0.25;
    std::int32_t count = 3;
    KAMO::KHistory history;
};

const char* const kPrefix =
    "Init 540 395 2\n"
    "AddResource col RGBColour 1 2 3\n"
    "AddResource font DefFont 12 col KSans\n"
    "AddResource img PngResource Murlan.png 540 395 2\n";

std::string controlLine(const std::string& rest) { return "AddControl 1 10 20 40 30 " + rest + "\n"; }

struct TypeCase {
    const char* arguments;
    std::function<bool(KEditorControl*)> isRightClass;
};

template <typename T>
std::function<bool(KEditorControl*)> is() {
    return [](KEditorControl* c) { return dynamic_cast<T*>(c) != nullptr; };
}

// One complete line per control type, in the order of the skin language.
const std::vector<TypeCase>& typeCases() {
    static const std::vector<TypeCase> cases = {
        {"KBarFracMeter Level LeftToRight col", is<KAMO::KBarFracMeter>()},
        {"KPotDot Detune1 col 11 col", is<KAMO::KPotDot>()},
        {"KBgPotDot Detune1 img 11 col", is<KAMO::KBgPotDot>()},
        {"KPotLine Detune1 col 15 col", is<KAMO::KPotLine>()},
        {"KTextPeak Level AutoLevel font font", is<KAMO::KTextPeak>()},
        {"KUrl \"http://example.org/a_b\"", is<KAMO::KUrl>()},
        {"KImgUrl img http://example.org", is<KAMO::KImgUrl>()},
        {"KImgCommand FullRnd img", is<KAMO::KImgCommand>()},
        {"KImgFracMeter Level img", is<KAMO::KImgFracMeter>()},
        {"KImgMeter Count 1.5 -2 img", is<KAMO::KImgMeter>()},
        {"KImgPot Detune1 img", is<KAMO::KImgPot>()},
        {"KImgButton Detune1 img", is<KAMO::KImgButton>()},
        {"KImgPageSel img 2", is<KAMO::KImgPageSel>()},
        {"KImgRadio LFOWave 1 5 img", is<KAMO::KImgRadio>()},
        {"KImgSwitch Detune1 img", is<KAMO::KImgSwitch>()},
        {"KImgPeak Level AutoLevel img", is<KAMO::KImgPeak>()},
        {"KImg img", is<KAMO::KImg>()},
        {"KLabel Centre \"a text\" font 0", is<KAMO::KLabel>()},
        {"KValue Detune1 font", is<KAMO::KValue>()},
        {"KBgValue Detune1 img font", is<KAMO::KBgValue>()},
        {"KPageSelHlt 2 col", is<KAMO::KPageSelHlt>()},
        {"KZoomWave Hist Level Level col col col col col col font", is<KAMO::KZoomWave>()},
        {"KWave Hist Level Level col col col", is<KAMO::KWave>()},
        {"KHlSwitch Detune1 0 0 10 10 col col col", is<KAMO::KHlSwitch>()},
        {"KHlRadio LFOWave 1 5 0 0 10 10 col col col", is<KAMO::KHlRadio>()},
        {"KSlide Detune1 img col 0 0 10 10", is<KAMO::KSlide>()},
    };
    return cases;
}

int controlsFrom(KAMO::KEffect* effect, const std::string& lines) {
    auto skin = buildSkin(effect, kPrefix + lines);
    return skin ? skin->controls().count() : -1;
}

} // namespace

// --- Size and pages -------------------------------------------------------------

TEST(KEditorSkinBuilder, SkinWithoutUsableInitGivesNoSkinAndNoEditor) {
    EditorTest::TestMurlan effect;
    EXPECT_EQ(buildSkin(&effect, "AddResource col RGBColour 1 2 3\n"), nullptr);
    EXPECT_EQ(buildSkin(&effect, "Init 540 0 2\n"), nullptr);
    EXPECT_EQ(buildSkin(&effect, "Init 540 395\n"), nullptr);
    EXPECT_EQ(buildSkin(&effect, "Init 540 395 0\n"), nullptr);
    EXPECT_EQ(buildSkin(&effect, "Init -540 395 1\n"), nullptr);
    EXPECT_EQ(buildSkin(&effect, "Init 540 9000 1\n"), nullptr);
    EXPECT_EQ(buildSkin(&effect, ""), nullptr);
    EditorTest::StringSource source("Init 540 0 2\n");
    EXPECT_EQ(KAMO::createEditor(&effect, source), nullptr);
    EXPECT_EQ(KAMO::createEditor(&effect, "NoSuchSkin.txt"), nullptr);
}

TEST(KEditorSkinBuilder, LaterInitOverwritesTheEarlierOne) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, "Init 540 0 2\ninit 100 50 3\n");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width(), 100);
    EXPECT_EQ(skin->height(), 50);
    EXPECT_EQ(skin->pageCount(), 3);
    EXPECT_EQ(skin->currentPage(), 1);
    EXPECT_EQ(skin->capturedControl(), -1);
    EXPECT_EQ(skin->refreshThrottleMs(), 40);
}

// --- Backgrounds ---------------------------------------------------------------------

TEST(KEditorSkinBuilder, BackgroundMapNeedsThePageCountOfAnEarlierInit) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect,
                          "AddResource img PngResource Murlan.png 540 395 2\n"
                          "BackgroundMap img\n"
                          "Init 540 395 2\n");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->backgrounds().count(), 0);
}

TEST(KEditorSkinBuilder, BackgroundMapShowsFramePerPageOnlyWhenCountsAgree) {
    EditorTest::TestMurlan effect;
    auto two = buildSkin(&effect,
                         "Init 540 395 3\n"
                         "AddResource img PngResource Murlan.png 540 395 2\n"
                         "BackgroundMap img\n");
    ASSERT_NE(two, nullptr);
    ASSERT_EQ(two->backgrounds().count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(two->backgrounds().get(i)->page(), i + 1);
        EXPECT_EQ(two->backgrounds().get(i)->frame(), 0);
    }
    auto three = buildSkin(&effect,
                           "Init 540 395 3\n"
                           "AddResource img PngResource Murlan.png 360 395 3\n"
                           "BackgroundMap img\n");
    ASSERT_NE(three, nullptr);
    ASSERT_EQ(three->backgrounds().count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(three->backgrounds().get(i)->frame(), i);
}

TEST(KEditorSkinBuilder, BackgroundsNeedAnImageResource) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "BackgroundMap Null\n"
                                       "BackgroundMap col\n"
                                       "BackgroundMap nothing\n"
                                       "BackgroundImage 1 col 1\n");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->backgrounds().count(), 0);
}

TEST(KEditorSkinBuilder, BackgroundImageCountsFramesFromOneAndPageZeroMeansEveryPage) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "BackgroundImage 0 img 2\n"
                                       "BackgroundImage 1 img 0\n"
                                       "BackgroundImage -1 img 1\n");
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->backgrounds().count(), 1);
    EXPECT_EQ(skin->backgrounds().get(0)->page(), 0);
    EXPECT_EQ(skin->backgrounds().get(0)->frame(), 1);
    skin->setCurrentPage(2);
    EXPECT_EQ(skin->currentBackground(), skin->backgrounds().get(0));
}

TEST(KEditorSkinBuilder, StartPageMustBeAPageOfTheSkin) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, "Init 540 395 2\nStartPage 3\n");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->startPage(), 1);
    skin = buildSkin(&effect, "StartPage 2\nInit 540 395 2\n");
    EXPECT_EQ(skin->startPage(), 1);
    skin = buildSkin(&effect, "Init 540 395 2\nStartPage 2\n");
    EXPECT_EQ(skin->startPage(), 2);
}

TEST(KEditorSkinBuilder, RefreshThrottleBelowZeroMeansNoThrottle) {
    EditorTest::TestMurlan effect;
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 1\nRefreshThrottleMs 0\n")->refreshThrottleMs(), 0);
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 1\nRefreshThrottleMs -5\n")->refreshThrottleMs(), 0);
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 1\nRefreshThrottleMs 100\n")->refreshThrottleMs(), 100);
}

// --- Checks and conditions -------------------------------------------------------

TEST(KEditorSkinBuilder, ChecksAreRejectedForUnknownParametersAndInvalidOperators) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect,
                          "Init 5 5 1\n"
                          "AddCheck a Param Detune1 == 0\n"
                          "AddCheck b Param nosuch == 0\n"
                          "AddCheck c Param Detune1 =< 0\n"
                          "AddCheck d InOut == 0 >= 1\n"
                          "AddCheck e InOut == 0 => 1\n"
                          "AddCheck f OS lnx\n"
                          "AddCheck g OS win\n"
                          "AddCheck h Param Detune1 ==\n"
                          "AddCheck i Sometimes\n");
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->checks().count(), 4);
    EXPECT_STREQ(skin->checks().get(0)->name(), "a");
    EXPECT_TRUE(skin->checks().get(0)->evaluate());  // Detune1 starts at 0 cents
    EXPECT_STREQ(skin->checks().get(1)->name(), "d");
    EXPECT_TRUE(skin->checks().get(1)->evaluate());
    EXPECT_STREQ(skin->checks().get(2)->name(), "f");
    EXPECT_TRUE(skin->checks().get(2)->evaluate());
    EXPECT_STREQ(skin->checks().get(3)->name(), "g");
    EXPECT_FALSE(skin->checks().get(3)->evaluate());
}

TEST(KEditorSkinBuilder, ConditionsGovernTheLinesUntilElseOrEnd) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "AddCheck yes OS LNX\n"
                                       "AddCheck no OS other\n"
                                       "Condition yes\n" + controlLine("KImg img") +
                                       "ConditionElse\n" + controlLine("KImg img") +
                                       "EndCondition\n" + controlLine("KImg img") +
                                       "Condition yes no\n" + controlLine("KImg img") +
                                       "Condition yes Not no\n" + controlLine("KImg img"));
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), 5);
    EXPECT_TRUE(skin->isShown(*skin->controls().get(0)));
    EXPECT_FALSE(skin->isShown(*skin->controls().get(1)));
    EXPECT_TRUE(skin->isShown(*skin->controls().get(2)));
    EXPECT_EQ(skin->controls().get(2)->conditions().count(), 0);
    // Two checks on one line must both hold.
    EXPECT_FALSE(skin->isShown(*skin->controls().get(3)));
    EXPECT_TRUE(skin->isShown(*skin->controls().get(4)));
}

TEST(KEditorSkinBuilder, NotNegatesOnceHoweverOftenWrittenAndTrailingNotIsACheckName) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "AddCheck yes OS LNX\n"
                                       "AddCheck Not OS other\n"
                                       "Condition Not Not yes\n" + controlLine("KImg img") +
                                       "Condition yes Not\n" + controlLine("KImg img") +
                                       "Condition undeclared yes\n" + controlLine("KImg img"));
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), 3);
    const KAMO::KConditionSet& first = skin->controls().get(0)->conditions();
    ASSERT_EQ(first.count(), 1);
    EXPECT_TRUE(first.get(0)->isNegated());
    EXPECT_FALSE(skin->isShown(*skin->controls().get(0)));
    // The final "Not" names the check called Not, which never holds.
    const KAMO::KConditionSet& second = skin->controls().get(1)->conditions();
    ASSERT_EQ(second.count(), 2);
    EXPECT_FALSE(second.get(1)->isNegated());
    EXPECT_STREQ(second.get(1)->check()->name(), "Not");
    EXPECT_FALSE(skin->isShown(*skin->controls().get(1)));
    // Names that are not checks are left out.
    EXPECT_EQ(skin->controls().get(2)->conditions().count(), 1);
    EXPECT_TRUE(skin->isShown(*skin->controls().get(2)));
}

TEST(KEditorSkinBuilder, ConditionElseTwiceRestoresTheSense) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "AddCheck yes OS LNX\n"
                                       "Condition yes\nConditionElse\nConditionElse\n" +
                                       controlLine("KImg img"));
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), 1);
    EXPECT_FALSE(skin->controls().get(0)->conditions().isElse());
    EXPECT_TRUE(skin->isShown(*skin->controls().get(0)));
}

TEST(KEditorSkinBuilder, ConditionsAreSharedPerCheckAndNegation) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "AddCheck c OS LNX\n"
                                       "Condition Not c\n" + controlLine("KImg img") +
                                       "Condition Not c\n" + controlLine("KImg img") +
                                       "Condition c\n" + controlLine("KImg img"));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->conditions().count(), 2);
    EXPECT_EQ(skin->controls().get(0)->conditions().get(0),
              skin->controls().get(1)->conditions().get(0));
    EXPECT_NE(skin->controls().get(0)->conditions().get(0),
              skin->controls().get(2)->conditions().get(0));
}

TEST(KEditorSkinBuilder, ParameterChecksFollowTheValueLive) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "AddCheck sine Param LFOWave == 0\n"
                                       "Condition sine\n" + controlLine("KImg img") +
                                       "ConditionElse\n" + controlLine("KImg img"));
    ASSERT_NE(skin, nullptr);
    KEditorControl* whenSine = skin->controls().get(0);
    KEditorControl* otherwise = skin->controls().get(1);
    EXPECT_TRUE(skin->isShown(*whenSine));
    EXPECT_FALSE(skin->isShown(*otherwise));
    effect.setParameter(effect.findParameter("LFOWave"), 1.0f);
    EXPECT_FALSE(skin->isShown(*whenSine));
    EXPECT_TRUE(skin->isShown(*otherwise));
}

// --- Resources -------------------------------------------------------------------------

TEST(KEditorSkinBuilder, ResourceLinesAreCheckedBeforeAnythingIsCreated) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect,
                          "Init 5 5 1\n"
                          "AddResource c RGBColour 300 20 30\n"
                          "AddResource a RGBAColour 1 2 3 4\n"
                          "AddResource bad1 PngResource x.png 0 10 1\n"
                          "AddResource bad2 PngResource x.png 10 10 -1\n"
                          "AddResource bad3 PngResource x.png 10 10\n"
                          "AddResource bad4 DefFont 0 c KSans\n"
                          "AddResource bad5 DefFont 12 Null KSans\n"
                          "AddResource bad6 DefFont 12 nothing KSans\n"
                          "AddResource f DefFont 12 c NeverInstalled\n"
                          "AddResource bad7 DefFont 12 f KSans\n"
                          "AddResource bad8 RGBColour 1 2\n"
                          "AddResource bad9 Shiny 1 2 3\n"
                          "AddResource\n"
                          "InstallTTF KSans KSans.ttf\n");
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->resources().count(), 4);
    auto* c = dynamic_cast<KAMO::KColourResource*>(skin->resources().get(0));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->colour()[0], 44);
    EXPECT_EQ(c->colour()[3], 255);
    auto* a = dynamic_cast<KAMO::KColourResource*>(skin->resources().get(1));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->colour()[3], 4);
    auto* f = dynamic_cast<KAMO::KFontResource*>(skin->resources().get(2));
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->font()->family(), "NeverInstalled");
    EXPECT_EQ(f->font()->colour()[0], 44);
    auto* ttf = dynamic_cast<KAMO::KFontTypeResource*>(skin->resources().get(3));
    ASSERT_NE(ttf, nullptr);
    EXPECT_STREQ(ttf->name(), "KSans");
}

TEST(KEditorSkinBuilder, KeywordsIgnoreCaseButResourceNamesDoNot) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect,
                          "init 540 395 1\n"
                          "addresource dotcol rgbcolour 40 40 50\n"
                          "ADDCONTROL 1 0 0 40 40 kpotdot portarst dotcol 11 dotcol\n"
                          "AddControl 1 0 0 40 40 KPotDot PortaRst DotCol 11 dotcol\n");
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), 1);
    EXPECT_NE(dynamic_cast<KAMO::KPotDot*>(skin->controls().get(0)), nullptr);
}

TEST(KEditorSkinBuilder, FirstDeclaredResourceOfANameWinsEvenOfTheWrongKind) {
    EditorTest::TestMurlan effect;
    EXPECT_EQ(controlsFrom(&effect, "AddResource x RGBColour 1 1 1\n"
                                    "AddResource x PngResource Murlan.png 540 395 2\n" +
                                        controlLine("KImg x")),
              0);
}

// --- Controls ----------------------------------------------------------------------------

TEST(KEditorSkinBuilder, EveryControlTypeIsBuiltFromACompleteLine) {
    FeatureMurlan effect;
    std::string lines;
    for (const TypeCase& c : typeCases()) lines += controlLine(c.arguments);
    auto skin = buildSkin(&effect, kPrefix + lines);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), static_cast<int>(typeCases().size()));
    for (int i = 0; i < skin->controls().count(); ++i) {
        KEditorControl* control = skin->controls().get(i);
        EXPECT_TRUE(typeCases()[i].isRightClass(control)) << typeCases()[i].arguments;
        EXPECT_EQ(control->x(), 10);
        EXPECT_EQ(control->y(), 20);
        EXPECT_EQ(control->width(), 40);
        EXPECT_EQ(control->height(), 30);
        EXPECT_EQ(control->page(), 1);
    }
}

TEST(KEditorSkinBuilder, ControlLineWithItsLastArgumentMissingBuildsNothing) {
    FeatureMurlan effect;
    for (const TypeCase& c : typeCases()) {
        std::string line = c.arguments;
        line = line.substr(0, line.find_last_of(' '));
        EXPECT_EQ(controlsFrom(&effect, controlLine(line)), 0) << line;
    }
}

TEST(KEditorSkinBuilder, RequiredArgumentsMustResolve) {
    FeatureMurlan effect;
    const char* const rejected[] = {
        "KPotDot Detune1 Null 11 col",       "KPotDot Detune1 col 0 col",
        "KPotDot NoSuchParam col 11 col",    "KPotDot Detune1 col inf col",
        "KPotDot Detune1 col nan col",       "KPotLine Detune1 Null 15 col",
        "KBarFracMeter Null LeftToRight col", "KBarFracMeter Count LeftToRight col",
        "KTextPeak Level NoSuchCommand font font", "KImgCommand NoSuchCommand img",
        "KImgCommand FullRnd col",           "KImgMeter Count 0 0 img",
        "KImgMeter Level 1 0 img",           "KImgPageSel img 0",
        "KImgRadio LFOWave 6 5 img",         "KImgRadio LFOWave -1 5 img",
        "KHlRadio LFOWave 3 2 0 0 9 9 col col col", "KImg col",
        "KImg Null",                         "KLabel Left text Null 0",
        "KValue Detune1 col",                "KPageSelHlt 0 col",
        "KPageSelHlt 1 Null",                "KWave Null Level Level col col col",
        "KZoomWave Hist Level Level col col col col col Null font",
        "KSlide Detune1 Null col 0 0 1 1",   "Unknown Detune1",
        "",
    };
    for (const char* line : rejected) EXPECT_EQ(controlsFrom(&effect, controlLine(line)), 0) << line;

    // Optional arguments may resolve to none.
    const char* const accepted[] = {
        "KWave Hist Null Null col col col",
        "KZoomWave Hist null Unknown col col col col col col font",
        "KBarFracMeter Level Sideways col",
        "KPotLine Detune1 col 0 col",
        "KImgMeter Count 2 -inf img",
    };
    for (const char* line : accepted) {
        const bool infinite = std::string(line).find("inf") != std::string::npos;
        // Numbers that are not finite are refused even where any value is allowed.
        EXPECT_EQ(controlsFrom(&effect, controlLine(line)), infinite ? 0 : 1) << line;
    }
}

TEST(KEditorSkinBuilder, ControlRectanglesAndPagesAreBounded) {
    EditorTest::TestMurlan effect;
    EXPECT_EQ(controlsFrom(&effect, "AddControl 1 0 0 0 10 KImg img\n"), 0);
    EXPECT_EQ(controlsFrom(&effect, "AddControl 1 0 0 10 -10 KImg img\n"), 0);
    EXPECT_EQ(controlsFrom(&effect, "AddControl 1 0 0 9000 10 KImg img\n"), 0);
    EXPECT_EQ(controlsFrom(&effect, "AddControl 1 2147483647 0 10 10 KImg img\n"), 0);
    EXPECT_EQ(controlsFrom(&effect, "AddControl -1 0 0 10 10 KImg img\n"), 0);
    EXPECT_EQ(controlsFrom(&effect, "AddControl 1 -20 -20 8192 8192 KImg img\n"), 1);
    EXPECT_EQ(controlsFrom(&effect, "AddControl 1 0 0 10 10\n"), 0);
}

TEST(KEditorSkinBuilder, NamedControlsKeepThirtyFiveCharactersOfTheirName) {
    EditorTest::TestMurlan effect;
    const std::string name(50, 'n');
    auto skin = buildSkin(&effect, std::string(kPrefix) + "AddNameCtl " + name +
                                       " 0 1 2 3 4 KImg img\nAddNameCtl only 0 1 2 3 KImg\n");
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), 1);
    EXPECT_EQ(std::string(skin->controls().get(0)->name()), std::string(35, 'n'));
    EXPECT_EQ(skin->controls().get(0)->page(), 0);
    EXPECT_EQ(skin->controls().get(0)->height(), 4);
}

// --- The plug-in's own skin -------------------------------------------------------------

TEST(KEditorSkinBuilder, MurlanSkinBuildsEveryResourceBackgroundAndControl) {
    EditorTest::TestMurlan effect;
    const std::string text = EditorTest::murlanSkinText();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.rfind("# Murlan Skin\r\n", 0), 0u);
    auto skin = buildSkin(&effect, text);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width(), 540);
    EXPECT_EQ(skin->height(), 395);
    EXPECT_EQ(skin->pageCount(), 2);
    EXPECT_EQ(skin->resources().count(), 12);
    EXPECT_EQ(skin->checks().count(), 0);
    EXPECT_EQ(skin->conditions().count(), 0);
    ASSERT_EQ(skin->backgrounds().count(), 2);
    EXPECT_EQ(skin->backgrounds().get(0)->frame(), 0);
    EXPECT_EQ(skin->backgrounds().get(1)->frame(), 1);
    EXPECT_EQ(skin->backgrounds().get(1)->page(), 2);
    ASSERT_EQ(skin->controls().count(), 63);

    int pots = 0, values = 0, commands = 0, tabs = 0, links = 0, labels = 0;
    for (int i = 0; i < skin->controls().count(); ++i) {
        KEditorControl* c = skin->controls().get(i);
        pots += dynamic_cast<KAMO::KPotDot*>(c) != nullptr;
        values += dynamic_cast<KAMO::KValue*>(c) != nullptr;
        commands += dynamic_cast<KAMO::KImgCommand*>(c) != nullptr;
        tabs += dynamic_cast<KAMO::KPageSelHlt*>(c) != nullptr;
        links += dynamic_cast<KAMO::KUrl*>(c) != nullptr;
        labels += dynamic_cast<KAMO::KLabel*>(c) != nullptr;
    }
    EXPECT_EQ(pots, 23);
    EXPECT_EQ(values, 23);
    EXPECT_EQ(commands, 3);
    EXPECT_EQ(tabs, 2);
    EXPECT_EQ(links, 2);
    EXPECT_EQ(labels, 10);
}

TEST(KEditorSkinBuilder, CreateEditorBuildsFromTheCompiledInSkin) {
    EditorTest::TestMurlan effect;
    std::unique_ptr<KAMO::KEditor> editor(KAMO::createEditor(&effect, "murlanskin.txt"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->skin()->controls().count(), 63);
    EXPECT_EQ(editor->kEffect(), &effect);
    EXPECT_EQ(KAMO::createEditor(nullptr, "MurlanSkin.txt"), nullptr);
}

// --- Hostile texts --------------------------------------------------------------------------

TEST(KEditorSkinBuilder, EveryKeywordWithMissingArgumentsIsSkipped) {
    FeatureMurlan effect;
    const struct {
        const char* keyword;
        int needed;
    } keywords[] = {{"Init", 3},       {"BackgroundMap", 1}, {"BackgroundImage", 3},
                    {"StartPage", 1},  {"RefreshThrottleMs", 1}, {"Condition", 1},
                    {"AddCheck", 2},   {"AddResource", 1},  {"AddControl", 5},
                    {"AddNameCtl", 6}, {"InstallTTF", 2}};
    std::string text = kPrefix;
    for (const auto& k : keywords) {
        std::string line = k.keyword;
        for (int n = 0; n < k.needed; ++n) {
            text += line + "\n";
            line += " 1";
        }
    }
    auto skin = buildSkin(&effect, text);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width(), 540);
    EXPECT_EQ(skin->refreshThrottleMs(), 40);
    EXPECT_EQ(skin->resources().count(), 3);
    EXPECT_EQ(skin->backgrounds().count(), 0);
    EXPECT_EQ(skin->controls().count(), 0);
    EXPECT_EQ(skin->checks().count(), 0);
}

TEST(KEditorSkinBuilder, HugeNumbersAreRefusedNotWrapped) {
    EditorTest::TestMurlan effect;
    const std::string huge = "99999999999999999999999";
    EXPECT_EQ(buildSkin(&effect, "Init " + huge + " 10 1\n"), nullptr);
    EXPECT_EQ(buildSkin(&effect, "Init 10 10 " + huge + "\n"), nullptr);
    auto skin = buildSkin(&effect, std::string(kPrefix) +
                                       "AddResource big PngResource Murlan.png 540 395 " + huge +
                                       "\nAddResource big2 PngResource Murlan.png " + huge +
                                       " 395 1\nBackgroundImage " + huge + " img 1\n" +
                                       "BackgroundImage 1 img " + huge + "\n" +
                                       "AddResource f DefFont 1e300 col KSans\n" +
                                       controlLine("KImgRadio LFOWave 0 " + huge + " img") +
                                       controlLine("KLabel Left x font " + huge));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->resources().count(), 3);
    EXPECT_EQ(skin->backgrounds().count(), 0);
    EXPECT_EQ(skin->controls().count(), 2);
}

TEST(KEditorSkinBuilder, TenThousandControlLinesBuildTenThousandControls) {
    EditorTest::TestMurlan effect;
    std::string text = kPrefix;
    for (int i = 0; i < 10000; ++i)
        text += "AddControl 1 " + std::to_string(i % 500) + " 5 40 40 KPotDot Detune1 col 11 col\r\n";
    auto skin = buildSkin(&effect, text);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->controls().count(), 10000);
}

TEST(KEditorSkinBuilder, RandomBytesBuildASkinOrNothingWithoutHarm) {
    FeatureMurlan effect;
    std::mt19937 random(20240917);
    // Words of the language mixed with noise reach deeper than noise alone.
    const char* const words[] = {"Init", "540", "395", "2", "AddControl", "AddResource",
                                 "KPotDot", "KImg", "img", "col", "font", "Condition", "Not",
                                 "AddCheck", "Param", "OS", "LNX", "\"", "#", "\r\n", "\n",
                                 "-1", "1e999", "Null", "KZoomWave", "Hist", "Level", "\t",
                                 "BackgroundMap", "InOut", "==", "ConditionElse", "KHlRadio"};
    for (int round = 0; round < 200; ++round) {
        std::string text = round % 2 ? kPrefix : "";
        const int pieces = 50 + static_cast<int>(random() % 400);
        for (int i = 0; i < pieces; ++i) {
            if (random() % 3 == 0) {
                text += static_cast<char>(random() % 256);
            } else {
                text += words[random() % (sizeof words / sizeof *words)];
                text += ' ';
            }
        }
        auto skin = buildSkin(&effect, text);
        if (skin) {
            EXPECT_GE(skin->width(), 1);
            EXPECT_LE(skin->width(), KAMO::KEditorSkinBuilder::kMaxSize);
            EXPECT_GE(skin->pageCount(), 1);
        }
    }
}

TEST(KEditorSkinBuilder, LongLinesAndNulBytesDoNotDerailTheRest) {
    EditorTest::TestMurlan effect;
    std::string text = "Init 540 395 1\n";
    text += "AddControl " + std::string(5000, '9') + "\n";
    text += "AddResource a RGBColour 1 2 3" + std::string(1, '\0') + "AddResource b RGBColour 4 5 6\n";
    text += "AddResource c RGBColour 7 8 9";  // no line end at all
    auto skin = buildSkin(&effect, text);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->resources().count(), 2);
    EXPECT_STREQ(skin->resources().get(0)->name(), "a");
    EXPECT_STREQ(skin->resources().get(1)->name(), "c");
}
