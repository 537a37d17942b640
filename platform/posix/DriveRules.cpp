#include "platform/posix/DriveRules.h"

#include "platform/WellKnownSids.h"

std::vector<TokenGroup> StandInTokenGroups(bool mayChangeDrive) {
    constexpr DWORD kEnabledMandatory = kGroupMandatory | kGroupEnabledByDefault | kGroupEnabled;
    std::vector<TokenGroup> groups;
    groups.push_back({EveryoneSid(), kEnabledMandatory});
    groups.push_back({UsersSid(), kEnabledMandatory});
    if (mayChangeDrive)
        groups.push_back({AdministratorsSid(), kEnabledMandatory});
    return groups;
}

std::vector<std::string> SystemDirectoryCandidates(const std::string& windowsFolderHint) {
    std::vector<std::string> folders;
    if (!windowsFolderHint.empty()) {
        folders.push_back(windowsFolderHint);
    } else {
        folders = {"\\WINDOWS", "\\WINNT"};
    }
    std::vector<std::string> candidates;
    for (std::string folder : folders) {
        if (folder.size() >= 2 && folder[1] == ':') {
            // Already names its drive.
        } else if (folder[0] == '\\' || folder[0] == '/') {
            folder = "C:" + folder;
        } else {
            folder = "C:\\" + folder;
        }
        candidates.push_back(folder + "\\system32");
    }
    return candidates;
}
