#pragma once
// The editor as a VST 3 view (IPlugView for X11EmbedWindowID, with
// IPlugViewContentScaleSupport): the effect's editor opened in the host's
// window, drawn by its own thread as in the other faces. The host's run
// loop (IRunLoop, which Linux hosts offer through the view's frame) calls
// the view's timer on the host's user-interface thread; each tick sends
// the editor's edits to the host and lets the editor catch up, so the host
// hears of edits only on its own thread. Without a run loop the view does
// not open.

#include "vst3/Vst3Com.h"

namespace KAMO {

class Vst3Plugin;

class Vst3View {
public:
    // Milliseconds between ticks.
    static constexpr std::uint64_t kTickMs = 20;

    // With a reference for the caller; null when the effect has no editor.
    static v3_plugin_view** create(Vst3Plugin& plugin);

    std::uint32_t ref() { return refs_.ref(); }
    std::uint32_t unref() { return refs_.unref(this); }
    v3_result queryInterface(const v3_tuid iid, void** out);

private:
    friend class Vst3RefCount<Vst3View>;
    explicit Vst3View(Vst3Plugin& plugin);
    ~Vst3View();

    v3_result attached(void* parent, const char* type);
    v3_result removed();
    v3_result size(v3_view_rect* rect);
    bool canResize();
    // The nearest size the editor takes (the host's constraint question).
    v3_result checkSize(v3_view_rect* rect);
    // The host's window has this size now.
    v3_result resized(v3_view_rect* rect);
    v3_result setFrame(v3_plugin_frame** frame);
    v3_result setScale(float factor);
    void tick();
    bool openEditor();
    void closeEditor();
    void releaseFrame();
    void findRunLoop();

    static const v3_plugin_view_cpp kViewTable;
    static const v3_plugin_view_content_scale_cpp kScaleTable;
    static const v3_timer_handler_cpp kTimerTable;
    static v3_plugin_view_cpp makeViewTable();
    static v3_plugin_view_content_scale_cpp makeScaleTable();
    static v3_timer_handler_cpp makeTimerTable();

    Vst3RefCount<Vst3View> refs_;
    Vst3Face<Vst3View> view_{&kViewTable, this};
    Vst3Face<Vst3View> scale_{&kScaleTable, this};
    Vst3Face<Vst3View> timer_{&kTimerTable, this};
    Vst3Plugin& plugin_;
    v3_plugin_frame** frame_ = nullptr;
    v3_run_loop** loop_ = nullptr;
    unsigned long parent_ = 0;
    bool open_ = false;
    bool timerOn_ = false;
    float scaleFactor_ = 0.0f;
};

}  // namespace KAMO
