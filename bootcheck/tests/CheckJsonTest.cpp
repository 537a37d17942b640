#include "bootcheck/CheckJson.h"

#include <sstream>

#include "bootcheck/CheckCommand.h"

#include <gtest/gtest.h>

#include "bootcheck/tests/MemoryFiles.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

class NamedXp : public IWindowsVersionReader {
public:
    std::optional<WindowsVersion> Read(const IPartitionFiles&,
                                       const std::string& folder) const override {
        if (folder != "WINDOWS")
            return std::nullopt;
        return WindowsVersion{"Microsoft Windows XP Professional", "Service Pack 3", "5.1"};
    }
};

TEST(CheckJson, EveryLineDefaultAndProposal) {
    Machine machine;
    machine.disks.push_back(Disk(LabelType::Mbr, 1,
                                 {Partition(1, "FAT16", Files({{"BOOT.INI", ""}})),
                                  Partition(2, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    CStringArray lines;
    for (const char* line : {"[boot loader]", "[operating systems]",
                             "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP\" /fastdetect",
                             "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS="})
        lines.Add(line);
    NamedXp reader;
    EXPECT_EQ(CheckJson(CheckBootIni(lines, machine, &reader), lines).dump(1),
              R"({
 "lines": [
  {
   "number": 1,
   "line_index": 2,
   "arc_path": "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS",
   "label": "XP",
   "verdict": "fails",
   "reason": "partition(3) does not exist: rdisk(0) has 2 partitions. A Windows folder was found at partition(2)\\WINDOWS.",
   "found_at": {
    "rdisk": 0,
    "partition": 2,
    "folder": "WINDOWS"
   },
   "repaired": "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\" /fastdetect"
  },
  {
   "number": 2,
   "line_index": 3,
   "arc_path": "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS",
   "label": null,
   "verdict": "cannot_check",
   "reason": "rdisk(1) can't be checked: only one disk was given.",
   "found_at": null,
   "repaired": null
  }
 ],
 "default": {
  "verdict": "fails",
  "reason": "[boot loader] has no default= naming the line to start."
 },
 "proposals": [
  {
   "rdisk": 0,
   "partition": 2,
   "folder": "WINDOWS",
   "product_name": "Microsoft Windows XP Professional",
   "service_pack": "Service Pack 3",
   "line": "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft Windows XP Professional\" /FastDetect /noexecute=optin "
  }
 ]
})");
}

// The exit status says whether anything fails; lines that can't be checked don't fail.
TEST(CheckCommand, ExitStatusAndOutput) {
    Machine machine;
    machine.disks.push_back(
        Disk(LabelType::Mbr, 1, {Partition(1, "NTFS", Files(WindowsFiles("WINDOWS")))}));
    const char kBoots[] = "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"";
    const char kNotChecked[] = "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS=\"Other disk\"";
    const char kFails[] = "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Gone\"";
    struct Case {
        const char* defaultLine;
        std::vector<const char*> bootLines;
        int status;
    } cases[] = {
        {"default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", {kBoots, kNotChecked}, 0},
        {"default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", {kBoots, kFails}, 1},
        {"default=multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS", {kNotChecked}, 0},
        {"default=multi(0)disk(0)rdisk(0)partition(9)\\WINDOWS", {kBoots}, 1},
    };
    for (const Case& c : cases) {
        CStringArray lines;
        for (const char* line : {"[boot loader]", c.defaultLine, "[operating systems]"})
            lines.Add(line);
        for (const char* line : c.bootLines)
            lines.Add(line);
        for (bool json : {false, true}) {
            std::ostringstream out;
            EXPECT_EQ(PrintCheck(lines, machine, nullptr, json, out), c.status) << c.defaultLine;
            const BootIniCheck check = CheckBootIni(lines, machine, nullptr);
            EXPECT_EQ(out.str(),
                      json ? CheckJson(check, lines).dump(2) + "\n" : CheckText(check, lines));
        }
    }
}

}  // namespace
}  // namespace bootcheck
