// The stand-ins for Windows' own rules that every drive outside Windows shares, whether drive C:
// is a folder or a file system inside a disk image.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

// The access token of the current user: Everyone and Users, and Administrators for a user who
// may change the drive (create and replace its files).
std::vector<TokenGroup> StandInTokenGroups(bool mayChangeDrive);

// Where the system directory may be, as program paths in the order to try: the system32 folder of
// the Windows folder of the boot line on show ("\\WINDOWS" gives "C:\\WINDOWS\\system32"), or
// without one, of \WINDOWS and then \WINNT.
std::vector<std::string> SystemDirectoryCandidates(const std::string& windowsFolderHint);
