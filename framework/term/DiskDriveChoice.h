// tarnwick IMAGE or DEVICE: opens the disk, takes the partition whose root holds a BOOT.INI, and
// asks the user when several do, showing each one's partition(n), file system, volume label and
// size. Messages go to the terminal before the editor's screen starts.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "diskdrive/DiskDrive.h"

// The disk with drive C: open on the chosen partition; null when there is nothing to edit, the
// disk can't be opened, or the user quit, with the exit status in exitCode.
std::unique_ptr<DiskDrive> OpenDriveOnDisk(const std::string& path, std::istream& in,
                                           std::ostream& out, std::ostream& errors, int& exitCode);
