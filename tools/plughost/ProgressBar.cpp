#include "tools/plughost/ProgressBar.h"

#include <unistd.h>

namespace plughost {

namespace {
constexpr int kWidth = 40;
}

ProgressBar::ProgressBar(std::FILE* out, bool enabled, std::int64_t total)
    : out_(out), enabled_(enabled && out != nullptr), total_(total > 0 ? total : 1) {}

ProgressBar::~ProgressBar() { finish(); }

bool ProgressBar::isTerminal(std::FILE* out) { return out && isatty(fileno(out)) == 1; }

void ProgressBar::update(std::int64_t done) {
    if (!enabled_ || finished_) return;
    if (done < 0) done = 0;
    if (done > total_) done = total_;
    const int percent = static_cast<int>(done * 100 / total_);
    if (percent == shown_) return;
    shown_ = percent;
    const int filled = percent * kWidth / 100;
    std::fputs("\r[", out_);
    for (int i = 0; i < kWidth; ++i) std::fputc(i < filled ? '#' : ' ', out_);
    std::fprintf(out_, "] %3d%%", percent);
    std::fflush(out_);
}

void ProgressBar::finish() {
    if (!enabled_ || finished_) return;
    finished_ = true;
    if (shown_ >= 0) {
        std::fputc('\n', out_);
        std::fflush(out_);
    }
}

}  // namespace plughost
