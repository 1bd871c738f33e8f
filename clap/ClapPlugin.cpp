#include "clap/ClapPlugin.h"

#include "framework/KEffect.h"
#include "framework/KFaceState.h"

#include <clap/plugin-features.h>

#include <cmath>
#include <cstring>
#include <mutex>

namespace KAMO {

namespace {

// The instance the descriptor was read from, kept for the first host that
// asks: building an effect draws from the instrument's random sequence, so
// a plug-in built once sounds as one built once by any other face.
std::mutex gSpareMutex;
ClapPlugin* gSpare = nullptr;

// Beyond these a host's promise is not taken at its word: blocks are cut
// to the longest the effect is told of, and rates outside are refused.
constexpr std::uint32_t kLongestBlock = 8192;
constexpr double kHighestRate = 1536000.0;

ClapPlugin* self(const clap_plugin_t* plugin) {
    return static_cast<ClapPlugin*>(plugin->plugin_data);
}

template <typename Extension>
const Extension* hostExtension(const clap_host_t* host, const char* id) {
    if (!host || !host->get_extension) return nullptr;
    return static_cast<const Extension*>(host->get_extension(host, id));
}

template <std::size_t N>
void copyInto(char (&out)[N], const char* text) {
    std::strncpy(out, text, N - 1);
    out[N - 1] = '\0';
}

}  // namespace

const char* const ClapPlugin::kId = "com.kamo.murlan";

const clap_plugin_descriptor_t* ClapPlugin::descriptor() {
    struct Names {
        std::string name = "Murlan", vendor, version, description;
        const char* features[4] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER,
                                   CLAP_PLUGIN_FEATURE_MONO, nullptr};
        clap_plugin_descriptor_t descriptor{};
    };
    // Read once from an effect, so that the factory says what the effect says.
    static Names names = [] {
        Names n;
        std::lock_guard<std::mutex> lock(gSpareMutex);
        if (!gSpare) gSpare = build();
        if (gSpare) {
            const KEffect* effect = &gSpare->effect();
            if (effect->effectName()) n.name = effect->effectName();
            if (effect->vendorName()) n.vendor = effect->vendorName();
            if (effect->plugVersion()) n.version = effect->plugVersion();
            if (effect->productName()) n.description = effect->productName();
        }
        n.description += ": a monophonic synthesizer of three sine oscillators";
        return n;
    }();
    clap_plugin_descriptor_t& d = names.descriptor;
    d.clap_version = CLAP_VERSION;
    d.id = kId;
    d.name = names.name.c_str();
    d.vendor = names.vendor.c_str();
    d.url = "";
    d.manual_url = "";
    d.support_url = "";
    d.version = names.version.c_str();
    d.description = names.description.c_str();
    d.features = names.features;
    return &d;
}

ClapPlugin::ClapPlugin() : gui_(*this) {}

const clap_plugin_t* ClapPlugin::create(const clap_host_t* host) {
    if (!host || !clap_version_is_compatible(host->clap_version)) return nullptr;
    ClapPlugin* plugin = nullptr;
    {
        std::lock_guard<std::mutex> lock(gSpareMutex);
        plugin = gSpare;
        gSpare = nullptr;
    }
    if (!plugin) plugin = build();
    if (!plugin) return nullptr;
    plugin->bindTo(host);
    return &plugin->plugin_;
}

void ClapPlugin::releaseSpare() {
    std::lock_guard<std::mutex> lock(gSpareMutex);
    delete gSpare;
    gSpare = nullptr;
}

void ClapPlugin::bindTo(const clap_host_t* host) {
    // Not while building: the descriptor is read from the first instance built.
    plugin_.desc = descriptor();
    host_ = host;
    if (host->name && *host->name) bridge_.setHostName(host->name);
}

ClapPlugin* ClapPlugin::build() {
    auto* plugin = new ClapPlugin();
    KHostBridge& bridge = plugin->bridge_;
    if (!bridge.build()) {
        delete plugin;
        return nullptr;
    }
    bridge.open();
    plugin->params_.reset(new ClapParams(bridge.effect()));
    plugin->processor_.reset(new ClapProcessor(bridge, *plugin->params_));
    plugin->shownProgram_.store(bridge.program(), std::memory_order_relaxed);
    plugin->fillTable();
    return plugin;
}

void ClapPlugin::fillTable() {
    plugin_.plugin_data = this;
    plugin_.init = [](const clap_plugin_t* p) { return self(p)->init(); };
    plugin_.destroy = [](const clap_plugin_t* p) { delete self(p); };
    plugin_.activate = [](const clap_plugin_t* p, double rate, std::uint32_t minFrames,
                          std::uint32_t maxFrames) {
        return self(p)->activate(rate, minFrames, maxFrames);
    };
    plugin_.deactivate = [](const clap_plugin_t* p) { self(p)->deactivate(); };
    plugin_.start_processing = [](const clap_plugin_t* p) {
        ClapPlugin* plugin = self(p);
        if (!plugin->active_) return false;
        plugin->bridge_.startProcess();
        plugin->processing_ = true;
        return true;
    };
    plugin_.stop_processing = [](const clap_plugin_t* p) {
        ClapPlugin* plugin = self(p);
        if (!plugin->processing_) return;
        plugin->bridge_.stopProcess();
        plugin->processing_ = false;
    };
    // Ends every note and the glide: what resuming the effect does.
    plugin_.reset = [](const clap_plugin_t* p) {
        self(p)->bridge_.suspend();
        self(p)->bridge_.resume();
    };
    plugin_.process = [](const clap_plugin_t* p,
                         const clap_process_t* process) -> clap_process_status {
        ClapPlugin* plugin = self(p);
        if (!process || !plugin->active_) return CLAP_PROCESS_ERROR;
        const clap_process_status status = plugin->processor_->process(*process);
        if (plugin->bridge_.program() != plugin->shownProgram_.load(std::memory_order_relaxed))
            plugin->requestTick();
        // An editor in a host without timers is ticked about every 20 ms of audio.
        if (plugin->ticksFromAudio_.load(std::memory_order_relaxed)) {
            plugin->framesSinceTick_ += process->frames_count;
            if (plugin->framesSinceTick_ >= plugin->rate_ / 50.0) {
                plugin->framesSinceTick_ = 0;
                plugin->requestTick();
            }
        }
        return status;
    };
    plugin_.get_extension = [](const clap_plugin_t* p, const char* id) {
        return self(p)->extension(id);
    };
    plugin_.on_main_thread = [](const clap_plugin_t* p) {
        ClapPlugin* plugin = self(p);
        plugin->tickAsked_.store(false, std::memory_order_relaxed);
        plugin->tick();
    };
}

ClapPlugin::~ClapPlugin() {
    gui_.destroy();
    if (active_) deactivate();
}

bool ClapPlugin::init() {
    hostParams_ = hostExtension<clap_host_params_t>(host_, CLAP_EXT_PARAMS);
    hostState_ = hostExtension<clap_host_state_t>(host_, CLAP_EXT_STATE);
    hostTimers_ = hostExtension<clap_host_timer_support_t>(host_, CLAP_EXT_TIMER_SUPPORT);
    hostThreads_ = hostExtension<clap_host_thread_check_t>(host_, CLAP_EXT_THREAD_CHECK);
    return true;
}

bool ClapPlugin::onMainThread() const {
    return !hostThreads_ || !hostThreads_->is_audio_thread || !hostThreads_->is_audio_thread(host_);
}

// --- The effect's host --------------------------------------------------------------

bool ClapPlugin::hostEdit(KHostBridge::Edit kind, int index, float value) {
    // Only the editor edits through the effect's host: its edits come on
    // the main thread (the one that idles it), and go out with the next
    // process or flush.
    const KHostNotices::Kind notice = kind == KHostBridge::Edit::Begin ? KHostNotices::Begin
                                      : kind == KHostBridge::Edit::End ? KHostNotices::End
                                                                       : KHostNotices::Value;
    const float normalised =
        kind == KHostBridge::Edit::Value ? value : effect().getParameter(index);
    if (!processor_ || !processor_->tellHost(notice, index, normalised)) return false;
    requestTick();
    return true;
}

void ClapPlugin::requestTick() {
    if (tickAsked_.exchange(true, std::memory_order_relaxed)) return;
    if (host_ && host_->request_callback) host_->request_callback(host_);
}

void ClapPlugin::tick() {
    if (!onMainThread()) return;
    if (gui_.isOpen()) bridge_.idleEditor();
    const int program = bridge_.program();
    if (program != shownProgram_.load(std::memory_order_relaxed)) valuesMoved();
    if (processor_->hasNews() && hostParams_ && hostParams_->request_flush)
        hostParams_->request_flush(host_);
}

void ClapPlugin::valuesMoved() {
    shownProgram_.store(bridge_.program(), std::memory_order_relaxed);
    if (hostParams_ && hostParams_->rescan) hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
    if (hostState_ && hostState_->mark_dirty) hostState_->mark_dirty(host_);
}

// --- Lifecycle ----------------------------------------------------------------------

bool ClapPlugin::activate(double rate, std::uint32_t minFrames, std::uint32_t maxFrames) {
    if (active_ || !onMainThread()) return false;
    if (!std::isfinite(rate) || rate < 1.0 || rate > kHighestRate || maxFrames < 1 ||
        minFrames > maxFrames)
        return false;
    rate_ = rate;
    maxFrames_ = maxFrames < kLongestBlock ? maxFrames : kLongestBlock;
    processor_->setup(rate_, maxFrames_);
    bridge_.resume();
    active_ = true;
    return true;
}

void ClapPlugin::deactivate() {
    if (!active_) return;
    bridge_.suspend();
    active_ = false;
}

// --- State --------------------------------------------------------------------------

bool ClapPlugin::save(const clap_ostream_t* stream) {
    if (!stream || !stream->write || !onMainThread()) return false;
    const std::vector<unsigned char> bytes = KFaceState::save(bridge_);
    std::size_t done = 0;
    // A stream may take less than it is given; nothing at all is an error.
    while (done < bytes.size()) {
        const std::int64_t wrote = stream->write(stream, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0 || static_cast<std::uint64_t>(wrote) > bytes.size() - done) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return !bytes.empty();
}

bool ClapPlugin::load(const clap_istream_t* stream) {
    if (!stream || !stream->read || !onMainThread()) return false;
    // A stream that goes on beyond today's state is no state of ours.
    const std::size_t longest = KFaceState::longest(effect());
    std::vector<unsigned char> bytes(longest + 1);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::int64_t read = stream->read(stream, bytes.data() + got, bytes.size() - got);
        if (read < 0 || static_cast<std::uint64_t>(read) > bytes.size() - got) return false;
        if (read == 0) break;
        got += static_cast<std::size_t>(read);
    }
    if (got > longest || !KFaceState::load(bridge_, bytes.data(), got)) return false;
    valuesMoved();
    return true;
}

// --- Extensions ---------------------------------------------------------------------

const void* ClapPlugin::extension(const char* id) {
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &kAudioPorts;
    if (std::strcmp(id, CLAP_EXT_NOTE_PORTS) == 0) return &kNotePorts;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kState;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &ClapGui::kExtension;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &ClapGui::kTimerExtension;
    return nullptr;
}

const clap_plugin_audio_ports_t ClapPlugin::kAudioPorts = {
    [](const clap_plugin_t*, bool isInput) -> std::uint32_t { return isInput ? 0 : 1; },
    [](const clap_plugin_t*, std::uint32_t index, bool isInput, clap_audio_port_info_t* info) {
        if (!info || isInput || index != 0) return false;
        std::memset(info, 0, sizeof *info);
        info->id = 0;
        copyInto(info->name, "Output");
        info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS;
        info->channel_count = ClapProcessor::kChannels;
        info->port_type = CLAP_PORT_STEREO;
        info->in_place_pair = CLAP_INVALID_ID;
        return true;
    },
};

const clap_plugin_note_ports_t ClapPlugin::kNotePorts = {
    [](const clap_plugin_t*, bool isInput) -> std::uint32_t { return isInput ? 1 : 0; },
    [](const clap_plugin_t*, std::uint32_t index, bool isInput, clap_note_port_info_t* info) {
        if (!info || !isInput || index != 0) return false;
        std::memset(info, 0, sizeof *info);
        info->id = 0;
        info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
        info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
        copyInto(info->name, "Notes");
        return true;
    },
};

const clap_plugin_params_t ClapPlugin::kParams = {
    [](const clap_plugin_t* p) { return self(p)->params_->count(); },
    [](const clap_plugin_t* p, std::uint32_t index, clap_param_info_t* info) {
        return info && self(p)->params_->info(index, *info);
    },
    [](const clap_plugin_t* p, clap_id id, double* value) {
        return value && self(p)->params_->value(id, *value);
    },
    [](const clap_plugin_t* p, clap_id id, double value, char* text, std::uint32_t size) {
        return self(p)->params_->text(id, value, text, size);
    },
    [](const clap_plugin_t* p, clap_id id, const char* text, double* value) {
        return value && self(p)->params_->valueOfText(id, text, *value);
    },
    [](const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
        self(p)->processor_->flush(in, out);
    },
};

const clap_plugin_state_t ClapPlugin::kState = {
    [](const clap_plugin_t* p, const clap_ostream_t* stream) { return self(p)->save(stream); },
    [](const clap_plugin_t* p, const clap_istream_t* stream) { return self(p)->load(stream); },
};

}  // namespace KAMO
