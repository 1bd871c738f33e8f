#pragma once
// A ring of columns, each holding the minimum and maximum of two signals
// over a fixed number of samples: the data behind the waveform views. The
// effect adds samples on the audio thread while the editor reads columns,
// so every shared number is a relaxed atomic and no lock is taken; the
// change count tells the reader that a column was completed.

#include <atomic>
#include <cstdint>

namespace KAMO {

class KHistory {
public:
    struct Column {
        double minA, maxA, minB, maxB;
    };

    KHistory() = default;
    ~KHistory();
    KHistory(const KHistory&) = delete;
    KHistory& operator=(const KHistory&) = delete;

    // `columns` columns covering `span` seconds at `sampleRate` (the two
    // numbers are only ever used as their product). Clears everything.
    // Not for the audio thread: it may allocate.
    void setUp(int columns, double span, double sampleRate);
    // One sample of each signal; completes a column every samplesPerColumn().
    void add(double a, double b);
    // The i-th most recent completed column (0 is the newest). Answers false
    // (and zeros) when the history has no columns.
    bool column(int i, Column& out) const;

    int columnCount() const { return mColumns; }
    int samplesPerColumn() const { return mSamplesPerColumn; }
    std::int32_t changeCount() const { return mChanges.load(std::memory_order_relaxed); }
    int writePosition() const { return mWrite.load(std::memory_order_relaxed); }

private:
    void resetExtremes(double limit);

    int mColumns = 0;
    std::atomic<double>* mMinA = nullptr;
    std::atomic<double>* mMaxA = nullptr;
    std::atomic<double>* mMinB = nullptr;
    std::atomic<double>* mMaxB = nullptr;
    std::atomic<std::int32_t> mWrite{0};
    double mRunMinA = 0, mRunMaxA = 0, mRunMinB = 0, mRunMaxB = 0;
    int mSamplesPerColumn = 1;
    int mGathered = 0;
    std::atomic<std::int32_t> mChanges{0};
};

}  // namespace KAMO
