#pragma once
// Where rendered audio goes: a file writer or, for tests and analysis, memory.

#include <vector>

namespace plughost {

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // `interleaved` holds frames × channels samples; false on a write error.
    virtual bool write(const float* interleaved, int frames, int channels) = 0;
};

// Keeps everything, one vector per channel.
class MemorySink : public AudioSink {
public:
    bool write(const float* interleaved, int frames, int channels) override {
        if (static_cast<int>(channels_.size()) < channels)
            channels_.resize(static_cast<std::size_t>(channels));
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < frames; ++i)
                channels_[static_cast<std::size_t>(c)].push_back(interleaved[i * channels + c]);
        return true;
    }
    const std::vector<std::vector<float>>& channels() const { return channels_; }

private:
    std::vector<std::vector<float>> channels_;
};

}  // namespace plughost
