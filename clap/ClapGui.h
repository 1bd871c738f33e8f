#pragma once
// The editor in a CLAP host: embedded in the host's X11 window, drawn by
// its own thread as in the other faces, at the host's scale, and resized
// by the host in steps that keep its aspect. While it is open the host's
// timer ticks the plug-in on the main thread (ClapPlugin::tick), which
// hands the editor's edits on; a host without timers gets ticks through
// its main-thread callback, which the plug-in asks for while it processes.

#include <clap/ext/gui.h>
#include <clap/ext/timer-support.h>

class AEffEditor;

namespace KAMO {

class ClapPlugin;

class ClapGui {
public:
    // Milliseconds between ticks.
    static constexpr std::uint32_t kTickMs = 20;
    static const clap_plugin_gui_t kExtension;
    static const clap_plugin_timer_support_t kTimerExtension;

    explicit ClapGui(ClapPlugin& plugin) : plugin_(plugin) {}
    ~ClapGui() { destroy(); }
    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    bool isOpen() const { return open_; }
    // Whether ticks come from the host's timer rather than callbacks.
    bool hasTimer() const { return timerOn_; }
    void destroy();

private:
    bool create(const char* api, bool floating);
    bool setScale(double scale);
    bool size(std::uint32_t* width, std::uint32_t* height);
    // The editor when it can be resized and this is the main thread.
    AEffEditor* resizable() const;
    bool hints(clap_gui_resize_hints_t* hints);
    bool adjust(std::uint32_t* width, std::uint32_t* height);
    bool setSize(std::uint32_t width, std::uint32_t height);
    bool setParent(const clap_window_t* window);
    bool open();
    void close();

    ClapPlugin& plugin_;
    bool created_ = false;
    bool open_ = false;
    bool timerOn_ = false;
    clap_id timer_ = CLAP_INVALID_ID;
    unsigned long parent_ = 0;
    double scale_ = 0.0;
};

}  // namespace KAMO
