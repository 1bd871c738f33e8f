#pragma once
// Channel buffers for one process call: owned sample storage plus the
// pointer tables the VST 2.4 process callbacks take. Sized before
// processing; process calls never reallocate.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace plughost {

template <typename T>
class AudioBuffers {
public:
    AudioBuffers() = default;
    AudioBuffers(int inputs, int outputs, int frames) { resize(inputs, outputs, frames); }

    void resize(int inputs, int outputs, int frames) {
        inputs_ = std::max(inputs, 0);
        outputs_ = std::max(outputs, 0);
        frames_ = std::max(frames, 0);
        // One extra frame per channel, so that a zero-frame block still hands
        // out valid, distinct channel pointers.
        const std::size_t stride = static_cast<std::size_t>(frames_) + 1;
        data_.assign(stride * static_cast<std::size_t>(inputs_ + outputs_), T(0));
        in_.assign(static_cast<std::size_t>(inputs_) + 1, nullptr);
        out_.assign(static_cast<std::size_t>(outputs_) + 1, nullptr);
        for (int c = 0; c < inputs_; ++c)
            in_[static_cast<std::size_t>(c)] = data_.data() + stride * static_cast<std::size_t>(c);
        for (int c = 0; c < outputs_; ++c)
            out_[static_cast<std::size_t>(c)] =
                data_.data() + stride * static_cast<std::size_t>(inputs_ + c);
    }

    void clear() { std::fill(data_.begin(), data_.end(), T(0)); }
    // Fills the outputs with `value`, to see whether a plug-in writes all of them.
    void fillOutputs(T value) {
        for (int c = 0; c < outputs_; ++c)
            std::fill(out_[static_cast<std::size_t>(c)],
                      out_[static_cast<std::size_t>(c)] + frames_, value);
    }

    int inputCount() const { return inputs_; }
    int outputCount() const { return outputs_; }
    int frames() const { return frames_; }
    T** inputs() { return in_.data(); }
    T** outputs() { return out_.data(); }
    T* input(int c) { return in_[static_cast<std::size_t>(c)]; }
    T* output(int c) { return out_[static_cast<std::size_t>(c)]; }
    const T* output(int c) const { return out_[static_cast<std::size_t>(c)]; }

private:
    int inputs_ = 0;
    int outputs_ = 0;
    int frames_ = 0;
    std::vector<T> data_;
    std::vector<T*> in_;
    std::vector<T*> out_;
};

}  // namespace plughost
