#include "tools/plughost/TempoMap.h"

#include <algorithm>
#include <cmath>

namespace plughost {

namespace {
constexpr double kDefaultBpm = 120.0;

// Tempo values outside this range come only from broken files; clamping
// keeps the time axis finite and increasing.
double saneBpm(double bpm) {
    if (!std::isfinite(bpm) || bpm <= 0.0) return kDefaultBpm;
    return std::min(std::max(bpm, 1.0), 100000.0);
}
}  // namespace

TempoMap::TempoMap() {
    tempi_.push_back(Tempo{0.0, kDefaultBpm, 0.0});
    signatures_.push_back(Signature{0.0, 4, 4});
}

void TempoMap::addTempo(double ppq, double bpm) {
    if (!std::isfinite(ppq) || ppq < 0.0) ppq = 0.0;
    bpm = saneBpm(bpm);
    auto it =
        std::find_if(tempi_.begin(), tempi_.end(), [ppq](const Tempo& t) { return t.ppq >= ppq; });
    if (it != tempi_.end() && it->ppq == ppq)
        it->bpm = bpm;
    else
        tempi_.insert(it, Tempo{ppq, bpm, 0.0});
    recompute();
}

void TempoMap::addTimeSignature(double ppq, int numerator, int denominator) {
    if (!std::isfinite(ppq) || ppq < 0.0) ppq = 0.0;
    if (numerator <= 0) numerator = 4;
    if (denominator <= 0) denominator = 4;
    auto it = std::find_if(signatures_.begin(), signatures_.end(),
                           [ppq](const Signature& s) { return s.ppq >= ppq; });
    if (it != signatures_.end() && it->ppq == ppq) {
        it->numerator = numerator;
        it->denominator = denominator;
    } else {
        signatures_.insert(it, Signature{ppq, numerator, denominator});
    }
}

void TempoMap::setConstantTempo(double bpm) { tempi_.assign(1, Tempo{0.0, saneBpm(bpm), 0.0}); }

void TempoMap::recompute() {
    tempi_[0].seconds = 0.0;
    for (std::size_t i = 1; i < tempi_.size(); ++i) {
        const Tempo& prev = tempi_[i - 1];
        tempi_[i].seconds = prev.seconds + (tempi_[i].ppq - prev.ppq) * 60.0 / prev.bpm;
    }
}

const TempoMap::Tempo& TempoMap::tempoSegmentAtPpq(double ppq) const {
    auto it = std::upper_bound(tempi_.begin(), tempi_.end(), ppq,
                               [](double p, const Tempo& t) { return p < t.ppq; });
    return it == tempi_.begin() ? tempi_.front() : *(it - 1);
}

double TempoMap::secondsAt(double ppq) const {
    const Tempo& t = tempoSegmentAtPpq(ppq);
    return t.seconds + (ppq - t.ppq) * 60.0 / t.bpm;
}

double TempoMap::ppqAt(double seconds) const {
    auto it = std::upper_bound(tempi_.begin(), tempi_.end(), seconds,
                               [](double s, const Tempo& t) { return s < t.seconds; });
    const Tempo& t = it == tempi_.begin() ? tempi_.front() : *(it - 1);
    return t.ppq + (seconds - t.seconds) * t.bpm / 60.0;
}

double TempoMap::tempoAtPpq(double ppq) const { return tempoSegmentAtPpq(ppq).bpm; }

double TempoMap::nextTempoChangeAfter(double ppq) const {
    for (const Tempo& t : tempi_)
        if (t.ppq > ppq) return t.ppq;
    return -1.0;
}

std::int64_t TempoMap::blockLength(double ppq, std::int64_t pos, std::int64_t len,
                                   double rate) const {
    const double change = nextTempoChangeAfter(ppq + kAfter);
    if (change >= 0.0) {
        const auto at = static_cast<std::int64_t>(std::ceil(secondsAt(change) * rate));
        if (at > pos && at < pos + len) len = at - pos;
    }
    return len;
}

const TempoMap::Signature& TempoMap::signatureAt(double ppq) const {
    auto it = std::upper_bound(signatures_.begin(), signatures_.end(), ppq,
                               [](double p, const Signature& s) { return p < s.ppq; });
    return it == signatures_.begin() ? signatures_.front() : *(it - 1);
}

int TempoMap::numeratorAt(double ppq) const { return signatureAt(ppq).numerator; }
int TempoMap::denominatorAt(double ppq) const { return signatureAt(ppq).denominator; }

double TempoMap::barStartAt(double ppq) const {
    const Signature& s = signatureAt(ppq);
    const double bar = s.numerator * 4.0 / s.denominator;
    // The small allowance keeps a position computed as 3.9999999 in bar 1.
    const double bars = std::floor((ppq - s.ppq) / bar + 1e-9);
    return s.ppq + std::max(bars, 0.0) * bar;
}

std::int64_t TempoMap::nextBlock(std::int64_t pos, std::int64_t total, std::int64_t block,
                                 double rate, double& ppq) const {
    ppq = ppqAt(pos / rate);
    return blockLength(ppq, pos, std::min<std::int64_t>(block, total - pos), rate);
}

}  // namespace plughost
