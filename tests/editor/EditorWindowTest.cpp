// The built plug-in's editor in a host's window: opened and closed while
// audio runs, looked at in screenshots and driven with mouse events.

#include "PluginEditorRig.h"
#include "SkinPlaces.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/EditorHost.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/VstEventList.h"
#include "xp/ResourceTable.h"

#include <MurlanVersion.h>

#include <X11/Xlib.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <thread>

using EditorTest::button;
using EditorTest::knob;
using EditorTest::readOut;
using EditorTest::SkinPlace;
using EditorTest::skinPlace;
using EditorTest::tab;
using plughost::EditEvent;
using plughost::EditorHost;
using plughost::EditorImage;

namespace {

int entriesIn(const char* directory) {
    int n = 0;
    if (DIR* dir = opendir(directory)) {
        while (dirent* entry = readdir(dir)) n += entry->d_name[0] != '.';
        closedir(dir);
    }
    return n;
}

const EditorImage& sheet() {
    static const EditorImage image = [] {
        EditorImage png;
        std::uint64_t size = 0;
        const unsigned char* data = XP::findResource("Murlan.png", &size);
        if (data) png.loadPng(data, size);
        return png;
    }();
    return image;
}

// Pixels of the rectangle off background frame page - 1 by more than rounding.
int offBackground(const EditorImage& shot, int page, int x, int y, int w, int h) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            const auto want = sheet().at((page - 1) * 540 + i, j), got = shot.at(i, j);
            n += std::abs(got.r - want.r) > 3 || std::abs(got.g - want.g) > 3 ||
                 std::abs(got.b - want.b) > 3;
        }
    return n;
}

// Every factor x factor block of the picture averaged into one pixel.
EditorImage shrink(const EditorImage& big, int factor) {
    if (factor < 2) return big;
    EditorImage small(big.width() / factor, big.height() / factor);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) {
            int r = 0, g = 0, b = 0;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const auto p = big.at(x * factor + i, y * factor + j);
                    r += p.r, g += p.g, b += p.b;
                }
            const int n = factor * factor;
            small.set(x, y,
                      {std::uint8_t((r + n / 2) / n), std::uint8_t((g + n / 2) / n),
                       std::uint8_t((b + n / 2) / n)});
        }
    return small;
}

// Mean absolute difference per channel over the rectangle.
double meanDifference(const EditorImage& a, const EditorImage& b, int x, int y, int w, int h) {
    double sum = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            const auto p = a.at(i, j), q = b.at(i, j);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return sum / (3.0 * w * h);
}

// Flat spots of the background, away from controls, texts and the place
// kept for the next knob, where the two pages differ.
const int kSpots[][2] = {{214, 98}, {228, 98}, {465, 68}, {521, 334}, {185, 341}, {381, 341}};

// The last-resort bound of every wait here. A wait that is met returns at
// its event or frame; the bound only has to be one that a loaded two-core
// machine, drawing in software, meets.
constexpr int kPatienceMs = 60000;

bool showsPage(const EditorImage& shot, int page) {
    for (const auto& s : kSpots)
        if (offBackground(shot, page, s[0], s[1], 1, 1)) return false;
    return true;
}

class EditorWindowTest : public EditorTest::PluginEditorRig {
protected:
    // The knob most tests turn: Detune 1's centre.
    const int knobX = knob("Detune1").centreX(), knobY = knob("Detune1").centreY();

    void SetUp() override {
        PluginEditorRig::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const auto& s : kSpots)
            ASSERT_NE(sheet().at(s[0], s[1]), sheet().at(540 + s[0], s[1]));
    }
    // A scale other than 0 is asked for as a high-density host does.
    void open(float scale = 0) {
        std::string error;
        ASSERT_TRUE(window.open(*plugin, &error, scale)) << error;
        ASSERT_TRUE(waitForPage(0)) << "no picture";
    }
    // Page 0: either page. A picture at a factor is looked at scaled down.
    bool waitForPage(int page) {
        return window.pumpUntil(
            [&] {
                EditorImage s;
                if (!window.screenshot(s)) return false;
                if (s.width() != 540) s = shrink(s, s.width() / 540);
                return page ? showsPage(s, page) : showsPage(s, 1) || showsPage(s, 2);
            },
            kPatienceMs);
    }
    // The picture once it stops changing.
    EditorImage settledShot() {
        EditorImage last, now;
        window.screenshot(last);
        for (int i = 0; i < 50; ++i, last = now) {
            window.pump(60);
            window.screenshot(now);
            if (now.countDifferences(last, 0, 0, now.width(), now.height()) == 0) break;
        }
        return now;
    }
    float value(const char* name) { return plugin->getParameter(plugin->findParameter(name)); }
    std::vector<EditEvent> editsUpToTheEnd() {
        window.pumpUntil(
            [&] { return !host.edits().empty() && host.edits().back().kind == EditEvent::EndEdit; },
            kPatienceMs);
        auto edits = host.edits();
        host.clearEdits();
        return edits;
    }

    std::vector<float> values() {
        std::vector<float> all;
        for (int i = 0; i < plugin->numParams(); ++i) all.push_back(plugin->getParameter(i));
        return all;
    }
    // Motion with no button held, whatever the host window believes is held.
    void bareMotion(int x, int y) {
        XEvent event{};
        event.xmotion.type = MotionNotify;
        event.xmotion.window = window.editorWindow();
        event.xmotion.x = x;
        event.xmotion.y = y;
        event.xmotion.same_screen = True;
        XSendEvent(window.display(), window.editorWindow(), False, PointerMotionMask, &event);
        XFlush(window.display());
    }
};

}  // namespace

TEST_F(EditorWindowTest, OpensFiftyTimesWhileAudioRunsWithoutLeakingAndKeepsThePage) {
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        plughost::AudioBuffers<float> buffers(0, 1, 256);
        plughost::VstEventList events(1);
        events.addMidi(0, 0x90, 57, 100);
        plugin->processEvents(events);
        for (; !stop; ++blocks, std::this_thread::sleep_for(std::chrono::milliseconds(1)))
            plugin->process(buffers, 256);
    });
    open();
    window.close();
    const int threads = entriesIn("/proc/self/task"), files = entriesIn("/proc/self/fd");
    int page = 1;
    for (int i = 0; i < 50; ++i) {
        const int blocksBefore = blocks.load();
        open();
        ASSERT_TRUE(waitForPage(page)) << "opening " << i;
        // Audio goes on while the editor is open, whatever the machine's load.
        ASSERT_TRUE(window.pumpUntil([&] { return blocks.load() > blocksBefore; }, kPatienceMs))
            << "opening " << i;
        if (i % 10 == 4) {  // switch; the next opening must show the same page
            page = 3 - page;
            window.click(tab(page).centreX(), tab(page).centreY());
            ASSERT_TRUE(waitForPage(page)) << "opening " << i;
        }
        plugin->dispatch(effEditClose);
        EXPECT_EQ(window.editorWindow(), 0u) << "opening " << i;  // gone with the close
        window.close();
    }
    stop = true;
    audio.join();
    EXPECT_EQ(entriesIn("/proc/self/task"), threads - 1);
    EXPECT_EQ(entriesIn("/proc/self/fd"), files);

    // Closing at once, before the thread can have shown its window, joins it too.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(window.open(*plugin));
        window.close();
    }
    EXPECT_EQ(entriesIn("/proc/self/task"), threads - 1);
}

TEST_F(EditorWindowTest, ScreenshotsShowBothPagesKnobDotsAndReadOuts) {
    plugin->setParameter(plugin->findParameter("Detune1"), 0.5f);
    open();
    const EditorImage before = settledShot();
    before.savePng("editor-page1.png");
    // The dot is 11 px from the knob's centre (the skin's KPotDot radius):
    // straight up at 0.5.
    const SkinPlace k = knob("Detune1"), mainLevel = knob("MainLvl");
    const int cx = k.centreX(), cy = k.centreY();
    const EditorImage::Rgb dot{40, 40, 50};
    EXPECT_GT(before.countNear(dot, 30, cx - 2, cy - 13, 5, 5), 2);

    plugin->setParameter(plugin->findParameter("Detune1"), 1.0f);
    const EditorImage after = settledShot();
    after.savePng("editor-page1-detune.png");
    // Fully turned: 135 degrees right of straight up.
    const int dx = static_cast<int>(std::lround(cx + 11 * std::sin(0.75 * M_PI)));
    const int dy = static_cast<int>(std::lround(cy - 11 * std::cos(0.75 * M_PI)));
    EXPECT_GT(after.countNear(dot, 30, dx - 2, dy - 2, 5, 5), 2);
    EXPECT_LT(after.countNear(dot, 30, cx - 2, cy - 13, 5, 5), 2);
    // Its read-out changed, the neighbour's did not.
    const SkinPlace own = readOut("Detune1"), next = readOut("Attk1");
    EXPECT_GT(after.countDifferences(before, own.x, own.y, own.w, own.h), 10);
    EXPECT_EQ(after.countDifferences(before, next.x, next.y, next.w, next.h), 0);

    window.click(tab(2).centreX(), tab(2).centreY());
    ASSERT_TRUE(waitForPage(2));
    const EditorImage about = settledShot();
    about.savePng("editor-page2.png");
    const SkinPlace label = skinPlace("KLabel", "Left");  // the first label
    EXPECT_GT(about.countNear({180, 190, 200}, 40, label.x, label.y, label.w, label.h), 30);
    const SkinPlace& m = mainLevel;  // the knob on page 1, a bare panel on page 2
    EXPECT_GT(offBackground(before, 1, m.x, m.y, m.w, m.h), 10);
    EXPECT_EQ(offBackground(about, 2, m.x, m.y, m.w, m.h), 0);
}

TEST_F(EditorWindowTest, DraggingAKnobEditsItsParameterAndTellsTheHost) {
    const int detune = plugin->findParameter("Detune1");
    plugin->setParameter(detune, 0.3f);
    open();
    host.clearEdits();
    window.drag(knobX, knobY, 0, -50);
    const auto edits = editsUpToTheEnd();
    EXPECT_NEAR(value("Detune1"), 0.8, 1e-6);
    ASSERT_GE(edits.size(), 4u);
    const EditEvent &begin = edits[0], &first = edits[1], &last = edits[edits.size() - 2];
    EXPECT_TRUE(begin.kind == EditEvent::BeginEdit && begin.index == detune);
    EXPECT_TRUE(first.kind == EditEvent::Automate && std::fabs(first.value - 0.3f) < 1e-6);
    EXPECT_TRUE(last.kind == EditEvent::Automate && std::fabs(last.value - 0.8f) < 1e-6);
    EXPECT_EQ(edits.back().index, detune);
    EXPECT_EQ(edits.back().thread, std::this_thread::get_id());  // the idle thread

    window.drag(knobX, knobY, 0, 50, EditorHost::kShift);  // ten times finer
    editsUpToTheEnd();
    EXPECT_NEAR(value("Detune1"), 0.75, 1e-6);
    window.click(knobX, knobY, EditorHost::kControl);  // back to the default
    editsUpToTheEnd();
    EXPECT_NEAR(value("Detune1"), 0.5, 1e-6);
}

TEST_F(EditorWindowTest, ClosingMidDragEndsTheGestureOnceAndTheNextOpeningHasNoCapture) {
    plugin->setParameter(plugin->findParameter("Detune1"), 0.3f);
    open();
    host.clearEdits();
    window.press(1, knobX, knobY);
    window.motion(knobX, knobY - 20);
    ASSERT_TRUE(
        window.pumpUntil([&] { return std::fabs(value("Detune1") - 0.5f) < 1e-6; }, kPatienceMs));
    window.close();  // the button is still down
    EXPECT_EQ(count(EditEvent::BeginEdit), 1);
    EXPECT_EQ(count(EditEvent::EndEdit), 1);
    EXPECT_EQ(host.edits().back().kind, EditEvent::EndEdit);

    host.clearEdits();
    open();
    bareMotion(knobX, knobY - 50);
    window.motion(knobX, knobY - 60);
    window.pump(300);
    EXPECT_FLOAT_EQ(value("Detune1"), 0.5f);
    EXPECT_TRUE(host.edits().empty());
}

TEST_F(EditorWindowTest, TheParentGoingMidDragOrALostReleaseEndsTheGesture) {
    open();
    host.clearEdits();
    window.press(1, knobX, knobY);
    window.motion(knobX, knobY - 10);
    ASSERT_TRUE(window.pumpUntil([&] { return count(EditEvent::Automate) >= 2; }, kPatienceMs));
    window.destroyParent();
    EXPECT_TRUE(window.pumpUntil([&] { return count(EditEvent::EndEdit) == 1; }, kPatienceMs));
    window.close();
    EXPECT_EQ(count(EditEvent::EndEdit), 1);

    // The release went to someone else: the next plain motion lets go.
    open();
    host.clearEdits();
    window.press(1, knobX, knobY);
    ASSERT_TRUE(window.pumpUntil([&] { return count(EditEvent::BeginEdit) == 1; }, kPatienceMs));
    const float held = value("Detune1");
    bareMotion(knobX, knobY - 50);
    EXPECT_TRUE(window.pumpUntil([&] { return count(EditEvent::EndEdit) == 1; }, kPatienceMs));
    EXPECT_EQ(value("Detune1"), held);
}

TEST_F(EditorWindowTest, ACommandPressedWhenTheEditorClosesNeverRuns) {
    open();
    const std::vector<float> before = values();
    window.press(1, button("FullRnd").centreX(), button("FullRnd").centreY());
    window.pump(200);
    window.close();
    open();
    window.click(knobX, knobY);  // a knob, not moved
    window.pump(300);
    EXPECT_EQ(values(), before);
}

TEST_F(EditorWindowTest, CommandButtonsRunTheirCommandOnRelease) {
    open();
    plugin->setParameter(plugin->findParameter("MainLvl"), 0.0f);
    const SkinPlace autoLevel = button("AutoLevel");
    window.press(1, autoLevel.centreX(), autoLevel.centreY());
    window.pump(200);
    EXPECT_EQ(value("MainLvl"), 0.0f);
    window.release(1, autoLevel.centreX(), autoLevel.centreY());
    EXPECT_TRUE(window.pumpUntil([&] { return value("MainLvl") != 0.0f; }, kPatienceMs));

    for (const char* command : {"FullRnd", "PartRnd"}) {
        std::vector<float> before;
        for (int i = 0; i < plugin->numParams(); ++i) before.push_back(plugin->getParameter(i));
        window.click(button(command).centreX(), button(command).centreY());
        EXPECT_TRUE(window.pumpUntil(
            [&] {
                for (int i = 0; i < plugin->numParams(); ++i)
                    if (plugin->getParameter(i) != before[i]) return true;
                return false;
            },
            kPatienceMs))
            << command;
    }
}

TEST_F(EditorWindowTest, TabsSwitchPagesAndALinkRunsTheOpener) {
    // A stand-in for the desktop's opener that notes what it was asked.
    char directory[] = "/tmp/murlan-opener-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string log = std::string(directory) + "/opened",
                      opener = std::string(directory) + "/xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << log << "'\n";
    chmod(opener.c_str(), 0755);
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (std::string(directory) + ":" + oldPath).c_str(), 1);

    open();
    window.click(tab(2).centreX(), tab(2).centreY());
    ASSERT_TRUE(waitForPage(2));
    // The logo block links to the manual.
    const SkinPlace logo = skinPlace("KUrl", "file://${DocDir}/README.md");
    window.click(logo.centreX(), logo.centreY());
    struct stat st;
    const bool opened = window.pumpUntil(
        [&] { return stat(log.c_str(), &st) == 0 && st.st_size > 0; }, kPatienceMs);
    setenv("PATH", oldPath.c_str(), 1);
    std::string line;
    std::getline(std::ifstream(log), line);
    unlink(log.c_str()), unlink(opener.c_str()), rmdir(directory);
    ASSERT_TRUE(opened);
    EXPECT_EQ(line, "file://" MURLAN_DOC_DIR "/README.md");
    window.click(tab(1).centreX(), tab(1).centreY());
    EXPECT_TRUE(waitForPage(1));
}

TEST_F(EditorWindowTest, AtTwiceTheScaleTheWindowIsTwiceAsLargeAndShowsTheSamePicture) {
    plugin->setParameter(plugin->findParameter("Detune1"), 0.5f);
    open();
    ASSERT_EQ(window.width(), 540);
    const EditorImage one = settledShot();
    window.close();

    open(2);
    EXPECT_EQ(window.width(), 1080);
    EXPECT_EQ(window.height(), 790);
    const EditorImage two = settledShot();
    ASSERT_EQ(two.width(), 1080);
    ASSERT_EQ(two.height(), 790);
    two.savePng("editor-page1-2x.png");
    const EditorImage down = shrink(two, 2);
    // Text and knob edges are drawn sharper, not elsewhere: on average the
    // pictures are within a few levels of each other (1.3 when written)...
    EXPECT_LT(meanDifference(down, one, 0, 0, 540, 395), 3.0);
    // ...and so is a knob with its dot and its read-out (3.1).
    const SkinPlace k = knob("Detune1"), r = readOut("Detune1");
    EXPECT_LT(meanDifference(down, one, r.x, k.y, r.w, r.y + r.h - k.y), 6.0);
    const EditorImage::Rgb dot{40, 40, 50};  // straight up, as at 1x
    EXPECT_GT(two.countNear(dot, 30, 2 * k.centreX() - 4, 2 * (k.centreY() - 11) - 4, 10, 10), 8);
}

TEST_F(EditorWindowTest, AtTwiceTheScaleDragsCountInSkinPixelsAndClicksHitTheSameControls) {
    const int detune = plugin->findParameter("Detune1");
    plugin->setParameter(detune, 0.3f);
    open();
    window.drag(knobX, knobY, 0, -5);
    editsUpToTheEnd();
    const float atOne = value("Detune1");
    EXPECT_GT(atOne, 0.3f);
    window.close();

    plugin->setParameter(detune, 0.3f);
    open(2);
    window.drag(2 * knobX, 2 * knobY, 0, -10);  // ten device pixels are five skin pixels
    editsUpToTheEnd();
    EXPECT_FLOAT_EQ(value("Detune1"), atOne);
    window.click(2 * knobX, 2 * knobY, EditorHost::kControl);  // back to the default
    editsUpToTheEnd();
    EXPECT_NEAR(value("Detune1"), 0.5, 1e-6);

    plugin->setParameter(plugin->findParameter("MainLvl"), 0.0f);
    window.click(2 * button("AutoLevel").centreX(), 2 * button("AutoLevel").centreY());
    EXPECT_TRUE(window.pumpUntil([&] { return value("MainLvl") != 0.0f; }, kPatienceMs));
    window.click(2 * tab(2).centreX(), 2 * tab(2).centreY());
    EXPECT_TRUE(waitForPage(2));
    window.click(2 * tab(1).centreX(), 2 * tab(1).centreY());  // and back
    EXPECT_TRUE(waitForPage(1));
}

TEST_F(EditorWindowTest, NonsenseScaleRequestsGiveAWindowOfASaneSizeWithAPicture) {
    const struct {
        float request;
        int width, height;
    } cases[] = {{0.0f, 540, 395}, {-2.0f, 540, 395}, {std::nanf(""), 540, 395},
                 {1.1f, 540, 395}, {1.25f, 675, 494}, {100.0f, 2160, 1580}};
    for (const auto& c : cases) {
        std::string error;
        ASSERT_TRUE(window.open(*plugin, &error, c.request)) << error;
        EXPECT_EQ(window.width(), c.width) << c.request;
        EXPECT_EQ(window.height(), c.height) << c.request;
        // The panel's grey, not a black or empty window, at the centre.
        EditorImage shot;
        EXPECT_TRUE(window.pumpUntil(
            [&] {
                return window.screenshot(shot) && shot.width() == c.width &&
                       shot.countNear({0, 0, 0}, 8, c.width / 2 - 2, c.height / 2 - 2, 4, 4) == 0;
            },
            kPatienceMs))
            << c.request;
        window.close();
    }
}

TEST_F(EditorWindowTest, EnvironmentScalesUnlessTheHostAsksAndARequestWaitsForTheNextOpening) {
    setenv("MURLAN_UI_SCALE", "1.5", 1);
    struct Unset {
        ~Unset() { unsetenv("MURLAN_UI_SCALE"); }
    } unsetAtTheEnd;
    std::string error;
    ASSERT_TRUE(window.open(*plugin, &error)) << error;
    EXPECT_EQ(window.width(), 810);
    EXPECT_EQ(window.height(), 593);  // 592.5, rounded
    // Asked while open: the open window keeps its size, and so does the
    // size the host reads.
    plugin->dispatch(effVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr, 2.0f);
    ERect* rect = nullptr;
    plugin->dispatch(effEditGetRect, 0, 0, &rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 810);
    window.close();
    ASSERT_TRUE(window.open(*plugin, &error)) << error;
    EXPECT_EQ(window.width(), 1080);
    // A request that makes no sense withdraws the earlier one: the
    // environment has its say again.
    window.close();
    ASSERT_TRUE(window.open(*plugin, &error, std::nanf(""))) << error;
    EXPECT_EQ(window.width(), 810);
}
