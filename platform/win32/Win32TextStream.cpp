#include "platform/win32/Win32TextStream.h"

#include <io.h>
#include <share.h>

#include <string>

std::unique_ptr<ITextStream> Win32TextStream::Open(LPCSTR path) {
    std::FILE* file = ::_fsopen(path, "r+b", _SH_DENYNO);
    if (!file)
        return nullptr;
    return std::unique_ptr<ITextStream>(new Win32TextStream(file));
}

Win32TextStream::~Win32TextStream() {
    Close();
}

void Win32TextStream::SwitchTo(bool writing) {
    if (m_file && writing != m_writing) {
        std::fseek(m_file, 0, SEEK_CUR);
        m_writing = writing;
    }
}

BOOL Win32TextStream::ReadLine(CString& line) {
    line.Empty();
    if (!m_file)
        return FALSE;
    SwitchTo(false);
    std::string text;
    bool readAny = false;
    int c;
    while ((c = std::getc(m_file)) != EOF) {
        readAny = true;
        if (c == '\n')
            break;
        text += static_cast<char>(c);
    }
    if (!readAny || std::ferror(m_file))
        return FALSE;
    if (c == '\n' && !text.empty() && text.back() == '\r')
        text.pop_back();
    line = CString(text);
    return TRUE;
}

BOOL Win32TextStream::AtEndOfFile() {
    return m_file && std::feof(m_file) && !std::ferror(m_file);
}

BOOL Win32TextStream::Rewind() {
    if (!m_file)
        return FALSE;
    std::clearerr(m_file);
    m_writing = false;
    return std::fseek(m_file, 0, SEEK_SET) == 0;
}

BOOL Win32TextStream::Truncate() {
    if (!m_file || std::fflush(m_file) != 0)
        return FALSE;
    return ::_chsize(::_fileno(m_file), 0) == 0 && std::fseek(m_file, 0, SEEK_SET) == 0;
}

BOOL Win32TextStream::WriteLine(const CString& text) {
    if (!m_file)
        return FALSE;
    SwitchTo(true);
    const std::string& bytes = text.str();
    return std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size() &&
           std::fputs("\r\n", m_file) >= 0;
}

BOOL Win32TextStream::Flush() {
    if (!m_file)
        return FALSE;
    m_writing = false;
    return std::fflush(m_file) == 0 && ::_commit(::_fileno(m_file)) == 0;
}

BOOL Win32TextStream::Close() {
    if (!m_file)
        return FALSE;
    const int result = std::fclose(m_file);
    m_file = nullptr;
    return result == 0;
}
