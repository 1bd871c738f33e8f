#include "xp/ResourceReader.h"
#include "xp/ResourceTable.h"
#include "xp/TokenReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const unsigned char kBlock[130] = {'x'};
const unsigned char kFirstTwin[] = "first";
const unsigned char kSecondTwin[] = "second";

const XP::ResourceEntry kEntries[] = {
    {"ReaderTest.bin", sizeof(kBlock), kBlock},
    {"ReaderTestEmpty.bin", 0, kBlock},
    {"ReaderTestTwin.txt", 5, kFirstTwin},
    {"READERTESTTWIN.TXT", 6, kSecondTwin},
};

const bool kRegistered = [] {
    for (const auto& e : kEntries) XP::registerResource(&e);
    return true;
}();

} // namespace

TEST(ResourceTable, FindsCompiledInBlocksIgnoringLetterCase) {
    std::uint64_t exact = 0, lower = 0;
    const unsigned char* skin = XP::findResource("MurlanSkin.txt", &exact);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(XP::findResource("murlanskin.txt", &lower), skin);
    EXPECT_EQ(lower, exact);

    std::uint64_t size = 0;
    const unsigned char* preset = XP::findResource("MURLANPRESET.TXT", &size);
    ASSERT_NE(preset, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(preset), size), "# Murlan Presets\r\n");
}

TEST(ResourceTable, UnknownNameGivesNullAndLeavesSizeUntouched) {
    std::uint64_t size = 77;
    EXPECT_EQ(XP::findResource("NoSuchBlock.txt", &size), nullptr);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(XP::findResource(nullptr, &size), nullptr);
}

TEST(ResourceTable, FirstRegisteredOfTwoEqualNamesWins) {
    std::uint64_t size = 0;
    EXPECT_EQ(XP::findResource("readertesttwin.txt", &size), kFirstTwin);
    EXPECT_EQ(size, 5u);
}

TEST(ResourceReader, ShortReadAtTheEndThenNothing) {
    XP::ResourceReader reader;
    ASSERT_TRUE(reader.open("readertest.BIN"));
    unsigned char buffer[100];
    EXPECT_EQ(reader.read(buffer, 100), 100u);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(reader.read(buffer, 100), 30u);
    EXPECT_EQ(reader.read(buffer, 100), 0u);
    // Borrowed, not copied.
    EXPECT_EQ(reader.resource().data(), kBlock);
    EXPECT_FALSE(reader.resource().owned());
}

TEST(ResourceReader, MissingOrEmptyBlockStaysClosed) {
    XP::ResourceReader reader;
    unsigned char buffer[8];
    EXPECT_FALSE(reader.open("ReaderTestEmpty.bin"));
    EXPECT_EQ(reader.read(buffer, 8), 0u);
    EXPECT_FALSE(reader.open("NoSuchBlock.txt"));
    EXPECT_EQ(reader.read(buffer, 8), 0u);

    XP::TokenReader tokens(&reader);
    EXPECT_FALSE(tokens.readLine());
}

TEST(ResourceReader, ReopeningAnotherNameStartsAfresh) {
    XP::ResourceReader reader;
    ASSERT_TRUE(reader.open("ReaderTest.bin"));
    unsigned char buffer[130];
    reader.read(buffer, 50);
    ASSERT_TRUE(reader.open("ReaderTestTwin.txt"));
    EXPECT_EQ(reader.read(buffer, 130), 5u);
    EXPECT_EQ(std::memcmp(buffer, "first", 5), 0);
    EXPECT_FALSE(reader.open("NoSuchBlock.txt"));
    EXPECT_FALSE(reader.isOpen());
}

TEST(ResourceReader, PresetTextReadsAsOneLineWithoutTokens) {
    XP::ResourceReader reader;
    ASSERT_TRUE(reader.open("MurlanPreset.txt"));
    XP::TokenReader tokens(&reader);
    ASSERT_TRUE(tokens.readLine());
    EXPECT_EQ(tokens.tokenCount(), 0);
    EXPECT_FALSE(tokens.readLine());
}

TEST(ResourceData, OwnedBlockIsFreedOnReloadAndBorrowedOneIsNot) {
    XP::ResourceData data;
    data.adopt(new unsigned char[4], 4);
    EXPECT_TRUE(data.owned());
    // Under the address sanitizer, freeing the borrowed block or leaking the
    // owned one shows up here.
    EXPECT_TRUE(data.load("ReaderTest.bin"));
    EXPECT_FALSE(data.owned());
    EXPECT_EQ(data.size(), 130u);
    EXPECT_FALSE(data.load("NoSuchBlock.txt"));
    EXPECT_EQ(data.data(), nullptr);
    EXPECT_EQ(data.size(), 0u);
}
