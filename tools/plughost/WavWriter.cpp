#include "tools/plughost/WavWriter.h"

#include <sndfile.h>

#include <filesystem>
#include <strings.h>

namespace plughost {

WavWriter::~WavWriter() { close(); }

namespace {

// Compressed formats for listening copies (a gallery, a web page); float
// WAV, the exact output, for everything else.
int formatFor(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    if (strcasecmp(extension.c_str(), ".flac") == 0) return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (strcasecmp(extension.c_str(), ".ogg") == 0) return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
}

}  // namespace

bool WavWriter::open(const std::string& path, int channels, int rate, std::string* error) {
    close();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = formatFor(path);
    if (channels <= 0 || rate <= 0 || !sf_format_check(&info)) {
        if (error)
            *error = path + ": no file of this kind can have " + std::to_string(channels) +
                     " channel(s) at " + std::to_string(rate) + " Hz";
        return false;
    }
    file_ = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file_) {
        if (error) *error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    channels_ = channels;
    failed_ = false;
    return true;
}

bool WavWriter::write(const float* interleaved, int frames, int channels) {
    if (!file_ || channels != channels_) return false;
    if (frames <= 0) return true;
    if (sf_writef_float(file_, interleaved, frames) != frames) failed_ = true;
    return !failed_;
}

bool WavWriter::close() {
    if (!file_) return !failed_;
    const bool ok = sf_close(file_) == 0 && !failed_;
    file_ = nullptr;
    return ok;
}

}  // namespace plughost
