#include "platform/posix/HostProfileStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/DriveFolder.h"
#include "platform/posix/ProfileText.h"
#include "platform/posix/SafeReplace.h"

namespace {

bool MakeFolders(const std::string& folder) {
    if (folder.empty())
        return false;
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string prefix = folder.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool ReadHostFile(const std::string& hostPath, std::string& text, bool& missing, bool followLinks) {
    text.clear();
    int descriptor = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    missing = descriptor < 0 && errno == ENOENT;
    if (descriptor < 0)
        return false;
    char buffer[4096];
    ssize_t got;
    while ((got = read(descriptor, buffer, sizeof buffer)) != 0) {
        if (got < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    close(descriptor);
    return got == 0;
}

std::string HostProfileStore::ProfileFolder() const {
    if (!m_profileFolder.empty())
        return m_profileFolder;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        return std::string(configHome) + "/tarnwick";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        home = entry ? entry->pw_dir : nullptr;
    }
    if (!home || home[0] != '/')
        return std::string();
    return std::string(home) + "/.config/tarnwick";
}

bool HostProfileStore::ProfilePath(LPCSTR profileFile, std::string& hostPath) const {
    if (!profileFile)
        return false;
    std::string name = profileFile;
    size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos)
        name = name.substr(separator + 1);
    std::string folder = ProfileFolder();
    if (name.empty() || name == "." || name == ".." || folder.empty())
        return false;
    // Found without regard to case, like every other file the program names.
    std::string found = FindEntryIgnoringCase(folder, name);
    hostPath = folder + "/" + (found.empty() ? name : found);
    return true;
}

// Profile files may be links (kept with other settings elsewhere): they are followed.
UINT HostProfileStore::GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue,
                                     LPCSTR profileFile) {
    std::string hostPath, text, value;
    bool missing = false;
    if (!section || !key || !ProfilePath(profileFile, hostPath) ||
        !ReadHostFile(hostPath, text, missing, true) ||
        !ProfileText(text).Find(section, key, value)) {
        return static_cast<UINT>(defaultValue);
    }
    return ProfileIntFromText(value, defaultValue);
}

BOOL HostProfileStore::WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value,
                                          LPCSTR profileFile) {
    std::string hostPath, text;
    bool missing = false;
    if (!section || !ProfilePath(profileFile, hostPath))
        return FALSE;
    if (!ReadHostFile(hostPath, text, missing, true) && !missing)
        return FALSE;
    if (!MakeFolders(ProfileFolder()))
        return FALSE;
    ProfileText profile(text);
    if (!key) {
        profile.RemoveSection(section);
    } else if (!value) {
        profile.RemoveKey(section, key);
    } else {
        profile.Set(section, key, value);
    }
    std::string newText = profile.Text();
    ReplaceContent content;
    content.permissions = 0600;
    content.write = [&newText](int descriptor) {
        return WriteAll(descriptor, newText.data(), newText.size());
    };
    return ReplaceFileContents(hostPath, content, nullptr) ? TRUE : FALSE;
}
