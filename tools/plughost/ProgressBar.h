#pragma once
// A one-line progress bar on a terminal, redrawn in place with a carriage
// return. Draws nothing when disabled (output not a terminal).

#include <cstdint>
#include <cstdio>

namespace plughost {

class ProgressBar {
public:
    ProgressBar(std::FILE* out, bool enabled, std::int64_t total);
    ~ProgressBar();
    // Redraws only when the shown percentage changes.
    void update(std::int64_t done);
    // Completes the line.
    void finish();
    // True when `out` is a terminal.
    static bool isTerminal(std::FILE* out);

private:
    std::FILE* out_;
    bool enabled_;
    std::int64_t total_;
    int shown_ = -1;
    bool finished_ = false;
};

}  // namespace plughost
