#include "bootcheck/Repair.h"

#include <gtest/gtest.h>

#include "bootcheck/Verdicts.h"
#include "bootcheck/tests/MemoryFiles.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

Machine TwoDisks() {
    Machine machine;
    machine.disks.push_back(Disk(LabelType::Mbr, 0x8b467c12,
                                 {Partition(1, "FAT16", Files({{"BOOT.INI", ""}})),
                                  Partition(2, "FAT32", Files({{"DATA\\x", ""}})),
                                  Partition(3, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    machine.disks.push_back(
        Disk(LabelType::Mbr, 0x0badf00d, {Partition(1, "NTFS", Files(WindowsFiles("WINNT")))}));
    return machine;
}

struct RepairCase {
    const char* line;
    Installation target;
    const char* repaired;
};

TEST(Repair, ChangesOnlyTheCharactersOfTheArcPathThatDiffer) {
    const Installation xp{{0, 3}, "WINDOWS"};
    const Installation w2k{{1, 1}, "WINNT"};
    const RepairCase cases[] = {
        {"multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft Windows XP Professional\" "
         "/noexecute=optin /fastdetect\r\n",
         xp,
         "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Microsoft Windows XP Professional\" "
         "/noexecute=optin /fastdetect\r\n"},
        // Letter case, spaces before "=", odd switches and spacing all stay.
        {"MULTI(0)DISK(0)RDISK(0)PARTITION(12)\\windows =\"XP\"   /NoExecute=OptIn   /FASTDETECT "
         "/unknown:thing",
         xp,
         "MULTI(0)DISK(0)RDISK(0)PARTITION(3)\\windows =\"XP\"   /NoExecute=OptIn   /FASTDETECT "
         "/unknown:thing"},
        {"multi(0)disk(0)rdisk(0)partition(1)\\WINNT=\"Windows 2000\" /fastdetect", w2k,
         "multi(0)disk(0)rdisk(1)partition(1)\\WINNT=\"Windows 2000\" /fastdetect"},
        {"multi(0)disk(0)rdisk(1)partition(3)\\WINDOWS\\=\"XP\"", w2k,
         "multi(0)disk(0)rdisk(1)partition(1)\\WINNT=\"XP\""},
        {"multi(0)disk(0)rdisk(0)partition(3)=\"XP\"", xp,
         "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP\""},
        {"signature(8B467C12)disk(0)rdisk(0)partition(1)\\WINNT=\"2000\"", w2k,
         "signature(0BADF00D)disk(0)rdisk(0)partition(1)\\WINNT=\"2000\""},
        {"signature(0badf00d)disk(1)rdisk(0)partition(2)\\WINDOWS=\"XP\"", xp,
         "signature(8b467c12)disk(1)rdisk(0)partition(3)\\WINDOWS=\"XP\""},
        {"scsi(0)disk(0)rdisk(0)partition(1)\\WINNT=\"2000\" /fastdetect", w2k,
         "scsi(0)disk(1)rdisk(0)partition(1)\\WINNT=\"2000\" /fastdetect"},
    };
    Machine machine = TwoDisks();
    for (const RepairCase& c : cases) {
        auto repaired = RepairedLine(c.line, c.target, machine);
        ASSERT_TRUE(repaired) << c.line;
        EXPECT_EQ(*repaired, c.repaired) << c.line;
    }
}

TEST(Repair, LeavesLinesWithoutAPartitionAlone) {
    Machine machine = TwoDisks();
    const Installation xp{{0, 3}, "WINDOWS"};
    for (const char* line :
         {"C:\\=\"Previous Operating System on C:\"", "C:\\CMDCONS\\BOOTSECT.DAT=\"RC\"",
          "not a boot line", "/switch=first", "dos(0)=\"DOS\""}) {
        EXPECT_FALSE(RepairedLine(line, xp, machine)) << line;
    }
    EXPECT_FALSE(RepairedLine("multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\"",
                              Installation{{5, 1}, "WINDOWS"}, machine));
}

// From the verdict to the repaired line and its new verdict.
TEST(Repair, TheRelocationOfAVerdictMakesTheLineBoot) {
    Machine machine = TwoDisks();
    auto installations = FindInstallations(machine);
    const std::string line =
        "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft Windows XP Professional\" "
        "/fastdetect";
    CBootLine record;
    ASSERT_TRUE(record.ParseLine(line.c_str()));
    LineVerdict before = CheckBootLine(record, machine, installations);
    ASSERT_EQ(before.outcome, Outcome::Fails);
    ASSERT_TRUE(before.relocation);

    auto repaired = RepairedLine(line, *before.relocation, machine);
    ASSERT_TRUE(repaired);
    EXPECT_EQ(*repaired,
              "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Microsoft Windows XP Professional\" "
              "/fastdetect");
    ASSERT_TRUE(record.ParseLine(repaired->c_str()));
    LineVerdict after = CheckBootLine(record, machine, installations);
    EXPECT_EQ(after.outcome, Outcome::Boots) << after.text;
}

}  // namespace
}  // namespace bootcheck
