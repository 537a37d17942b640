// The command line on disk images made at test time: the boot path check (text, JSON, exit
// status, never writing) and the editing subcommands on drive C: inside an image, with the choice
// of partition where several hold a BOOT.INI. What an image holds afterwards is read with mtools.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CommandLineInterface.h"
#include "cli/DiskCheck.h"
#include "cli/ImageDrive.h"
#include "diskdrive/tests/MovedWindowsImage.h"

namespace {

using disk::testing::kMovedWindowsBootIni;
using disk::testing::MovedWindowsImage;
using disk::testing::ScratchFolder;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string WholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class DiskCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(images_.Problem(), ""); }

    // "DISK0", "DISK1" stand for the images.
    std::vector<std::string> Arguments(std::vector<std::string> arguments) const {
        for (std::string& argument : arguments) {
            if (argument == "DISK0")
                argument = images_.FirstDisk();
            else if (argument == "DISK1")
                argument = images_.SecondDisk();
        }
        arguments.insert(arguments.begin(), "tarnwick");
        return arguments;
    }
    Outcome Check(const std::vector<std::string>& arguments) const {
        std::ostringstream out, err;
        const int status = RunCheckCommand(Arguments(arguments), out, err);
        return {status, out.str(), err.str()};
    }
    Outcome Edit(const std::vector<std::string>& arguments) const {
        std::ostringstream out, err;
        const int status = RunCommandLine(Arguments(arguments), out, err, OpenFolderOrDiskDrive);
        return {status, out.str(), err.str()};
    }

    ScratchFolder folder_;
    MovedWindowsImage images_{folder_};
};

const char kOneDiskVerdicts[] =
    "1. multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\n"
    "   \\WINDOWS does not exist on partition(2) of rdisk(0). A Windows folder was found at "
    "partition(3)\\WINDOWS.\n"
    "   Repair writes: multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Microsoft Windows XP "
    "Professional\" /noexecute=optin /fastdetect\n"
    "2. multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP, checked kernel\" /KERNEL=ntkrnlmp.exe\n"
    "   The kernel \\WINDOWS\\system32\\ntkrnlmp.exe that /KERNEL= names is missing on "
    "partition(3) of rdisk(0).\n"
    "3. multi(0)disk(0)rdisk(0)partition(4)\\WINDOWS=\"Linux partition\"\n"
    "   partition(4) on rdisk(0) can't be checked: its file system (not one Tarnwick knows) can't "
    "be read.\n"
    "4. multi(0)disk(0)rdisk(1)partition(1)\\WINNT=\"Windows 2000\" /fastdetect\n"
    "   rdisk(1) can't be checked: only one disk was given.\n"
    "default= names the line \"Microsoft Windows XP Professional\", which does not boot.\n"
    "Rebuild adds: multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Microsoft Windows XP "
    "Professional\" /FastDetect /noexecute=optin \n";

TEST_F(DiskCommands, CheckTellsWhyEachLineFailsAndWritesNothing) {
    const std::string before = WholeFile(images_.FirstDisk());
    const Outcome outcome = Check({"check", "DISK0"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, kOneDiskVerdicts);
    EXPECT_EQ(WholeFile(images_.FirstDisk()), before);
}

TEST_F(DiskCommands, CheckJsonOnTwoDisks) {
    const Outcome outcome = Check({"check", "DISK0", "DISK1", "--json"});
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    const nlohmann::json check = nlohmann::json::parse(outcome.out);
    ASSERT_EQ(check["lines"].size(), 4u);
    const struct {
        const char* verdict;
        const char* foundAt;
    } expected[] = {{"fails", "partition(3)\\WINDOWS"},
                    {"fails", nullptr},
                    {"cannot_check", nullptr},
                    {"boots", nullptr}};
    for (std::size_t i = 0; i < 4; ++i) {
        const nlohmann::json& line = check["lines"][i];
        EXPECT_EQ(line["number"], i + 1);
        EXPECT_EQ(line["verdict"], expected[i].verdict) << i;
    }
    EXPECT_EQ(check["lines"][0]["repaired"],
              "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Microsoft Windows XP Professional\" "
              "/noexecute=optin /fastdetect");
    EXPECT_EQ(check["lines"][3]["reason"],
              "Boots: partition(1)\\WINNT on rdisk(1) holds ntoskrnl.exe and hal.dll.");
    EXPECT_EQ(check["default"]["verdict"], "fails");
}

// A folder that is no mount point has no disk behind it: the lines still say they can't be
// checked, and one line tells why.
TEST_F(DiskCommands, CheckOnAFolderWithoutADiskSaysWhy) {
    const std::string drive = folder_.File("drive");
    ASSERT_EQ(mkdir(drive.c_str(), 0700), 0);
    std::ofstream(drive + "/BOOT.INI", std::ios::binary)
        << "[boot loader]\r\ntimeout=30\r\n"
           "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
           "[operating systems]\r\n"
           "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"\r\n";
    const Outcome outcome = Check({"check", drive});
    EXPECT_EQ(outcome.status, 0);  // a line that can't be checked does not fail
    EXPECT_EQ(outcome.err, "tarnwick check: the disk behind " + drive +
                               " can't be read: it is not a mount point\n");
    EXPECT_NE(outcome.out.find("rdisk(0) can't be checked: no disk was given."), std::string::npos)
        << outcome.out;
}

TEST_F(DiskCommands, CheckRefusals) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    } cases[] = {
        {{"check"}, 2, "PATH is required"},
        {{"check", "DISK0", "--partition", "2"}, 1, "partition(2) of "},
        {{"check", "/no/such/disk.img"}, 3, "/no/such/disk.img"},
        {{"check", "DISK0", "/no/such/disk.img"}, 3, "/no/such/disk.img"},
        {{"check", "/tmp", "DISK0"}, 2, "a folder is checked alone"},
        {{"check", "/tmp", "--partition", "1"}, 2, "--partition is for a disk"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Check(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.arguments.back();
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
}

TEST_F(DiskCommands, SetAddsASwitchOnTheImage) {
    const Outcome outcome = Edit({"set", "DISK0", "1", "--add", "/sos"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::string bootIni;
    ASSERT_TRUE(images_.ReadFile(1, "BOOT.INI", bootIni));
    std::string expected = kMovedWindowsBootIni;
    // The edited line in the record's normal form, as the dialog writes it; the others unchanged.
    const std::string old = "/noexecute=optin /fastdetect\r\n";
    expected.replace(expected.find(old), old.size(), "/SOS /FastDetect /noexecute=optin \r\n");
    EXPECT_EQ(bootIni, expected);
    std::string backup;
    ASSERT_TRUE(images_.ReadFile(1, "BOOT.BAK", backup));
    EXPECT_EQ(backup, kMovedWindowsBootIni);
}

TEST_F(DiskCommands, PartitionChoiceWhereSeveralHoldBootIni) {
    const Outcome none = Edit({"list", "DISK0", "--partition", "2"});
    EXPECT_EQ(none.status, 3);
    EXPECT_NE(none.err.find("partition(2) of " + images_.FirstDisk() + " holds no BOOT.INI"),
              std::string::npos)
        << none.err;

    // A second BOOT.INI, on the XP partition.
    ASSERT_EQ(Edit({"list", "DISK0"}).status, 0);
    ASSERT_TRUE(images_.PutFile(3, "BOOT.INI",
                                "[boot loader]\r\n"
                                "default=multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS\r\n"
                                "[operating systems]\r\n"
                                "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP\"\r\n"));
    const Outcome several = Edit({"list", "DISK0"});
    EXPECT_EQ(several.status, 3);
    EXPECT_NE(several.err.find("pick one with --partition N"), std::string::npos) << several.err;
    EXPECT_NE(several.err.find("partition(1)  FAT16  \"BOOT\""), std::string::npos) << several.err;
    EXPECT_NE(several.err.find("partition(3)  FAT16  \"XP\""), std::string::npos) << several.err;

    const Outcome chosen = Edit({"list", "DISK0", "--partition", "3"});
    EXPECT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_NE(chosen.out.find("\"XP\""), std::string::npos) << chosen.out;
    const Outcome checked = Check({"check", "DISK0", "--partition", "3"});
    EXPECT_EQ(checked.status, 0) << checked.out;
}

}  // namespace
