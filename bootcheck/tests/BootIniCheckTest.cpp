#include "bootcheck/BootIniCheck.h"

#include <gtest/gtest.h>

#include "bootcheck/tests/MemoryFiles.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

CStringArray Lines(std::initializer_list<const char*> texts) {
    CStringArray lines;
    for (const char* text : texts)
        lines.Add(text);
    return lines;
}

std::vector<std::string> Texts(const CStringArray& lines) {
    std::vector<std::string> texts;
    for (int i = 0; i < lines.GetSize(); ++i)
        texts.push_back(lines[i].str());
    return texts;
}

// partition(1) holds BOOT.INI, Windows is at partition(3) since a partition was inserted.
Machine MovedWindows() {
    Machine machine;
    machine.disks.push_back(
        Disk(LabelType::Mbr, 1,
             {Partition(1, "FAT16", Files({{"BOOT.INI", ""}})),
              Partition(2, "FAT32", Files({{"DATA\\x", ""}})),
              Partition(3, "NTFS", Files(WindowsFiles("WINDOWS") + WindowsFiles("WINNT")))}));
    machine.systemPartition = PartitionRef{0, 1};
    return machine;
}

const char kStale[] = "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\" /fastdetect";

TEST(BootIniCheck, DefaultNamesALineAndThatLinesVerdict) {
    struct Case {
        const char* defaultLine;  // nullptr: no default= at all
        Outcome outcome;
        const char* text;
    } cases[] = {
        {"default=multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS", Outcome::Boots,
         "default= names the line \"Boots\", which boots."},
        {"Default = MULTI(0)DISK(0)RDISK(0)PARTITION(3)\\windows ", Outcome::Boots,
         "default= names the line \"Boots\", which boots."},
        {"default=multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS", Outcome::Fails,
         "default= names the line \"XP\", which does not boot."},
        {"default=multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS", Outcome::CannotCheck,
         "default= names the line \"multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS\", which can't be "
         "checked."},
        {"default=multi(0)disk(0)rdisk(0)partition(4)\\WINDOWS", Outcome::Fails,
         "default=multi(0)disk(0)rdisk(0)partition(4)\\WINDOWS names no line of [operating "
         "systems]."},
        {nullptr, Outcome::Fails, "[boot loader] has no default= naming the line to start."},
    };
    for (const Case& c : cases) {
        CStringArray lines = Lines({"[boot loader]", "timeout=30"});
        if (c.defaultLine)
            lines.Add(c.defaultLine);
        for (const char* line : {"[operating systems]", kStale,
                                 "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Boots\"",
                                 "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS= /fastdetect"})
            lines.Add(line);
        BootIniCheck check = CheckBootIni(lines, MovedWindows(), nullptr);
        EXPECT_EQ(check.defaultVerdict.outcome, c.outcome) << check.defaultVerdict.text;
        EXPECT_EQ(check.defaultVerdict.text, c.text);
    }
}

TEST(BootIniCheck, RepairPutsTheLineInPlaceAndDefaultFollowsIt) {
    CStringArray lines = Lines(
        {"[boot loader]", "timeout=30", "default=multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS",
         "[operating systems]", kStale, "C:\\=\"Previous Operating System on C:\""});
    BootIniCheck check = CheckBootIni(lines, MovedWindows(), nullptr);
    ASSERT_EQ(check.lines.size(), 2u);
    ASSERT_TRUE(check.lines[0].repaired);
    EXPECT_FALSE(check.lines[1].repaired);
    EXPECT_FALSE(ApplyRepair(lines, check.lines[1]));
    ASSERT_TRUE(ApplyRepair(lines, check.lines[0]));
    EXPECT_EQ(Texts(lines),
              (std::vector<std::string>{
                  "[boot loader]", "timeout=30",
                  "default=multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS", "[operating systems]",
                  "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP\" /fastdetect",
                  "C:\\=\"Previous Operating System on C:\""}));
    // Now the line boots, default= with it; \WINNT is still started by no line.
    check = CheckBootIni(lines, MovedWindows(), nullptr);
    EXPECT_EQ(check.lines[0].verdict.outcome, Outcome::Boots);
    EXPECT_EQ(check.defaultVerdict.outcome, Outcome::Boots);
    ASSERT_EQ(check.proposals.size(), 1u);
    EXPECT_EQ(check.proposals[0].installation.folder, "WINNT");
}

TEST(BootIniCheck, ProposedLinesGoAfterTheLastBootLine) {
    ProposedLine proposal;
    proposal.line = "multi(0)disk(0)rdisk(0)partition(3)\\WINNT=\"2000\" /FastDetect ";
    struct Case {
        const char* what;
        CStringArray before;
        std::vector<std::string> after;
    } cases[] = {
        {"after the last boot line, before a comment and the next section",
         Lines({"[operating systems]", "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"",
                "; note", "[other]"}),
         {"[operating systems]", "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"",
          proposal.line, "; note", "[other]"}},
        {"an empty section",
         Lines({"[boot loader]", "[Operating Systems]  ", "[other]"}),
         {"[boot loader]", "[Operating Systems]  ", proposal.line, "[other]"}},
        {"no section",
         Lines({"[boot loader]", "timeout=3"}),
         {"[boot loader]", "timeout=3", "[operating systems]", proposal.line}},
    };
    for (Case& c : cases) {
        AddProposedLines(c.before, {proposal});
        EXPECT_EQ(Texts(c.before), c.after) << c.what;
    }
}

TEST(BootIniCheck, TextForPeople) {
    CStringArray lines = Lines(
        {"[boot loader]", "default=multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS",
         "[operating systems]", kStale, "multi(0)disk(0)rdisk(0)partition(3)\\WINNT=\"2000\""});
    EXPECT_EQ(CheckText(CheckBootIni(lines, MovedWindows(), nullptr), lines),
              "1. multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\" /fastdetect\n"
              "   \\WINDOWS does not exist on partition(2) of rdisk(0). A Windows folder was found "
              "at partition(3)\\WINDOWS.\n"
              "   Repair writes: multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP\" /fastdetect\n"
              "2. multi(0)disk(0)rdisk(0)partition(3)\\WINNT=\"2000\"\n"
              "   Boots: partition(3)\\WINNT on rdisk(0) holds ntoskrnl.exe and hal.dll.\n"
              "default= names the line \"XP\", which does not boot.\n"
              "Rebuild adds: multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Windows at "
              "rdisk(0)partition(3)\\WINDOWS\" /FastDetect \n");
}

}  // namespace
}  // namespace bootcheck
