#include "EditorTestSupport.h"

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
#include "xp/MemoryReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using EditorTest::buildSkin;
using KAMO::KEditorControl;

namespace {

// The instrument with one feature of each value type, for meter lines.
struct FeatureMurlan : EditorTest::TestMurlan {
    FeatureMurlan() {
        features().add(new KAMO::KDoubleFeature("Level", &level));
        features().add(new KAMO::KIntFeature("Count", &count));
        features().add(new KAMO::KHistoryFeature("Hist", &history));
    }
    double level = 0.25;
    std::int32_t count = 3;
    KAMO::KHistory history;
};

const std::string kPrefix =
    "Init 540 395 2\n"
    "AddResource col RGBColour 1 2 3\n"
    "AddResource font DefFont 12 col KSans\n"
    "AddResource img PngResource Murlan.png 540 395 2\n";

std::string line(const std::string& rest) { return "AddControl 1 10 20 40 30 " + rest + "\n"; }

int controlsFrom(KAMO::KEffect* effect, const std::string& lines) {
    auto skin = buildSkin(effect, kPrefix + lines);
    return skin ? skin->controls().count() : -1;
}

template <typename T>
bool is(KEditorControl* c) {
    return dynamic_cast<T*>(c) != nullptr;
}

// One complete line per control type, in the order of the skin language.
const std::vector<std::pair<const char*, bool (*)(KEditorControl*)>> kTypes = {
    {"KBarFracMeter Level LeftToRight col", is<KAMO::KBarFracMeter>},
    {"KPotDot Detune1 col 11 col", is<KAMO::KPotDot>},
    {"KBgPotDot Detune1 img 11 col", is<KAMO::KBgPotDot>},
    {"KPotLine Detune1 col 15 col", is<KAMO::KPotLine>},
    {"KTextPeak Level AutoLevel font font", is<KAMO::KTextPeak>},
    {"KUrl \"http://example.org/a_b\"", is<KAMO::KUrl>},
    {"KImgUrl img http://example.org", is<KAMO::KImgUrl>},
    {"KImgCommand FullRnd img", is<KAMO::KImgCommand>},
    {"KImgFracMeter Level img", is<KAMO::KImgFracMeter>},
    {"KImgMeter Count 1.5 -2 img", is<KAMO::KImgMeter>},
    {"KImgPot Detune1 img", is<KAMO::KImgPot>},
    {"KImgButton Detune1 img", is<KAMO::KImgButton>},
    {"KImgPageSel img 2", is<KAMO::KImgPageSel>},
    {"KImgRadio LFOWave 1 5 img", is<KAMO::KImgRadio>},
    {"KImgSwitch Detune1 img", is<KAMO::KImgSwitch>},
    {"KImgPeak Level AutoLevel img", is<KAMO::KImgPeak>},
    {"KImg img", is<KAMO::KImg>},
    {"KLabel Centre \"a text\" font 0", is<KAMO::KLabel>},
    {"KValue Detune1 font", is<KAMO::KValue>},
    {"KBgValue Detune1 img font", is<KAMO::KBgValue>},
    {"KPageSelHlt 2 col", is<KAMO::KPageSelHlt>},
    {"KZoomWave Hist Level Level col col col col col col font", is<KAMO::KZoomWave>},
    {"KWave Hist Level Level col col col", is<KAMO::KWave>},
    {"KHlSwitch Detune1 0 0 10 10 col col col", is<KAMO::KHlSwitch>},
    {"KHlRadio LFOWave 1 5 0 0 10 10 col col col", is<KAMO::KHlRadio>},
    {"KSlide Detune1 img col 0 0 10 10", is<KAMO::KSlide>},
};

}  // namespace

TEST(KEditorSkinBuilder, OnlyAnInitWithUsableSizeAndPagesGivesASkin) {
    EditorTest::TestMurlan effect;
    for (const char* text : {"", "Init 540 0 2\n", "Init 540 395\n", "Init -540 395 1\n",
                             "Init 540 9000 1\n", "Init 540 395 99999999999999999999\n"})
        EXPECT_EQ(buildSkin(&effect, text), nullptr) << text;
    XP::MemoryReader bad("Init 540 0 2\n");
    EXPECT_EQ(KAMO::createEditor(&effect, bad), nullptr);
    EXPECT_EQ(KAMO::createEditor(&effect, "NoSuchSkin.txt"), nullptr);
    auto skin = buildSkin(&effect, "Init 540 0 2\ninit 100 50 3\n");  // a later one wins
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width() * 10000 + skin->height() * 10 + skin->pageCount(), 1000503);
}

TEST(KEditorSkinBuilder, BackgroundMapGivesAFramePerPageOnlyWhenTheCountsAgree) {
    EditorTest::TestMurlan effect;
    auto frames = [&](const std::string& text) {
        std::vector<int> out;
        auto skin = buildSkin(&effect, text);
        for (int i = 0; skin && i < skin->backgrounds().count(); ++i)
            out.push_back(skin->backgrounds().get(i)->page() * 10 +
                          skin->backgrounds().get(i)->frame());
        return out;
    };
    const std::string two = "AddResource img PngResource Murlan.png 540 395 2\n";
    EXPECT_EQ(frames("Init 9 9 3\n" + two + "BackgroundMap img\n"), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(frames("Init 9 9 2\n" + two + "BackgroundMap img\n"), (std::vector<int>{10, 21}));
    // Before Init there are no pages to map.
    EXPECT_TRUE(frames(two + "BackgroundMap img\nInit 9 9 2\n").empty());
    EXPECT_TRUE(
        frames(kPrefix + "BackgroundMap Null\nBackgroundMap col\nBackgroundMap x\n").empty());
    // Frames count from 1; page 0 is every page.
    EXPECT_EQ(frames(kPrefix + "BackgroundImage 0 img 2\nBackgroundImage 1 img 0\n"
                               "BackgroundImage -1 img 1\nBackgroundImage 1 col 1\n"),
              (std::vector<int>{1}));
}

TEST(KEditorSkinBuilder, StartPageAndThrottleAreKeptWithinSenseOrIgnored) {
    EditorTest::TestMurlan effect;
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 2\nStartPage 3\n")->startPage(), 1);
    EXPECT_EQ(buildSkin(&effect, "StartPage 2\nInit 5 5 2\n")->startPage(), 1);
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 2\nStartPage 2\n")->startPage(), 2);
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 1\n")->refreshThrottleMs(), 40);
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 1\nRefreshThrottleMs -5\n")->refreshThrottleMs(), 0);
    EXPECT_EQ(buildSkin(&effect, "Init 5 5 1\nRefreshThrottleMs 100\n")->refreshThrottleMs(), 100);
}

TEST(KEditorSkinBuilder, ChecksWithUnknownParametersOrInvalidOperatorsAreSkipped) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect,
                          "Init 5 5 1\n"
                          "AddCheck a Param Detune1 == 0\nAddCheck b Param nosuch == 0\n"
                          "AddCheck c Param Detune1 =< 0\nAddCheck d InOut == 0 >= 1\n"
                          "AddCheck e InOut == 0 => 1\nAddCheck f OS lnx\nAddCheck g OS win\n"
                          "AddCheck h Param Detune1 ==\nAddCheck i Sometimes\n");
    ASSERT_NE(skin, nullptr);
    std::string names, verdicts;
    for (int i = 0; i < skin->checks().count(); ++i) {
        names += skin->checks().get(i)->name();
        verdicts += skin->checks().get(i)->evaluate() ? 'T' : 'F';
    }
    EXPECT_EQ(names, "adfg");
    EXPECT_EQ(verdicts, "TTTF");
}

TEST(KEditorSkinBuilder, ConditionsGovernTheirLinesWithNotElseAndSharing) {
    EditorTest::TestMurlan effect;
    const std::string img = line("KImg img");
    auto skin = buildSkin(&effect, kPrefix + "AddCheck yes OS LNX\nAddCheck Not OS other\n" +
                                       "Condition yes\n" + img + "ConditionElse\n" + img +
                                       "EndCondition\n" + img + "Condition yes Not\n" +
                                       img +                              // trailing Not is a name
                                       "Condition Not Not yes\n" + img +  // negated once
                                       "Condition Not yes undeclared\n" + img +
                                       "Condition yes\nConditionElse\nConditionElse\n" + img +
                                       "Condition Param\n" + img);
    ASSERT_NE(skin, nullptr);
    std::string shown;
    for (int i = 0; i < skin->controls().count(); ++i)
        shown += skin->isShown(*skin->controls().get(i)) ? 'Y' : 'n';
    EXPECT_EQ(shown, "YnYnnnYY");
    EXPECT_EQ(skin->controls().get(3)->conditions().count(), 2);
    EXPECT_EQ(skin->controls().get(5)->conditions().count(), 1);
    // {yes}, {Not}, {yes negated}: one shared condition each.
    EXPECT_EQ(skin->conditions().count(), 3);
    EXPECT_EQ(skin->controls().get(4)->conditions().get(0),
              skin->controls().get(5)->conditions().get(0));
}

TEST(KEditorSkinBuilder, ParameterConditionsFollowTheValueLive) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect, kPrefix + "AddCheck sine Param LFOWave == 0\nCondition sine\n" +
                                       line("KImg img") + "ConditionElse\n" + line("KImg img"));
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(skin->isShown(*skin->controls().get(0)));
    EXPECT_FALSE(skin->isShown(*skin->controls().get(1)));
    effect.setParameter(effect.findParameter("LFOWave"), 1.0f);
    EXPECT_FALSE(skin->isShown(*skin->controls().get(0)));
    EXPECT_TRUE(skin->isShown(*skin->controls().get(1)));
}

TEST(KEditorSkinBuilder, ResourceLinesAreCheckedBeforeAnythingIsCreated) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(
        &effect,
        "Init 5 5 1\nAddResource c RGBColour 300 20 30\n"
        "AddResource a RGBAColour 1 2 3 4\n"
        "AddResource x PngResource x.png 0 10 1\nAddResource x PngResource x.png 10 10 -1\n"
        "AddResource x PngResource x.png 10 10\nAddResource x DefFont 0 c KSans\n"
        "AddResource x DefFont 12 Null KSans\nAddResource x DefFont 12 nothing KSans\n"
        "AddResource x DefFont 1e300 c KSans\nAddResource f DefFont 12 c NeverInstalled\n"
        "AddResource x DefFont 12 f KSans\nAddResource x RGBColour 1 2\n"
        "AddResource x Shiny 1 2 3\nAddResource\nInstallTTF KSans KSans.ttf\n");
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->resources().count(), 4);
    auto* a = dynamic_cast<KAMO::KColourResource*>(skin->resources().get(1));
    auto* f = dynamic_cast<KAMO::KFontResource*>(skin->resources().get(2));
    ASSERT_TRUE(a && f);
    EXPECT_EQ(a->colour()[3], 4);
    EXPECT_STREQ(f->font()->family(), "NeverInstalled");
    EXPECT_EQ(f->font()->colour()[0], 44);
    EXPECT_NE(dynamic_cast<KAMO::KFontTypeResource*>(skin->resources().get(3)), nullptr);
    EXPECT_STREQ(skin->resources().get(3)->name(), "KSans");
}

TEST(KEditorSkinBuilder, KeywordsAndParametersIgnoreCaseButResourceNamesDoNot) {
    EditorTest::TestMurlan effect;
    auto skin = buildSkin(&effect,
                          "init 540 395 1\naddresource dotcol rgbcolour 40 40 50\n"
                          "ADDCONTROL 1 0 0 40 40 kpotdot portarst dotcol 11 dotcol\n"
                          "AddControl 1 0 0 40 40 KPotDot PortaRst DotCol 11 dotcol\n"
                          "AddResource dotcol PngResource Murlan.png 540 395 2\n"
                          "AddControl 1 0 0 40 40 KImg dotcol\n");  // the first dotcol wins
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), 1);
    EXPECT_TRUE(is<KAMO::KPotDot>(skin->controls().get(0)));
}

TEST(KEditorSkinBuilder, EveryControlTypeIsBuiltFromACompleteLineAndNotFromAShorterOne) {
    FeatureMurlan effect;
    std::string lines;
    for (const auto& type : kTypes) lines += line(type.first);
    auto skin = buildSkin(&effect, kPrefix + lines);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->controls().count(), static_cast<int>(kTypes.size()));
    for (int i = 0; i < skin->controls().count(); ++i) {
        KEditorControl* c = skin->controls().get(i);
        EXPECT_TRUE(kTypes[i].second(c)) << kTypes[i].first;
        EXPECT_EQ(c->x() + c->y() + c->width() + c->height() + c->page(), 101);
    }
    for (const auto& type : kTypes) {
        const std::string words = type.first;
        EXPECT_EQ(controlsFrom(&effect, line(words.substr(0, words.find_last_of(' ')))), 0)
            << words;
    }
}

TEST(KEditorSkinBuilder, RequiredArgumentsMustResolveAndOptionalOnesMayNot) {
    FeatureMurlan effect;
    for (const char* rejected : {"KPotDot Detune1 Null 11 col",
                                 "KPotDot Detune1 col 0 col",
                                 "KPotDot NoSuch col 11 col",
                                 "KPotDot Detune1 col nan col",
                                 "KPotLine Detune1 Null 15 col",
                                 "KImgMeter Count 2 -inf img",
                                 "KBarFracMeter Null LeftToRight col",
                                 "KBarFracMeter Count LeftToRight col",
                                 "KTextPeak Level NoSuch font font",
                                 "KImgCommand NoSuch img",
                                 "KImgCommand FullRnd col",
                                 "KImgMeter Count 0 0 img",
                                 "KImgMeter Level 1 0 img",
                                 "KImgPageSel img 0",
                                 "KImgRadio LFOWave 6 5 img",
                                 "KImgRadio LFOWave -1 5 img",
                                 "KHlRadio LFOWave 3 2 0 0 9 9 col col col",
                                 "KImg col",
                                 "KLabel Left text Null 0",
                                 "KValue Detune1 col",
                                 "KPageSelHlt 0 col",
                                 "KWave Null Level Level col col col",
                                 "KZoomWave Hist Level Level col col col col col Null font",
                                 "KSlide Detune1 Null col 0 0 1 1",
                                 "Unknown Detune1",
                                 ""})
        EXPECT_EQ(controlsFrom(&effect, line(rejected)), 0) << rejected;
    for (const char* accepted : {"KWave Hist Null Null col col col",
                                 "KZoomWave Hist null Unknown col col col col col col font",
                                 "KBarFracMeter Level Sideways col", "KPotLine Detune1 col 0 col"})
        EXPECT_EQ(controlsFrom(&effect, line(accepted)), 1) << accepted;
}

TEST(KEditorSkinBuilder, ControlRectanglesArePagesAreBoundedAndNamesCut) {
    EditorTest::TestMurlan effect;
    for (const char* prefix : {"1 0 0 0 10", "1 0 0 10 -10", "1 0 0 9000 10",
                               "1 2147483647 0 10 10", "-1 0 0 10 10", "1 0 0 10 10 #"})
        EXPECT_EQ(controlsFrom(&effect, std::string("AddControl ") + prefix + " KImg img\n"), 0)
            << prefix;
    auto skin =
        buildSkin(&effect, kPrefix + "AddControl 1 -20 -20 8192 8192 KImg img\n" + "AddNameCtl " +
                               std::string(50, 'n') + " 0 1 2 3 4 KImg img\n");
    ASSERT_EQ(skin->controls().count(), 2);
    EXPECT_EQ(std::string(skin->controls().get(1)->name()), std::string(35, 'n'));
}

TEST(KEditorSkinBuilder, MurlanSkinBuildsEveryResourceBackgroundAndControl) {
    EditorTest::TestMurlan effect;
    const std::string text = EditorTest::murlanSkinText();
    EXPECT_EQ(text.rfind("# Murlan Skin\r\n", 0), 0u);
    auto skin = buildSkin(&effect, text);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width() * 10000 + skin->height() * 10 + skin->pageCount(), 5403953);
    EXPECT_EQ(skin->resources().count(), 15);
    EXPECT_EQ(skin->checks().count() + skin->conditions().count(), 0);
    ASSERT_EQ(skin->backgrounds().count(), 3);
    EXPECT_EQ(skin->backgrounds().get(2)->frame(), 2);
    // A knob and a read-out per parameter, and the rest.
    const int n = EditorTest::TestMurlan::kParameterCount;
    ASSERT_EQ(skin->controls().count(), 2 * n + 19);
    int pots = 0, values = 0, commands = 0, tabs = 0, links = 0, labels = 0;
    for (int i = 0; i < skin->controls().count(); ++i) {
        KEditorControl* c = skin->controls().get(i);
        pots += is<KAMO::KPotDot>(c), values += is<KAMO::KValue>(c);
        commands += is<KAMO::KImgCommand>(c), tabs += is<KAMO::KPageSelHlt>(c);
        links += is<KAMO::KUrl>(c), labels += is<KAMO::KLabel>(c);
    }
    EXPECT_EQ((std::vector<int>{pots, values, commands, tabs, links, labels}),
              (std::vector<int>{n, n, 3, 3, 2, 10}));
    std::unique_ptr<KAMO::KEditor> editor(KAMO::createEditor(&effect, "murlanskin.txt"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->skin()->controls().count(), 2 * n + 19);
    EXPECT_EQ(KAMO::createEditor(nullptr, "MurlanSkin.txt"), nullptr);
}

// --- Hostile texts ---------------------------------------------------------------

TEST(KEditorSkinBuilder, KeywordsWithTooFewArgumentsChangeNothing) {
    FeatureMurlan effect;
    std::string text = kPrefix;
    for (const auto& k : std::vector<std::pair<std::string, int>>{{"Init", 3},
                                                                  {"BackgroundMap", 1},
                                                                  {"BackgroundImage", 3},
                                                                  {"StartPage", 1},
                                                                  {"RefreshThrottleMs", 1},
                                                                  {"Condition", 1},
                                                                  {"AddCheck", 2},
                                                                  {"AddResource", 1},
                                                                  {"AddControl", 5},
                                                                  {"AddNameCtl", 6},
                                                                  {"InstallTTF", 2}})
        for (std::string words = k.first; words.size() < k.first.size() + 2 * k.second;
             words += " 1")
            text += words + "\n";
    auto skin = buildSkin(&effect, text);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width(), 540);
    EXPECT_EQ(skin->refreshThrottleMs(), 40);
    EXPECT_EQ(skin->resources().count(), 3);
    EXPECT_EQ(skin->backgrounds().count() + skin->controls().count() + skin->checks().count(), 0);
}

TEST(KEditorSkinBuilder, HugeNumbersAreRefusedOrHeldNotWrapped) {
    EditorTest::TestMurlan effect;
    const std::string huge = "99999999999999999999999";
    auto skin =
        buildSkin(&effect, kPrefix + "AddResource a PngResource Murlan.png 540 395 " + huge +
                               "\nAddResource b PngResource Murlan.png " + huge + " 395 1\n" +
                               "BackgroundImage " + huge + " img 1\nBackgroundImage 1 img " + huge +
                               "\n" + line("KImgRadio LFOWave 0 " + huge + " img") +
                               line("KLabel Left x font " + huge));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->resources().count(), 3);
    EXPECT_EQ(skin->backgrounds().count(), 0);
    EXPECT_EQ(skin->controls().count(), 2);
}

TEST(KEditorSkinBuilder, TenThousandLinesLongLinesAndNulBytesAreRead) {
    EditorTest::TestMurlan effect;
    std::string text = kPrefix + "AddControl " + std::string(5000, '9') + "\n" +
                       "AddResource a RGBColour 1 2 3" + std::string(1, '\0') + "AddResource b\n";
    for (int i = 0; i < 10000; ++i)
        text += "AddControl 1 " + std::to_string(i % 500) + " 5 40 40 KImg img\r\n";
    text += "AddResource c RGBColour 7 8 9";  // no line end at all
    auto skin = buildSkin(&effect, text);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->controls().count(), 10000);
    ASSERT_EQ(skin->resources().count(), 5);
    EXPECT_STREQ(skin->resources().get(3)->name(), "a");
    EXPECT_STREQ(skin->resources().get(4)->name(), "c");
}

TEST(KEditorSkinBuilder, RandomTextsBuildASkinOrNothingWithoutHarm) {
    FeatureMurlan effect;
    std::mt19937 random(20240917);
    // Words of the language mixed with noise reach deeper than noise alone.
    const std::vector<std::string> words = {"Init",       "540",         "2",
                                            "AddControl", "AddResource", "KPotDot",
                                            "KImg",       "img",         "col",
                                            "font",       "Condition",   "Not",
                                            "AddCheck",   "Param",       "OS",
                                            "\"",         "#",           "\r\n",
                                            "\n",         "-1",          "1e999",
                                            "Null",       "KZoomWave",   "Hist",
                                            "Level",      "\t",          "BackgroundMap",
                                            "InOut",      "==",          "KHlRadio"};
    for (int round = 0; round < 300; ++round) {
        std::string text = round % 2 ? kPrefix : "";
        for (int i = 50 + random() % 400; i > 0; --i)
            text += random() % 3 ? words[random() % words.size()] + ' '
                                 : std::string(1, char(random()));
        auto skin = buildSkin(&effect, text);
        if (skin) {
            EXPECT_TRUE(skin->width() >= 1 && skin->width() <= 8192 && skin->pageCount() >= 1);
        }
    }
}
