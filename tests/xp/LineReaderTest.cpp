#include "xp/LineReader.h"

#include "xp/MemorySource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Every line of `text` through a buffer of `length` bytes, from a source
// that delivers `step` bytes per read.
Lines linesOf(const std::string& text, int length = 256, std::uint64_t step = ~0ull) {
    MemorySource source(text, step);
    XP::LineReader reader;
    reader.attach(&source);
    std::vector<char> buffer(length, '?');
    Lines lines;
    while (reader.readLine(buffer.data(), length) && lines.size() <= text.size()) {
        EXPECT_EQ(buffer[length - 2], 0);
        lines.emplace_back(buffer.data());
    }
    return lines;
}

}  // namespace

TEST(LineReader, AnyRunOfBreaksEndsOneLineAndTheLastNeedsNone) {
    EXPECT_EQ(linesOf("a\r\n\r\n\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\rb\nc\n\rd\r\n"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(linesOf("\r\nx"), (Lines{"", "x"}));
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf(std::string("ab\0cd\nef", 8)),
              (Lines{"ab", "ef"}));  // NUL copied, ends the C text
}

TEST(LineReader, LongLineComesBackInPiecesOfLengthMinusTwo) {
    Lines lines = linesOf(std::string(300, 'q') + "\r\nnext");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 254u);
    EXPECT_EQ(lines[1].size(), 46u);
    // A line that exactly fills the buffer is not followed by an empty one.
    EXPECT_EQ(linesOf("abcd\r\nef", 6), (Lines{"abcd", "ef"}));
}

TEST(LineReader, ChunkBoundariesChangeNothing) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\r\n\r\n";
    Lines whole = linesOf(text);
    ASSERT_EQ(whole.size(), 300u);
    EXPECT_EQ(linesOf(text, 256, 1), whole);
    EXPECT_EQ(linesOf(text, 256, 7), whole);
    std::string split(2047, 'a');  // break run across the reader's own chunks
    EXPECT_EQ(linesOf(split + "\r\n\r\nb", 4096), (Lines{split, "b"}));
}

TEST(LineReader, NothingComesWithoutSourceOrIntoAUselessBuffer) {
    XP::LineReader reader;
    char buffer[8] = "keep";
    EXPECT_FALSE(reader.readLine(buffer, 8));
    MemorySource source("abc");
    reader.attach(&source);
    // Two bytes hold no character: reading would never advance.
    EXPECT_FALSE(reader.readLine(buffer, 2));
    EXPECT_FALSE(reader.readLine(nullptr, 64));
    EXPECT_STREQ(buffer, "keep");
    ASSERT_TRUE(reader.readLine(buffer, 3));
    EXPECT_STREQ(buffer, "a");
}
