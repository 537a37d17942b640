// The example disk image made at build time: its boot lines point at the partition that holds
// Windows, and that partition holds the kernel and the HAL they name, so the image starts the
// editor as a real XP disk would.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "diskdrive/DiskDrive.h"
#include "store/BootIniDocument.h"

namespace {

std::vector<BootLineEntry> BootLinesOf(const std::string& bytes) {
    CStringArray lines = LinesOfFile(bytes);
    return BootIniDocument(lines).BootLines();
}

TEST(ExampleDiskTest, OpensOnTheSystemPartitionWithEveryLineOfTheFolderExample) {
    DiskDrive drive;
    const disk::DiskStatus status = drive.Open(TARNWICK_EXAMPLE_DISK);
    ASSERT_TRUE(status.Ok()) << status.message;
    ASSERT_EQ(drive.WithBootIni(), std::vector<std::size_t>{0});
    EXPECT_EQ(DescribeCandidate(drive.Candidates()[0]), "partition(1)  FAT16  \"SYSTEM\"  8.0 MiB");

    std::string error;
    ImagePlatform* platform = drive.OpenDrive(0, error);
    ASSERT_NE(platform, nullptr) << error;
    EXPECT_EQ(platform->ReadFileAttributes("C:\\BOOT.INI") & 7u, 7u) << "read-only, hidden, system";
    std::string bytes;
    ASSERT_TRUE(platform->ReadWholeFile("C:\\BOOT.INI", bytes));

    std::ifstream folderFile("examples/drive/BOOT.INI", std::ios::binary);
    const std::string folderBytes((std::istreambuf_iterator<char>(folderFile)),
                                  std::istreambuf_iterator<char>());
    const std::vector<BootLineEntry> lines = BootLinesOf(bytes);
    ASSERT_EQ(lines.size(), BootLinesOf(folderBytes).size());
    int windowsLines = 0;
    for (const BootLineEntry& line : lines) {
        const std::string arc = static_cast<const char*>(line.arcPath);
        if (arc.rfind("multi(", 0) != 0)
            continue;
        ++windowsLines;
        EXPECT_EQ(arc, "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS");
    }
    EXPECT_GT(windowsLines, 0);
}

TEST(ExampleDiskTest, WindowsPartitionHoldsTheKernelAndTheHal) {
    DiskDrive drive;
    ASSERT_TRUE(drive.Open(TARNWICK_EXAMPLE_DISK).Ok());
    ASSERT_GE(drive.Candidates().size(), 2u);
    const DriveCandidate& windows = drive.Candidates()[1];
    EXPECT_EQ(windows.partition.number, 2u);
    EXPECT_EQ(windows.fileSystemName, "NTFS");
    EXPECT_FALSE(windows.holdsBootIni);

    std::string error;
    ImagePlatform* platform = drive.OpenDrive(1, error);
    ASSERT_NE(platform, nullptr) << error;
    std::vector<VolumeFolderEntry> entries;
    ASSERT_TRUE(platform->ListFolder("C:\\WINDOWS\\system32", entries));
    std::vector<std::string> names;
    for (const VolumeFolderEntry& entry : entries)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"hal.dll", "ntoskrnl.exe"}));
}

}  // namespace
