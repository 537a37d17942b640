// The writing commands commit through the dialog's commit: another program's change to BOOT.INI
// is not written over unasked, and a failing step leaves BOOT.INI whole.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CommandLineInterface.h"
#include "cli/tests/CliRun.h"
#include "platform/fake/FakePlatform.h"

namespace {

const char kOtherProgramsFile[] = "[operating systems]\r\nmulti(0)=\"Changed elsewhere\"\r\n";

// Another program writes BOOT.INI while the command makes its staging copy.
class ChangingPlatform : public FakePlatform {
public:
    BOOL CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) override {
        const BOOL copied = FakePlatform::CopyFileTo(existing, target, failIfExists);
        if (changeBootIni)
            WriteFileBytes("C:\\BOOT.INI", kOtherProgramsFile);
        return copied;
    }
    bool changeBootIni = true;
};

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunOn(IPlatform& platform, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "tarnwick");
    CliRequest request;
    std::ostringstream out;
    std::ostringstream err;
    int status = ParseRequest(arguments, request, out, err);
    EXPECT_EQ(status, -1) << err.str();
    SetPlatform(&platform);
    status = RunCommand(request, out, err);
    SetPlatform(nullptr);
    return {status, out.str(), err.str()};
}

TEST(CommandLineCommit, AChangeByAnotherProgramIsNotWrittenOver) {
    ChangingPlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", kMachineBootIni);
    const Outcome outcome = RunOn(platform, {"set", "C:", "2", "--add", "/sos"});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_NE(outcome.err.find("changed by another program"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("--force"), std::string::npos);
    std::string bytes;
    platform.ReadFileBytes("C:\\BOOT.INI", bytes);
    EXPECT_EQ(bytes, kOtherProgramsFile);
    EXPECT_EQ(platform.Attributes("C:\\BOOT.BAK"), INVALID_FILE_ATTRIBUTES);
}

TEST(CommandLineCommit, ForceWritesOverItAndKeepsItAsTheBackup) {
    ChangingPlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", kMachineBootIni);
    const Outcome outcome = RunOn(platform, {"set", "C:", "2", "--add", "/sos", "--force"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::string bytes;
    platform.ReadFileBytes("C:\\BOOT.BAK", bytes);
    EXPECT_EQ(bytes, kOtherProgramsFile);
    platform.ReadFileBytes("C:\\BOOT.INI", bytes);
    EXPECT_NE(bytes.find("\\WINNT=\"Windows 2000\" /SOS /FastDetect \r\n"), std::string::npos);
    EXPECT_EQ(platform.Attributes("C:\\BOOT.INI"),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM));
}

TEST(CommandLineCommit, AFailingStepLeavesBootIniWhole) {
    const struct {
        const char* name;
        FakeOperation operation;
        int nth;
        const char* message;
        bool backupWritten;
    } cases[] = {
        {"staging copy", FakeOperation::kCopyFileTo, 1, "Unable to write BOOT.TMP", false},
        {"staging rewrite", FakeOperation::kWriteLine, 2, "Unable to write BOOT.TMP", false},
        {"clearing attributes", FakeOperation::kWriteFileAttributes, 2,
         "Unable to modify BOOT.INI exiting", false},
        {"backup", FakeOperation::kReplaceFileSafely, 1, "Unable to backup BOOT.INI exiting",
         false},
        {"overwrite", FakeOperation::kReplaceFileSafely, 2, "Unable to overwrite BOOT.INI exiting",
         true},
        {"lock", FakeOperation::kLockExclusively, 1, "Unable to create BOOT.LCK", false},
    };
    for (const auto& item : cases) {
        ChangingPlatform platform;
        platform.changeBootIni = false;
        platform.WriteFileBytes("C:\\BOOT.INI", kMachineBootIni);
        platform.FailCall(item.operation, item.nth);
        const Outcome outcome = RunOn(platform, {"delete", "C:", "2"});
        EXPECT_EQ(outcome.status, 3) << item.name;
        EXPECT_NE(outcome.err.find(item.message), std::string::npos) << item.name << outcome.err;
        std::string bytes;
        platform.ReadFileBytes("C:\\BOOT.INI", bytes);
        EXPECT_EQ(bytes, kMachineBootIni) << item.name;
        EXPECT_EQ(platform.Attributes("C:\\BOOT.BAK") != INVALID_FILE_ATTRIBUTES,
                  item.backupWritten)
            << item.name;
    }
}

}  // namespace
