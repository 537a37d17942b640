// The staging file's read/write text stream on a POSIX file.
//
// Line format: a line ends at a line feed; a carriage return directly before the line feed belongs
// to the line end (any other carriage return is text). A last line without a line end is read
// whole, and a file that ends with a line end has no further empty line. Lines are read whole
// whatever their length. WriteLine writes the text and a carriage return and line feed.
//
// Reads and writes may follow each other in any order: the stream repositions between them, as C
// requires of a stream opened for update.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/Platform.h"

class TextFileStream : public ITextStream {
public:
    // Opens an existing regular file for reading and writing; null when it can't be opened or is
    // a symbolic link.
    static std::unique_ptr<TextFileStream> Open(const std::string& hostPath);
    ~TextFileStream() override;

    BOOL ReadLine(CString& line) override;
    BOOL AtEndOfFile() override;
    BOOL Rewind() override;
    // Cuts the file to length 0 and moves to its start: the only position left in it, so the next
    // write can't leave a gap of zero bytes before it.
    BOOL Truncate() override;
    BOOL WriteLine(const CString& text) override;
    BOOL Flush() override;
    BOOL Close() override;

private:
    explicit TextFileStream(FILE* file) : m_file(file) {}
    enum class Direction { kNone, kReading, kWriting };
    bool SwitchTo(Direction direction);

    FILE* m_file;
    Direction m_direction = Direction::kNone;
    char* m_buffer = nullptr;  // getline's growable buffer
    size_t m_bufferSize = 0;
};
