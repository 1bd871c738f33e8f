// Cost of the editor under the display it runs on (Xvfb with Mesa's
// software renderer in the project's scripts): time from opening to the first
// complete picture, a full repaint, a repaint after one knob moved, and the
// CPU the editor thread uses while nothing happens. Needs an X display:
//   tools/with-xvfb.sh build/bench/EditorBench

#include <benchmark/benchmark.h>

#include "editor/KEditor.h"
#include "editor/KEditorSkin.h"
#include "editor/KEditorSkinBuilder.h"
#include "editor/KEditorWindow.h"
#include "synth/Murlan.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The instrument with its editor, opened in a top-level window of ours.
class OpenEditor {
public:
    OpenEditor() {
        XInitThreads();
        mDisplay = XOpenDisplay(nullptr);
        mEffect.reset(new Murlan(quietHost));
        mEditor = KAMO::createEditor(mEffect.get(), "MurlanSkin.txt");
        if (!mDisplay || !mEditor) return;
        mEffect->setEditor(mEditor);
        const int screen = DefaultScreen(mDisplay);
        mParent = XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, 540, 395, 0,
                                      0, BlackPixel(mDisplay, screen));
        XMapWindow(mDisplay, mParent);
        XSync(mDisplay, False);
    }
    ~OpenEditor() {
        close();
        mEffect.reset();
        if (mDisplay) {
            if (mParent) XDestroyWindow(mDisplay, mParent);
            XCloseDisplay(mDisplay);
        }
    }

    bool ready() const { return mDisplay && mEditor; }
    KAMO::KEditor& editor() { return *mEditor; }
    KAMO::KEditorWindow& window() { return *mEditor->window(); }
    Murlan& effect() { return *mEffect; }

    bool open() { return mEditor->open(reinterpret_cast<void*>(mParent)); }
    void close() {
        if (mEditor) mEditor->close();
    }

    // Waits until the window has shown one more picture than `frames`;
    // false after 10 s.
    bool waitForFrameAfter(std::uint64_t frames) {
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (window().framesDrawn() <= frames) {
            if (Clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return true;
    }

private:
    Display* mDisplay = nullptr;
    Window mParent = 0;
    std::unique_ptr<Murlan> mEffect;
    KAMO::KEditor* mEditor = nullptr;  // owned by the effect
};

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_OpenToFirstFrame(benchmark::State& state) {
    OpenEditor fixture;
    if (!fixture.ready()) return state.SkipWithError("no X display or no editor");
    for (auto _ : state) {
        const std::uint64_t frames = fixture.window().framesDrawn();
        const auto start = Clock::now();
        fixture.open();
        if (!fixture.waitForFrameAfter(frames)) return state.SkipWithError("no picture");
        state.SetIterationTime(seconds(Clock::now() - start));
        fixture.close();
    }
}
BENCHMARK(BM_OpenToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// One repaint requested and waited for; `change` says what is new.
template <typename Change>
void repaints(benchmark::State& state, Change change) {
    OpenEditor fixture;
    if (!fixture.ready()) return state.SkipWithError("no X display or no editor");
    // Every request is drawn: the throttle would only measure itself.
    fixture.editor().skin()->setRefreshThrottleMs(0);
    const std::uint64_t before = fixture.window().framesDrawn();
    fixture.open();
    if (!fixture.waitForFrameAfter(before)) return state.SkipWithError("no picture");
    double insideNs = 0;
    int i = 0;
    for (auto _ : state) {
        const std::uint64_t frames = fixture.window().framesDrawn();
        const auto start = Clock::now();
        change(fixture, i++);
        if (!fixture.waitForFrameAfter(frames)) return state.SkipWithError("no picture");
        state.SetIterationTime(seconds(Clock::now() - start));
        insideNs += static_cast<double>(fixture.window().lastRepaintNs());
    }
    state.counters["thread_ms"] = insideNs / static_cast<double>(state.iterations()) / 1e6;
}

void BM_FullRepaint(benchmark::State& state) {
    repaints(state, [](OpenEditor& f, int) { f.editor().skin()->requestFullRedraw(); });
}
BENCHMARK(BM_FullRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_OneKnobRepaint(benchmark::State& state) {
    repaints(state, [](OpenEditor& f, int i) {
        f.effect().setParameter(Murlan::kDetune1, (i & 1) ? 0.25f : 0.75f);
    });
}
BENCHMARK(BM_OneKnobRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// CPU time of the editor thread over ten seconds in which nothing happens.
void BM_IdleThreadCpu(benchmark::State& state) {
    OpenEditor fixture;
    if (!fixture.ready()) return state.SkipWithError("no X display or no editor");
    const std::uint64_t before = fixture.window().framesDrawn();
    fixture.open();
    if (!fixture.waitForFrameAfter(before)) return state.SkipWithError("no picture");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (auto _ : state) {
        const std::int64_t start = fixture.window().threadCpuNs();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const std::int64_t used = fixture.window().threadCpuNs() - start;
        state.SetIterationTime(10.0);
        state.counters["cpu_ms_in_10s"] = static_cast<double>(used) / 1e6;
    }
}
BENCHMARK(BM_IdleThreadCpu)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
