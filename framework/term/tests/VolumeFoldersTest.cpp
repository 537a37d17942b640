// The open-file dialog's view of drive C: inside an image: the HAL and kernel browse lists the
// partition's folders (not the host's), finds names without regard to case, and maps the
// program's paths to the volume's and back.
#include <gtest/gtest.h>

#include "framework/term/VolumeFolders.h"
#include "platform/image/tests/TestImages.h"

namespace {

class VolumeFoldersTest : public ::testing::TestWithParam<TestFileSystem> {};

TEST_P(VolumeFoldersTest, TheDialogBrowsesThePartitionsFolders) {
    TestImage image(GetParam(), "[boot loader]\r\n");
    ASSERT_EQ(image.Problem(), "");
    std::string error;
    std::unique_ptr<ImagePlatform> volume = OpenImageVolume(image.Location(), error);
    ASSERT_TRUE(volume) << error;
    const FolderSource folders = VolumeFolders(*volume);
    const TermBackend::PathMapping paths = VolumePathMapping(*volume);

    // Where the browse opens: the system directory the program names, as the volume spells it.
    EXPECT_EQ(paths.toHost("C:\\WINDOWS\\SYSTEM32\\Hal.dll"), "/WINDOWS/system32/hal.dll");
    EXPECT_EQ(paths.toHost("D:\\hal.dll"), "");
    EXPECT_EQ(paths.toProgram("/WINDOWS/system32/hal.dll"), "C:\\WINDOWS\\system32\\hal.dll");
    EXPECT_EQ(paths.toProgram("/"), "C:\\");

    std::vector<FolderSource::Entry> entries;
    ASSERT_TRUE(folders.list("/WINDOWS/system32", entries));
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.name + (entry.folder ? "/" : ""));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"hal.dll", "ntoskrnl.exe"}));
    ASSERT_TRUE(folders.list("/", entries));
    EXPECT_EQ(entries.size(), 2u);  // BOOT.INI and WINDOWS, nothing of the host
    EXPECT_FALSE(folders.list("/NOWHERE", entries));

    EXPECT_EQ(folders.kind("/WINDOWS"), FolderSource::Kind::kFolder);
    EXPECT_EQ(folders.kind("/windows/system32/NTOSKRNL.EXE"), FolderSource::Kind::kFile);
    EXPECT_EQ(folders.kind("/WINDOWS/none.dll"), FolderSource::Kind::kNone);
    EXPECT_EQ(folders.canonical("/windows/SYSTEM32/.."), "/WINDOWS");
    EXPECT_EQ(folders.canonical("/.."), "/");
    EXPECT_EQ(folders.start(), "/");
}

INSTANTIATE_TEST_SUITE_P(FileSystems, VolumeFoldersTest,
                         ::testing::Values(TestFileSystem::kFat16, TestFileSystem::kNtfs),
                         [](const ::testing::TestParamInfo<TestFileSystem>& kind) {
                             return std::string(TestFileSystemName(kind.param));
                         });

}  // namespace
