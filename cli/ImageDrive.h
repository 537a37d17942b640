// The command line on a disk, a device or an image: drive C: is the partition whose root holds
// BOOT.INI. Where several do, the command refuses and lists them, and --partition N picks one.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "diskdrive/DiskDrive.h"
#include "platform/Platform.h"

// The index in drive.Candidates() of drive C:; nothing, with a message that names the disk and
// lists what it holds, when partition names none holding BOOT.INI or none was named and not
// exactly one holds it.
std::optional<std::size_t> ChooseBootIniPartition(const DiskDrive& drive,
                                                  std::optional<unsigned> partition,
                                                  std::string& error);

// Opens the disk (for writing unless readOnly) and drive C: on it, as a platform that keeps the
// disk and its lock open as long as it lives; null with a message on failure.
std::unique_ptr<IPlatform> OpenImageDrive(const std::string& path,
                                          std::optional<unsigned> partition, bool readOnly,
                                          std::string& error);

struct CliRequest;
// The drive of the Linux command line: a folder where a Windows drive is mounted, or else a
// disk, a device or an image (read-only for list and show, which only read).
std::unique_ptr<IPlatform> OpenFolderOrDiskDrive(const CliRequest& request, std::string& error);
