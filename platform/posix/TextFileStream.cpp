#include "platform/posix/TextFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

std::unique_ptr<TextFileStream> TextFileStream::Open(const std::string& hostPath) {
    int descriptor = open(hostPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0)
        return nullptr;
    struct stat info;
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    FILE* file = fdopen(descriptor, "r+");
    if (!file) {
        close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<TextFileStream>(new TextFileStream(file));
}

TextFileStream::~TextFileStream() {
    Close();
    std::free(m_buffer);
}

bool TextFileStream::SwitchTo(Direction direction) {
    if (m_direction != Direction::kNone && m_direction != direction) {
        if (std::fseek(m_file, 0, SEEK_CUR) != 0)
            return false;
    }
    m_direction = direction;
    return true;
}

BOOL TextFileStream::ReadLine(CString& line) {
    line.Empty();
    if (!m_file || !SwitchTo(Direction::kReading))
        return FALSE;
    ssize_t length = getline(&m_buffer, &m_bufferSize, m_file);
    if (length <= 0)
        return FALSE;
    size_t textLength = static_cast<size_t>(length);
    if (m_buffer[textLength - 1] == '\n') {
        --textLength;
        if (textLength > 0 && m_buffer[textLength - 1] == '\r')
            --textLength;
    }
    line = CString(std::string(m_buffer, textLength));
    return TRUE;
}

BOOL TextFileStream::AtEndOfFile() {
    return m_file && std::feof(m_file) && !std::ferror(m_file);
}

BOOL TextFileStream::Rewind() {
    if (!m_file)
        return FALSE;
    m_direction = Direction::kNone;
    if (std::fseek(m_file, 0, SEEK_SET) != 0)
        return FALSE;
    std::clearerr(m_file);
    return TRUE;
}

BOOL TextFileStream::Truncate() {
    if (!m_file)
        return FALSE;
    if (std::fflush(m_file) != 0)
        return FALSE;
    if (ftruncate(fileno(m_file), 0) != 0)
        return FALSE;
    return Rewind();
}

BOOL TextFileStream::WriteLine(const CString& text) {
    if (!m_file || !SwitchTo(Direction::kWriting))
        return FALSE;
    const std::string& bytes = text.str();
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        return FALSE;
    return std::fputs("\r\n", m_file) != EOF;
}

BOOL TextFileStream::Flush() {
    if (!m_file)
        return FALSE;
    if (std::fflush(m_file) != 0)
        return FALSE;
    // File systems that can't sync (EINVAL) have nothing more to do.
    return fsync(fileno(m_file)) == 0 || errno == EINVAL;
}

BOOL TextFileStream::Close() {
    if (!m_file)
        return FALSE;
    int result = std::fclose(m_file);
    m_file = nullptr;
    return result == 0;
}
