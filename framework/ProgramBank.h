#pragma once
// Every program's name and parameter values, plus ready-made display texts
// for every value so that the host and the editor never format numbers on
// demand.
//
// Values are shared by the host's threads, the editor and the audio thread,
// so each is an aligned std::atomic<double> read and written whole. The
// chunk images the host stores are made from them and read into them:
// per program a 24-byte name (zero padded, not necessarily terminated), a
// zero byte, then each parameter's normalised value as a little-endian
// double at its value offset (25 for the first, each next one adding the
// previous parameter's valueSize()); the bank image is the programs' images
// one after another.
//
// A display text is rewritten by whichever thread changes its value and read
// by the host and the editor. Each entry carries a sequence number that is
// odd while a writer is at work: a reader copies the text and keeps the copy
// only when the number was even and unchanged across the copy, so it never
// sees parts of two texts; writers take turns on the odd number.

#include "framework/PtrList.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
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

    // The stored value of parameter `index` in `program`: the address of an
    // aligned std::atomic<double> (see KEffectParameter::readSlot); null
    // outside the bank.
    void* valueSlot(int program, int index);
    const void* valueSlot(int program, int index) const;

    // --- Chunk images ---
    // Where parameter `index`'s value sits in a program's image; -1 outside.
    int valueOffset(int index) const;
    // The image of one program, or of the whole bank for program -1, made
    // from the stored names and values into memory the bank keeps (valid
    // until the next image is made); null for a program outside the bank.
    const unsigned char* makeImage(int program);
    // Takes the names and values of an image of one program, or of the whole
    // bank for program -1, whose records hold the first `count` parameters
    // (recordLengthFor(count) bytes each; -1 for all of them): the others
    // get their defaults, and the zero byte after each name is the bank's,
    // whatever the image holds there. Texts are not refreshed. False, and
    // nothing changes, for a program outside the bank.
    bool readImage(int program, const unsigned char* image, int count = -1);
    // A value as an image holds it at `offset`.
    static double imageValue(const unsigned char* image, int offset);

    // --- Display texts ---
    // Re-formats both display texts of one entry from its stored value.
    void refreshTexts(int program, int index);
    void refreshAllTexts();
    // Copies the display text without (kTextSize bytes) and with the unit
    // label (kLabelledTextSize bytes), each whole as one writer left it;
    // either may be null. "" outside the bank.
    void copyTexts(int program, int index, char* text, char* labelled) const;
    // The same texts in a copy of the calling thread's own, valid until the
    // thread's next call of the same function.
    const char* valueText(int program, int index) const;
    const char* labelledText(int program, int index) const;

    // The name is always terminated: the byte after the 24-byte field is 0.
    const char* programName(int program) const;
    // Copies at most 24 bytes of `name`, zero padded.
    void setProgramName(int program, const char* name);

    // --- Images of older releases ---------------------------------------
    // Parameters only ever come at the end, so a record saved when there
    // were fewer is today's record cut after a whole value; images carry no
    // count, so the count is read from the size alone.

    // Length of a record holding the first `count` parameters.
    int recordLengthFor(int count) const;
    // How many parameters an image of `size` bytes holds for `programs`
    // records: a count whose records are exactly that long, -1 when the size
    // matches none (cut inside a value, empty, or longer than today's: a
    // newer release's records hold parameters whose sizes this one cannot
    // know, so where its records end is not known either).
    int imageParameterCount(long long size, int programs) const;
    // The checked reading of every image: the parameter count of `image`,
    // `size` bytes of `programs` records, when its size identifies a layout
    // and every value in it is a stored value (a number within [0, 1]);
    // -1 otherwise. Only what the size allows is read.
    int checkedParameterCount(const unsigned char* image, long long size, int programs) const;
    // True when `image` is a whole bank that checkedParameterCount() accepts.
    bool isSoundBankImage(const unsigned char* image, std::size_t size) const;

private:
    static constexpr int kWord = 8;
    static constexpr int kTextWords = (kTextSize + kWord - 1) / kWord;
    static constexpr int kLabelledWords = (kLabelledTextSize + kWord - 1) / kWord;
    // Both texts of one value behind one sequence number.
    struct TextEntry {
        std::atomic<std::uint64_t> sequence{0};
        std::atomic<std::uint64_t> words[kTextWords + kLabelledWords];
    };
    static_assert(std::atomic<double>::is_always_lock_free, "values must never lock");
    static_assert(sizeof(std::atomic<double>) == sizeof(double), "values are plain doubles");

    void release();
    TextEntry* entry(int program, int index) const;
    void publishTexts(TextEntry& entry, const char* text, const char* labelled);

    const PtrList<const KEffectParameter>& mParameters;
    int mProgramCount = 0;
    int mParameterCount = 0;
    int mRecordLength = 0;
    int mBankLength = 0;
    std::vector<int> mValueOffsets;
    std::unique_ptr<std::atomic<double>[]> mValues;
    // Each program's 24-byte name field and its zero byte, as in the image.
    std::vector<char> mNames;
    std::unique_ptr<TextEntry[]> mTexts;
    std::vector<unsigned char> mImage;
};

}  // namespace KAMO
