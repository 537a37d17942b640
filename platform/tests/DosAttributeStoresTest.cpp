// The FAT and NTFS attribute stores: the word they keep, that they step aside on other file
// systems, and, where the machine can mount one (root, FUSE, ntfs-3g), a real NTFS file system.
#include "platform/posix/DosAttributeStores.h"

#include <gtest/gtest.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/posix/PosixPlatform.h"
#include "platform/tests/TestFiles.h"

namespace {

using Result = IAttributeStore::Result;

TEST(DosAttributeStores, NtfsAttributeWordIsBigEndian) {
    struct Case {
        unsigned char bytes[4];
        DWORD word;
    };
    const Case cases[] = {
        {{0, 0, 0, 0x27}, 0x27},
        {{0, 0, 0, 0x80}, 0x80},
        {{0, 0, 0x08, 0x20}, 0x820},  // compressed and archive
        {{0x12, 0x34, 0x56, 0x78}, 0x12345678},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(NtfsAttributesFromBytes(item.bytes), item.word);
        unsigned char bytes[4];
        NtfsAttributesToBytes(item.word, bytes);
        EXPECT_EQ(0, std::memcmp(bytes, item.bytes, 4));
    }
}

TEST(DosAttributeStores, OnlyReadOnlyHiddenSystemAndArchiveAreReplaced) {
    struct Case {
        DWORD current;
        DWORD wanted;
        DWORD stored;
    };
    const Case cases[] = {
        {0x20, 0x07, 0x07},    // archive cleared, the three set: the commit's 7 is exact
        {0x27, 0x00, 0x00},    // all cleared
        {0x80, 0x01, 0x01},    // "normal" gives way to a real attribute
        {0x10, 0x02, 0x12},    // a folder stays a folder
        {0x827, 0x80, 0x800},  // compression kept; FILE_ATTRIBUTE_NORMAL is no stored bit
    };
    for (const Case& item : cases)
        EXPECT_EQ(MergeStoredAttributes(item.current, item.wanted), item.stored)
            << std::hex << item.current;
}

TEST(DosAttributeStores, OtherFileSystemsAreLeftToTheNextStore) {
    TemporaryFolder folder;
    const std::string file = folder / "BOOT.INI";
    WriteHostFile(file, "[boot loader]\r\n");
    struct statfs info;
    ASSERT_EQ(statfs(file.c_str(), &info), 0);
    if (info.f_type == 0x4d44 || info.f_type == 0x5346544e || info.f_type == 0x65735546)
        GTEST_SKIP() << "the temporary folder is on a FAT or NTFS file system";
    FatAttributeStore fat;
    NtfsAttributeStore ntfs;
    DWORD attributes = 0;
    EXPECT_EQ(fat.Read(file, attributes), Result::kUnsupported);
    EXPECT_EQ(fat.Write(file, FILE_ATTRIBUTE_HIDDEN), Result::kUnsupported);
    EXPECT_EQ(ntfs.Read(file, attributes), Result::kUnsupported);
    EXPECT_EQ(ntfs.Write(file, FILE_ATTRIBUTE_HIDDEN), Result::kUnsupported);
    // A file that isn't there is a failure, not a question of file systems.
    EXPECT_EQ(fat.Read(folder / "missing", attributes), Result::kFailed);
    EXPECT_EQ(ntfs.Read(folder / "missing", attributes), Result::kFailed);
}

// An NTFS image mounted with ntfs-3g for the time of one test.
class NtfsMount : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0 || access("/dev/fuse", R_OK | W_OK) != 0 ||
            std::system("command -v mkntfs >/dev/null && command -v ntfs-3g >/dev/null") != 0)
            GTEST_SKIP() << "needs root, /dev/fuse, mkntfs and ntfs-3g";
        m_image = m_folder / "ntfs.img";
        m_mount = m_folder / "mnt";
        const std::string make = "truncate -s 16M '" + m_image + "' && mkntfs -F -f -q '" +
                                 m_image + "' >/dev/null 2>&1 && mkdir '" + m_mount +
                                 "' && ntfs-3g '" + m_image + "' '" + m_mount + "' 2>/dev/null";
        if (std::system(make.c_str()) != 0)
            GTEST_SKIP() << "ntfs-3g could not mount an image here";
        m_mounted = true;
    }
    void TearDown() override {
        if (m_mounted)
            (void)std::system(("umount '" + m_mount + "'").c_str());
    }

    TemporaryFolder m_folder;
    std::string m_image;
    std::string m_mount;
    bool m_mounted = false;
};

TEST_F(NtfsMount, AttributesLiveInTheFileSystem) {
    const std::string file = m_mount + "/boot.ini";
    WriteHostFile(file, "[boot loader]\r\n");
    NtfsAttributeStore store;
    DWORD attributes = 0;
    ASSERT_EQ(store.Write(file, 0x27), Result::kDone);
    ASSERT_EQ(store.Read(file, attributes), Result::kDone);
    EXPECT_EQ(attributes, 0x27u);
    ASSERT_EQ(store.Write(file, 0), Result::kDone);
    ASSERT_EQ(store.Read(file, attributes), Result::kDone);
    EXPECT_EQ(attributes, 0u);
    // The FAT store has nothing to say about NTFS.
    EXPECT_EQ(FatAttributeStore().Read(file, attributes), Result::kUnsupported);
}

TEST_F(NtfsMount, ThePlatformFindsBootIniInLowerCaseAndKeepsItsAttributes) {
    WriteHostFile(m_mount + "/boot.ini", "[boot loader]\r\n");
    PosixPlatform platform(m_mount);
    platform.AddAttributeStore(std::make_unique<FatAttributeStore>());
    platform.AddAttributeStore(std::make_unique<NtfsAttributeStore>());
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.INI", 0x07));
    EXPECT_EQ(platform.ReadFileAttributes("C:\\BOOT.INI"), 0x07u);
    // As CopyFileA: the copy carries the attributes, and a hidden target is refused.
    ASSERT_TRUE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
    EXPECT_EQ(platform.ReadFileAttributes("C:\\BOOT.TMP") & 0x07u, 0x07u);
    EXPECT_FALSE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.TMP", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(platform.ReadFileAttributes("C:\\BOOT.TMP") & 0x07u, 0u);
    EXPECT_EQ(FolderEntries(m_mount), (std::vector<std::string>{"BOOT.TMP", "boot.ini"}));
}

}  // namespace
