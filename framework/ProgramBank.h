#pragma once
// Every program's name and parameter values, kept as the raw records the
// chunk calls hand out, plus ready-made display texts for every value so
// that the host and the editor never format numbers on demand.
//
// Record layout: 24-byte name (zero padded, not necessarily terminated), a
// zero byte, then each parameter's normalised value as a little-endian
// double at its value offset (25 for the first, each next one adding the
// previous parameter's valueSize()).

#include "framework/PtrList.h"

#include <vector>

namespace KAMO {

class KEffectParameter;

class ProgramBank {
public:
    static constexpr int kNameLength = 24;
    static constexpr int kFirstValueOffset = kNameLength + 1;
    static constexpr int kTextSize = 276;
    static constexpr int kLabelledTextSize = 285;

    explicit ProgramBank(const PtrList<const KEffectParameter>& parameters);
    ~ProgramBank();
    ProgramBank(const ProgramBank&) = delete;
    ProgramBank& operator=(const ProgramBank&) = delete;

    // Lays out `count` programs for the parameters in the list now and gives
    // each program its defaults.
    void setupPrograms(int count);
    // Every program named "Defaults" with every parameter at its default.
    void resetPrograms();

    int programCount() const { return mProgramCount; }
    int parameterCount() const { return mParameterCount; }
    int recordLength() const { return mRecordLength; }
    int bankLength() const { return mBankLength; }
    bool isValid(int program, int index) const {
        return program >= 0 && program < mProgramCount && index >= 0 && index < mParameterCount;
    }

    // Address of the stored value of parameter `index` in `program`; null
    // outside the bank.
    void* valueSlot(int program, int index);
    const void* valueSlot(int program, int index) const;
    // Start of a program's record, or of the whole bank; null outside it.
    unsigned char* record(int program);
    unsigned char* records() { return mRecords; }

    // Re-formats both display texts of one entry from its stored value.
    void refreshTexts(int program, int index);
    void refreshAllTexts();
    // Display text without and with the unit label; "" outside the bank.
    const char* valueText(int program, int index) const;
    const char* labelledText(int program, int index) const;

    // The name is always terminated: the byte after the 24-byte field is 0.
    const char* programName(int program) const;
    // Copies at most 24 bytes of `name`, zero padded.
    void setProgramName(int program, const char* name);

    // Restores the zero byte after each name, which a chunk may have overwritten.
    void terminateNames();

    // --- Images of older releases ---------------------------------------
    // Parameters only ever come at the end, so a record saved when there
    // were fewer is today's record cut after a whole value; images carry no
    // count, so the count is read from the size alone.

    // Length of a record holding the first `count` parameters.
    int recordLengthFor(int count) const;
    // How many parameters an image of `size` bytes holds for `programs`
    // records: all of them when it is at least as long as today's (the rest
    // is not read), fewer when it is exactly as long as records of that
    // many, -1 when it matches no count (cut inside a value, or empty).
    int imageParameterCount(long long size, int programs) const;
    // Takes `programs` records of `count` parameters from `image` into the
    // programs from `first` on; the parameters the image lacks get their
    // defaults. The caller has checked the size with imageParameterCount.
    void loadImage(const unsigned char* image, int count, int first, int programs);
    // True when `image` is exactly a whole bank of this release or of an
    // older one and every value in it is a stored value (within [0, 1]):
    // what a plug-in face accepts as a state it wrote.
    bool isSoundBankImage(const unsigned char* image, std::size_t size) const;

private:
    void release();

    const PtrList<const KEffectParameter>& mParameters;
    int mProgramCount = 0;
    int mParameterCount = 0;
    int mTextCount = 0;
    unsigned char* mRecords = nullptr;
    int mRecordLength = 0;
    int mBankLength = 0;
    std::vector<int> mValueOffsets;
    char* mValueTexts = nullptr;
    char* mLabelledTexts = nullptr;
};

}  // namespace KAMO
