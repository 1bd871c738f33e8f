#include "xp/LineReader.h"

#include <cstring>

namespace XP {

LineReader::LineReader() { reset(); }

LineReader::~LineReader() { delete[] mChunk; }

void LineReader::reset() {
    mSource = nullptr;
    if (mChunkLength != kChunkSize) {
        delete[] mChunk;
        mChunk = new char[kChunkSize];
        mChunkLength = kChunkSize;
    }
    mPosition = mFillEnd = mChunk;
    mExhausted = true;
}

void LineReader::attach(InputReader* source) {
    mSource = source;
    mExhausted = false;
    refill();
}

bool LineReader::refill() {
    std::uint64_t got = 0;
    if (mSource && mSource->isOpen()) got = mSource->read(mChunk, std::uint64_t(mChunkLength));
    // A source that claims more than it was asked for cannot be trusted with
    // the rest of the chunk either.
    if (got > std::uint64_t(mChunkLength)) got = std::uint64_t(mChunkLength);
    mPosition = mChunk;
    mFillEnd = mChunk + got;
    if (got == 0) mExhausted = true;
    return got != 0;
}

bool LineReader::readLine(char* buffer, int length) {
    // A buffer that cannot hold one character would never let the input
    // advance; refuse it rather than hand out endless empty lines.
    if (mExhausted || !buffer || length < 3) return false;
    std::memset(buffer, 0, std::size_t(length));
    const int limit = length - 2;
    int stored = 0;

    // Copy phase: up to the first line break or the buffer's limit.
    while (!mExhausted) {
        if (stored == limit) break;
        char c = *mPosition;
        if (c == '\n' || c == '\r') break;
        buffer[stored++] = c;
        if (++mPosition == mFillEnd && !refill()) return true;
    }
    if (mExhausted) return true;

    // Skip phase: swallow the whole run of CR and LF, blank lines included.
    while (*mPosition == '\n' || *mPosition == '\r') {
        if (++mPosition == mFillEnd && !refill()) break;
    }
    return true;
}

}  // namespace XP
