// The \ArcName folder of the running Windows' object namespace, read through ntdll's native
// calls (NtOpenDirectoryObject, NtQueryDirectoryObject, NtOpenSymbolicLinkObject,
// NtQuerySymbolicLinkObject), which are loaded at run time: they are not in the import
// libraries of every Windows version the program runs on.
#pragma once

#include <string>

#include "bootcheck/ArcNames.h"

namespace bootcheck {

class NtArcNameDirectory : public IArcNameDirectory {
public:
    // Another folder of the namespace reads the same way (tests use "\??", the drive letters).
    explicit NtArcNameDirectory(std::wstring folder = L"\\ArcName") : m_folder(std::move(folder)) {}

    std::optional<std::vector<ArcNameLink>> Links() const override;

private:
    std::wstring m_folder;
};

}  // namespace bootcheck
