// A partition's files on the running Windows, under a root the Win32 file calls take: a device
// through the \\?\GLOBALROOT prefix ("\\?\GLOBALROOT\Device\Harddisk0\Partition1"), or any
// folder. Windows matches names without regard to case itself.
#pragma once

#include "bootcheck/RunningMachine.h"

namespace bootcheck {

class Win32PartitionFiles : public IPartitionFiles {
public:
    explicit Win32PartitionFiles(std::string root) : m_root(std::move(root)) {}

    bool Exists(const std::string& path) const override;
    std::optional<std::string> ReadFile(const std::string& path) const override;
    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) const override;

private:
    std::string Full(const std::string& path) const;

    std::string m_root;
};

// The partitions and disks of the running system as the boot path check reads them.
DeviceAccess Win32DeviceAccess();

// The running system: its \ArcName links read from the object namespace, opened through Win32.
Machine RunningWindowsMachine();

}  // namespace bootcheck
