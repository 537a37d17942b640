// The drive of the Linux command line: PATH is the folder where a Windows drive is mounted.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

// The POSIX platform on the folder, with the FAT and NTFS attribute stores; null, with the
// message, when PATH is no folder.
std::unique_ptr<IPlatform> OpenPosixDrive(const std::string& path, std::string& error);
