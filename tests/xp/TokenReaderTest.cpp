#include "xp/TokenReader.h"

#include "xp/CommaLocale.h"
#include "xp/MemorySource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

// A tokeniser over `text` that has read its first line.
struct Reader {
    explicit Reader(const std::string& text, int lineLength = 256, int capacity = 32)
        : source(text), tokens(lineLength, capacity) {
        tokens.attach(&source);
        read = tokens.readLine();
    }
    Words all() const {
        Words out;
        for (int i = 0; i < tokens.tokenCount(); ++i) out.emplace_back(tokens.token(i));
        return out;
    }
    MemorySource source;
    XP::TokenReader tokens;
    bool read;
};

}  // namespace

TEST(TokenReader, BlanksSeparateAndQuotesGroup) {
    EXPECT_EQ(Reader("AddResource   dotcol \t RGBColour  40   40 50  \r\n").all(),
              (Words{"AddResource", "dotcol", "RGBColour", "40", "40", "50"}));
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
    comment.tokens.cursor = 3;
    ASSERT_TRUE(comment.tokens.readLine());
    EXPECT_EQ(comment.tokens.cursor, 0);
    EXPECT_EQ(comment.all(), Words{"next"});
    EXPECT_FALSE(comment.tokens.readLine());
    EXPECT_EQ(comment.tokens.tokenCount(), 0);
}

TEST(TokenReader, SurplusTokensAreDroppedAndLongLinesCut) {
    std::string line;
    for (int i = 0; i < 40; ++i) line += "t" + std::to_string(i) + " ";
    Reader wide(line);
    ASSERT_EQ(wide.tokens.tokenCount(), 32);
    EXPECT_STREQ(wide.tokens.token(31), "t31");
    EXPECT_EQ(Reader("a b c d", 256, 2).all(), (Words{"a", "b"}));
    EXPECT_EQ(Reader("abc de", 0, 0).all(), Words{"a"});  // clamped to 3 bytes, 1 token

    Reader longLine(std::string(300, 'w'));
    EXPECT_EQ(std::string(longLine.tokens.token(0)).size(), 254u);
    ASSERT_TRUE(longLine.tokens.readLine());
    EXPECT_EQ(std::string(longLine.tokens.token(0)).size(), 46u);
}

TEST(TokenReader, NumbersFollowLibraryConversionsAndAnswerZeroOffTheLine) {
    Reader r("inf -INF 12.4 12ab word");
    EXPECT_EQ(r.tokens.tokenAsDouble(0), HUGE_VAL);
    EXPECT_EQ(r.tokens.tokenAsDouble(1), -HUGE_VAL);
    EXPECT_DOUBLE_EQ(r.tokens.tokenAsDouble(2), 12.4);
    EXPECT_EQ(r.tokens.tokenAsLong(3), 12);
    EXPECT_EQ(r.tokens.tokenAsLong(4), 0);
    EXPECT_EQ(r.tokens.tokenAsLong(5), 0);
    EXPECT_EQ(r.tokens.tokenAsLong(-1), 0);
    EXPECT_EQ(r.tokens.tokenAsDouble(1000000), 0.0);
    EXPECT_STREQ(r.tokens.token(5), "");
}

TEST(TokenReader, DecimalPointReadsTheSameUnderACommaLocale) {
    CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_DOUBLE_EQ(Reader("12.4").tokens.tokenAsDouble(0), 12.4);
}

TEST(TokenReader, WordTestsIgnoreCaseAndNeedEnoughArguments) {
    Reader full("Init 540 395 2");
    EXPECT_FALSE(full.tokens.tokenIs(-1, "Init"));
    EXPECT_FALSE(full.tokens.tokenIs(4, ""));
    EXPECT_FALSE(full.tokens.tokenIs(0, nullptr));
    EXPECT_TRUE(full.tokens.acceptToken("init", 3));
    EXPECT_EQ(full.tokens.cursor, 1);
    Reader shortLine("Init 540 395");
    EXPECT_FALSE(shortLine.tokens.acceptToken("Init", 3));
    EXPECT_FALSE(shortLine.tokens.acceptToken("Page", 0));
    EXPECT_EQ(shortLine.tokens.cursor, 0);
}
