#include "framework/win32/DialogInitData.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr UINT kComboString = 0x403;
constexpr UINT kListString = 0x401;
constexpr WORD kInitDataType = 240;

template <class T>
T ReadAt(const unsigned char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

std::vector<DialogInitItem> ParseDialogInitData(const void* data, std::size_t size) {
    std::vector<DialogInitItem> items;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t at = 0;
    constexpr std::size_t kHeadSize = 2 + 2 + 4;
    while (bytes && at + 2 <= size) {
        const auto controlId = ReadAt<std::uint16_t>(bytes + at);
        if (controlId == 0 || at + kHeadSize > size)
            break;
        const auto message = ReadAt<std::uint16_t>(bytes + at + 2);
        const auto length = ReadAt<std::uint32_t>(bytes + at + 4);
        at += kHeadSize;
        if (length > size - at)
            break;
        const char* text = reinterpret_cast<const char*>(bytes + at);
        const void* end = std::memchr(text, '\0', length);
        const std::size_t textLength =
            end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : length;
        items.push_back({static_cast<int>(controlId), message, std::string(text, textLength)});
        at += length;
    }
    return items;
}

void ApplyDialogInitData(HMODULE module, UINT templateId, HWND dialog) {
    HRSRC resource =
        ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(kInitDataType));
    if (!resource)
        return;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return;
    for (const DialogInitItem& item :
         ParseDialogInitData(data, ::SizeofResource(module, resource))) {
        UINT message = 0;
        if (item.message == kComboString) {
            message = CB_ADDSTRING;
        } else if (item.message == kListString) {
            message = LB_ADDSTRING;
        } else {
            continue;  // no other kind of init data is written
        }
        ::SendDlgItemMessageA(dialog, item.controlId, message, 0,
                              reinterpret_cast<LPARAM>(item.text.c_str()));
    }
}
