#include "platform/image/VolumeTextStream.h"

VolumeTextStream::VolumeTextStream(std::string content,
                                   std::function<bool(const std::string&)> store)
    : m_content(std::move(content)), m_store(std::move(store)) {}

VolumeTextStream::~VolumeTextStream() {
    if (m_open)
        Close();
}

BOOL VolumeTextStream::ReadLine(CString& line) {
    line.Empty();
    if (!m_open || m_position >= m_content.size()) {
        m_atEnd = m_open;
        return FALSE;
    }
    size_t end = m_content.find('\n', m_position);
    size_t next = end == std::string::npos ? m_content.size() : end + 1;
    if (end == std::string::npos)
        end = m_content.size();
    else if (end > m_position && m_content[end - 1] == '\r')
        --end;
    line = CString(m_content.substr(m_position, end - m_position));
    m_position = next;
    return TRUE;
}

BOOL VolumeTextStream::AtEndOfFile() {
    return m_open && m_atEnd;
}

BOOL VolumeTextStream::Rewind() {
    if (!m_open)
        return FALSE;
    m_position = 0;
    m_atEnd = false;
    return TRUE;
}

BOOL VolumeTextStream::Truncate() {
    if (!m_open)
        return FALSE;
    m_content.clear();
    m_changed = true;
    return Rewind();
}

BOOL VolumeTextStream::WriteLine(const CString& text) {
    if (!m_open)
        return FALSE;
    const std::string bytes = text.str() + "\r\n";
    const size_t replaced = std::min(bytes.size(), m_content.size() - m_position);
    m_content.replace(m_position, replaced, bytes);
    m_position += bytes.size();
    m_atEnd = false;
    m_changed = true;
    return TRUE;
}

BOOL VolumeTextStream::Flush() {
    if (!m_open)
        return FALSE;
    if (m_changed) {
        if (!m_store(m_content))
            return FALSE;
        m_changed = false;
    }
    return TRUE;
}

BOOL VolumeTextStream::Close() {
    if (!m_open)
        return FALSE;
    const BOOL flushed = Flush();
    m_open = false;
    return flushed;
}
