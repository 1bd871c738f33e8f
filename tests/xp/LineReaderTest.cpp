#include "xp/LineReader.h"

#include "xp/MemorySource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every line of `text`, read through a buffer of `length` bytes from a
// source that delivers `step` bytes per read.
std::vector<std::string> linesOf(const std::string& text, int length = 256,
                                 std::uint64_t step = ~std::uint64_t(0)) {
    MemorySource source(text, step);
    XP::LineReader reader;
    reader.attach(&source);
    std::vector<char> buffer(length, '?');
    std::vector<std::string> lines;
    while (reader.readLine(buffer.data(), length)) {
        // Whatever was read, the buffer ends in two zero bytes.
        EXPECT_EQ(buffer[length - 1], 0);
        EXPECT_EQ(buffer[length - 2], 0);
        lines.emplace_back(buffer.data());
        if (lines.size() > text.size() + 1) break;  // no endless loops
    }
    return lines;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(LineReader, AnyRunOfLineBreaksEndsOneLine) {
    EXPECT_EQ(linesOf("a\r\n\r\n\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\rb\nc\n\rd\r\n"), (Lines{"a", "b", "c", "d"}));
}

TEST(LineReader, LeadingBreakGivesAnEmptyFirstLine) {
    EXPECT_EQ(linesOf("\r\nx"), (Lines{"", "x"}));
}

TEST(LineReader, LastLineNeedsNoTerminator) {
    EXPECT_EQ(linesOf("one\r\ntwo"), (Lines{"one", "two"}));
    EXPECT_EQ(linesOf("only"), (Lines{"only"}));
    EXPECT_EQ(linesOf(""), Lines{});
}

TEST(LineReader, LongLineComesBackInPiecesOfLengthMinusTwo) {
    std::string line(300, 'q');
    Lines lines = linesOf(line + "\r\nnext");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 254u);
    EXPECT_EQ(lines[1].size(), 46u);
    EXPECT_EQ(lines[2], "next");
}

TEST(LineReader, LineThatExactlyFillsTheBufferIsNotFollowedByAnEmptyOne) {
    EXPECT_EQ(linesOf("abcd\r\nef", 6), (Lines{"abcd", "ef"}));
}

TEST(LineReader, ChunkBoundariesChangeNothing) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\r\n\r\n";
    Lines whole = linesOf(text);
    ASSERT_EQ(whole.size(), 300u);
    EXPECT_EQ(linesOf(text, 256, 1), whole);
    EXPECT_EQ(linesOf(text, 256, 7), whole);
    // A break run split across the 2048-byte chunks of the reader itself.
    std::string split(2047, 'a');
    EXPECT_EQ(linesOf(split + "\r\n\r\nb", 4096), (Lines{split, "b"}));
}

TEST(LineReader, NulBytesAreCopiedLikeAnyOther) {
    MemorySource source(std::string("ab\0cd\nef", 8));
    XP::LineReader reader;
    reader.attach(&source);
    char buffer[16];
    ASSERT_TRUE(reader.readLine(buffer, 16));
    EXPECT_EQ(std::string(buffer, 5), std::string("ab\0cd", 5));
    ASSERT_TRUE(reader.readLine(buffer, 16));
    EXPECT_STREQ(buffer, "ef");
    EXPECT_FALSE(reader.readLine(buffer, 16));
}

TEST(LineReader, WithoutSourceOrAfterResetNothingComes) {
    XP::LineReader reader;
    char buffer[8] = "keep";
    EXPECT_FALSE(reader.readLine(buffer, 8));
    EXPECT_STREQ(buffer, "keep");
    reader.attach(nullptr);
    EXPECT_FALSE(reader.readLine(buffer, 8));

    MemorySource source("a\nb");
    reader.attach(&source);
    reader.reset();
    EXPECT_FALSE(reader.readLine(buffer, 8));
}

TEST(LineReader, BufferTooSmallForOneCharacterIsRefused) {
    MemorySource source("abc");
    XP::LineReader reader;
    reader.attach(&source);
    char buffer[4] = "zzz";
    EXPECT_FALSE(reader.readLine(buffer, 2));
    EXPECT_FALSE(reader.readLine(nullptr, 64));
    EXPECT_STREQ(buffer, "zzz");
    ASSERT_TRUE(reader.readLine(buffer, 3));
    EXPECT_STREQ(buffer, "a");
}
