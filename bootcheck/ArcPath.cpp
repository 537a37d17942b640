#include "bootcheck/ArcPath.h"

#include "bootcheck/Text.h"

namespace bootcheck {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

// Walks one "keyword(number)" component from pos; moves pos past it when it matches.
class ComponentReader {
public:
    ComponentReader(const std::string& text, size_t end) : m_text(text), m_end(end) {}

    // Decimal number of at most nine digits, so that it fits every unsigned long.
    bool Decimal(size_t& pos, const char* keyword, unsigned long& value, TextRange* range) {
        TextRange digits;
        if (!Open(pos, keyword, digits, 9, false))
            return false;
        value = 0;
        for (size_t i = digits.begin; i < digits.end; ++i)
            value = value * 10 + (m_text[i] - '0');
        if (range)
            *range = digits;
        return true;
    }

    // Hexadecimal number of one to eight digits.
    bool Hex(size_t& pos, const char* keyword, uint32_t& value, TextRange& range) {
        if (!Open(pos, keyword, range, 8, true))
            return false;
        value = 0;
        for (size_t i = range.begin; i < range.end; ++i)
            value = (value << 4) | static_cast<uint32_t>(HexValue(m_text[i]));
        return true;
    }

private:
    bool Open(size_t& pos, const char* keyword, TextRange& digits, size_t maxDigits, bool hex) {
        size_t at = pos;
        for (const char* k = keyword; *k; ++k, ++at) {
            if (at >= m_end || AsciiLower(m_text[at]) != *k)
                return false;
        }
        if (at >= m_end || m_text[at] != '(')
            return false;
        digits.begin = ++at;
        while (at < m_end &&
               (hex ? IsHexDigit(m_text[at]) : (m_text[at] >= '0' && m_text[at] <= '9')))
            ++at;
        digits.end = at;
        size_t count = digits.end - digits.begin;
        if (count == 0 || count > maxDigits)
            return false;
        if (at >= m_end || m_text[at] != ')')
            return false;
        pos = at + 1;
        return true;
    }

    const std::string& m_text;
    size_t m_end;
};

}  // namespace

std::optional<ArcPath> ParseArcPath(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    if (begin == end)
        return std::nullopt;

    ArcPath path;
    size_t pos = begin;
    if (end - begin >= 2 && text[begin + 1] == ':' && AsciiLower(text[begin]) >= 'a' &&
        AsciiLower(text[begin]) <= 'z') {
        path.form = ArcForm::Drive;
        path.drive = static_cast<char>(AsciiLower(text[begin]) - 'a' + 'A');
        pos = begin + 2;
        if (pos < end && text[pos] != '\\')
            return std::nullopt;
    } else {
        ComponentReader reader(text, end);
        if (reader.Decimal(pos, "multi", path.adapter, &path.firstNumber)) {
            path.form = ArcForm::Multi;
        } else if (reader.Decimal(pos, "scsi", path.adapter, &path.firstNumber)) {
            path.form = ArcForm::Scsi;
        } else if (reader.Hex(pos, "signature", path.signature, path.firstNumber)) {
            path.form = ArcForm::Signature;
        } else {
            return std::nullopt;
        }
        if (!reader.Decimal(pos, "disk", path.disk, &path.diskNumber) ||
            !reader.Decimal(pos, "rdisk", path.rdisk, &path.rdiskNumber) ||
            !reader.Decimal(pos, "partition", path.partition, &path.partitionNumber))
            return std::nullopt;
        if (pos < end && text[pos] != '\\')
            return std::nullopt;
    }
    path.systemRoot = text.substr(pos, end - pos);
    path.systemRootText = {pos, end};
    return path;
}

std::string FirstComponent(const ArcPath& path, const std::string& text) {
    size_t keywordBegin = path.firstNumber.begin;
    while (keywordBegin > 0 && text[keywordBegin - 1] != ' ' && text[keywordBegin - 1] != '\t')
        --keywordBegin;
    return text.substr(keywordBegin, path.firstNumber.end + 1 - keywordBegin);
}

}  // namespace bootcheck
