#include "bootcheck/win32/NtArcNames.h"

// clang-format off
#include "framework/Types.h"
#include <winternl.h>
// clang-format on

namespace bootcheck {
namespace {

constexpr ACCESS_MASK kDirectoryQuery = 0x0001;
constexpr ACCESS_MASK kDirectoryTraverse = 0x0002;
constexpr ACCESS_MASK kSymbolicLinkQuery = 0x0001;
constexpr NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023L);

struct DirectoryEntry {
    UNICODE_STRING name;
    UNICODE_STRING typeName;
};

using OpenObject = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using QueryDirectory = NTSTATUS(NTAPI*)(HANDLE, PVOID, ULONG, BOOLEAN, BOOLEAN, PULONG, PULONG);
using QueryLink = NTSTATUS(NTAPI*)(HANDLE, PUNICODE_STRING, PULONG);
using CloseObject = NTSTATUS(NTAPI*)(HANDLE);

template <typename Function>
Function NtdllEntry(const char* name) {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    if (!ntdll)
        return nullptr;
    // Through the generic function type, which converts to any other without complaint.
    const auto entry = reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, name));
    return reinterpret_cast<Function>(entry);
}

std::string Narrow(const UNICODE_STRING& text) {
    int length = static_cast<int>(text.Length / sizeof(WCHAR));
    if (length == 0)
        return "";
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.Buffer, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.Buffer, length, &result[0], size, nullptr, nullptr);
    return result;
}

UNICODE_STRING Counted(const std::wstring& text) {
    UNICODE_STRING counted;
    counted.Length = static_cast<USHORT>(text.size() * sizeof(WCHAR));
    counted.MaximumLength = counted.Length;
    counted.Buffer = const_cast<PWSTR>(text.c_str());
    return counted;
}

OBJECT_ATTRIBUTES Attributes(UNICODE_STRING* name, HANDLE root) {
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, name, OBJ_CASE_INSENSITIVE, root, nullptr);
    return attributes;
}

}  // namespace

std::optional<std::vector<ArcNameLink>> NtArcNameDirectory::Links() const {
    auto openDirectory = NtdllEntry<OpenObject>("NtOpenDirectoryObject");
    auto queryDirectory = NtdllEntry<QueryDirectory>("NtQueryDirectoryObject");
    auto openLink = NtdllEntry<OpenObject>("NtOpenSymbolicLinkObject");
    auto queryLink = NtdllEntry<QueryLink>("NtQuerySymbolicLinkObject");
    auto close = NtdllEntry<CloseObject>("NtClose");
    if (!openDirectory || !queryDirectory || !openLink || !queryLink || !close)
        return std::nullopt;

    UNICODE_STRING folderCounted = Counted(m_folder);
    OBJECT_ATTRIBUTES folderAttributes = Attributes(&folderCounted, nullptr);
    HANDLE folder = nullptr;
    if (openDirectory(&folder, kDirectoryQuery | kDirectoryTraverse, &folderAttributes) < 0)
        return std::nullopt;

    std::vector<ArcNameLink> links;
    std::vector<unsigned char> buffer(4096);
    ULONG context = 0;
    BOOLEAN restart = TRUE;
    for (;;) {
        ULONG returned = 0;
        NTSTATUS status = queryDirectory(folder, buffer.data(), static_cast<ULONG>(buffer.size()),
                                         TRUE, restart, &context, &returned);
        // An entry too long for the buffer stays the next one: ask again with a larger buffer.
        if (status == kBufferTooSmall && buffer.size() < 65536) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        // STATUS_NO_MORE_ENTRIES and every failure end the walk.
        if (status < 0)
            break;
        restart = FALSE;
        const auto* entry = reinterpret_cast<const DirectoryEntry*>(buffer.data());
        if (Narrow(entry->typeName) != "SymbolicLink")
            continue;

        UNICODE_STRING name = entry->name;
        OBJECT_ATTRIBUTES linkAttributes = Attributes(&name, folder);
        HANDLE link = nullptr;
        if (openLink(&link, kSymbolicLinkQuery, &linkAttributes) < 0)
            continue;
        std::wstring target(1024, L'\0');
        UNICODE_STRING targetCounted;
        targetCounted.Length = 0;
        targetCounted.MaximumLength = static_cast<USHORT>(target.size() * sizeof(WCHAR));
        targetCounted.Buffer = &target[0];
        ULONG targetLength = 0;
        if (queryLink(link, &targetCounted, &targetLength) >= 0)
            links.push_back({Narrow(entry->name), Narrow(targetCounted)});
        close(link);
    }
    close(folder);
    return links;
}

}  // namespace bootcheck
