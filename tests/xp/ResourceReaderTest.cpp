#include "xp/ResourceReader.h"
#include "xp/ResourceTable.h"
#include "xp/TokenReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const unsigned char kBlock[130] = {'x'};
const unsigned char kFirst[] = "first", kSecond[] = "second";
const XP::ResourceEntry kEntries[] = {
    {"ReaderTest.bin", sizeof(kBlock), kBlock},
    {"ReaderTestEmpty.bin", 0, kBlock},
    {"ReaderTestTwin.txt", 5, kFirst},
    {"READERTESTTWIN.TXT", 6, kSecond},
};
const bool kRegistered = [] {
    for (const auto& e : kEntries) XP::registerResource(&e);
    return true;
}();

}  // namespace

TEST(ResourceTable, LookupIgnoresCaseAndFirstRegisteredWins) {
    std::uint64_t exact = 0, lower = 0;
    const unsigned char* skin = XP::findResource("MurlanSkin.txt", &exact);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(XP::findResource("murlanskin.txt", &lower), skin);
    EXPECT_EQ(lower, exact);
    EXPECT_EQ(XP::findResource("readertesttwin.txt", &lower), kFirst);
    EXPECT_EQ(lower, 5u);
}

TEST(ResourceTable, UnknownNameGivesNullAndLeavesSizeUntouched) {
    std::uint64_t size = 77;
    EXPECT_EQ(XP::findResource("NoSuchBlock.txt", &size), nullptr);
    EXPECT_EQ(XP::findResource(nullptr, &size), nullptr);
    EXPECT_EQ(size, 77u);
}

TEST(ResourceReader, ShortReadAtTheEndThenNothing) {
    XP::ResourceReader reader;
    ASSERT_TRUE(reader.open("readertest.BIN"));
    unsigned char buffer[100];
    EXPECT_EQ(reader.read(buffer, 100), 100u);
    EXPECT_EQ(reader.read(buffer, 100), 30u);
    EXPECT_EQ(reader.read(buffer, 100), 0u);
    EXPECT_EQ(reader.resource().data(), kBlock);  // borrowed, not copied
}

TEST(ResourceReader, MissingOrEmptyBlockStaysClosed) {
    XP::ResourceReader reader;
    unsigned char buffer[8];
    EXPECT_FALSE(reader.open("ReaderTestEmpty.bin"));
    EXPECT_EQ(reader.read(buffer, 8), 0u);
    ASSERT_TRUE(reader.open("ReaderTest.bin"));
    EXPECT_FALSE(reader.open("NoSuchBlock.txt"));
    EXPECT_EQ(reader.read(buffer, 8), 0u);
    XP::TokenReader tokens(&reader);
    EXPECT_FALSE(tokens.readLine());
}
