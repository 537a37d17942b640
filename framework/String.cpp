#include "framework/String.h"

#include <cctype>
#include <stdexcept>

int CString::Compare(LPCSTR other) const {
    return m_text.compare(other ? other : "");
}

int CString::CompareNoCase(LPCSTR other) const {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_text.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(other ? other : "");
    for (;; ++a, ++b) {
        int difference = std::tolower(*a) - std::tolower(*b);
        if (difference != 0 || *a == 0) return difference;
    }
}

long CStringArray::CheckedIndex(int index, int highest) {
    // An index out of range is a programming error; failing loudly beats corrupting lines.
    if (index < 0 || index > highest) throw std::out_of_range("CStringArray index out of range");
    return index;
}
