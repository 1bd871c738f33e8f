#include "xp/FileWriter.h"
#include "xp/FileReader.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

std::string tempPath(const char* leaf) {
    return testing::TempDir() + "murlan-" + std::to_string(getpid()) + "-" + leaf;
}

std::string contents(const std::string& path) {
    XP::FileReader reader;
    std::uint64_t size = 0;
    unsigned char* bytes = reader.readWholeFile(path.c_str(), &size);
    std::string text(reinterpret_cast<char*>(bytes), size);
    delete[] bytes;
    return text;
}

} // namespace

TEST(FileWriter, LinesAreIndentedAndEndInCrLf) {
    std::string path = tempPath("lines.txt");
    XP::FileWriter writer;
    ASSERT_TRUE(writer.open(path.c_str()));
    writer.writeLine("Init");
    writer.indent(2);
    writer.writeLine("Page", "skin.txt", 12);
    writer.outdent(2);
    EXPECT_EQ(writer.write("raw", 3), 3u);
    EXPECT_EQ(writer.linesWritten(), 2);
    writer.close();
    EXPECT_EQ(contents(path), "Init\r\n  Page \"skin.txt, line 12\"\r\nraw");
    std::remove(path.c_str());
}

TEST(FileWriter, OpeningReplacesAndResetsCounts) {
    std::string path = tempPath("replace.txt");
    XP::FileWriter writer;
    ASSERT_TRUE(writer.open(path.c_str()));
    writer.indent(4);
    writer.writeLine("old line");
    ASSERT_TRUE(writer.open(path.c_str()));
    EXPECT_EQ(writer.indentation(), 0);
    EXPECT_EQ(writer.linesWritten(), 0);
    writer.writeLine("new");
    writer.close();
    EXPECT_EQ(contents(path), "new\r\n");
    std::remove(path.c_str());
}

TEST(FileWriter, ClosedWriterDoesNothing) {
    XP::FileWriter writer;
    EXPECT_EQ(writer.write("abc", 3), 0u);
    writer.writeLine("x");
    EXPECT_EQ(writer.linesWritten(), 0);
    EXPECT_FALSE(writer.open(testing::TempDir().c_str()));
    EXPECT_FALSE(writer.open(nullptr));
}

TEST(FileWriter, IndentationStaysWithinItsBounds) {
    XP::FileWriter writer;
    writer.indent(2000);
    EXPECT_EQ(writer.indentation(), 1023);
    writer.outdent(1020);
    writer.outdent(5);
    EXPECT_EQ(writer.indentation(), 0);
    writer.indent(-5);
    EXPECT_EQ(writer.indentation(), 0);
}

TEST(FileWriter, LongPlaceTextIsCutNotOverrun) {
    std::string path = tempPath("long.txt");
    XP::FileWriter writer;
    ASSERT_TRUE(writer.open(path.c_str()));
    writer.writeLine("x", std::string(3000, 'p').c_str(), 1);
    writer.close();
    // "x" + at most 1023 characters of the place text + CR LF.
    EXPECT_EQ(contents(path).size(), 1u + 1023u + 2u);
    std::remove(path.c_str());
}
