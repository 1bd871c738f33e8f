#pragma once
// The edit controller half of the VST 3 object (IEditController, IUnitInfo
// for the program list, IMidiMapping for the bend): parameter information
// and conversions (Vst3Parameters), the values the host reads and sets, the
// editor's view, and everything the host must hear of changes it did not
// make itself.
//
// The editor changes the effect from its own thread and tells it through
// the effect's host callback (gesture begin, value, end); those calls are
// queued here and tick(), which the view's run-loop timer calls on the
// host's user-interface thread, turns them into beginEdit, performEdit and
// endEdit. Values that moved without a gesture (the patch commands) are
// told as values too, so every change reaches the host in the order the
// editor made it and a gesture is never split. A program switched by the
// editor is found at each tick by comparing the effect with what the host
// last knew; it makes the host read all values again (restartComponent).

#include "vst3/Vst3Com.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace KAMO {

class Vst3Plugin;

class Vst3Controller {
public:
    enum class Edit { Begin, Value, End };

    explicit Vst3Controller(Vst3Plugin& plugin);
    ~Vst3Controller();
    Vst3Controller(const Vst3Controller&) = delete;
    Vst3Controller& operator=(const Vst3Controller&) = delete;

    // The object's reference count (the controller is part of the plug-in).
    std::uint32_t ref();
    std::uint32_t unref();
    // The controller's faces are the component's: it answers for them all.
    v3_result queryInterface(const v3_tuid iid, void** out);
    // Offers the controller's interfaces; false for any other id.
    bool offer(const v3_tuid iid, void** out);
    Vst3Plugin& plugin() { return plugin_; }
    // Sizes what depends on the parameter count, once the effect exists.
    void build();

    // From the effect's host callback, on the editor's thread: kept while
    // a view is open, dropped otherwise (nobody edits then).
    void queueEdit(Edit kind, int index);
    // On the host's user-interface thread: sends queued edits and changes
    // made elsewhere, and lets the open editor catch up.
    void tick();
    // After a state was taken: the host reads every value again (told at
    // the next tick: hosts may not be called back from inside setState).
    void stateTaken();
    void setViewOpen(bool open) { viewOpen_.store(open, std::memory_order_relaxed); }
    // On the host's user-interface thread, once the editor has closed: sends
    // what it queued last, ends every gesture still open and takes no more
    // edits (the view is closed from here on).
    void closeEdits();
    // A run loop the host offers with its context (not only to views): its
    // timer ticks while no editor is open, so program switches and states
    // reach the host then too. Null detaches.
    void useRunLoop(v3_run_loop** loop);
    bool isViewOpen() const { return viewOpen_.load(std::memory_order_relaxed); }
    void releaseHandler();
    // The host's component handler, or null; no reference is added.
    v3_component_handler** handler() const { return handler_; }

    // The normalised value of a parameter as the effect holds it now.
    double currentValue(v3_param_id id);

private:
    struct QueuedEdit {
        Edit kind;
        int index;
    };

    // --- IEditController ---
    v3_result setComponentState(v3_bstream** stream);
    v3_result stringForValue(v3_param_id id, double normalised, std::int16_t* out);
    v3_result valueForString(v3_param_id id, const std::int16_t* text, double* out);
    v3_result setNormalised(v3_param_id id, double normalised);
    v3_result setHandler(v3_component_handler** handler);
    v3_plugin_view** createView(const char* name);
    // --- IUnitInfo ---
    v3_result unitInfo(std::int32_t index, v3_unit_info* info);
    v3_result programListInfo(std::int32_t index, v3_program_list_info* info);
    v3_result programName(std::int32_t list, std::int32_t program, std::int16_t* name);

    // Sends the edits queued so far.
    void sendQueued();
    // Tells the host of parameter `index`'s value when it does not know it.
    void send(int index, bool inGesture);
    void restart(std::int32_t flags);
    // Asks for a restart at the next tick rather than from inside a host's
    // call: a host that changes a program through setParamNormalized may
    // hold a lock a restart needs (Ardour 7 waits for ever).
    void requestValuesRestart() { valuesMoved_.store(true, std::memory_order_relaxed); }
    void refreshHostValues();

    static const v3_edit_controller_cpp kControllerTable;
    static const v3_unit_information_cpp kUnitTable;
    static const v3_midi_mapping_cpp kMappingTable;
    static const v3_timer_handler_cpp kTimerTable;
    static v3_edit_controller_cpp makeControllerTable();
    static v3_unit_information_cpp makeUnitTable();
    static v3_midi_mapping_cpp makeMappingTable();
    static v3_timer_handler_cpp makeTimerTable();

    Vst3Plugin& plugin_;
    Vst3Face<Vst3Controller> controller_{&kControllerTable, this};
    Vst3Face<Vst3Controller> units_{&kUnitTable, this};
    Vst3Face<Vst3Controller> mapping_{&kMappingTable, this};
    Vst3Face<Vst3Controller> timer_{&kTimerTable, this};
    v3_run_loop** loop_ = nullptr;
    v3_component_handler** handler_ = nullptr;
    std::atomic<bool> viewOpen_{false};
    std::atomic<bool> valuesMoved_{false};
    // The program the controller last showed the host.
    int shownProgram_ = 0;
    // Parameters held in an editor gesture.
    std::vector<bool> grabbed_;

    std::mutex editsMutex_;
    std::vector<QueuedEdit> edits_;    // filled by the editor's thread
    std::vector<QueuedEdit> sending_;  // drained by tick
};

}  // namespace KAMO
