#include "framework/ProgramBank.h"

#include "framework/KEffectParameter.h"

#include <cstring>

namespace KAMO {

namespace {

constexpr char kDefaultName[] = "Defaults";
// A slot whose parameter is missing still takes the room of one double.
constexpr int kFallbackValueSize = 8;

}  // namespace

ProgramBank::ProgramBank(const PtrList<const KEffectParameter>& parameters)
    : mParameters(parameters) {}

ProgramBank::~ProgramBank() { release(); }

void ProgramBank::release() {
    delete[] mRecords;
    delete[] mValueTexts;
    delete[] mLabelledTexts;
    mRecords = nullptr;
    mValueTexts = nullptr;
    mLabelledTexts = nullptr;
    mValueOffsets.clear();
    mProgramCount = mParameterCount = mTextCount = 0;
    mRecordLength = mBankLength = 0;
}

void ProgramBank::setupPrograms(int count) {
    release();
    if (count < 0) count = 0;
    int parameterCount = mParameters.count();

    std::vector<int> offsets(static_cast<std::size_t>(parameterCount), 0);
    int running = kFirstValueOffset;
    for (int i = 0; i < parameterCount; ++i) {
        offsets[static_cast<std::size_t>(i)] = running;
        const KEffectParameter* p = mParameters.get(i);
        int size = p ? p->valueSize() : kFallbackValueSize;
        running += size > 0 ? size : kFallbackValueSize;
    }
    int textCount = count * parameterCount;

    // Allocate everything before taking any of it, so a failure leaves the
    // bank empty rather than half built.
    char* valueTexts = new char[static_cast<std::size_t>(textCount) * kTextSize]();
    char* labelledTexts = nullptr;
    unsigned char* records = nullptr;
    try {
        labelledTexts = new char[static_cast<std::size_t>(textCount) * kLabelledTextSize]();
        records = new unsigned char[static_cast<std::size_t>(count) * running]();
    } catch (...) {
        delete[] valueTexts;
        delete[] labelledTexts;
        throw;
    }

    mValueOffsets.swap(offsets);
    mProgramCount = count;
    mParameterCount = parameterCount;
    mTextCount = textCount;
    mValueTexts = valueTexts;
    mLabelledTexts = labelledTexts;
    mRecords = records;
    mRecordLength = running;
    mBankLength = count * running;
    resetPrograms();
}

void ProgramBank::resetPrograms() {
    for (int p = 0; p < mProgramCount; ++p) {
        setProgramName(p, kDefaultName);
        for (int i = 0; i < mParameterCount; ++i) {
            if (const KEffectParameter* parameter = mParameters.get(i))
                parameter->reset(valueSlot(p, i));
            refreshTexts(p, i);
        }
    }
}

void* ProgramBank::valueSlot(int program, int index) {
    if (!isValid(program, index)) return nullptr;
    return mRecords + static_cast<std::size_t>(program) * mRecordLength +
           mValueOffsets[static_cast<std::size_t>(index)];
}

const void* ProgramBank::valueSlot(int program, int index) const {
    return const_cast<ProgramBank*>(this)->valueSlot(program, index);
}

unsigned char* ProgramBank::record(int program) {
    if (program < 0 || program >= mProgramCount) return nullptr;
    return mRecords + static_cast<std::size_t>(program) * mRecordLength;
}

void ProgramBank::refreshTexts(int program, int index) {
    if (!isValid(program, index)) return;
    std::size_t entry = static_cast<std::size_t>(program) * mParameterCount + index;
    char* text = mValueTexts + entry * kTextSize;
    char* labelled = mLabelledTexts + entry * kLabelledTextSize;
    text[0] = 0;
    labelled[0] = 0;
    const KEffectParameter* parameter = mParameters.get(index);
    if (!parameter) return;
    const void* slot = valueSlot(program, index);
    parameter->getDisplay(text, kTextSize, slot);
    text[kTextSize - 1] = 0;
    // The labelled text is the same number text with the label behind it;
    // its entry is sized so that the label always fits.
    std::memcpy(labelled, text, kTextSize);
    const char* label = parameter->label();
    if (label && label[0]) {
        std::size_t used = std::strlen(labelled);
        std::size_t room = kLabelledTextSize - 1 - used;
        std::size_t labelLength = std::strlen(label);
        if (room > 0) {
            labelled[used++] = ' ';
            --room;
            if (labelLength > room) labelLength = room;
            std::memcpy(labelled + used, label, labelLength);
            labelled[used + labelLength] = 0;
        }
    }
}

void ProgramBank::refreshAllTexts() {
    for (int p = 0; p < mProgramCount; ++p)
        for (int i = 0; i < mParameterCount; ++i) refreshTexts(p, i);
}

const char* ProgramBank::valueText(int program, int index) const {
    if (!isValid(program, index)) return "";
    return mValueTexts + (static_cast<std::size_t>(program) * mParameterCount + index) * kTextSize;
}

const char* ProgramBank::labelledText(int program, int index) const {
    if (!isValid(program, index)) return "";
    return mLabelledTexts +
           (static_cast<std::size_t>(program) * mParameterCount + index) * kLabelledTextSize;
}

const char* ProgramBank::programName(int program) const {
    if (program < 0 || program >= mProgramCount) return "";
    return reinterpret_cast<const char*>(mRecords +
                                         static_cast<std::size_t>(program) * mRecordLength);
}

void ProgramBank::setProgramName(int program, const char* name) {
    unsigned char* start = record(program);
    if (!start) return;
    // strncpy's zero padding is exactly the stored form of the field.
    std::strncpy(reinterpret_cast<char*>(start), name ? name : "", kNameLength);
    start[kNameLength] = 0;
}

void ProgramBank::terminateNames() {
    for (int p = 0; p < mProgramCount; ++p) record(p)[kNameLength] = 0;
}

int ProgramBank::recordLengthFor(int count) const {
    if (count >= mParameterCount) return mRecordLength;
    return count <= 0 ? kFirstValueOffset : mValueOffsets[static_cast<std::size_t>(count)];
}

int ProgramBank::imageParameterCount(long long size, int programs) const {
    if (programs <= 0 || mRecordLength <= 0) return -1;
    if (size >= static_cast<long long>(programs) * mRecordLength) return mParameterCount;
    // A record without a single value is no image of ours.
    for (int count = mParameterCount - 1; count >= 1; --count)
        if (size == static_cast<long long>(programs) * recordLengthFor(count)) return count;
    return -1;
}

void ProgramBank::loadImage(const unsigned char* image, int count, int first, int programs) {
    const int length = recordLengthFor(count);
    for (int p = 0; p < programs; ++p) {
        unsigned char* start = record(first + p);
        if (!start) return;
        std::memcpy(start, image + static_cast<std::size_t>(p) * length,
                    static_cast<std::size_t>(length));
        for (int i = count; i < mParameterCount; ++i)
            if (const KEffectParameter* parameter = mParameters.get(i))
                parameter->reset(valueSlot(first + p, i));
    }
}

bool ProgramBank::isSoundBankImage(const unsigned char* image, std::size_t size) const {
    const int count = imageParameterCount(static_cast<long long>(size), mProgramCount);
    const int length = recordLengthFor(count);
    if (!image || !mRecords || count < 0 ||
        size != static_cast<std::size_t>(mProgramCount) * static_cast<std::size_t>(length))
        return false;
    // Each value sits where the live bank keeps it within its record.
    for (int p = 0; p < mProgramCount; ++p)
        for (int i = 0; i < count; ++i) {
            const auto* slot = static_cast<const unsigned char*>(valueSlot(0, i));
            const double v = KEffectParameter::readSlot(
                image + static_cast<std::size_t>(p) * static_cast<std::size_t>(length) +
                (slot - mRecords));
            if (!(v >= 0.0 && v <= 1.0)) return false;  // NaN too
        }
    return true;
}

}  // namespace KAMO
