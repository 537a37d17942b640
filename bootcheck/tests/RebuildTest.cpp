#include "bootcheck/Rebuild.h"

#include <gtest/gtest.h>

#include "bootcheck/tests/MemoryFiles.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

struct SwitchCase {
    const char* productName;
    const char* csdVersion;
    const char* currentVersion;
    bool fastDetect;
    bool noExecute;
};

TEST(Rebuild, SwitchesFollowTheVersionAndServicePack) {
    const SwitchCase cases[] = {
        {"Microsoft Windows 2000", "Service Pack 4", "5.0", true, false},
        {"Microsoft Windows XP", "", "5.1", true, false},
        {"Microsoft Windows XP", "Service Pack 1a", "5.1", true, false},
        {"Microsoft Windows XP", "Service Pack 2", "5.1", true, true},
        {"Microsoft Windows XP", "Service Pack 3", "5.1", true, true},
        {"Microsoft Windows Server 2003", "", "5.2", true, false},
        {"Microsoft Windows Server 2003", "Service Pack 1", "5.2", true, true},
        {"Microsoft Windows Server 2003 R2", "Service Pack 2", "5.2", true, true},
        {"Microsoft Windows NT Workstation", "Service Pack 6", "4.0", false, false},
        // No CurrentVersion: the product name tells.
        {"Microsoft Windows XP", "Service Pack 2", "", true, true},
        {"Windows 2000 Professional", "", "", true, false},
    };
    for (const SwitchCase& c : cases) {
        StartSwitches switches =
            SwitchesFor(WindowsVersion{c.productName, c.csdVersion, c.currentVersion});
        EXPECT_EQ(switches.fastDetect, c.fastDetect) << c.productName << " " << c.csdVersion;
        EXPECT_EQ(switches.noExecuteOptIn, c.noExecute) << c.productName << " " << c.csdVersion;
    }
    StartSwitches unknown = SwitchesFor(std::nullopt);
    EXPECT_TRUE(unknown.fastDetect);
    EXPECT_FALSE(unknown.noExecuteOptIn);
}

// Reads "name|service pack|version" from the SOFTWARE file, as a test stands in for a hive.
class TextVersionReader : public IWindowsVersionReader {
public:
    std::optional<WindowsVersion> Read(const IPartitionFiles& files,
                                       const std::string& folder) const override {
        auto text = files.ReadFile(folder + "\\system32\\config\\SOFTWARE");
        if (!text)
            return std::nullopt;
        size_t first = text->find('|');
        size_t second = text->find('|', first + 1);
        return WindowsVersion{text->substr(0, first), text->substr(first + 1, second - first - 1),
                              text->substr(second + 1)};
    }
};

std::vector<std::pair<std::string, std::string>> Installed(const std::string& folder,
                                                           const std::string& software) {
    auto files = WindowsFiles(folder);
    if (!software.empty())
        files.push_back({folder + "\\system32\\config\\SOFTWARE", software});
    return files;
}

TEST(Rebuild, ProposesALineForEachInstallationNoLineBoots) {
    Machine machine;
    machine.disks.push_back(Disk(
        LabelType::Mbr, 1,
        {Partition(
             1, "NTFS",
             Files(Installed("WINDOWS", "Microsoft Windows XP Professional|Service Pack 3|5.1"))),
         Partition(
             2, "NTFS",
             Files(
                 Installed("WINNT", "Microsoft Windows 2000 Professional|Service Pack 4|5.0") +
                 Installed("Windows2", "Microsoft \"Windows\" Server 2003/R2|Service Pack 2|5.2"))),
         Partition(3, "FAT32", Files(Installed("WINDOWS", ""))),
         // A folder with a kernel but no SYSTEM hive is no installation.
         Partition(4, "FAT32", Files({{"OLD\\system32\\ntoskrnl.exe", ""}}))}));
    machine.disks.push_back(
        Disk(LabelType::Gpt, 0,
             {Partition(1, "NTFS", Files(Installed("WINDOWS", "X|Service Pack 2|5.1")))}));
    machine.disks.push_back(Disk(
        LabelType::Mbr, 2,
        {Partition(
            1, "NTFS",
            Files(Installed("WINDOWS", "Microsoft Windows XP Home Edition|Service Pack 1|5.1")))}));

    auto installations = FindInstallations(machine);
    ASSERT_EQ(installations.size(), 6u);
    CBootLine first;
    ASSERT_TRUE(first.ParseLine("multi(0)disk(0)rdisk(0)partition(1)\\windows=\"XP\" /fastdetect"));
    std::vector<LineVerdict> verdicts{CheckBootLine(first, machine, installations)};
    ASSERT_EQ(verdicts[0].outcome, Outcome::Boots);

    TextVersionReader reader;
    auto proposals = ProposeLines(machine, installations, verdicts, &reader);
    std::vector<std::string> lines;
    for (const ProposedLine& proposal : proposals)
        lines.push_back(proposal.line);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Microsoft Windows 2000 "
                         "Professional\" /FastDetect ",
                         "multi(0)disk(0)rdisk(0)partition(2)\\Windows2=\"Microsoft Windows Server "
                         "2003 R2\" /FastDetect /noexecute=optin ",
                         "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Windows at "
                         "rdisk(0)partition(3)\\WINDOWS\" /FastDetect ",
                         "multi(0)disk(0)rdisk(2)partition(1)\\WINDOWS=\"Microsoft Windows XP Home "
                         "Edition\" /FastDetect ",
                     }));
    ASSERT_EQ(proposals.size(), 4u);
    EXPECT_EQ(proposals[1].version->csdVersion, "Service Pack 2");
    EXPECT_FALSE(proposals[2].version);

    // Every proposed line boots what it was proposed for.
    for (const ProposedLine& proposal : proposals) {
        CBootLine line;
        ASSERT_TRUE(line.ParseLine(proposal.line.c_str()));
        EXPECT_EQ(CheckBootLine(line, machine, installations).outcome, Outcome::Boots)
            << proposal.line;
    }

    // Without a registry reader the lines are labelled by their place.
    auto unnamed = ProposeLines(machine, installations, verdicts, nullptr);
    ASSERT_EQ(unnamed.size(), 4u);
    EXPECT_EQ(unnamed[0].line,
              "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows at "
              "rdisk(0)partition(2)\\WINNT\" /FastDetect ");
}

}  // namespace
}  // namespace bootcheck
