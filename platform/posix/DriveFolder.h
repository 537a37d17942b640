// Drive C: as a folder of the Linux file system.
//
// The program names its files with Windows paths on drive C: ("C:\\BOOT.INI"). Here drive C: is a
// folder (a mounted Windows partition, a disk image, a test folder), and each component of a path
// is matched against the folder's entries without regard to case, as Windows does: an existing
// "boot.ini" is C:\BOOT.INI. A component with no match keeps the spelling the program gave it, so a
// new file is created under the program's name.
//
// Accepted paths: "C:\\..." and "\\..." (the root of the current drive, which is always C:);
// "/" also separates components; "." and ".." are resolved by name and ".." stops at the root.
// Other drives, UNC paths and relative paths are outside drive C: and are refused.
#pragma once

#include <string>
#include <vector>

class DriveFolder {
public:
    // hostFolder: the folder standing for the root of drive C:; made absolute here so that a
    // later change of the current directory does not move the drive.
    explicit DriveFolder(const std::string& hostFolder);

    const std::string& HostFolder() const { return m_hostFolder; }

    struct Resolved {
        std::string hostPath;     // where the file is, or would be created
        std::string programPath;  // "C:\\..." with each component as found on disk
    };
    // False for a path outside drive C:.
    bool Resolve(const std::string& programPath, Resolved& resolved) const;
    bool ToHostPath(const std::string& programPath, std::string& hostPath) const;

private:
    std::string m_hostFolder;
};

// The entry of hostFolder whose name equals name without regard to case (ASCII letters): the exact
// name when it exists, else the first match in byte order; empty when there is none.
std::string FindEntryIgnoringCase(const std::string& hostFolder, const std::string& name);

// Whether two names are equal without regard to the case of ASCII letters, as Windows compares
// file, section and key names.
bool EqualIgnoringCase(const std::string& a, const std::string& b);

// Splits a program path on drive C: into its components, "." and ".." resolved; false when the
// path is not on drive C:.
bool SplitProgramPath(const std::string& programPath, std::vector<std::string>& components);
