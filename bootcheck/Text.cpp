#include "bootcheck/Text.h"

#include <cstdio>

namespace bootcheck {

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

std::string Fill(const char* pattern, std::initializer_list<std::string> arguments) {
    std::string result;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '{' && p[1] >= '0' && p[1] <= '9' && p[2] == '}') {
            size_t index = static_cast<size_t>(p[1] - '0');
            if (index < arguments.size())
                result += *(arguments.begin() + index);
            p += 2;
        } else {
            result += *p;
        }
    }
    return result;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    return folder + "\\" + name;
}

std::string RelativeFolder(const std::string& systemRoot) {
    size_t begin = 0;
    size_t end = systemRoot.size();
    while (begin < end && systemRoot[begin] == '\\')
        ++begin;
    while (end > begin && systemRoot[end - 1] == '\\')
        --end;
    return systemRoot.substr(begin, end - begin);
}

std::string HexSignature(unsigned long signature) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08lx", signature & 0xFFFFFFFFul);
    return digits;
}

}  // namespace bootcheck
