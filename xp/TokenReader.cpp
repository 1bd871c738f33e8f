#include "xp/TokenReader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <stdlib.h>
#include <strings.h>

namespace XP {
namespace {

// Smallest usable sizes: a line buffer must hold a character and its
// terminators, a table at least one token.
constexpr int kMinLineLength = 3;
constexpr int kMinTokenCapacity = 1;

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Skin and preset numbers are written with a decimal point; a host that
// switched the process locale must not change how they read.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return locale;
}

}  // namespace

TokenReader::TokenReader() : TokenReader(kDefaultLineLength, kDefaultTokenCapacity) {}

TokenReader::TokenReader(InputReader* source) : TokenReader() { attach(source); }

TokenReader::TokenReader(int lineLength, int tokenCapacity)
    : mLineLength(lineLength < kMinLineLength ? kMinLineLength : lineLength),
      mCapacity(tokenCapacity < kMinTokenCapacity ? kMinTokenCapacity : tokenCapacity) {
    mLine = new char[std::size_t(mLineLength)];
    std::memset(mLine, 0, std::size_t(mLineLength));
    mTokens = new char*[std::size_t(mCapacity)];
    for (int i = 0; i < mCapacity; ++i) mTokens[i] = nullptr;
}

TokenReader::~TokenReader() {
    delete[] mLine;
    delete[] mTokens;
}

bool TokenReader::readLine() {
    std::memset(mLine, 0, std::size_t(mLineLength));
    for (int i = 0; i < mCapacity; ++i) mTokens[i] = nullptr;
    mCount = 0;
    cursor = 0;
    if (!mLines.readLine(mLine, mLineLength)) return false;
    tokenise();
    return true;
}

void TokenReader::tokenise() {
    // The line reader leaves at least two zero bytes at the end of the
    // buffer, and a NUL inside the line ends it here; so every scan below
    // stops on a terminator inside the buffer.
    if (char* hash = std::strchr(mLine, '#')) *hash = 0;

    char* p = mLine;
    while (*p && mCount < mCapacity) {
        while (isBlank(*p)) ++p;
        if (!*p) break;
        if (*p == '"') {
            char* start = ++p;
            while (*p && *p != '"') ++p;
            if (*p) *p++ = 0;
            mTokens[mCount++] = start;
        } else {
            char* start = p;
            while (*p && !isBlank(*p)) ++p;
            if (*p) *p++ = 0;
            mTokens[mCount++] = start;
        }
    }
    // Words beyond the table are dropped: no line of ours needs that many.
}

const char* TokenReader::token(int i) const {
    if (i < 0 || i >= mCount || !mTokens[i]) return "";
    return mTokens[i];
}

long TokenReader::tokenAsLong(int i) const {
    if (i < 0 || i >= mCount) return 0;
    return std::strtol(mTokens[i], nullptr, 10);
}

double TokenReader::tokenAsDouble(int i) const {
    if (i < 0 || i >= mCount) return 0.0;
    const char* t = mTokens[i];
    if (strcasecmp(t, "-Inf") == 0) return -HUGE_VAL;
    if (strcasecmp(t, "Inf") == 0) return HUGE_VAL;
    locale_t c = cLocale();
    return c ? strtod_l(t, nullptr, c) : std::strtod(t, nullptr);
}

bool TokenReader::tokenIs(int i, const char* word) const {
    return i >= 0 && i < mCount && word && strcasecmp(mTokens[i], word) == 0;
}

bool TokenReader::acceptToken(const char* word, int n) {
    if (!tokenIs(cursor, word) || mCount - cursor <= n) return false;
    ++cursor;
    return true;
}

}  // namespace XP
