#include "xp/FileReader.h"
#include "xp/FileWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string tempPath(const char* leaf) {
    return testing::TempDir() + "murlan-" + std::to_string(getpid()) + "-" + leaf;
}

// Reads a whole file back as text ("<none>" when readWholeFile refuses it).
std::string contents(const std::string& path) {
    XP::FileReader reader;
    std::uint64_t size = 99;
    unsigned char* bytes = reader.readWholeFile(path.c_str(), &size);
    if (!bytes) return size == 0 ? "<none>" : "<size not cleared>";
    std::string text(reinterpret_cast<char*>(bytes), size);
    delete[] bytes;
    return text;
}

}  // namespace

TEST(FileWriter, WritesIndentedCrLfLinesThatReadBackWhole) {
    std::string path = tempPath("lines.txt");
    XP::FileWriter writer;
    ASSERT_TRUE(writer.open(path.c_str()));
    writer.writeLine("dropped on reopen");
    ASSERT_TRUE(writer.open(path.c_str()));
    writer.writeLine("Init");
    writer.indent(2);
    writer.writeLine("Page", "skin.txt", 12);
    EXPECT_EQ(writer.write("raw", 3), 3u);
    EXPECT_EQ(writer.linesWritten(), 2);
    writer.close();
    EXPECT_EQ(contents(path), "Init\r\n  Page \"skin.txt, line 12\"\r\nraw");

    XP::FileReader reader;
    ASSERT_TRUE(reader.open(path.c_str()));
    char buffer[32];
    EXPECT_EQ(reader.read(buffer, 32), 37u - 5u);
    EXPECT_EQ(reader.read(buffer, 32), 5u);
    EXPECT_EQ(reader.read(buffer, 32), 0u);
    std::remove(path.c_str());
}

TEST(FileReader, MissingEmptyOrDirectoryGivesNothing) {
    std::string empty = tempPath("empty.txt");
    XP::FileWriter writer;
    writer.open(empty.c_str());
    writer.close();
    EXPECT_EQ(contents(empty), "<none>");
    EXPECT_EQ(contents(tempPath("absent")), "<none>");
    EXPECT_EQ(contents(testing::TempDir()), "<none>");
    XP::FileReader reader;
    char buffer[4];
    EXPECT_FALSE(reader.open(testing::TempDir().c_str()));
    EXPECT_FALSE(reader.open(nullptr));
    EXPECT_EQ(reader.read(buffer, 4), 0u);
    std::remove(empty.c_str());
}

TEST(FileWriter, ClosedWriterDoesNothingAndIndentationStaysInBounds) {
    XP::FileWriter writer;
    EXPECT_EQ(writer.write("abc", 3), 0u);
    writer.writeLine("x");
    EXPECT_EQ(writer.linesWritten(), 0);
    writer.indent(2000);
    EXPECT_EQ(writer.indentation(), 1023);
    writer.outdent(1020);
    writer.outdent(5);
    EXPECT_EQ(writer.indentation(), 0);
}
