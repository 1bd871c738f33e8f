// Programs, their records and display texts, chunks and preset texts.

#include "KEffectTestEffect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using ktest::TestEffect;
using ktest::TextSource;

namespace {

double storedValue(const unsigned char* record, int index) {
    double value;
    std::memcpy(&value, record + 25 + 8 * index, sizeof(value));
    return value;
}

std::vector<unsigned char> chunkOf(TestEffect& effect, bool isPreset) {
    void* data = nullptr;
    VstInt32 size = effect.getChunk(&data, isPreset);
    auto* bytes = static_cast<unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

// Detune at 0.75 in program 0; program 2 named "Bell" with the third wave,
// and current.
void editBank(TestEffect& effect) {
    effect.setParameter(TestEffect::kDetune, 0.75f);
    effect.setProgram(2);
    char name[] = "Bell";
    effect.setProgramName(name);
    effect.setParameter(TestEffect::kWave, 0.4f);
}

}  // namespace

TEST(ProgramBank, RecordsAreNameZeroByteAndLittleEndianDoubles) {
    TestEffect effect;
    const int length = 25 + 8 * TestEffect::kParameterCount;
    KAMO::ProgramBank& bank = effect.programBank();
    EXPECT_STREQ(bank.labelledText(2, TestEffect::kDetune), "0 cents");
    EXPECT_STREQ(bank.labelledText(2, TestEffect::kWave), "Sine");  // no blank without a label

    effect.setProgram(1);
    effect.setParameter(TestEffect::kDetune, 0.75f);
    std::vector<unsigned char> record = chunkOf(effect, true);
    ASSERT_EQ(static_cast<int>(record.size()), length);
    EXPECT_EQ(std::memcmp(record.data(), "Defaults\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 25), 0);
    EXPECT_DOUBLE_EQ(storedValue(record.data(), TestEffect::kDetune), 0.75);
    EXPECT_DOUBLE_EQ(storedValue(record.data(), TestEffect::kMain), 0.23713737056616552);

    std::vector<unsigned char> image = chunkOf(effect, false);
    ASSERT_EQ(static_cast<int>(image.size()), length * TestEffect::kPrograms);
    EXPECT_DOUBLE_EQ(storedValue(image.data(), TestEffect::kDetune), 0.5);
    EXPECT_DOUBLE_EQ(storedValue(image.data() + length, TestEffect::kDetune), 0.75);
}

TEST(ProgramBank, BankChunkRoundTripRestoresValuesNamesAndTexts) {
    TestEffect source;
    editBank(source);
    std::vector<unsigned char> image = chunkOf(source, false);

    TestEffect target;
    EXPECT_EQ(target.setChunk(image.data(), static_cast<VstInt32>(image.size()), false),
              static_cast<VstInt32>(image.size()));
    EXPECT_EQ(target.changes, 1);
    EXPECT_STREQ(target.programBank().programName(2), "Bell");
    EXPECT_STREQ(target.programBank().valueText(0, TestEffect::kDetune), "50");
    EXPECT_STREQ(target.programBank().valueText(2, TestEffect::kWave), "Square");
    EXPECT_EQ(chunkOf(target, false), image);
}

TEST(ProgramBank, ShortOrMissingChunkChangesNothing) {
    TestEffect effect;
    std::vector<unsigned char> record = chunkOf(effect, true);
    std::vector<unsigned char> image(effect.programBank().bankLength(), 0x41);
    EXPECT_EQ(effect.setChunk(image.data(), static_cast<VstInt32>(record.size()) - 1, true), 0);
    EXPECT_EQ(effect.setChunk(image.data(), static_cast<VstInt32>(image.size()) - 1, false), 0);
    EXPECT_EQ(effect.setChunk(nullptr, 100000, false), 0);
    EXPECT_EQ(chunkOf(effect, true), record);
    EXPECT_EQ(effect.changes, 0);
}

TEST(ProgramBank, ImagesOfTheReleaseBeforeLoadWithDefaultsForTheNewParameter) {
    TestEffect older;
    editBank(older);
    std::vector<unsigned char> bank = chunkOf(older, false);
    std::vector<unsigned char> record = chunkOf(older, true);
    const int oldLength = 25 + 8 * TestEffect::kParameterCount;

    TestEffect newer(nullptr, true);
    const int newLength = oldLength + 8;
    ASSERT_EQ(newer.programBank().recordLength(), newLength);
    newer.setParameter(TestEffect::kLater, 1.0f);
    EXPECT_EQ(newer.setChunk(bank.data(), static_cast<VstInt32>(bank.size()), false),
              static_cast<VstInt32>(bank.size()));
    EXPECT_STREQ(newer.programBank().programName(2), "Bell");
    EXPECT_STREQ(newer.programBank().valueText(0, TestEffect::kDetune), "50");
    EXPECT_STREQ(newer.programBank().valueText(2, TestEffect::kWave), "Square");
    // What it writes is its own layout: each old record, then the default.
    const std::vector<unsigned char> written = chunkOf(newer, false);
    ASSERT_EQ(written.size(), std::size_t(TestEffect::kPrograms * newLength));
    for (int p = 0; p < TestEffect::kPrograms; ++p) {
        EXPECT_EQ(std::memcmp(written.data() + p * newLength, bank.data() + p * oldLength,
                              std::size_t(oldLength)),
                  0)
            << p;
        EXPECT_EQ(storedValue(written.data() + p * newLength, TestEffect::kLater),
                  TestEffect::kLaterDefault)
            << p;
    }

    // One record into the current program, the others untouched.
    newer.setProgram(1);
    newer.setParameter(TestEffect::kLater, 1.0f);
    newer.setParameter(TestEffect::kDetune, 0.0f);
    EXPECT_EQ(newer.setChunk(record.data(), static_cast<VstInt32>(record.size()), true), oldLength);
    EXPECT_STREQ(newer.programBank().programName(1), "Bell");
    EXPECT_STREQ(newer.text(TestEffect::kDetune), "0");
    EXPECT_STREQ(newer.text(TestEffect::kWave), "Square");
    EXPECT_EQ(newer.getParameter(TestEffect::kLater), float(TestEffect::kLaterDefault));
    EXPECT_STREQ(newer.programBank().programName(2), "Bell");

    // Cut inside a value, or to the name alone: no release wrote that.
    const int changes = newer.changes;
    const std::vector<unsigned char> before = chunkOf(newer, false);
    for (std::size_t size : {bank.size() - 3, bank.size() + 5 - 8 * 3, std::size_t(3 * 25)})
        EXPECT_EQ(newer.setChunk(bank.data(), static_cast<VstInt32>(size), false), 0) << size;
    EXPECT_EQ(newer.setChunk(record.data(), oldLength - 1, true), 0);
    EXPECT_EQ(newer.setChunk(record.data(), 25, true), 0);
    EXPECT_EQ(chunkOf(newer, false), before);
    EXPECT_EQ(newer.changes, changes);
}

// Every face reads an image through the same check: a size no release
// wrote (a newer one's among them) or a value no program can hold refuses
// the whole image, and the bank's own test of a state agrees with setChunk.
TEST(ProgramBank, ImagesOfANewerReleaseOrWithValuesNoProgramHoldsChangeNothing) {
    TestEffect newer(nullptr, true);
    editBank(newer);
    const std::vector<unsigned char> newerBank = chunkOf(newer, false);
    const std::vector<unsigned char> newerRecord = chunkOf(newer, true);

    TestEffect effect;
    effect.setParameter(TestEffect::kDetune, 0.25f);
    KAMO::ProgramBank& bank = effect.programBank();
    const std::vector<unsigned char> before = chunkOf(effect, false);
    const int changes = effect.changes;
    const int length = bank.recordLength();
    auto refused = [&](std::vector<unsigned char> image, bool isPreset, const char* what) {
        EXPECT_EQ(effect.setChunk(image.data(), static_cast<VstInt32>(image.size()), isPreset), 0)
            << what;
        if (!isPreset) {
            EXPECT_FALSE(bank.isSoundBankImage(image.data(), image.size())) << what;
        }
    };
    refused(newerBank, false, "one parameter more");
    refused(newerRecord, true, "one parameter more");
    // Six more, each record made of today's and its values at 0.5.
    std::vector<unsigned char> wider;
    for (int p = 0; p < TestEffect::kPrograms; ++p) {
        wider.insert(wider.end(), before.begin() + p * length, before.begin() + (p + 1) * length);
        const double half = 0.5;
        for (int extra = 0; extra < 6; ++extra)
            wider.insert(wider.end(), reinterpret_cast<const unsigned char*>(&half),
                         reinterpret_cast<const unsigned char*>(&half) + 8);
    }
    refused(wider, false, "six parameters more");
    for (const double wrong : {5.0, -3.0, std::nan(""), 1.0000001, -0.0000001}) {
        std::vector<unsigned char> image = before;
        std::memcpy(image.data() + length + 25 + 8 * TestEffect::kWave, &wrong, 8);
        refused(image, false, "a value outside [0, 1] in program 1");
        std::vector<unsigned char> record(image.begin() + length, image.begin() + 2 * length);
        refused(record, true, "a value outside [0, 1]");
    }
    EXPECT_EQ(chunkOf(effect, false), before);
    EXPECT_EQ(effect.changes, changes);
    // Today's image and the previous release's still read, as they always did.
    EXPECT_TRUE(bank.isSoundBankImage(before.data(), before.size()));
    EXPECT_EQ(effect.setChunk(const_cast<unsigned char*>(before.data()),
                              static_cast<VstInt32>(before.size()), false),
              static_cast<VstInt32>(before.size()));
}

TEST(ProgramBank, PresetChunkRenamesCurrentProgramAndKeepsNameTerminated) {
    TestEffect effect;
    effect.setProgram(1);
    std::vector<unsigned char> record = chunkOf(effect, true);
    // A full 24-character name and a stray byte where the zero belongs.
    std::memcpy(record.data(), "ABCDEFGHIJKLMNOPQRSTUVWX", 24);
    record[24] = 'Y';
    double one = 1.0;
    std::memcpy(record.data() + 25, &one, sizeof(one));

    EXPECT_EQ(effect.setChunk(record.data(), static_cast<VstInt32>(record.size()), true),
              effect.programBank().recordLength());
    EXPECT_STREQ(effect.programBank().programName(1), "ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_STREQ(effect.programBank().programName(0), "Defaults");
    EXPECT_STREQ(effect.text(TestEffect::kDetune), "99");
    char host[64];
    std::memset(host, 'z', sizeof(host));
    effect.getProgramName(host);
    EXPECT_STREQ(host, "ABCDEFGHIJKLMNOPQRSTUVWX");  // whole, terminated within 25 bytes
}

TEST(PresetText, NamesTheFirstProgramsAndIgnoresPresetsBeyondTheBank) {
    TestEffect effect;
    std::string text = "# Presets\r\n";
    for (int i = 0; i < 12; ++i)
        text +=
            "PRESET P" + std::to_string(i) + "\r\nSETSTR Detune1 " + std::to_string(i + 1) + "\r\n";
    TextSource source(text);
    effect.loadPresetsFrom(source);
    for (int p = 0; p < TestEffect::kPrograms; ++p) {
        EXPECT_EQ(std::string(effect.programBank().programName(p)), "P" + std::to_string(p));
        EXPECT_EQ(std::string(effect.programBank().valueText(p, TestEffect::kDetune)),
                  std::to_string(p + 1));
    }
}

TEST(PresetText, IgnoresSettingsBeforeAnyPresetAndUnknownOrShortLines) {
    TestEffect effect;
    TextSource source(
        "SETSTR MainLvl -6\n"
        "preset \"Soft Pad\" extra tokens\n"
        "SETSTR NoSuchParam 5\n"
        "SETSTR LFOWave\n"
        "PRESET\n"
        "setstr lfowave square\n"
        "SETSTR LFOWave Nonsense\n"
        "SETSTR MainLvl -6 trailing\n"
        "PRESET \"\"\n"
        "SETSTR Detune1 12\n");
    effect.loadPresetsFrom(source);

    KAMO::ProgramBank& bank = effect.programBank();
    EXPECT_STREQ(bank.programName(0), "Soft Pad");
    EXPECT_STREQ(bank.valueText(0, TestEffect::kWave), "Square");
    EXPECT_STREQ(bank.valueText(0, TestEffect::kMain), "-6.0");
    // An empty name keeps the program's name, but its settings still apply.
    EXPECT_STREQ(bank.programName(1), "Defaults");
    EXPECT_STREQ(bank.valueText(1, TestEffect::kDetune), "12");
    EXPECT_STREQ(bank.valueText(1, TestEffect::kMain), "-12.5");
    EXPECT_STREQ(bank.valueText(2, TestEffect::kDetune), "0");
}

// One thread writes two values alternately into every slot of the bank as
// fast as it can, another reads them: a read must find one of the two,
// never a value made of parts of both. Torn reads are rare (they need the
// two threads on two cores, crossing at a cache line), so the test reads
// for two seconds; it stops at the first torn value.
TEST(ProgramBank, ConcurrentWritesNeverShowAReaderAThirdValue) {
    TestEffect effect;
    KAMO::ProgramBank& bank = effect.programBank();
    constexpr double kLow = 0.1, kHigh = 0.9;
    std::vector<void*> slots;
    for (int p = 0; p < bank.programCount(); ++p)
        for (int i = 0; i < bank.parameterCount(); ++i) slots.push_back(bank.valueSlot(p, i));
    for (void* slot : slots) KAMO::KEffectParameter::writeSlot(slot, kLow);

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (long round = 0; !stop.load(std::memory_order_relaxed); ++round)
            for (void* slot : slots)
                KAMO::KEffectParameter::writeSlot(slot, round % 2 ? kLow : kHigh);
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    long long reads = 0;
    double torn = kLow;
    while (torn == kLow || torn == kHigh) {
        for (const void* slot : slots) {
            const double v = KAMO::KEffectParameter::readSlot(slot);
            if (v != kLow && v != kHigh) torn = v;
        }
        reads += static_cast<long long>(slots.size());
        if ((reads & 0xffff) < static_cast<long long>(slots.size()) &&
            std::chrono::steady_clock::now() > until)
            break;
    }
    stop = true;
    writer.join();
    EXPECT_TRUE(torn == kLow || torn == kHigh) << torn << " after " << reads << " reads";
}

// The same for a display text, rewritten by one thread while another reads
// it: what the reader gets is one whole text or the other.
TEST(ProgramBank, ConcurrentTextRewritesNeverShowAReaderAMixOfTwoTexts) {
    TestEffect effect;
    KAMO::ProgramBank& bank = effect.programBank();
    const KAMO::KEffectParameter& wide = *effect.parameter(TestEffect::kWide);
    void* slot = bank.valueSlot(0, TestEffect::kWide);
    std::string texts[2];
    for (int v = 0; v < 2; ++v) {
        wide.setValue(slot, v);
        bank.refreshTexts(0, TestEffect::kWide);
        texts[v] = bank.labelledText(0, TestEffect::kWide);
    }
    ASSERT_NE(texts[0].size(), texts[1].size());

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (long round = 0; !stop.load(std::memory_order_relaxed); ++round) {
            wide.setValue(slot, round % 2);
            bank.refreshTexts(0, TestEffect::kWide);
        }
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::string seen = texts[1];
    while ((seen == texts[0] || seen == texts[1]) && std::chrono::steady_clock::now() < until)
        for (int i = 0; i < 1000 && (seen == texts[0] || seen == texts[1]); ++i)
            seen = bank.labelledText(0, TestEffect::kWide);
    stop = true;
    writer.join();
    EXPECT_TRUE(seen == texts[0] || seen == texts[1]) << seen;
}
