#include "xp/TokenReader.h"

#include "xp/CommaLocale.h"
#include "xp/MemorySource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// A reader over `text` that has already read its first line.
struct Reader {
    explicit Reader(const std::string& text, int lineLength = 256, int capacity = 32)
        : source(text), tokens(lineLength, capacity) {
        tokens.attach(&source);
        read = tokens.readLine();
    }
    std::vector<std::string> all() const {
        std::vector<std::string> out;
        for (int i = 0; i < tokens.tokenCount(); ++i) out.emplace_back(tokens.token(i));
        return out;
    }
    MemorySource source;
    XP::TokenReader tokens;
    bool read = false;
};

using Words = std::vector<std::string>;

} // namespace

TEST(TokenReader, RunsOfBlanksSeparateWords) {
    Reader r("AddResource   dotcol \t RGBColour  40   40 50  \r\n");
    EXPECT_EQ(r.all(), (Words{"AddResource", "dotcol", "RGBColour", "40", "40", "50"}));
}

TEST(TokenReader, QuotesGroupBlanksAndEndTheWord) {
    EXPECT_EQ(Reader("\"a b\" c").all(), (Words{"a b", "c"}));
    EXPECT_EQ(Reader("\"ab\"cd").all(), (Words{"ab", "cd"}));
    EXPECT_EQ(Reader("x \"\" y").all(), (Words{"x", "", "y"}));
    EXPECT_EQ(Reader("say \"no end  ").all(), (Words{"say", "no end  "}));
    EXPECT_EQ(Reader("a\"b c").all(), (Words{"a\"b", "c"}));
}

TEST(TokenReader, CommentStartsAtFirstHashEvenInsideQuotes) {
    EXPECT_EQ(Reader("x \"a#b\" y").all(), (Words{"x", "a"}));
    Reader comment("# Murlan Skin\r\nnext");
    EXPECT_TRUE(comment.read);
    EXPECT_EQ(comment.tokens.tokenCount(), 0);
    ASSERT_TRUE(comment.tokens.readLine());
    EXPECT_EQ(comment.all(), Words{"next"});
}

TEST(TokenReader, NewLineForgetsTheOldTokensAndCursor) {
    Reader r("a b c\nd");
    r.tokens.cursor = 2;
    ASSERT_TRUE(r.tokens.readLine());
    EXPECT_EQ(r.tokens.cursor, 0);
    EXPECT_EQ(r.all(), Words{"d"});
    EXPECT_STREQ(r.tokens.token(1), "");
    EXPECT_FALSE(r.tokens.readLine());
    EXPECT_EQ(r.tokens.tokenCount(), 0);
}

TEST(TokenReader, SurplusTokensBeyondTheTableAreDropped) {
    std::string line;
    for (int i = 0; i < 40; ++i) line += "t" + std::to_string(i) + " ";
    Reader wide(line);
    ASSERT_EQ(wide.tokens.tokenCount(), 32);
    EXPECT_STREQ(wide.tokens.token(31), "t31");

    Reader narrow("a b c d\r\nnext", 256, 2);
    EXPECT_EQ(narrow.all(), (Words{"a", "b"}));
    ASSERT_TRUE(narrow.tokens.readLine());
    EXPECT_EQ(narrow.all(), Words{"next"});
}

TEST(TokenReader, LongLineIsCutAtTheLineBuffer) {
    Reader r(std::string(300, 'w'));
    ASSERT_EQ(r.tokens.tokenCount(), 1);
    EXPECT_EQ(std::string(r.tokens.token(0)).size(), 254u);
    ASSERT_TRUE(r.tokens.readLine());
    EXPECT_EQ(std::string(r.tokens.token(0)).size(), 46u);
}

TEST(TokenReader, NumbersFollowLibraryConversions) {
    Reader r("inf -INF 12.4 12ab word +7 -Infinity");
    EXPECT_EQ(r.tokens.tokenAsDouble(0), HUGE_VAL);
    EXPECT_EQ(r.tokens.tokenAsDouble(1), -HUGE_VAL);
    EXPECT_DOUBLE_EQ(r.tokens.tokenAsDouble(2), 12.4);
    EXPECT_EQ(r.tokens.tokenAsLong(3), 12);
    EXPECT_EQ(r.tokens.tokenAsLong(4), 0);
    EXPECT_EQ(r.tokens.tokenAsDouble(4), 0.0);
    EXPECT_EQ(r.tokens.tokenAsLong(5), 7);
    EXPECT_EQ(r.tokens.tokenAsDouble(6), -HUGE_VAL);
}

TEST(TokenReader, NumberReadingsOutsideTheLineAnswerZero) {
    Reader r("5 6");
    EXPECT_EQ(r.tokens.tokenAsLong(2), 0);
    EXPECT_EQ(r.tokens.tokenAsLong(-1), 0);
    EXPECT_EQ(r.tokens.tokenAsDouble(32), 0.0);
    EXPECT_EQ(r.tokens.tokenAsDouble(1000000), 0.0);
}

TEST(TokenReader, DecimalPointReadsTheSameUnderACommaLocale) {
    CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma installed";
    Reader r("12.4");
    EXPECT_DOUBLE_EQ(r.tokens.tokenAsDouble(0), 12.4);
}

TEST(TokenReader, TokenIsIgnoresCaseAndRejectsBadIndexOrWord) {
    Reader r("AddControl x");
    EXPECT_TRUE(r.tokens.tokenIs(0, "addcontrol"));
    EXPECT_FALSE(r.tokens.tokenIs(-1, "x"));
    EXPECT_FALSE(r.tokens.tokenIs(2, "x"));
    EXPECT_FALSE(r.tokens.tokenIs(1, nullptr));
}

TEST(TokenReader, AcceptTokenNeedsTheWordAndEnoughArguments) {
    Reader full("Init 540 395 2");
    EXPECT_TRUE(full.tokens.acceptToken("init", 3));
    EXPECT_EQ(full.tokens.cursor, 1);
    EXPECT_EQ(full.tokens.tokenAsLong(full.tokens.cursor++), 540);

    Reader shortLine("Init 540 395");
    EXPECT_FALSE(shortLine.tokens.acceptToken("Init", 3));
    EXPECT_EQ(shortLine.tokens.cursor, 0);
    EXPECT_FALSE(shortLine.tokens.acceptToken("Page", 0));
    EXPECT_EQ(shortLine.tokens.cursor, 0);
}

TEST(TokenReader, DegenerateSizesStillReadSafely) {
    Reader r("abc de", 0, 0);
    EXPECT_GE(r.tokens.lineLength(), 3);
    EXPECT_EQ(r.tokens.tokenCapacity(), 1);
    // One character per line at a time; never more than the table holds.
    EXPECT_TRUE(r.read);
    EXPECT_EQ(r.all(), Words{"a"});
}
