#include "bootcheck/hive/HiveVersionReader.h"

#include <gtest/gtest.h>

#include "bootcheck/tests/MemoryFiles.h"
#include "bootcheck/tests/TestHives.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

TEST(SoftwareHive, NameServicePackAndVersion) {
    const WindowsVersion cases[] = {
        {"Microsoft Windows XP", "Service Pack 3", "5.1"},
        {"Microsoft Windows 2000", "Service Pack 4", "5.0"},
        {"Microsoft Windows Server 2003", "", "5.2"},
    };
    for (const WindowsVersion& expected : cases) {
        auto version = VersionFromSoftwareHive(
            SoftwareHive(expected.productName, expected.csdVersion, expected.currentVersion));
        ASSERT_TRUE(version) << expected.productName;
        EXPECT_EQ(version->productName, expected.productName);
        EXPECT_EQ(version->csdVersion, expected.csdVersion);
        EXPECT_EQ(version->currentVersion, expected.currentVersion);
    }
}

TEST(SoftwareHive, BytesThatAreNoSoftwareHive) {
    std::string damaged = SoftwareHive("Microsoft Windows XP", "Service Pack 2", "5.1");
    damaged[0x1FC] ^= 0x5A;  // the base block's checksum
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"garbage", std::string(8192, 'x')},
        {"cut off", damaged.substr(0, 600)},
        {"bad checksum", damaged},
        {"no such key", HiveWith("Microsoft\\Windows\\CurrentVersion", {{"ProductName", "98"}})},
        {"empty hive", EmptyHive()},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(VersionFromSoftwareHive(c.second)) << c.first;
}

TEST(SoftwareHive, ReaderFindsTheHiveOfAnInstallation) {
    MemoryFiles files(WindowsFiles("WINDOWS") +
                      std::vector<std::pair<std::string, std::string>>{
                          {"WINDOWS\\system32\\config\\software",
                           SoftwareHive("Microsoft Windows XP", "Service Pack 2", "5.1")}});
    HiveVersionReader reader;
    auto version = reader.Read(files, "Windows");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->productName, "Microsoft Windows XP");
    EXPECT_EQ(version->csdVersion, "Service Pack 2");
    EXPECT_FALSE(reader.Read(files, "WINNT"));
}

}  // namespace
}  // namespace bootcheck
