// An NTFS volume that Windows left needing a disk check, or hibernated, may not be written: the
// drive opens it for viewing, with the reason, and the image keeps every byte.
#include <gtest/gtest.h>

#include <string>

#include "diskdrive/DiskDrive.h"
#include "platform/image/tests/TestImages.h"

namespace {

const char kBootIni[] =
    "[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\" /fastdetect\r\n";

TEST(ViewOnlyDrive, AnNtfsVolumeMarkedForACheckOpensForViewing) {
    TestImage image(TestFileSystem::kNtfs, kBootIni);
    ASSERT_EQ(image.Problem(), "");
    ASSERT_TRUE(image.MarkNtfsDirty());
    const std::string before = image.WholeImage();
    {
        DiskDrive drive;
        ASSERT_TRUE(drive.Open(image.Path()).Ok());
        ASSERT_EQ(drive.WithBootIni(), std::vector<std::size_t>{0});
        std::string error;
        ImagePlatform* platform = drive.OpenDrive(0, error);
        ASSERT_NE(platform, nullptr) << error;
        EXPECT_TRUE(platform->IsViewOnly());
        EXPECT_NE(platform->ViewOnlyReason().find("disk check"), std::string::npos)
            << platform->ViewOnlyReason();
        // The editor's start and an Apply: the staging copy stays in memory.
        ASSERT_TRUE(platform->CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
        EXPECT_FALSE(platform->ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
    }
    EXPECT_TRUE(image.WholeImage() == before);
}

}  // namespace
