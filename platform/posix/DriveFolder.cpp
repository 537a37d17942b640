#include "platform/posix/DriveFolder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <memory>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string JoinHost(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

}  // namespace

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool SplitProgramPath(const std::string& programPath, std::vector<std::string>& components) {
    components.clear();
    size_t position = 0;
    if (programPath.size() >= 3 && (programPath[0] == 'C' || programPath[0] == 'c') &&
        programPath[1] == ':' && IsSeparator(programPath[2])) {
        position = 3;
    } else if (!programPath.empty() && IsSeparator(programPath[0]) &&
               !(programPath.size() >= 2 && IsSeparator(programPath[1]))) {
        position = 1;  // root of the current drive
    } else {
        return false;  // another drive, a UNC path, a drive-relative or a relative path
    }
    while (position <= programPath.size()) {
        size_t end = position;
        while (end < programPath.size() && !IsSeparator(programPath[end]))
            ++end;
        std::string component = programPath.substr(position, end - position);
        if (component == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!component.empty() && component != ".") {
            components.push_back(component);
        }
        position = end + 1;
    }
    return true;
}

std::string FindEntryIgnoringCase(const std::string& hostFolder, const std::string& name) {
    struct stat info;
    if (lstat(JoinHost(hostFolder, name).c_str(), &info) == 0)
        return name;
    std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(hostFolder.c_str()), closedir);
    if (!folder)
        return std::string();
    std::string best;
    while (const dirent* entry = readdir(folder.get())) {
        std::string candidate = entry->d_name;
        if (EqualIgnoringCase(candidate, name) && (best.empty() || candidate < best)) {
            best = candidate;
        }
    }
    return best;
}

DriveFolder::DriveFolder(const std::string& hostFolder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(hostFolder, error);
    m_hostFolder = error ? hostFolder : absolute.lexically_normal().string();
    while (m_hostFolder.size() > 1 && m_hostFolder.back() == '/')
        m_hostFolder.pop_back();
}

bool DriveFolder::Resolve(const std::string& programPath, Resolved& resolved) const {
    std::vector<std::string> components;
    if (!SplitProgramPath(programPath, components))
        return false;
    resolved.hostPath = m_hostFolder;
    resolved.programPath = "C:";
    for (const std::string& component : components) {
        std::string found = FindEntryIgnoringCase(resolved.hostPath, component);
        const std::string& name = found.empty() ? component : found;
        resolved.hostPath = JoinHost(resolved.hostPath, name);
        resolved.programPath += "\\" + name;
    }
    if (components.empty())
        resolved.programPath += "\\";
    return true;
}

bool DriveFolder::ToHostPath(const std::string& programPath, std::string& hostPath) const {
    Resolved resolved;
    if (!Resolve(programPath, resolved))
        return false;
    hostPath = resolved.hostPath;
    return true;
}
