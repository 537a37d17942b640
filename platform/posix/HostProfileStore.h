// The program's profile (its INI settings) as files of the Linux user: the INI file of the given
// name in $XDG_CONFIG_HOME/tarnwick/ (default ~/.config/tarnwick/), found without regard to case
// and written through a temporary file and a rename. Shared by every platform whose drive is not
// Windows' own, so the settings follow the user whichever drive is edited.
#pragma once

#include <string>

#include "framework/App.h"

class HostProfileStore : public IProfileStore {
public:
    UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR profileFile) override;
    BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR profileFile) override;

    // Where the profile files live; by default taken from the environment at each use.
    void SetProfileFolder(const std::string& folder) { m_profileFolder = folder; }
    std::string ProfileFolder() const;
    // The host path of a profile file; false for a name that isn't a plain file name.
    bool ProfilePath(LPCSTR profileFile, std::string& hostPath) const;

private:
    std::string m_profileFolder;
};

// Reads a whole host file; missing tells a file that isn't there. With followLinks false the
// final component is never followed through a symbolic link.
bool ReadHostFile(const std::string& hostPath, std::string& text, bool& missing, bool followLinks);
