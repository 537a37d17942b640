// Verdicts on machines whose partition tables trip people up. The partition numbers are those
// partition(n) counts: primaries in table order without empty and extended slots, then the
// logical drives in chain order (the disk layer numbers them; here each machine says what it
// holds after that numbering).
#include "bootcheck/Verdicts.h"

#include <gtest/gtest.h>

#include "bootcheck/tests/MemoryFiles.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

struct LineCase {
    const char* line;
    Outcome outcome;
    const char* text;
};

std::string OutcomeName(Outcome outcome) {
    return NameOf(outcome).word;
}

void ExpectVerdicts(const Machine& machine, const std::vector<LineCase>& cases) {
    auto installations = FindInstallations(machine);
    for (const LineCase& c : cases) {
        CBootLine line;
        ASSERT_TRUE(line.ParseLine(c.line)) << c.line;
        LineVerdict verdict = CheckBootLine(line, machine, installations);
        EXPECT_EQ(OutcomeName(verdict.outcome), OutcomeName(c.outcome)) << c.line;
        EXPECT_EQ(verdict.text, c.text) << c.line;
    }
}

// A system partition with BOOT.INI, a data partition inserted before Windows, then Windows:
// the line still says partition(2), where Windows was before the insert.
TEST(Verdicts, StalePartitionNumberAfterAPartitionWasInsertedBeforeWindows) {
    Machine machine;
    machine.disks.push_back(Disk(LabelType::Mbr, 0x8b467c12,
                                 {Partition(1, "FAT16", Files({{"BOOT.INI", ""}, {"NTLDR", ""}})),
                                  Partition(2, "FAT32", Files({{"Data\\notes.txt", "x"}})),
                                  Partition(3, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    ExpectVerdicts(
        machine,
        {{"multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\" /fastdetect", Outcome::Fails,
          "\\WINDOWS does not exist on partition(2) of rdisk(0). A Windows folder was found at "
          "partition(3)\\WINDOWS."},
         {"multi(0)disk(0)rdisk(0)partition(3)\\windows=\"XP\" /fastdetect", Outcome::Boots,
          "Boots: partition(3)\\windows on rdisk(0) holds ntoskrnl.exe and hal.dll."},
         // The system partition holds no Windows folder at all.
         {"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::Fails,
          "\\WINDOWS does not exist on partition(1) of rdisk(0). A Windows folder was found at "
          "partition(3)\\WINDOWS."}});
}

// The second of three primary slots was deleted: the third slot is partition(2) now.
TEST(Verdicts, DeletedPartitionInTheMiddle) {
    Machine machine;
    machine.disks.push_back(Disk(LabelType::Mbr, 1,
                                 {Partition(1, "FAT16", Files({{"BOOT.INI", ""}})),
                                  Partition(2, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    ExpectVerdicts(machine,
                   {{"multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP\"", Outcome::Fails,
                     "partition(3) does not exist: rdisk(0) has 2 partitions. A Windows folder was "
                     "found at partition(2)\\WINDOWS."},
                    {"multi(0)disk(0)rdisk(0)partition(0)\\WINDOWS=\"XP\"", Outcome::Fails,
                     "partition(0) is the whole disk: partitions count from 1. A Windows folder "
                     "was found at partition(2)\\WINDOWS."}});
}

// One primary, then an extended partition with two logical drives: partition(2) and (3). A line
// written with Linux's numbering (sda6) names a partition the loader doesn't have.
TEST(Verdicts, LogicalDrivesFollowThePrimaries) {
    Machine machine;
    machine.disks.push_back(Disk(LabelType::Mbr, 1,
                                 {Partition(1, "FAT32", Files({{"BOOT.INI", ""}})),
                                  Partition(2, "FAT32", Files({{"DOCS\\a.txt", ""}})),
                                  Partition(3, "NTFS", Files(WindowsFiles("WINNT")))}));
    ExpectVerdicts(machine,
                   {{"multi(0)disk(0)rdisk(0)partition(6)\\WINNT=\"2000\"", Outcome::Fails,
                     "partition(6) does not exist: rdisk(0) has 3 partitions. A Windows folder was "
                     "found at partition(3)\\WINNT."},
                    {"multi(0)disk(0)rdisk(0)partition(3)\\WINNT=\"2000\"", Outcome::Boots,
                     "Boots: partition(3)\\WINNT on rdisk(0) holds ntoskrnl.exe and hal.dll."}});
}

// A hidden primary (type 0x17, say) still counts: Windows behind it stays partition(2), and the
// hidden one can't be read.
TEST(Verdicts, HiddenPrimaryCountsAndCantBeRead) {
    Machine machine;
    machine.disks.push_back(
        Disk(LabelType::Mbr, 1,
             {Partition(1, "", nullptr), Partition(2, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    ExpectVerdicts(machine,
                   {{"multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\"", Outcome::Boots,
                     "Boots: partition(2)\\WINDOWS on rdisk(0) holds ntoskrnl.exe and hal.dll."},
                    {"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::CannotCheck,
                     "partition(1) on rdisk(0) can't be checked: its file system (not one "
                     "Tarnwick knows) can't be read."}});
}

TEST(Verdicts, TwoDisksBySignatureAndByOrder) {
    Machine machine;
    machine.disks.push_back(
        Disk(LabelType::Mbr, 0x1a2b3c4d, {Partition(1, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    machine.disks.push_back(
        Disk(LabelType::Mbr, 0x8b467c12, {Partition(1, "NTFS", Files(WindowsFiles("WINNT")))}));
    ExpectVerdicts(
        machine,
        {{"multi(0)disk(0)rdisk(1)partition(1)\\WINNT=\"2000\"", Outcome::Boots,
          "Boots: partition(1)\\WINNT on rdisk(1) holds ntoskrnl.exe and hal.dll."},
         {"signature(8B467C12)disk(1)rdisk(0)partition(1)\\WINNT=\"2000\"", Outcome::Boots,
          "Boots: partition(1)\\WINNT on rdisk(1) holds ntoskrnl.exe and hal.dll."},
         {"signature(deadbeef)disk(0)rdisk(0)partition(1)\\WINNT=\"2000\"", Outcome::Fails,
          "signature(deadbeef) matches no disk: the disks given have signatures 1a2b3c4d, "
          "8b467c12."},
         // On the wrong disk: the Windows folder of the same name on the other disk is offered.
         {"multi(0)disk(0)rdisk(0)partition(1)\\WINNT=\"2000\"", Outcome::Fails,
          "\\WINNT does not exist on partition(1) of rdisk(0). A Windows folder was found at "
          "rdisk(1)partition(1)\\WINNT."},
         {"scsi(0)disk(1)rdisk(0)partition(1)\\WINNT=\"2000\"", Outcome::Boots,
          "Boots: partition(1)\\WINNT on rdisk(1) holds ntoskrnl.exe and hal.dll."},
         {"multi(0)disk(0)rdisk(2)partition(1)\\WINNT=\"2000\"", Outcome::CannotCheck,
          "rdisk(2) can't be checked: only 2 disks were given."},
         {"scsi(0)disk(2)rdisk(0)partition(1)\\WINNT=\"2000\"", Outcome::CannotCheck,
          "disk(2) can't be checked: only 2 disks were given."},
         {"scsi(0)disk(0)rdisk(1)partition(1)\\WINNT=\"2000\"", Outcome::CannotCheck,
          "rdisk(1) can't be checked: the disks given stand for logical unit 0 of each target."},
         {"multi(1)disk(0)rdisk(0)partition(1)\\WINNT=\"2000\"", Outcome::CannotCheck,
          "multi(1) can't be checked: the disks given stand for the disks of the first adapter, "
          "multi(0)."}});
}

TEST(Verdicts, DisksThatWereNotGivenOrCantStartWindows) {
    Machine one;
    one.disks.push_back(
        Disk(LabelType::Mbr, 0x11, {Partition(1, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    ExpectVerdicts(one,
                   {{"multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS=\"XP\"", Outcome::CannotCheck,
                     "rdisk(1) can't be checked: only one disk was given."},
                    {"signature(12)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::Fails,
                     "signature(12) matches no disk: the disk given has signature 00000011."}});

    Machine unread = one;
    unread.disks.push_back(Disk(LabelType::Mbr, 0, {}));
    unread.disks.back().signatureKnown = false;
    ExpectVerdicts(
        unread, {{"signature(11)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::Boots,
                  "Boots: partition(1)\\WINDOWS on rdisk(0) holds ntoskrnl.exe and hal.dll."},
                 {"signature(12)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::CannotCheck,
                  "signature(12) can't be checked: the signature of rdisk(1) could not be "
                  "read, and no other disk has it."}});

    ExpectVerdicts(Machine{},
                   {{"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::CannotCheck,
                     "rdisk(0) can't be checked: no disk was given."}});

    Machine odd;
    odd.disks.push_back(
        Disk(LabelType::Gpt, 0, {Partition(1, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    odd.disks.push_back(Disk(LabelType::None, 0, {}));
    ExpectVerdicts(
        odd, {{"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::Fails,
               "rdisk(0) is a GPT disk: the loader starts Windows from MBR disks only."},
              {"multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS=\"XP\"", Outcome::Fails,
               "rdisk(1) has no partition table: the loader starts Windows from a partition of "
               "an MBR disk."},
              // A GPT disk's signature field is no MBR signature.
              {"signature(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", Outcome::Fails,
               "signature(0) matches no disk: no MBR disk was given."}});
}

TEST(Verdicts, KernelAndHalFiles) {
    Machine machine;
    machine.disks.push_back(
        Disk(LabelType::Mbr, 1,
             {Partition(1, "NTFS",
                        Files(WindowsFiles("WINDOWS") +
                              std::vector<std::pair<std::string, std::string>>{
                                  {"WINDOWS\\system32\\halmacpi.dll", "MZ"}})),
              Partition(2, "NTFS", Files({{"WINDOWS\\system32\\config\\SYSTEM", ""}})),
              Partition(3, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    ExpectVerdicts(
        machine,
        {{"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"MP\" /KERNEL=ntkrnlmp.exe "
          "/HAL=halmacpi.dll",
          Outcome::Fails,
          "The kernel \\WINDOWS\\system32\\ntkrnlmp.exe that /KERNEL= names is missing on "
          "partition(1) of rdisk(0)."},
         {"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"MP\" /kernel=NTOSKRNL.EXE "
          "/hal=HALMACPI.DLL",
          Outcome::Boots,
          "Boots: partition(1)\\WINDOWS on rdisk(0) holds NTOSKRNL.EXE and HALMACPI.DLL."},
         {"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"MP\" /HAL=halaacpi.dll", Outcome::Fails,
          "The HAL \\WINDOWS\\system32\\halaacpi.dll that /HAL= names is missing on partition(1) "
          "of rdisk(0)."},
         // A folder with a hive but neither kernel nor HAL: both named, and an installation that
         // holds them offered (of two as near, the lower number).
         {"multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\"", Outcome::Fails,
          "The kernel \\WINDOWS\\system32\\ntoskrnl.exe is missing on partition(2) of rdisk(0). "
          "The HAL \\WINDOWS\\system32\\hal.dll is missing on partition(2) of rdisk(0). A Windows "
          "folder was found at partition(1)\\WINDOWS."},
         {"multi(0)disk(0)rdisk(0)partition(3)=\"XP\"", Outcome::Fails,
          "The line names no Windows folder after partition(3). A Windows folder was found at "
          "partition(3)\\WINDOWS."}});
}

TEST(Verdicts, BootSectorLines) {
    std::string unsigned_sector(512, '\0');
    Machine machine;
    machine.disks.push_back(Disk(LabelType::Mbr, 1,
                                 {Partition(1, "FAT16",
                                            Files({{"BOOT.INI", ""},
                                                   {"BOOTSECT.DOS", BootSector()},
                                                   {"CMDCONS\\BOOTSECT.DAT", BootSector()},
                                                   {"LINUX.BIN", unsigned_sector},
                                                   {"SHORT.BIN", "\x55\xAA"}}))}));
    machine.systemPartition = PartitionRef{0, 1};
    ExpectVerdicts(machine,
                   {{"C:\\=\"Previous Operating System on C:\"", Outcome::Boots,
                     "Boots: C:\\BOOTSECT.DOS is a boot sector."},
                    {"C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons",
                     Outcome::Boots, "Boots: C:\\CMDCONS\\BOOTSECT.DAT is a boot sector."},
                    {"c:\\cmdcons\\bootsect.dat=\"Recovery Console\" /cmdcons", Outcome::Boots,
                     "Boots: C:\\cmdcons\\bootsect.dat is a boot sector."},
                    {"C:\\GRLDR=\"GRUB\"", Outcome::Fails,
                     "C:\\GRLDR is missing on the partition that holds BOOT.INI."},
                    {"C:\\LINUX.BIN=\"Linux\"", Outcome::Fails,
                     "C:\\LINUX.BIN is not a boot sector: its bytes 511 and 512 are not 55 AA."},
                    {"C:\\SHORT.BIN=\"Linux\"", Outcome::Fails,
                     "C:\\SHORT.BIN is not a boot sector: it holds 2 bytes, not 512."},
                    {"D:\\BOOTSECT.DAT=\"Other\"", Outcome::CannotCheck,
                     "D: can't be checked: only C:, the partition that holds BOOT.INI, is known."},
                    {"dos(0)=\"DOS\"", Outcome::Fails,
                     "\"dos(0)\" is not a boot path the loader understands: it takes "
                     "multi(0)disk(0)rdisk(z)partition(n)\\FOLDER, "
                     "scsi(x)disk(y)rdisk(0)partition(n)\\FOLDER, "
                     "signature(XXXXXXXX)disk(y)rdisk(0)partition(n)\\FOLDER or C:\\FILE."}});

    Machine noSaved;
    noSaved.disks.push_back(
        Disk(LabelType::Mbr, 1, {Partition(1, "FAT16", Files({{"BOOT.INI", ""}}))}));
    noSaved.systemPartition = PartitionRef{0, 1};
    ExpectVerdicts(noSaved, {{"C:\\=\"Previous Operating System on C:\"", Outcome::Fails,
                              "C:\\BOOTSECT.DOS is missing: for a C:\\ line the loader starts the "
                              "boot sector saved in that file."}});
    noSaved.systemPartition.reset();
    ExpectVerdicts(noSaved,
                   {{"C:\\CMDCONS\\BOOTSECT.DAT=\"Recovery Console\"", Outcome::CannotCheck,
                     "C:\\CMDCONS\\BOOTSECT.DAT can't be checked: the partition that holds "
                     "BOOT.INI is not known."}});
}

}  // namespace
}  // namespace bootcheck
