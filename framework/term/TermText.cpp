#include "framework/term/TermText.h"

namespace {
// Code page 1252 in 0x80..0x9F; the five bytes it leaves unassigned keep the C1 control of the
// same value, so that every byte has a character and converts back to itself.
constexpr wchar_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

wchar_t CharacterOf(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return kHighControls[byte - 0x80];
    return static_cast<wchar_t>(byte);
}

char ByteOf(wchar_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<char>(character);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == character)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}
}  // namespace

finalcut::FString ToWidgetText(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text)
        wide += CharacterOf(static_cast<unsigned char>(c));
    return finalcut::FString(wide);
}

std::string FromWidgetText(const finalcut::FString& text) {
    const std::wstring wide = text.toWString();
    std::string narrow;
    narrow.reserve(wide.size());
    for (wchar_t c : wide)
        narrow += ByteOf(c);
    return narrow;
}
