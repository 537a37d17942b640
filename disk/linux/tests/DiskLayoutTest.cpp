// Opening images made at test time and reading their partitions as the boot loader numbers them:
// every kind of table, damaged ones, and every container format giving the same list.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>

#include "disk/linux/DiskContext.h"
#include "disk/linux/tests/TestImages.h"

namespace disk {
namespace {

using testing::Describe;
using testing::MakeFat;
using testing::MakeImage;
using testing::MbrSector;
using testing::RunShell;
using testing::ScratchFolder;
using testing::WriteBytes;

constexpr const char* kSignature = "label-id: 0x8b467c12\n";

// One primary holding a FAT16 file system, an extended partition with two logical drives (the
// first holding FAT16) and a primary after the extended one in the table.
bool MakeLogicalDrives(const std::string& image) {
    return MakeImage(image, 64,
                     std::string("label: dos\n") + kSignature +
                         "start=2048, size=8192, type=6\n"
                         "start=10240, size=40960, type=f\n"
                         "start=61440, size=8192, type=b\n"
                         "x5 : start=12288, size=8192, type=6\n"
                         "x6 : start=22528, size=8192, type=7\n") &&
           MakeFat(image, 2048, 8192, "SYSTEM") && MakeFat(image, 12288, 8192, "LOGICAL");
}

struct LayoutCase {
    const char* name;
    std::function<bool(const std::string& image)> make;
    LabelType labelType;
    std::uint32_t signature;
    const char* partitions;
    const char* warning;  // a warning the layout must hold; null for none at all
};

void PrintTo(const LayoutCase& layoutCase, std::ostream* out) {
    *out << layoutCase.name;
}

class Layouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, NumberedAsTheBootLoaderCounts) {
    const LayoutCase& layoutCase = GetParam();
    ScratchFolder folder;
    const std::string image = folder.File("disk.img");
    ASSERT_TRUE(layoutCase.make(image));

    DiskContext context;
    const DiskStatus status = context.Open(image);
    ASSERT_TRUE(status.Ok()) << status.message;
    const DiskLayout& layout = context.Layout();
    EXPECT_EQ(layout.labelType, layoutCase.labelType);
    EXPECT_EQ(layout.signature, layoutCase.signature);
    EXPECT_EQ(Describe(layout), layoutCase.partitions);
    std::string warnings;
    for (const std::string& warning : layout.warnings)
        warnings += warning + "\n";
    if (layoutCase.warning)
        EXPECT_NE(warnings.find(layoutCase.warning), std::string::npos) << warnings;
    else
        EXPECT_EQ(warnings, "");
    EXPECT_EQ(context.Format(), ImageFormat::kRaw);
    EXPECT_EQ(context.View().path, image);
    EXPECT_FALSE(context.View().readOnly);
}

// A table that links the extended chain back to its first EBR: each logical drive once.
bool MakeLoopingChain(const std::string& image) {
    return MakeImage(image, 32, "") &&
           WriteBytes(image, 0, MbrSector({{0x0f, 2048, 20000}}, 0x1234abcd)) &&
           WriteBytes(image, 2048 * 512, MbrSector({{0x06, 63, 1000}, {0x05, 5000, 5000}})) &&
           WriteBytes(image, 7048 * 512, MbrSector({{0x07, 63, 1000}, {0x05, 0, 5000}}));
}

// A Linux extended entry first, then a Windows one: Windows follows only the second chain.
bool MakeTwoExtendedEntries(const std::string& image) {
    return MakeImage(image, 32, "") &&
           WriteBytes(image, 0,
                      MbrSector({{0x85, 2048, 8192}, {0x0f, 10240, 20000}, {0x07, 40960, 4096}},
                                0x8b467c12)) &&
           WriteBytes(image, 2048 * 512, MbrSector({{0x83, 63, 1000}})) &&
           WriteBytes(image, 10240 * 512, MbrSector({{0x0b, 63, 1000}, {0x05, 5000, 5000}})) &&
           WriteBytes(image, 15240 * 512, MbrSector({{0x07, 63, 1000}}));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, Layouts,
    ::testing::Values(
        LayoutCase{"MbrPrimaries",
                   [](const std::string& image) {
                       return MakeImage(image, 64,
                                        std::string("label: dos\n") + kSignature +
                                            "start=2048, size=16384, type=6\n"
                                            "start=18432, size=32768, type=7\n") &&
                              MakeFat(image, 2048, 16384, "SYSTEM");
                   },
                   LabelType::kMbr, 0x8b467c12, "1:06@2048/16384 vfat:SYSTEM 2:07@18432/32768",
                   nullptr},
        LayoutCase{"LogicalDrivesFollowEveryPrimary", MakeLogicalDrives, LabelType::kMbr,
                   0x8b467c12,
                   "1:06@2048/8192 vfat:SYSTEM 2:0b@61440/8192 3:06L@12288/8192 vfat:LOGICAL "
                   "4:07L@22528/8192",
                   nullptr},
        LayoutCase{"HiddenPrimaryCounts",
                   [](const std::string& image) {
                       return MakeImage(image, 32,
                                        std::string("label: dos\n") + kSignature +
                                            "start=2048, size=8192, type=17\n"
                                            "start=10240, size=8192, type=7\n");
                   },
                   LabelType::kMbr, 0x8b467c12, "1:17@2048/8192 2:07@10240/8192", nullptr},
        LayoutCase{"DeletedSlotInTheMiddle",
                   [](const std::string& image) {
                       return MakeImage(image, 32,
                                        std::string("label: dos\n") + kSignature +
                                            "x1 : start=2048, size=8192, type=7\n"
                                            "x3 : start=20480, size=8192, type=c\n") &&
                              MakeFat(image, 20480, 8192, "AFTERHOLE");
                   },
                   LabelType::kMbr, 0x8b467c12, "1:07@2048/8192 2:0c@20480/8192 vfat:AFTERHOLE",
                   nullptr},
        LayoutCase{"LinuxExtendedIsAPrimaryWithNothingInside",
                   [](const std::string& image) {
                       return MakeImage(image, 32,
                                        std::string("label: dos\n") + kSignature +
                                            "start=2048, size=8192, type=85\n"
                                            "start=10240, size=8192, type=7\n"
                                            "x5 : start=4096, size=2048, type=6\n");
                   },
                   LabelType::kMbr, 0x8b467c12, "1:85@2048/8192 2:07@10240/8192", nullptr},
        LayoutCase{"LinuxExtendedBesideWindowsExtended", MakeTwoExtendedEntries, LabelType::kMbr,
                   0x8b467c12, "1:85@2048/8192 2:07@40960/4096 3:0bL@10303/1000 4:07L@15303/1000",
                   nullptr},
        LayoutCase{"LoopingChainListsEachDriveOnce", MakeLoopingChain, LabelType::kMbr, 0x1234abcd,
                   "1:06L@2111/1000 2:07L@7111/1000", "loops back on itself"},
        LayoutCase{
            "GptIsNumberedButNotBootable",
            [](const std::string& image) {
                return MakeImage(image, 32,
                                 "label: gpt\nlabel-id: 8B467C12-0000-4000-8000-000000000001\n"
                                 "start=2048, size=8192, "
                                 "type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n"
                                 "start=20480, size=8192\n") &&
                       MakeFat(image, 2048, 8192, "DATA");
            },
            LabelType::kGpt, 0, "1:00@2048/8192 vfat:DATA 2:00@20480/8192", "MBR disks only"},
        LayoutCase{"NoTableIsOneFileSystem",
                   [](const std::string& image) {
                       return MakeImage(image, 32, "") && MakeFat(image, 0, 65536, "WHOLE");
                   },
                   LabelType::kNone, 0, "1:00@0/65536 vfat:WHOLE", nullptr},
        LayoutCase{"GarbageIsOneUnknownPartition",
                   [](const std::string& image) {
                       std::string bytes(64 * 1024, '\0');
                       std::uint32_t state = 12345;
                       for (char& byte : bytes) {
                           state = state * 1103515245u + 12345u;
                           byte = static_cast<char>(state >> 24);
                       }
                       return MakeImage(image, 0, "") && WriteBytes(image, 0, bytes);
                   },
                   LabelType::kNone, 0, "1:00@0/128", nullptr},
        LayoutCase{"TruncatedImage",
                   [](const std::string& image) {
                       return MakeImage(image, 64,
                                        std::string("label: dos\n") + kSignature +
                                            "start=2048, size=8192, type=6\n"
                                            "start=18432, size=32768, type=7\n") &&
                              MakeFat(image, 2048, 8192, "SYSTEM") &&
                              RunShell("truncate -s 12M '" + image + "'");
                   },
                   LabelType::kMbr, 0x8b467c12, "1:06@2048/8192 vfat:SYSTEM 2:07@18432/32768",
                   "partition(2) runs past the end of the disk (12.0 MiB)"}),
    [](const ::testing::TestParamInfo<LayoutCase>& param) { return param.param.name; });

TEST(TruncatedImage, ThePartitionPastTheEndIsMarked) {
    ScratchFolder folder;
    const std::string image = folder.File("cut.img");
    ASSERT_TRUE(MakeImage(image, 64,
                          "label: dos\nstart=2048, size=8192, type=6\n"
                          "start=18432, size=32768, type=7\n") &&
                RunShell("truncate -s 12M '" + image + "'"));
    DiskContext context;
    ASSERT_TRUE(context.Open(image).Ok());
    EXPECT_FALSE(context.Layout().Find(1)->pastEndOfDisk);
    EXPECT_TRUE(context.Layout().Find(2)->pastEndOfDisk);
}

struct RefusalCase {
    const char* name;
    std::function<bool(const std::string& path)> make;
    DiskError error;
    const char* message;
};

void PrintTo(const RefusalCase& refusal, std::ostream* out) {
    *out << refusal.name;
}

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, SayWhyAndLeaveNothingOpen) {
    ScratchFolder folder;
    const std::string path = folder.File("thing");
    ASSERT_TRUE(GetParam().make(path));
    DiskContext context;
    const DiskStatus status = context.Open(path);
    EXPECT_EQ(status.error, GetParam().error);
    EXPECT_NE(status.message.find(GetParam().message), std::string::npos) << status.message;
    EXPECT_FALSE(context.IsOpen());
    // Nothing stays locked: the next opener is not refused by a lock.
    DiskContext again;
    EXPECT_NE(again.Open(path).error, DiskError::kLockedByTarnwick);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Refusals,
    ::testing::Values(
        RefusalCase{"Missing", [](const std::string&) { return true; }, DiskError::kCannotOpen,
                    "can't be opened: No such file or directory"},
        RefusalCase{"Folder",
                    [](const std::string& path) { return mkdir(path.c_str(), 0700) == 0; },
                    DiskError::kNotADisk, "is a folder"},
        RefusalCase{"Pipe", [](const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; },
                    DiskError::kNotADisk, "neither a disk image nor a block device"},
        RefusalCase{"EmptyFile", [](const std::string& path) { return MakeImage(path, 0, ""); },
                    DiskError::kNotADisk, "0 bytes long: too small"},
        RefusalCase{"TinyFile",
                    [](const std::string& path) {
                        return MakeImage(path, 0, "") && WriteBytes(path, 0, std::string(100, 'x'));
                    },
                    DiskError::kNotADisk, "100 bytes long"},
        RefusalCase{"DifferencingVhd",
                    [](const std::string& path) {
                        std::string footer(512, '\0');
                        footer.replace(0, 8, "conectix");
                        footer[63] = 4;
                        return MakeImage(path, 1, "") && WriteBytes(path, 0, footer);
                    },
                    DiskError::kUnsupportedFormat, "differencing VHD"},
        RefusalCase{"DamagedQcow2",
                    [](const std::string& path) {
                        return MakeImage(path, 1, "") &&
                               WriteBytes(
                                   path, 0,
                                   std::string("QFI\xfb\0\0\0\x03", 8) + std::string(200, '\xff'));
                    },
                    DiskError::kContainerFailed, "QEMU could not open the qcow2 image: "}),
    [](const ::testing::TestParamInfo<RefusalCase>& param) { return param.param.name; });

}  // namespace
}  // namespace disk
