#include "tools/plughost/WavWriter.h"

#include <sndfile.h>

namespace plughost {

WavWriter::~WavWriter() { close(); }

bool WavWriter::open(const std::string& path, int channels, int rate, std::string* error) {
    close();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    if (channels <= 0 || rate <= 0 || !sf_format_check(&info)) {
        if (error)
            *error = path + ": no WAV file can have " + std::to_string(channels) +
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
