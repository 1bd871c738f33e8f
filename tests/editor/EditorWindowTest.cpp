// The built plug-in's editor in a window of a host: opened and closed while
// audio runs, looked at in screenshots and driven with mouse events.

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/EditorHost.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/VstEventList.h"
#include "xp/ResourceTable.h"

#include <X11/Xlib.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef MURLAN_PLUGIN
#define MURLAN_PLUGIN ""
#endif

using plughost::EditorHost;
using plughost::EditorImage;
using plughost::EditEvent;

namespace {

int entriesIn(const char* directory) {
    int n = 0;
    if (DIR* dir = opendir(directory)) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ++n;
        closedir(dir);
    }
    return n;
}

int topLevelWindows(Display* display) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    if (children) XFree(children);
    return static_cast<int>(count);
}

// Frames of the background sheet as the plug-in carries it.
const EditorImage& backgroundSheet() {
    static EditorImage sheet = [] {
        EditorImage image;
        std::uint64_t size = 0;
        const unsigned char* png = XP::findResource("Murlan.png", &size);
        if (png) image.loadPng(png, size);
        return image;
    }();
    return sheet;
}

// Flat spots of the background, away from every control and text, where the
// two pages differ.
const int kSpots[][2] = {{227, 68}, {283, 68}, {465, 68}, {521, 334}, {185, 341}, {381, 341}};

bool showsPage(const EditorImage& shot, int page) {
    const EditorImage& sheet = backgroundSheet();
    for (const auto& spot : kSpots) {
        const auto want = sheet.at((page - 1) * 540 + spot[0], spot[1]);
        const auto got = shot.at(spot[0], spot[1]);
        if (std::abs(got.r - want.r) > 4 || std::abs(got.g - want.g) > 4 ||
            std::abs(got.b - want.b) > 4)
            return false;
    }
    return true;
}

// Pixels of the rectangle that differ from background frame page - 1 by more
// than a rounding step.
int offBackground(const EditorImage& shot, int page, int x, int y, int w, int h) {
    const EditorImage& sheet = backgroundSheet();
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            const auto want = sheet.at((page - 1) * 540 + i, j);
            const auto got = shot.at(i, j);
            if (std::abs(got.r - want.r) > 3 || std::abs(got.g - want.g) > 3 ||
                std::abs(got.b - want.b) > 3)
                ++n;
        }
    return n;
}

// The two background frames differ at every spot, or the test proves nothing.
bool pagesDifferAtTheSpots() {
    const EditorImage& sheet = backgroundSheet();
    for (const auto& spot : kSpots)
        if (sheet.at(spot[0], spot[1]) == sheet.at(540 + spot[0], spot[1])) return false;
    return true;
}

class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_DISPLAY();
        if (!*MURLAN_PLUGIN) GTEST_SKIP() << "plug-in not built";
        std::string error;
        plugin = host.load(MURLAN_PLUGIN, &error);
        ASSERT_NE(plugin, nullptr) << error;
        plugin->setSampleRate(48000);
        plugin->setBlockSize(256);
        plugin->resume();
        ASSERT_TRUE(window.hasDisplay());
        ASSERT_FALSE(backgroundSheet().empty());
        ASSERT_TRUE(pagesDifferAtTheSpots());
    }
    void TearDown() override {
        window.close();
        plugin.reset();
    }

    void open() {
        std::string error;
        ASSERT_TRUE(window.open(*plugin, &error)) << error;
        ASSERT_TRUE(window.pumpUntil(
            [&] {
                EditorImage shot;
                return window.screenshot(shot) && (showsPage(shot, 1) || showsPage(shot, 2));
            },
            10000))
            << "no picture within 10 s";
    }

    bool waitForPage(int page, int ms = 10000) {
        return window.pumpUntil(
            [&] {
                EditorImage shot;
                return window.screenshot(shot) && showsPage(shot, page);
            },
            ms);
    }

    EditorImage shot() {
        EditorImage image;
        window.screenshot(image);
        return image;
    }

    // Idles until the screenshot settles (no change over two idles).
    EditorImage settledShot() {
        EditorImage last = shot();
        for (int i = 0; i < 50; ++i) {
            window.pump(60);
            EditorImage now = shot();
            if (now.countDifferences(last, 0, 0, now.width(), now.height()) == 0) return now;
            last = now;
        }
        return last;
    }

    int index(const char* name) { return plugin->findParameter(name); }
    float value(const char* name) { return plugin->getParameter(index(name)); }

    std::vector<EditEvent> waitForEdits(EditEvent::Kind last, int ms = 5000) {
        window.pumpUntil(
            [&] {
                for (const EditEvent& e : host.edits())
                    if (e.kind == last) return true;
                return false;
            },
            ms);
        std::vector<EditEvent> edits = host.edits();
        host.clearEdits();
        return edits;
    }

    plughost::PluginHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
    EditorHost window;
};

// Renders a held note until stopped, as a host's audio thread would.
class AudioThread {
public:
    explicit AudioThread(plughost::PluginInstance& plugin) : mThread([this, &plugin] {
        plughost::AudioBuffers<float> buffers(0, plugin.numOutputs(), 256);
        plughost::VstEventList events(4);
        events.addMidi(0, 0x90, 57, 100);
        plugin.processEvents(events);
        while (!mStop.load()) {
            plugin.process(buffers, 256);
            blocks.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }) {}
    ~AudioThread() {
        mStop.store(true);
        mThread.join();
    }
    std::atomic<int> blocks{0};

private:
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

} // namespace

TEST_F(EditorWindowTest, OpensFiftyTimesWhileAudioRunsWithoutLeakingAndKeepsThePage) {
    AudioThread audio(*plugin);
    open();
    window.close();
    const int threads = entriesIn("/proc/self/task");
    const int files = entriesIn("/proc/self/fd");
    const int windows = topLevelWindows(window.display());

    int expectedPage = 1;
    for (int i = 0; i < 50; ++i) {
        open();
        ASSERT_TRUE(waitForPage(expectedPage)) << "opening " << i;
        if (i % 10 == 4) {
            // Switch pages; the next opening must show the same one.
            expectedPage = 3 - expectedPage;
            window.click(expectedPage == 1 ? 210 : 265, 11);
            ASSERT_TRUE(waitForPage(expectedPage)) << "opening " << i;
        }
        window.close();
    }
    EXPECT_EQ(entriesIn("/proc/self/task"), threads);
    EXPECT_EQ(entriesIn("/proc/self/fd"), files);
    EXPECT_EQ(topLevelWindows(window.display()), windows);
    EXPECT_GT(audio.blocks.load(), 50);
}

TEST_F(EditorWindowTest, CloseRightAfterOpenJoinsTheThreadEveryTime) {
    const int threads = entriesIn("/proc/self/task");
    for (int i = 0; i < 20; ++i) {
        std::string error;
        ASSERT_TRUE(window.open(*plugin, &error)) << error;
        if (i % 2) window.idle();
        window.close();
    }
    EXPECT_EQ(entriesIn("/proc/self/task"), threads);
}

TEST_F(EditorWindowTest, ScreenshotsShowBothPagesKnobDotsAndReadOuts) {
    plugin->setParameter(index("Detune1"), 0.5f);
    open();
    const EditorImage before = settledShot();
    EXPECT_TRUE(showsPage(before, 1));
    before.savePng("editor-page1.png");
    const EditorImage::Rgb dot{40, 40, 50};
    // Knob at (130, 130), 40 x 40, dot on an orbit of 11 px: the middle value
    // puts it straight up.
    EXPECT_GT(before.countNear(dot, 30, 148, 137, 5, 5), 2);

    plugin->setParameter(index("Detune1"), 1.0f);
    window.pump(100);
    const EditorImage after = settledShot();
    after.savePng("editor-page1-detune.png");
    // Full turn: 135 degrees right of straight up, 11 px from the centre.
    const int dx = static_cast<int>(std::lround(150 + 11 * std::sin(0.75 * M_PI)));
    const int dy = static_cast<int>(std::lround(150 - 11 * std::cos(0.75 * M_PI)));
    EXPECT_GT(after.countNear(dot, 30, dx - 2, dy - 2, 5, 5), 2);
    EXPECT_LT(after.countNear(dot, 30, 148, 137, 5, 5), 2);
    // The read-out under the knob changed; the neighbour's did not.
    EXPECT_GT(after.countDifferences(before, 120, 175, 60, 15), 10);
    EXPECT_EQ(after.countDifferences(before, 185, 175, 60, 15), 0);

    window.click(265, 11);
    ASSERT_TRUE(waitForPage(2));
    const EditorImage about = settledShot();
    about.savePng("editor-page2.png");
    // The label lines are drawn in their light colour on the dark panel.
    EXPECT_GT(about.countNear({180, 190, 200}, 40, 20, 75, 410, 20), 30);
    // Page-1 knobs are gone: the Main Level knob's place shows the bare panel.
    EXPECT_GT(offBackground(before, 1, 400, 35, 40, 40), 10);
    EXPECT_EQ(offBackground(about, 2, 400, 35, 40, 40), 0);
}

TEST_F(EditorWindowTest, DraggingAKnobEditsItsParameterAndTellsTheHost) {
    const int detune = index("Detune1");
    plugin->setParameter(detune, 0.3f);
    open();
    host.clearEdits();

    window.drag(150, 150, 0, -50);
    auto edits = waitForEdits(EditEvent::EndEdit);
    EXPECT_NEAR(value("Detune1"), 0.8, 1e-6);
    ASSERT_GE(edits.size(), 4u);
    EXPECT_EQ(edits.front().kind, EditEvent::BeginEdit);
    EXPECT_EQ(edits.front().index, detune);
    EXPECT_EQ(edits[1].kind, EditEvent::Automate);
    EXPECT_NEAR(edits[1].value, 0.3, 1e-6);
    EXPECT_EQ(edits[edits.size() - 2].kind, EditEvent::Automate);
    EXPECT_NEAR(edits[edits.size() - 2].value, 0.8, 1e-6);
    EXPECT_EQ(edits.back().kind, EditEvent::EndEdit);
    EXPECT_EQ(edits.back().index, detune);
    EXPECT_NE(edits.back().thread, std::this_thread::get_id());

    // Shift: ten times finer.
    window.drag(150, 150, 0, 50, EditorHost::kShift);
    waitForEdits(EditEvent::EndEdit);
    EXPECT_NEAR(value("Detune1"), 0.75, 1e-6);

    // Ctrl-click: back to the default.
    window.click(150, 150, EditorHost::kControl);
    waitForEdits(EditEvent::EndEdit);
    EXPECT_NEAR(value("Detune1"), 0.5, 1e-6);
}

TEST_F(EditorWindowTest, CommandButtonsRunTheirCommandOnRelease) {
    open();
    const int main = index("MainLvl");
    plugin->setParameter(main, 0.0f);
    // Auto Level at (460, 30), 70 x 35.
    window.press(1, 495, 47);
    window.pump(200);
    EXPECT_EQ(value("MainLvl"), 0.0f);
    window.release(1, 495, 47);
    EXPECT_TRUE(window.pumpUntil([&] { return value("MainLvl") != 0.0f; }, 5000));

    // Full Random at (105, 70) and Part Random at (15, 70), 85 x 20 each.
    for (int x : {147, 57}) {
        std::vector<float> before;
        for (int i = 0; i < plugin->numParams(); ++i) before.push_back(plugin->getParameter(i));
        window.click(x, 80);
        EXPECT_TRUE(window.pumpUntil(
            [&] {
                for (int i = 0; i < plugin->numParams(); ++i)
                    if (plugin->getParameter(i) != before[i]) return true;
                return false;
            },
            5000))
            << "button at x " << x;
    }
}

TEST_F(EditorWindowTest, TabsSwitchPagesAndALinkRunsTheOpener) {
    // A stand-in for the desktop's opener that notes what it was asked.
    char directory[] = "/tmp/murlan-opener-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string log = std::string(directory) + "/opened";
    const std::string opener = std::string(directory) + "/xdg-open";
    {
        std::ofstream script(opener);
        script << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << log << "'\n";
    }
    chmod(opener.c_str(), 0755);
    const std::string path = std::string(directory) + ":" + (getenv("PATH") ? getenv("PATH") : "");
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", path.c_str(), 1);

    open();
    window.click(265, 11);
    ASSERT_TRUE(waitForPage(2));
    window.click(80, 27);  // the logo block links to the home page
    const bool opened = window.pumpUntil(
        [&] {
            struct stat st;
            return stat(log.c_str(), &st) == 0 && st.st_size > 0;
        },
        5000);
    setenv("PATH", oldPath.c_str(), 1);
    ASSERT_TRUE(opened);
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "file:///usr/local/share/doc/murlan/README.md");

    window.click(210, 11);
    EXPECT_TRUE(waitForPage(1));
    unlink(log.c_str());
    unlink(opener.c_str());
    rmdir(directory);
}
