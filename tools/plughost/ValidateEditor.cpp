// Validation levels 4 and 5: the editor opened and closed while the audio
// thread renders, and host automation reaching an open editor. Both need an
// X display; without one (or without an editor) they are skipped.

#include "tools/plughost/EditorHost.h"
#include "tools/plughost/PluginValidator.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace plughost {

namespace {

// Renders on a thread of its own until stopped; failures are kept aside
// and handed to the context after the join (the context is not shared).
class RenderThread {
public:
    RenderThread(ValidationContext& c, PluginInstance& p)
        : context_(c), plugin_(p), thread_([this] { loop(); }) {}
    ~RenderThread() { stop(); }
    void stop() {
        if (!thread_.joinable()) return;
        stop_.store(true);
        thread_.join();
        if (!problem_.empty()) context_.fail(problem_);
    }

private:
    void loop() {
        ValidationContext local(context_.source(), 7, 1);
        while (!stop_.load() && !local.failed())
            local.render(plugin_, false, 256, 2048, "rendering meanwhile");
        if (local.failed()) local.verdict(problem_);
    }

    ValidationContext& context_;
    PluginInstance& plugin_;
    std::atomic<bool> stop_{false};
    std::string problem_;
    std::thread thread_;
};

// Everything an editor test needs, or the reason to skip.
bool editorPossible(ValidationContext& c, PluginInstance& p) {
    if (!p.hasEditor()) {
        c.skip("the plug-in has no editor");
        return false;
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        c.skip("no display ($DISPLAY is unset)");
        return false;
    }
    return true;
}

bool checkRect(ValidationContext& c, PluginInstance& p) {
    ERect* rect = nullptr;
    p.dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect) {
        c.fail("effEditGetRect gives no rectangle");
        return false;
    }
    const int w = rect->right - rect->left, h = rect->bottom - rect->top;
    if (w < 1 || h < 1 || w > 8192 || h > 8192) {
        c.fail("effEditGetRect gives an editor of " + std::to_string(w) + " x " +
               std::to_string(h));
        return false;
    }
    return true;
}

void openWhileProcessing(ValidationContext& c) {
    auto p = c.start();
    if (!p || !editorPossible(c, *p)) return;
    if (!checkRect(c, *p)) return;
    EditorHost window;
    if (!window.hasDisplay()) {
        c.skip("the display cannot be opened");
        return;
    }
    RenderThread audio(c, *p);
    for (int i = 0; i < 4 * c.repeats() && !c.failed(); ++i) {
        ValidationContext::step("opening the editor, time " + std::to_string(i + 1));
        std::string error;
        if (!window.open(*p, &error)) {
            c.fail("opening the editor: " + error);
            break;
        }
        window.pump(i % 2 ? 300 : 50);
        ValidationContext::step("closing the editor, time " + std::to_string(i + 1));
        window.close();
    }
    audio.stop();
    ValidationContext::step("rendering after the editor closed");
    c.render(*p, false, 512, 4096, "after the editor closed");
}

void automationWhileOpen(ValidationContext& c) {
    auto p = c.start();
    if (!p || !editorPossible(c, *p)) return;
    EditorHost window;
    if (!window.hasDisplay()) {
        c.skip("the display cannot be opened");
        return;
    }
    std::string error;
    ValidationContext::step("opening the editor");
    if (!window.open(*p, &error)) {
        c.fail("opening the editor: " + error);
        return;
    }
    RenderThread audio(c, *p);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    const int n = p->numParams();
    for (int i = 0; i < 300 * c.repeats() && n > 0; ++i) {
        const VstInt32 index = static_cast<VstInt32>(c.random()() % static_cast<unsigned>(n));
        p->setParameter(index, value(c.random()));
        if (i % 10 == 0) window.idle();
        if (i % 50 == 49 && p->numPrograms() > 1) {
            ValidationContext::step("switching programs with the editor open");
            p->setProgram(
                static_cast<VstInt32>(c.random()() % static_cast<unsigned>(p->numPrograms())));
        }
        if (i % 25 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    window.pump(200);
    ValidationContext::step("closing the editor");
    window.close();
    audio.stop();
    for (const EditEvent& e : c.host().edits()) {
        if (e.index < 0 || e.index >= n) {
            c.fail("the editor reported an edit of parameter " + std::to_string(e.index));
            break;
        }
        if (e.kind == EditEvent::Automate && !(e.value >= 0.0f && e.value <= 1.0f)) {
            c.fail("the editor automated parameter " + std::to_string(e.index) + " to " +
                   std::to_string(e.value));
            break;
        }
    }
}

}  // namespace

void addEditorTests(std::vector<ValidationTest>& tests) {
    tests.push_back({"Editor open and close while processing", 4, openWhileProcessing});
    tests.push_back({"Host automation with the editor open", 5, automationWhileOpen});
}

}  // namespace plughost
