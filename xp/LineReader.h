#pragma once
// Cuts the bytes of a source into lines. CR, LF, CR LF and any run of them
// end a line, so blank lines are swallowed; a last line needs no break; a
// line longer than the caller's buffer comes back in pieces.

#include "xp/InputReader.h"

namespace XP {

class LineReader {
public:
    static constexpr int kChunkSize = 2048;

    LineReader();
    virtual ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Forgets the source; the reader is exhausted afterwards.
    void reset();
    // Uses `source` (not owned, may be null) and reads its first chunk.
    void attach(InputReader* source);

    // Fills `buffer` (zeroed first) with the next line, at most length - 2
    // characters, always NUL-terminated. Answers false, writing nothing, when
    // the input was already used up (or the buffer cannot hold a character).
    bool readLine(char* buffer, int length);

    bool isExhausted() const { return mExhausted; }

private:
    // Reads the next chunk; answers false (and marks the reader exhausted)
    // when nothing more comes.
    bool refill();

    InputReader* mSource = nullptr;
    char* mChunk = nullptr;
    int mChunkLength = 0;
    const char* mPosition = nullptr;
    const char* mFillEnd = nullptr;
    bool mExhausted = true;
};

}  // namespace XP
