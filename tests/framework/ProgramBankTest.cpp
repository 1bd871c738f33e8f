// Programs, their records and display texts, chunks and preset texts.

#include "KEffectTestEffect.h"

#include <gtest/gtest.h>

#include <cstring>
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
    source.setParameter(TestEffect::kDetune, 0.75f);
    source.setProgram(2);
    char name[] = "Bell";
    source.setProgramName(name);
    source.setParameter(TestEffect::kWave, 0.4f);
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
    older.setParameter(TestEffect::kDetune, 0.75f);
    older.setProgram(2);
    char name[] = "Bell";
    older.setProgramName(name);
    older.setParameter(TestEffect::kWave, 0.4f);
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

TEST(ProgramBank, PresetChunkRenamesCurrentProgramAndKeepsNameTerminated) {
    TestEffect effect;
    effect.setProgram(1);
    std::vector<unsigned char> record = chunkOf(effect, true);
    // A full 24-character name and a stray byte where the zero belongs.
    std::memcpy(record.data(), "ABCDEFGHIJKLMNOPQRSTUVWX", 24);
    record[24] = 'Y';
    double one = 1.0;
    std::memcpy(record.data() + 25, &one, sizeof(one));
    record.resize(record.size() + 10, 0xff);  // longer images are read as far as needed

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
