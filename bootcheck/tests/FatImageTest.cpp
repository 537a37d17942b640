// The check over a real disk image: an MBR made with sfdisk, FAT file systems made with
// mkfs.fat --offset and filled with mtools, read through a small adapter over mtools. The image
// is the classic broken machine: a data partition was inserted before Windows, so the first line
// still names partition(2) while Windows is partition(3) now.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "bootcheck/BootIniCheck.h"
#include "bootcheck/Text.h"
#include "bootcheck/hive/HiveVersionReader.h"
#include "bootcheck/tests/TestHives.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The output of a shell command, or nothing when it fails.
std::optional<std::string> RunShell(const std::string& command) {
    FILE* pipe = popen(("MTOOLS_SKIP_CHECK=1 " + command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

// A FAT partition inside an image, through mtools (which matches names without regard to case).
class MtoolsFiles : public IPartitionFiles {
public:
    MtoolsFiles(std::string image, unsigned long startSector)
        : m_drive(Quoted(image + "@@" + std::to_string(startSector * 512ul))) {}

    bool Exists(const std::string& path) const override { return path.empty() || Entry(path); }

    std::optional<std::string> ReadFile(const std::string& path) const override {
        auto entry = Entry(path);
        if (!entry || entry->isFolder)
            return std::nullopt;
        return RunShell("mtype -i " + m_drive + " " + Quoted(MtoolsPath(path)));
    }

    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) const override {
        if (!path.empty()) {
            auto entry = Entry(path);
            if (!entry || !entry->isFolder)
                return std::nullopt;
        }
        auto listing = RunShell("mdir -b -i " + m_drive + " " + Quoted(MtoolsPath(path)));
        if (!listing)
            return std::nullopt;
        std::vector<FolderEntry> entries;
        std::istringstream lines(*listing);
        std::string line;
        while (std::getline(lines, line)) {
            FolderEntry entry;
            entry.isFolder = !line.empty() && line.back() == '/';
            if (entry.isFolder)
                line.pop_back();
            entry.name = line.substr(line.rfind('/') + 1);
            if (!entry.name.empty() && entry.name != "." && entry.name != "..")
                entries.push_back(entry);
        }
        return entries;
    }

private:
    static std::string MtoolsPath(const std::string& path) {
        std::string result = "::/";
        for (char c : path)
            result += c == '\\' ? '/' : c;
        return result;
    }

    std::optional<FolderEntry> Entry(const std::string& path) const {
        size_t slash = path.rfind('\\');
        std::string parent = slash == std::string::npos ? "" : path.substr(0, slash);
        std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
        auto entries = ListFolder(parent);
        if (!entries)
            return std::nullopt;
        for (const FolderEntry& entry : *entries) {
            if (EqualsNoCase(entry.name, name))
                return entry;
        }
        return std::nullopt;
    }

    std::string m_drive;
};

struct Layout {
    unsigned long number, start, sectors;
};
// partition(1) holds BOOT.INI, (2) is the data partition inserted later, (3) is Windows.
constexpr Layout kPartitions[] = {{1, 2048, 16384}, {2, 18432, 16384}, {3, 34816, 40960}};

const char kBootIni[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n"
    "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP, checked kernel\" /fastdetect "
    "/KERNEL=ntkrnlmp.exe\r\n"
    "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n"
    "C:\\=\"Previous Operating System on C:\"\r\n"
    "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS=\"On the second disk\"\r\n";

class FatImage : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"sfdisk", "mkfs.fat", "mcopy", "mdir", "mtype", "mmd"}) {
            if (!RunShell(std::string("command -v ") + tool))
                GTEST_SKIP() << tool << " is missing (tools/install-deps.sh installs it)";
        }
        char folder[] = "/tmp/tarnwick-fat-image-XXXXXX";
        ASSERT_TRUE(mkdtemp(folder));
        m_folder = folder;
        m_image = m_folder + "/disk.img";
        std::string table = "label: dos\nlabel-id: 0x8b467c12\n";
        for (const Layout& p : kPartitions)
            table += "start=" + std::to_string(p.start) + ", size=" + std::to_string(p.sectors) +
                     ", type=6\n";
        WriteHostFile("table", table);
        ASSERT_TRUE(RunShell("truncate -s 40M " + Quoted(m_image) + " && sfdisk -q " +
                             Quoted(m_image) + " < " + Quoted(m_folder + "/table")));
        for (const Layout& p : kPartitions) {
            ASSERT_TRUE(RunShell("mkfs.fat -F 16 -s 2 --offset " + std::to_string(p.start) + " " +
                                 Quoted(m_image) + " " + std::to_string(p.sectors / 2)));
        }
        std::string sector(512, '\0');
        sector[510] = '\x55';
        sector[511] = '\xAA';
        Put(1, "BOOT.INI", kBootIni);
        Put(1, "CMDCONS\\BOOTSECT.DAT", sector);
        Put(2, "DATA\\notes.txt", "photos");
        Put(3, "WINDOWS\\system32\\ntoskrnl.exe", "MZ");
        Put(3, "WINDOWS\\system32\\hal.dll", "MZ");
        Put(3, "WINDOWS\\system32\\config\\SYSTEM", EmptyHive());
        Put(3, "WINDOWS\\system32\\config\\SOFTWARE",
            SoftwareHive("Microsoft Windows XP Professional", "Service Pack 3", "5.1"));
        Put(3, "WINNT\\system32\\ntoskrnl.exe", "MZ");
        Put(3, "WINNT\\system32\\hal.dll", "MZ");
        Put(3, "WINNT\\system32\\config\\system", EmptyHive());
        Put(3, "WINNT\\system32\\config\\software",
            SoftwareHive("Microsoft Windows 2000 Professional", "Service Pack 4", "5.0"));

        KnownDisk disk;
        disk.name = m_image;
        disk.signature = 0x8b467c12;
        for (const Layout& p : kPartitions)
            disk.partitions.push_back(
                {p.number, "FAT16", std::make_shared<MtoolsFiles>(m_image, p.start)});
        m_machine.disks.push_back(disk);
        m_machine.systemPartition = PartitionRef{0, 1};
    }

    void TearDown() override {
        if (!m_folder.empty())
            RunShell("rm -rf " + Quoted(m_folder));
    }

    void WriteHostFile(const std::string& name, const std::string& bytes) {
        std::ofstream(m_folder + "/" + name, std::ios::binary) << bytes;
    }

    // Copies bytes to a path on a partition, making its folders first.
    void Put(unsigned long partition, const std::string& path, const std::string& bytes) {
        const Layout& p = kPartitions[partition - 1];
        std::string drive = Quoted(m_image + "@@" + std::to_string(p.start * 512ul));
        std::string target = "::";
        size_t begin = 0;
        for (size_t slash; (slash = path.find('\\', begin)) != std::string::npos;
             begin = slash + 1) {
            target += "/" + path.substr(begin, slash - begin);
            RunShell("mmd -D s -i " + drive + " " + Quoted(target));
        }
        WriteHostFile("put", bytes);
        std::string file = target + "/" + path.substr(begin);
        ASSERT_TRUE(
            RunShell("mcopy -o -i " + drive + " " + Quoted(m_folder + "/put") + " " + Quoted(file)))
            << path;
    }

    // The file's lines as the program holds them: without their line ends.
    static CStringArray FileLines(const std::string& ini) {
        CStringArray lines;
        size_t begin = 0;
        for (size_t end; (end = ini.find("\r\n", begin)) != std::string::npos; begin = end + 2)
            lines.Add(CString(ini.substr(begin, end - begin)));
        return lines;
    }

    static std::string FileText(const CStringArray& lines) {
        std::string text;
        for (int i = 0; i < lines.GetSize(); ++i)
            text += lines[i].str() + "\r\n";
        return text;
    }

    std::string m_folder;
    std::string m_image;
    Machine m_machine;
};

TEST_F(FatImage, VerdictsRepairAndRebuild) {
    auto ini = m_machine.disks[0].partitions[0].files->ReadFile("boot.ini");
    ASSERT_TRUE(ini);
    ASSERT_EQ(*ini, kBootIni);
    CStringArray lines = FileLines(*ini);
    HiveVersionReader reader;
    BootIniCheck check = CheckBootIni(lines, m_machine, &reader);

    const char* expected[] = {
        "\\WINDOWS does not exist on partition(2) of rdisk(0). A Windows folder was found at "
        "partition(3)\\WINDOWS.",
        "The kernel \\WINDOWS\\system32\\ntkrnlmp.exe that /KERNEL= names is missing on "
        "partition(3) of rdisk(0).",
        "Boots: C:\\CMDCONS\\BOOTSECT.DAT is a boot sector.",
        "C:\\BOOTSECT.DOS is missing: for a C:\\ line the loader starts the boot sector saved in "
        "that file.",
        "rdisk(1) can't be checked: only one disk was given.",
    };
    ASSERT_EQ(check.lines.size(), 5u);
    for (size_t i = 0; i < check.lines.size(); ++i)
        EXPECT_EQ(check.lines[i].verdict.text, expected[i]);
    EXPECT_EQ(
        check.defaultVerdict.text,
        "default= names the line \"Microsoft Windows XP Professional\", which does not boot.");
    // Both installations are started by no line yet.
    ASSERT_EQ(check.proposals.size(), 2u);

    // The repair changes the partition number of the line, and of default=, which follows it.
    ASSERT_TRUE(ApplyRepair(lines, check.lines[0]));
    std::string repaired = FileText(lines);
    ASSERT_EQ(repaired.size(), ini->size());
    std::vector<size_t> changed;
    for (size_t i = 0; i < ini->size(); ++i) {
        if ((*ini)[i] != repaired[i])
            changed.push_back(i);
    }
    const size_t inDefault = std::string(kBootIni).find("partition(2)") + 10;
    const size_t inLine = std::string(kBootIni).find("partition(2)", inDefault) + 10;
    EXPECT_EQ(changed, (std::vector<size_t>{inDefault, inLine}));
    EXPECT_EQ(repaired[inDefault], '3');
    EXPECT_EQ(repaired[inLine], '3');

    // Repaired, the line and the default boot, and the rebuild proposes the one installation no
    // line starts, labelled from its hive, after the last boot line.
    check = CheckBootIni(lines, m_machine, &reader);
    EXPECT_EQ(check.lines[0].verdict.text,
              "Boots: partition(3)\\WINDOWS on rdisk(0) holds ntoskrnl.exe and hal.dll.");
    EXPECT_EQ(check.defaultVerdict.outcome, Outcome::Boots);
    AddProposedLines(lines, check.proposals);
    std::string rebuilt = FileText(lines);
    EXPECT_EQ(rebuilt, repaired +
                           "multi(0)disk(0)rdisk(0)partition(3)\\WINNT=\"Microsoft Windows 2000 "
                           "Professional\" /FastDetect \r\n");
}

}  // namespace
}  // namespace bootcheck
