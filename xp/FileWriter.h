#pragma once
// Writes indented text lines ending in CR LF. A writer without an open file
// does nothing; lines beyond the maximum are dropped.

#include <cstdint>
#include <fstream>

namespace XP {

class FileWriter {
public:
    static constexpr int kMaxLines = 1048576;
    static constexpr int kMaxIndent = 1023;

    FileWriter() = default;
    virtual ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Replaces any existing file. Answers isOpen().
    bool open(const char* path);
    void close();
    bool isOpen() const { return mStream.is_open(); }

    // Answers how far the file position advanced (0 when closed).
    std::uint64_t write(const void* bytes, std::uint64_t count);
    void writeLine(const char* text);
    // The line followed by  "<where>, line <n>"  in double quotes.
    void writeLine(const char* text, const char* where, long lineNumber);

    void indent(int n);
    void outdent(int n);

    int indentation() const { return mIndent; }
    int linesWritten() const { return mLines; }

private:
    void finishLine(const char* text, const char* tail);

    std::ofstream mStream;
    int mLines = 0;
    int mMaxLines = kMaxLines;
    char mScratch[1024] = {};
    int mIndent = 0;
};

}  // namespace XP
