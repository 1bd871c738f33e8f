#include "framework/ProgramBank.h"

#include "framework/KEffectParameter.h"

#include <cstring>
#include <thread>

namespace KAMO {

namespace {

constexpr char kDefaultName[] = "Defaults";
// A slot whose parameter is missing still takes the room of one double.
constexpr int kFallbackValueSize = 8;
constexpr int kNameField = ProgramBank::kNameLength + 1;
// Spins before a waiting reader or writer lets the other thread run: the
// other side holds the entry for a few dozen stores, unless it was
// preempted, which on a busy machine it may be for a whole time slice.
constexpr int kSpinsBeforeYield = 64;

void pause(int& spins) {
    if (++spins >= kSpinsBeforeYield) {
        spins = 0;
        std::this_thread::yield();
    }
}

}  // namespace

ProgramBank::ProgramBank(const PtrList<const KEffectParameter>& parameters)
    : mParameters(parameters) {}

ProgramBank::~ProgramBank() { release(); }

void ProgramBank::release() {
    mValues.reset();
    mTexts.reset();
    mNames.clear();
    mImage.clear();
    mValueOffsets.clear();
    mProgramCount = mParameterCount = 0;
    mRecordLength = mBankLength = 0;
}

void ProgramBank::setupPrograms(int count) {
    release();
    if (count < 0) count = 0;
    const int parameterCount = mParameters.count();

    std::vector<int> offsets(static_cast<std::size_t>(parameterCount), 0);
    int running = kFirstValueOffset;
    for (int i = 0; i < parameterCount; ++i) {
        offsets[static_cast<std::size_t>(i)] = running;
        const KEffectParameter* p = mParameters.get(i);
        const int size = p ? p->valueSize() : kFallbackValueSize;
        running += size >= kFallbackValueSize ? size : kFallbackValueSize;
    }
    const std::size_t entries = static_cast<std::size_t>(count) * parameterCount;

    // Everything is allocated before any of it is taken, so a failure
    // leaves the bank empty rather than half built.
    std::unique_ptr<std::atomic<double>[]> values(new std::atomic<double>[entries]);
    std::unique_ptr<TextEntry[]> texts(new TextEntry[entries]);
    std::vector<char> names(static_cast<std::size_t>(count) * kNameField, 0);
    std::vector<unsigned char> image(static_cast<std::size_t>(count) * running, 0);
    for (std::size_t e = 0; e < entries; ++e) {
        values[e].store(0.0, std::memory_order_relaxed);
        for (auto& word : texts[e].words) word.store(0, std::memory_order_relaxed);
    }

    mValueOffsets.swap(offsets);
    mValues = std::move(values);
    mTexts = std::move(texts);
    mNames.swap(names);
    mImage.swap(image);
    mProgramCount = count;
    mParameterCount = parameterCount;
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
    return &mValues[static_cast<std::size_t>(program) * mParameterCount + index];
}

const void* ProgramBank::valueSlot(int program, int index) const {
    return const_cast<ProgramBank*>(this)->valueSlot(program, index);
}

// --- Chunk images ---------------------------------------------------------------

int ProgramBank::valueOffset(int index) const {
    if (index < 0 || index >= mParameterCount) return -1;
    return mValueOffsets[static_cast<std::size_t>(index)];
}

double ProgramBank::imageValue(const unsigned char* image, int offset) {
    double value = 0.0;
    std::memcpy(&value, image + offset, sizeof value);
    return value;
}

const unsigned char* ProgramBank::makeImage(int program) {
    if (program < -1 || program >= mProgramCount || mImage.empty()) return nullptr;
    const int first = program < 0 ? 0 : program;
    const int last = program < 0 ? mProgramCount : program + 1;
    unsigned char* out = mImage.data();
    for (int p = first; p < last; ++p, out += mRecordLength) {
        std::memcpy(out, &mNames[static_cast<std::size_t>(p) * kNameField], kNameField);
        for (int i = 0; i < mParameterCount; ++i) {
            const double value = KEffectParameter::readSlot(valueSlot(p, i));
            std::memcpy(out + mValueOffsets[static_cast<std::size_t>(i)], &value, sizeof value);
        }
    }
    return mImage.data();
}

bool ProgramBank::readImage(int program, const unsigned char* image, int count) {
    if (!image || program < -1 || program >= mProgramCount) return false;
    if (count < 0 || count > mParameterCount) count = mParameterCount;
    const int length = recordLengthFor(count);
    const int first = program < 0 ? 0 : program;
    const int last = program < 0 ? mProgramCount : program + 1;
    const unsigned char* in = image;
    for (int p = first; p < last; ++p, in += length) {
        char* name = &mNames[static_cast<std::size_t>(p) * kNameField];
        std::memcpy(name, in, kNameLength);
        name[kNameLength] = 0;
        for (int i = 0; i < count; ++i)
            KEffectParameter::writeSlot(valueSlot(p, i),
                                        imageValue(in, mValueOffsets[static_cast<std::size_t>(i)]));
        for (int i = count; i < mParameterCount; ++i)
            if (const KEffectParameter* parameter = mParameters.get(i))
                parameter->reset(valueSlot(p, i));
    }
    return true;
}

int ProgramBank::recordLengthFor(int count) const {
    if (count >= mParameterCount) return mRecordLength;
    return count <= 0 ? kFirstValueOffset : mValueOffsets[static_cast<std::size_t>(count)];
}

int ProgramBank::imageParameterCount(long long size, int programs) const {
    if (programs <= 0 || mRecordLength <= 0 || size <= 0) return -1;
    // A record without a single value is no image of ours.
    for (int count = mParameterCount; count >= 1; --count)
        if (size == static_cast<long long>(programs) * recordLengthFor(count)) return count;
    return -1;
}

int ProgramBank::checkedParameterCount(const unsigned char* image, long long size,
                                       int programs) const {
    const int count = imageParameterCount(size, programs);
    if (!image || count < 0) return -1;
    const int length = recordLengthFor(count);
    for (int p = 0; p < programs; ++p)
        for (int i = 0; i < count; ++i) {
            const double v = imageValue(image, p * length + valueOffset(i));
            if (!(v >= 0.0 && v <= 1.0)) return -1;  // NaN too
        }
    return count;
}

// --- Display texts --------------------------------------------------------------

ProgramBank::TextEntry* ProgramBank::entry(int program, int index) const {
    if (!isValid(program, index)) return nullptr;
    return &mTexts[static_cast<std::size_t>(program) * mParameterCount + index];
}

void ProgramBank::publishTexts(TextEntry& entry, const char* text, const char* labelled) {
    // Take the entry: from an even sequence number to the odd one after it.
    int spins = 0;
    std::uint64_t sequence = entry.sequence.load(std::memory_order_relaxed);
    for (;;) {
        if (!(sequence & 1) &&
            entry.sequence.compare_exchange_weak(sequence, sequence + 1, std::memory_order_acquire,
                                                 std::memory_order_relaxed))
            break;
        pause(spins);
        sequence = entry.sequence.load(std::memory_order_relaxed);
    }
    // No word may be seen stored before the odd number is.
    std::atomic_thread_fence(std::memory_order_release);
    for (int w = 0; w < kTextWords + kLabelledWords; ++w) {
        std::uint64_t word;
        const char* from = w < kTextWords ? text + w * kWord : labelled + (w - kTextWords) * kWord;
        std::memcpy(&word, from, kWord);
        entry.words[w].store(word, std::memory_order_relaxed);
    }
    entry.sequence.store(sequence + 2, std::memory_order_release);
}

void ProgramBank::copyTexts(int program, int index, char* text, char* labelled) const {
    const TextEntry* from = entry(program, index);
    if (!from) {
        if (text) text[0] = 0;
        if (labelled) labelled[0] = 0;
        return;
    }
    std::uint64_t words[kTextWords + kLabelledWords];
    int spins = 0;
    for (;;) {
        const std::uint64_t before = from->sequence.load(std::memory_order_acquire);
        if (!(before & 1)) {
            for (int w = 0; w < kTextWords + kLabelledWords; ++w)
                words[w] = from->words[w].load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (from->sequence.load(std::memory_order_relaxed) == before) break;
        }
        pause(spins);
    }
    const auto* bytes = reinterpret_cast<const char*>(words);
    if (text) {
        std::memcpy(text, bytes, kTextSize);
        text[kTextSize - 1] = 0;
    }
    if (labelled) {
        std::memcpy(labelled, bytes + kTextWords * kWord, kLabelledTextSize);
        labelled[kLabelledTextSize - 1] = 0;
    }
}

const char* ProgramBank::valueText(int program, int index) const {
    thread_local char copy[kTextSize];
    copyTexts(program, index, copy, nullptr);
    return copy;
}

const char* ProgramBank::labelledText(int program, int index) const {
    thread_local char copy[kLabelledTextSize];
    copyTexts(program, index, nullptr, copy);
    return copy;
}

void ProgramBank::refreshTexts(int program, int index) {
    TextEntry* to = entry(program, index);
    if (!to) return;
    // Formatted here, published whole below: the entry is held only for the
    // copy.
    char text[kTextWords * kWord] = {};
    char labelled[kLabelledWords * kWord] = {};
    if (const KEffectParameter* parameter = mParameters.get(index)) {
        parameter->getDisplay(text, kTextSize, valueSlot(program, index));
        text[kTextSize - 1] = 0;
        // The labelled text is the same number text with the label behind
        // it; its entry is sized so that the label always fits.
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
    publishTexts(*to, text, labelled);
}

void ProgramBank::refreshAllTexts() {
    for (int p = 0; p < mProgramCount; ++p)
        for (int i = 0; i < mParameterCount; ++i) refreshTexts(p, i);
}

// --- Names ---------------------------------------------------------------------

const char* ProgramBank::programName(int program) const {
    if (program < 0 || program >= mProgramCount) return "";
    return &mNames[static_cast<std::size_t>(program) * kNameField];
}

void ProgramBank::setProgramName(int program, const char* name) {
    if (program < 0 || program >= mProgramCount) return;
    char* field = &mNames[static_cast<std::size_t>(program) * kNameField];
    // strncpy's zero padding is exactly the stored form of the field.
    std::strncpy(field, name ? name : "", kNameLength);
    field[kNameLength] = 0;
}

bool ProgramBank::isSoundBankImage(const unsigned char* image, std::size_t size) const {
    return size <= static_cast<std::size_t>(mBankLength) &&
           checkedParameterCount(image, static_cast<long long>(size), mProgramCount) >= 0;
}

}  // namespace KAMO
