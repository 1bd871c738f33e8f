#pragma once
// The level of rendered output, gathered sample by sample as the renderers
// write it: the peak and the sum of squares for the RMS, leaving out (and
// noting) samples that are not finite, so that one NaN does not hide the
// level of the rest.

#include <algorithm>
#include <cmath>

namespace plughost {

struct SignalLevel {
    double peak = 0.0;
    double sumSquares = 0.0;
    bool finite = true;

    void add(double v) {
        if (!std::isfinite(v)) {
            finite = false;
        } else {
            peak = std::max(peak, std::fabs(v));
            sumSquares += v * v;
        }
    }
    double rms(double samples) const { return samples > 0 ? std::sqrt(sumSquares / samples) : 0.0; }
};

}  // namespace plughost
