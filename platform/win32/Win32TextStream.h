// The staging file as a C runtime stream opened for reading and update in binary mode ("r+b",
// shared with other openers). Line ends are handled here rather than by the runtime's text mode:
// lines are written with a carriage return and line feed, read with either ending, and read whole
// whatever their length, every byte kept (zero bytes too); a carriage return belongs to the line
// end only directly before a line feed.
#pragma once

#include <cstdio>
#include <memory>

#include "platform/Platform.h"

class Win32TextStream : public ITextStream {
public:
    // Null when the file can't be opened (it must exist).
    static std::unique_ptr<ITextStream> Open(LPCSTR path);
    ~Win32TextStream() override;
    Win32TextStream(const Win32TextStream&) = delete;
    Win32TextStream& operator=(const Win32TextStream&) = delete;

    BOOL ReadLine(CString& line) override;
    BOOL AtEndOfFile() override;
    BOOL Rewind() override;
    BOOL Truncate() override;
    BOOL WriteLine(const CString& text) override;
    BOOL Flush() override;
    BOOL Close() override;

private:
    explicit Win32TextStream(std::FILE* file) : m_file(file) {}
    // A stream open for update must be flushed or repositioned between reading and writing.
    void SwitchTo(bool writing);

    std::FILE* m_file;
    bool m_writing = false;
};
