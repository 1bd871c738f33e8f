#include "tools/plughost/EditorHost.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
#include "tools/plughost/HostDisplay.h"
#include "tools/plughost/MidiBytes.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/VstEventList.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace plughost {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

EditorHost::EditorHost() { display_ = openHostDisplay(); }

EditorHost::~EditorHost() {
    close();
    if (display_) XCloseDisplay(display_);
}

bool EditorHost::open(PluginInstance& plugin, std::string* error, float scale) {
    close();
    closeRequested_ = false;
    if (!display_) {
        if (error) *error = "no X display (is DISPLAY set?)";
        return false;
    }
    if (!plugin.hasEditor()) {
        if (error) *error = "the plug-in has no editor";
        return false;
    }
    if (scale != 0.0f)  // NaN included: hosts may send nonsense too
        plugin.dispatch(effVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr, scale);
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect || rect->right - rect->left < 1 || rect->bottom - rect->top < 1) {
        if (error) *error = "the plug-in gives no editor size";
        return false;
    }
    width_ = rect->right - rect->left;
    height_ = rect->bottom - rect->top;

    parent_ = createHostWindow(display_, width_, height_, plugin.effectName());
    Atom deleteAtom = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    deleteAtom_ = deleteAtom;
    XSetWMProtocols(display_, parent_, &deleteAtom, 1);
    // Fixed size, as hosts do for editors that cannot be resized.
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = width_;
    hints.min_height = hints.max_height = height_;
    XSetWMNormalHints(display_, parent_, &hints);
    mapAndWait(display_, parent_);

    if (!plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent_))) {
        if (error) *error = "the plug-in did not open its editor";
        XDestroyWindow(display_, parent_);
        XSync(display_, False);
        parent_ = 0;
        return false;
    }
    plugin_ = &plugin;
    return true;
}

void EditorHost::close() {
    if (plugin_) plugin_->dispatch(effEditClose);
    plugin_ = nullptr;
    destroyParent();
    buttons_ = 0;
}

void EditorHost::destroyParent() {
    if (display_ && parent_) {
        XDestroyWindow(display_, parent_);
        XSync(display_, False);
    }
    parent_ = 0;
}

void EditorHost::idle() {
    if (plugin_) plugin_->dispatch(effEditIdle);
    if (!display_) return;
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == ClientMessage && event.xclient.window == parent_ &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom_)
            closeRequested_ = true;
    }
}

unsigned long EditorHost::editorWindow() const { return firstChildWindow(display_, parent_); }

void EditorHost::sendButton(int type, int button, int x, int y, unsigned state) {
    sendPointerEvent(display_, editorWindow(), type, button, x, y, state);
}

namespace {
unsigned buttonMask(int button) {
    return button >= 1 && button <= 5 ? Button1Mask << (button - 1) : 0;
}
}  // namespace

// The state of a button event is the state before it: a press does not
// carry its own button yet, a release still does.
void EditorHost::press(int button, int x, int y, unsigned state) {
    sendButton(ButtonPress, button, x, y, state | buttons_);
    buttons_ |= buttonMask(button);
}

void EditorHost::release(int button, int x, int y, unsigned state) {
    sendButton(ButtonRelease, button, x, y, state | buttons_);
    buttons_ &= ~buttonMask(button);
}

void EditorHost::motion(int x, int y, unsigned state) {
    sendPointerEvent(display_, editorWindow(), MotionNotify, 0, x, y, state | buttons_);
}

void EditorHost::click(int x, int y, unsigned state) {
    press(Button1, x, y, state);
    release(Button1, x, y, state);
}

void EditorHost::drag(int x, int y, int dx, int dy, unsigned state) {
    press(Button1, x, y, state);
    motion(x + dx, y + dy, state);
    release(Button1, x + dx, y + dy, state);
}

bool EditorHost::screenshot(EditorImage& image) const {
    return grabWindow(display_, editorWindow(), image);
}

// --- plughost editor -------------------------------------------------------

namespace {

const char* const kUsage =
    "usage: plughost editor PLUGIN.so [--screenshot FILE.png] [--after-ms N] [--render]\n"
    "                       [--preset FILE|NAME] [--set Name=Text ...] [--page N]\n"
    "                       [--click X,Y ...] [--scale S]\n"
    "  Opens the plug-in's editor in a window of its own and idles it every 20 ms.\n"
    "  --screenshot saves the editor's picture after --after-ms (default 1000) and closes;\n"
    "  without it the window stays until closed, or for --after-ms when given.\n"
    "  --render plays a held note through the plug-in on a second thread meanwhile.\n"
    "  --click X,Y clicks the editor at X,Y (editor coordinates at scale 1), in the order given.\n"
    "  --page N clicks the tab of page N (1 to 3) of Murlan's skin, at the top right.\n"
    "  --scale S asks the editor to draw S device pixels per editor pixel (the vendor-specific\n"
    "  scale request of high-density hosts); clicks are scaled along.\n";

bool parsePoint(const std::string& text, int& x, int& y) {
    char* end = nullptr;
    const long px = std::strtol(text.c_str(), &end, 10);
    if (!end || *end != ',') return false;
    const char* rest = end + 1;
    const long py = std::strtol(rest, &end, 10);
    if (!end || *end || end == rest) return false;
    x = static_cast<int>(px);
    y = static_cast<int>(py);
    return true;
}

// Plays one held note in real time, block by block, until told to stop.
void renderLoop(PluginInstance& plugin, double rate, std::atomic<bool>& stop) {
    const VstInt32 frames = 512;
    AudioBuffers<float> buffers(plugin.numInputs(), plugin.numOutputs(), frames);
    VstEventList events(4);
    events.addMidi(0, kMidiNoteOn, 60, 100);
    plugin.processEvents(events);
    const auto block = std::chrono::duration<double>(frames / rate);
    auto next = Clock::now();
    while (!stop.load()) {
        plugin.process(buffers, frames);
        plugin.host().advance(frames);
        next += std::chrono::duration_cast<Clock::duration>(block);
        std::this_thread::sleep_until(next);
    }
}

}  // namespace

int runEditor(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line(CommandLine::joined({kSettingOptions,
                                          {{"screenshot", true},
                                           {"after-ms", true},
                                           {"render", false},
                                           {"page", true},
                                           {"click", true},
                                           {"scale", true}}}));
    std::string error;
    if (!line.parse(args, &error) || line.positionals().size() != 1) {
        err << (error.empty() ? std::string(kUsage) : error + "\n" + kUsage);
        return 2;
    }
    double afterMs = 1000, page = 0, scale = 0;
    const bool timed = line.has("after-ms");
    if (!line.number("after-ms", 0, 3600000, afterMs, &error) ||
        !line.number("page", 1, 3, page, &error) ||
        !line.number("scale", 0.25, 16, scale, &error)) {
        err << error << "\n";
        return 2;
    }
    std::vector<std::pair<int, int>> clicks;
    // The centres of the tabs that resources/MurlanSkin.txt places at the top right.
    constexpr int kTabCentreX[] = {470, 494, 522};
    if (page >= 1) clicks.push_back({kTabCentreX[static_cast<int>(page) - 1], 11});
    for (const std::string& text : line.values("click")) {
        int x = 0, y = 0;
        if (!parsePoint(text, x, y)) {
            err << "--click " << text << ": expected X,Y\n";
            return 2;
        }
        clicks.push_back({x, y});
    }

    PluginHost host;
    const double rate = host.sampleRate();
    auto plugin = loadOrReport(host, line.positionals()[0], err);
    if (!plugin) return 1;
    plugin->setSampleRate(static_cast<float>(rate));
    plugin->setBlockSize(512);
    if (const int status = applyPresetAndSettings(*plugin, line, nullptr, err)) return status;
    plugin->resume();

    EditorHost window;
    if (!window.open(*plugin, &error, static_cast<float>(scale))) {
        err << error << "\n";
        return 1;
    }
    out << "Editor open: " << window.width() << " x " << window.height() << "\n";
    // Clicks are given at scale 1 and land where the asked-for factor puts
    // them.
    if (scale > 0)
        for (auto& point : clicks) {
            point.first = static_cast<int>(point.first * scale);
            point.second = static_cast<int>(point.second * scale);
        }

    std::atomic<bool> stop{false};
    std::thread audio;
    if (line.has("render")) {
        host.setPlaying(true);
        audio = std::thread(renderLoop, std::ref(*plugin), rate, std::ref(stop));
    }

    // Let the first picture arrive before clicking into it: the window's
    // middle is black until the editor's thread has drawn once.
    if (!clicks.empty())
        window.pumpUntil(
            [&] {
                EditorImage shot;
                return window.screenshot(shot) &&
                       shot.countNear({0, 0, 0}, 8, shot.width() / 2, shot.height() / 2, 4, 4) == 0;
            },
            10000);
    for (const auto& point : clicks) {
        window.click(point.first, point.second);
        window.pump(100);
    }

    const std::string shotPath = line.value("screenshot");
    int status = 0;
    if (!shotPath.empty() || timed) {
        window.pumpUntil([&] { return window.closeRequested(); }, static_cast<int>(afterMs));
    } else {
        out << "Close the window to quit.\n";
        while (!window.closeRequested()) window.pump(100);
    }
    if (!shotPath.empty() && !window.closeRequested()) {
        EditorImage shot;
        if (!window.screenshot(shot) || !shot.savePng(shotPath, &error)) {
            err << (error.empty() ? "could not read the editor's window" : error) << "\n";
            status = 1;
        } else {
            out << "Screenshot: " << shotPath << "\n";
        }
    }
    window.close();
    stop.store(true);
    if (audio.joinable()) audio.join();
    plugin->suspend();
    plugin.reset();
    out << "Closed.\n";
    return status;
}

}  // namespace plughost
