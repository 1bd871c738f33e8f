#pragma once
// Lines of words for the skin and preset texts. Words are separated by
// spaces or tabs; a double quote groups a word that holds blanks; everything
// from the first '#' on is a comment (even inside quotes). Tokens point into
// one fixed line buffer, so reading a line allocates nothing.

#include "xp/InputReader.h"
#include "xp/LineReader.h"

namespace XP {

class TokenReader {
public:
    static constexpr int kDefaultLineLength = 256;
    static constexpr int kDefaultTokenCapacity = 32;

    TokenReader();
    explicit TokenReader(InputReader* source);
    TokenReader(int lineLength, int tokenCapacity);
    virtual ~TokenReader();
    TokenReader(const TokenReader&) = delete;
    TokenReader& operator=(const TokenReader&) = delete;

    void attach(InputReader* source) { mLines.attach(source); }

    // Reads and tokenises the next line; answers false when no line came.
    // Tokens beyond the table's capacity are dropped.
    bool readLine();

    int tokenCount() const { return mCount; }
    // Token i, valid until the next readLine; "" when i is out of range.
    const char* token(int i) const;
    // strtol / strtod readings of token i; 0 when i is out of range.
    // tokenAsDouble reads "Inf" and "-Inf" (any case) as infinities.
    long tokenAsLong(int i) const;
    double tokenAsDouble(int i) const;
    // Token i equals `word` ignoring letter case.
    bool tokenIs(int i, const char* word) const;
    // When token `cursor` is `word` and at least n tokens follow it, steps
    // the cursor past the word and answers true; otherwise changes nothing.
    bool acceptToken(const char* word, int n);

    int lineLength() const { return mLineLength; }
    int tokenCapacity() const { return mCapacity; }

    // Index of the next token to consume; callers move it.
    int cursor = 0;

private:
    void tokenise();

    LineReader mLines;
    char* mLine = nullptr;
    int mLineLength = 0;
    char** mTokens = nullptr;
    int mCapacity = 0;
    int mCount = 0;
};

}  // namespace XP
