// The staging file on a volume as a text stream: the file is read whole into memory when the
// stream opens, reads and writes work on that copy at one position (as a C stream opened "r+"),
// and Flush writes the copy to the volume whole and durably. The line format is that of the
// POSIX stream (TextFileStream.h): a line ends at a line feed, a carriage return before it
// belongs to the line end, WriteLine ends each line with a carriage return and line feed.
#pragma once

#include <functional>
#include <string>

#include "platform/Platform.h"

class VolumeTextStream : public ITextStream {
public:
    // store writes the whole content to the volume; false when that failed.
    VolumeTextStream(std::string content, std::function<bool(const std::string&)> store);
    ~VolumeTextStream() override;

    BOOL ReadLine(CString& line) override;
    BOOL AtEndOfFile() override;
    BOOL Rewind() override;
    BOOL Truncate() override;
    BOOL WriteLine(const CString& text) override;
    BOOL Flush() override;
    BOOL Close() override;  // writes what was not flushed yet

private:
    std::string m_content;
    std::function<bool(const std::string&)> m_store;
    size_t m_position = 0;
    bool m_atEnd = false;
    bool m_changed = false;
    bool m_open = true;
};
