#include "xp/FileReader.h"
#include "xp/TokenReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string tempPath(const char* leaf) {
    return testing::TempDir() + "murlan-" + std::to_string(getpid()) + "-" + leaf;
}

std::string writeFile(const char* leaf, const std::string& bytes) {
    std::string path = tempPath(leaf);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

} // namespace

TEST(FileReader, ReadsInPiecesUntilNothingIsLeft) {
    std::string path = writeFile("pieces.txt", "0123456789");
    XP::FileReader reader;
    ASSERT_TRUE(reader.open(path.c_str()));
    EXPECT_EQ(reader.fileSize(), 10);
    char buffer[8];
    EXPECT_EQ(reader.read(buffer, 8), 8u);
    EXPECT_EQ(reader.read(buffer, 8), 2u);
    EXPECT_EQ(buffer[1], '9');
    EXPECT_EQ(reader.read(buffer, 8), 0u);
    std::remove(path.c_str());
}

TEST(FileReader, MissingFileIsClosedAndReadsNothing) {
    XP::FileReader reader;
    char buffer[4];
    EXPECT_FALSE(reader.open(tempPath("absent").c_str()));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.read(buffer, 4), 0u);
    EXPECT_FALSE(reader.open(nullptr));
    EXPECT_FALSE(reader.open(testing::TempDir().c_str()));
}

TEST(FileReader, ReopeningReplacesTheFile) {
    std::string a = writeFile("a.txt", "aaaa"), b = writeFile("b.txt", "bb");
    XP::FileReader reader;
    ASSERT_TRUE(reader.open(a.c_str()));
    ASSERT_TRUE(reader.open(b.c_str()));
    char buffer[8];
    EXPECT_EQ(reader.read(buffer, 8), 2u);
    EXPECT_FALSE(reader.open(tempPath("absent").c_str()));
    EXPECT_EQ(reader.fileSize(), 0);
    std::remove(a.c_str());
    std::remove(b.c_str());
}

TEST(FileReader, WholeFileOrNothing) {
    std::string path = writeFile("whole.txt", "abc");
    XP::FileReader reader;
    std::uint64_t size = 99;
    unsigned char* bytes = reader.readWholeFile(path.c_str(), &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 3), "abc");
    delete[] bytes;

    std::string empty = writeFile("empty.txt", "");
    size = 99;
    EXPECT_EQ(reader.readWholeFile(empty.c_str(), &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(reader.readWholeFile(tempPath("absent").c_str(), &size), nullptr);
    EXPECT_EQ(reader.readWholeFile(testing::TempDir().c_str(), &size), nullptr);
    std::remove(path.c_str());
    std::remove(empty.c_str());
}

TEST(FileReader, FeedsTheTokenReader) {
    std::string path = writeFile("tokens.txt", "PRESET 1 \"My Sound\"\r\n");
    XP::FileReader reader;
    ASSERT_TRUE(reader.open(path.c_str()));
    XP::TokenReader tokens(&reader);
    ASSERT_TRUE(tokens.readLine());
    ASSERT_EQ(tokens.tokenCount(), 3);
    EXPECT_STREQ(tokens.token(2), "My Sound");
    EXPECT_FALSE(tokens.readLine());
    std::remove(path.c_str());
}
