#pragma once
// Writes 32-bit float WAV files through libsndfile; a path ending in .flac
// or .ogg gets 24-bit FLAC or Ogg Vorbis instead.

#include "tools/plughost/AudioSink.h"

#include <string>

typedef struct sf_private_tag SNDFILE;

namespace plughost {

class WavWriter : public AudioSink {
public:
    WavWriter() = default;
    ~WavWriter() override;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates (or replaces) `path`; false with `error` set on failure.
    bool open(const std::string& path, int channels, int rate, std::string* error = nullptr);
    bool isOpen() const { return file_ != nullptr; }
    bool write(const float* interleaved, int frames, int channels) override;
    // Flushes and closes; false when the file could not be completed.
    bool close();

private:
    SNDFILE* file_ = nullptr;
    int channels_ = 0;
    bool failed_ = false;
};

}  // namespace plughost
