// The subcommands on a real drive folder: what they print, the exit status, and the bytes of
// BOOT.INI and BOOT.BAK afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/tests/CliRun.h"
#include "platform/posix/PosixPlatform.h"

namespace {

const char kLine2Before[] =
    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" /fastdetect";

class Drive : public ::testing::Test {
public:
    // BOOT.INI with one line replaced.
    static std::string With(const std::string& from, const std::string& to) {
        std::string bytes = kMachineBootIni;
        bytes.replace(bytes.find(from), from.size(), to);
        return bytes;
    }

protected:
    void SetUp() override { WriteHostFile(m_drive / "BOOT.INI", kMachineBootIni); }
    CliOutcome Run(std::vector<std::string> arguments) { return RunCli(m_drive, arguments); }
    std::string BootIni() const { return ReadHostFile(m_drive / "BOOT.INI"); }
    TemporaryFolder m_drive;
};

TEST_F(Drive, ListNumbersTheBootLinesAndMarksTheDefault) {
    const CliOutcome outcome = Run({"list", "DRIVE"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(
        outcome.out,
        "* 1  multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP "
        "Professional\" /noexecute=optin /fastdetect\n"
        "  2  " +
            std::string(kLine2Before) +
            "\n"
            "  3  C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\n");
}

TEST_F(Drive, ShowDecodesTheLine) {
    WriteHostFile(m_drive / "BOOT.INI",
                  "[operating systems]\nmulti(0)=\"A\" /debugport=com2 /baudrate=115200 /sos "
                  "/NoExecute=OptIn\nmulti(1)= /fastdetect\n");
    CliOutcome outcome = Run({"show", "DRIVE", "1"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("Label:      \"A\""), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("Switches:   /SOS\n"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("Values:     /BaudRate=115200 /DebugPort=com2\n"), std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("Unhandled:  /NoExecute=OptIn\n"), std::string::npos);
    outcome = Run({"show", "DRIVE", "2"});
    EXPECT_NE(outcome.out.find("Label:      (none)"), std::string::npos) << outcome.out;
}

// The documented shape: every field there, of its type, on every line.
void ExpectLineShape(const nlohmann::json& line) {
    ASSERT_TRUE(line.is_object());
    EXPECT_TRUE(line.at("number").is_number_integer());
    EXPECT_TRUE(line.at("line_index").is_number_integer());
    EXPECT_TRUE(line.at("arc_path").is_string());
    EXPECT_TRUE(line.at("label").is_string() || line.at("label").is_null());
    EXPECT_TRUE(line.at("text").is_string());
    EXPECT_TRUE(line.at("default").is_boolean());
    const char* const switches[] = {"intaffinity", "noguiboot",  "nolowmem", "pcilock",
                                    "basevideo",   "pae",        "nopae",    "bootlog",
                                    "bootlogo",    "3gb",        "debug",    "nodebug",
                                    "sos",         "fastdetect", "onecpu",   "crashdebug"};
    ASSERT_EQ(line.at("switches").size(), 16u);
    for (const char* name : switches)
        EXPECT_TRUE(line.at("switches").at(name).is_boolean()) << name;
    const char* const values[] = {"baudrate", "channel", "debugport", "hal", "kernel", "maxmem"};
    ASSERT_EQ(line.at("values").size(), 6u);
    for (const char* name : values) {
        const nlohmann::json& value = line.at("values").at(name);
        EXPECT_TRUE(value.is_string() || value.is_null()) << name;
    }
    ASSERT_TRUE(line.at("unhandled").is_array());
    for (const nlohmann::json& option : line.at("unhandled"))
        EXPECT_TRUE(option.is_string());
}

TEST_F(Drive, JsonHasTheDocumentedShape) {
    WriteHostFile(m_drive / "BOOT.INI", With("/fastdetect\r\nC:",
                                             "/Debug /DebugPort=COM2 "
                                             "/BaudRate=115200\r\nC:"));
    const CliOutcome list = Run({"list", "DRIVE", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    const nlohmann::json json = nlohmann::json::parse(list.out);
    EXPECT_EQ(json.at("path"), m_drive.Path());
    EXPECT_EQ(json.at("timeout"), 30);
    ASSERT_EQ(json.at("lines").size(), 3u);
    for (const nlohmann::json& line : json.at("lines"))
        ExpectLineShape(line);

    const nlohmann::json& first = json.at("lines")[0];
    EXPECT_EQ(first.at("number"), 1);
    EXPECT_EQ(first.at("line_index"), 4);
    EXPECT_EQ(first.at("arc_path"), "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS");
    EXPECT_EQ(first.at("label"), "Microsoft Windows XP Professional");
    EXPECT_EQ(first.at("default"), true);
    EXPECT_EQ(first.at("switches").at("fastdetect"), true);
    EXPECT_EQ(first.at("unhandled"), nlohmann::json::array({"noexecute=optin"}));
    const nlohmann::json& second = json.at("lines")[1];
    EXPECT_EQ(second.at("default"), false);
    EXPECT_EQ(second.at("switches").at("debug"), true);
    EXPECT_EQ(second.at("values").at("debugport"), "COM2");
    EXPECT_EQ(second.at("values").at("baudrate"), "115200");
    EXPECT_TRUE(second.at("values").at("maxmem").is_null());

    const CliOutcome show = Run({"show", "DRIVE", "2", "--json"});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(nlohmann::json::parse(show.out), second);
}

TEST_F(Drive, JsonLabelIsNullWithoutOne) {
    WriteHostFile(m_drive / "BOOT.INI", "[operating systems]\r\nmulti(0)=\"\" /sos\r\n");
    const CliOutcome outcome = Run({"list", "DRIVE", "--json"});
    const nlohmann::json json = nlohmann::json::parse(outcome.out);
    EXPECT_TRUE(json.at("lines")[0].at("label").is_null());
    EXPECT_TRUE(json.at("timeout").is_null());
    EXPECT_EQ(json.at("lines")[0].at("text"), "multi(0)=\"\" /sos");
}

// Each writing command: the BOOT.INI it writes byte for byte, the old one kept as BOOT.BAK, and
// BOOT.INI read-only again (the folder's stand-in for the three attributes).
struct WriteCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string expected;
};

class Writing : public Drive, public ::testing::WithParamInterface<WriteCase> {};

const std::string kLine2Debug =
    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" /Debug /FastDetect "
    "/BaudRate=115200 /DebugPort=COM2 ";

const WriteCase kWriteCases[] = {
    {"SetSwitches",
     {"set", "DRIVE", "2", "--add", "/debug", "--add", "/debugport=com2", "--add",
      "/baudrate=115200"},
     Drive::With(kLine2Before, kLine2Debug)},
    {"SetLabelAndRemove",
     {"set", "DRIVE", "2", "--label", "Test", "--remove", "FASTDETECT"},
     Drive::With(kLine2Before, "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Test\" ")},
    {"Copy",
     {"copy", "DRIVE", "2"},
     Drive::With(kLine2Before,
                 "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Copy Windows "
                 "2000\" /FastDetect \r\n" +
                     std::string(kLine2Before))},
    {"CopyWithLabel",
     {"copy", "DRIVE", "3", "--label", "Console 2"},
     Drive::With("C:\\CMDCONS",
                 "C:\\CMDCONS\\BOOTSECT.DAT=\"Console 2\" /cmdcons \r\nC:\\CMDCONS")},
    {"Delete", {"delete", "DRIVE", "2"}, Drive::With(std::string(kLine2Before) + "\r\n", "")},
    {"Default",
     {"default", "DRIVE", "2"},
     Drive::With("default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
                 "default=multi(0)disk(0)rdisk(0)partition(2)\\WINNT")},
    {"DefaultAnyLine",
     {"default", "DRIVE", "3"},
     Drive::With("default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
                 "default=C:\\CMDCONS\\BOOTSECT.DAT")},
    {"Timeout", {"timeout", "DRIVE", "5"}, Drive::With("timeout=30", "timeout=5")},
};

TEST_P(Writing, WritesBootIniAndKeepsTheOldOne) {
    const WriteCase& item = GetParam();
    const CliOutcome outcome = Run(item.arguments);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.err.empty()) << outcome.err;
    EXPECT_EQ(BootIni(), item.expected);
    EXPECT_EQ(ReadHostFile(m_drive / "BOOT.BAK"), kMachineBootIni);
    struct stat info;
    ASSERT_EQ(stat((m_drive / "BOOT.INI").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0222, 0u) << "BOOT.INI is left writable";
    EXPECT_FALSE(std::filesystem::exists(m_drive / "BOOT.LCK"));
}

TEST_P(Writing, DryRunWritesNothingAndPrintsTheDiff) {
    const WriteCase& item = GetParam();
    std::vector<std::string> arguments = item.arguments;
    arguments.push_back("--dry-run");
    const auto entriesBefore = FolderEntries(m_drive.Path());
    const CliOutcome outcome = Run(arguments);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(FolderEntries(m_drive.Path()), entriesBefore);
    EXPECT_EQ(BootIni(), kMachineBootIni);
    EXPECT_EQ(outcome.out.rfind("--- BOOT.INI\n+++ BOOT.INI\n@@ -", 0), 0u) << outcome.out;
    // Every removed and added line of the diff is a line of the old or the new file.
    std::istringstream diff(outcome.out);
    std::string line;
    int changes = 0;
    while (std::getline(diff, line)) {
        if (line.rfind("---", 0) == 0 || line.rfind("+++", 0) == 0 || line.rfind("@@", 0) == 0)
            continue;
        const std::string text = line.substr(1) + "\r\n";
        if (line[0] == '-') {
            EXPECT_NE(std::string(kMachineBootIni).find(text), std::string::npos) << line;
            ++changes;
        } else if (line[0] == '+') {
            EXPECT_NE(item.expected.find(text), std::string::npos) << line;
            ++changes;
        }
    }
    EXPECT_GT(changes, 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, Writing, ::testing::ValuesIn(kWriteCases), CaseNameOf());

TEST_F(Drive, LinesNotEditedKeepEveryByte) {
    // Stray carriage returns, a line without its end, lines outside the section: only the edited
    // line changes, and every line end becomes CR-LF.
    WriteHostFile(m_drive / "BOOT.INI",
                  "; note\rwith a CR\n[operating systems]\nmulti(0)=\"A\" /sos\nmulti(1)=\"B\"  "
                  "/NoExecute=OptIn\n[other]\nlast");
    const CliOutcome outcome = Run({"set", "DRIVE", "1", "--add", "/fastdetect"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(BootIni(),
              "; note\rwith a CR\r\n[operating systems]\r\nmulti(0)=\"A\" /SOS /FastDetect \r\n"
              "multi(1)=\"B\"  /NoExecute=OptIn\r\n[other]\r\nlast\r\n");
}

TEST_F(Drive, AnEditThatChangesNothingWritesNothing) {
    const CliOutcome outcome =
        Run({"set", "DRIVE", "1", "--add", "/fastdetect", "--remove", "/sos"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    // Line 1 is not in normal form, so it is written; a second run finds it so.
    const std::string once = BootIni();
    std::filesystem::remove(m_drive / "BOOT.BAK");
    const CliOutcome again = Run({"set", "DRIVE", "1", "--add", "/fastdetect"});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.out.find("not written"), std::string::npos) << again.out;
    EXPECT_EQ(BootIni(), once);
    EXPECT_FALSE(std::filesystem::exists(m_drive / "BOOT.BAK"));
}

TEST_F(Drive, RestoreSwapsBootIniAndTheBackup) {
    WriteHostFile(m_drive / "BOOT.BAK", "[operating systems]\r\nmulti(0)=\"Old\"\r\n");
    const CliOutcome outcome = Run({"restore", "DRIVE"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(BootIni(), "[operating systems]\r\nmulti(0)=\"Old\"\r\n");
    EXPECT_EQ(ReadHostFile(m_drive / "BOOT.BAK"), kMachineBootIni);
}

TEST_F(Drive, RestoreWritesAMissingBootIniFromTheBackup) {
    std::filesystem::rename(m_drive / "BOOT.INI", m_drive / "BOOT.BAK");
    const CliOutcome outcome = Run({"restore", "DRIVE"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(BootIni(), kMachineBootIni);
    EXPECT_EQ(ReadHostFile(m_drive / "BOOT.BAK"), kMachineBootIni);
}

// Refusals: the status, what the message says, and nothing written.
struct RefusalCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* message;  // part of the error output
};

class Refusals : public Drive, public ::testing::WithParamInterface<RefusalCase> {};

const RefusalCase kRefusalCases[] = {
    {"LineZero", {"set", "DRIVE", "0", "--add", "/sos"}, 1, "no boot line 0: BOOT.INI"},
    {"LineAfterTheLast", {"show", "DRIVE", "4"}, 1, "has 3 boot lines (1 to 3)"},
    {"BadHalName",
     {"set", "DRIVE", "1", "--add", "/hal=averyverylong.dll"},
     1,
     "Invalid Hal File."},
    {"EmptyKernelName", {"set", "DRIVE", "1", "--add", "/kernel="}, 1, "Invalid Kernel File."},
    {"ValueBreaksTheGrammar", {"set", "DRIVE", "1", "--add", "/maxmem=1\"2"}, 1, "Invalid MaxMem."},
    {"LabelBreaksTheGrammar", {"set", "DRIVE", "1", "--label", "a\"b"}, 1, "Invalid Label."},
    {"CopyLabelBreaksTheGrammar", {"copy", "DRIVE", "1", "--label", "a/b"}, 1, "Invalid Label."},
    {"ConflictingSwitches",
     {"set", "DRIVE", "1", "--add", "/pae", "--add", "/nopae"},
     1,
     "exclude each other"},
    {"ComPortWithoutRate",
     {"set", "DRIVE", "1", "--add", "/debugport=COM1"},
     1,
     "takes a baud rate"},
    {"DeleteTheDefault", {"delete", "DRIVE", "1"}, 1, "Make another line the default first"},
    {"TimeoutOutOfRange", {"timeout", "DRIVE", "1000"}, 1, "from 0 to 999"},
    {"NoSubcommand", {}, 2, "A subcommand is required"},
    {"UnknownSubcommand", {"frobnicate", "DRIVE"}, 2, "unknown command 'frobnicate'"},
    {"UnknownOption", {"list", "DRIVE", "--bogus"}, 2, "--bogus"},
    {"MissingLine", {"show", "DRIVE"}, 2, "LINE is required"},
    {"LineNotANumber", {"show", "DRIVE", "two"}, 2, "two"},
    {"OneSwitchEachAdd", {"set", "--add", "/sos", "DRIVE", "1", "--add", "/a", "/b"}, 2, "/b"},
    {"SetWithoutAChange", {"set", "DRIVE", "1"}, 2, "nothing to change"},
    {"OptionOfAnotherCommand", {"delete", "DRIVE", "1", "--add", "/sos"}, 2, "--add"},
    {"NoSuchFolder", {"list", "/nonexistent/tarnwick"}, 3, "not a folder"},
};

TEST_P(Refusals, SayWhyAndWriteNothing) {
    const RefusalCase& item = GetParam();
    const auto entriesBefore = FolderEntries(m_drive.Path());
    const CliOutcome outcome = Run(item.arguments);
    EXPECT_EQ(outcome.status, item.status) << outcome.err;
    EXPECT_NE(outcome.err.find(item.message), std::string::npos) << outcome.err;
    EXPECT_TRUE(outcome.out.empty()) << outcome.out;
    EXPECT_EQ(BootIni(), kMachineBootIni);
    EXPECT_EQ(FolderEntries(m_drive.Path()), entriesBefore);
}

INSTANTIATE_TEST_SUITE_P(Commands, Refusals, ::testing::ValuesIn(kRefusalCases), CaseNameOf());

TEST_F(Drive, DeleteRefusesTheOnlyLine) {
    // The only line is the default too: the message is the one that applies whatever the default.
    const std::string only =
        "[boot loader]\r\ndefault=multi(0)\r\n[operating systems]\r\nmulti(0)=\"A\"\r\n"
        "not a boot line\r\n";
    WriteHostFile(m_drive / "BOOT.INI", only);
    const CliOutcome outcome = Run({"delete", "DRIVE", "1"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("Deleting the only line in the Boot.INI file will make the system "
                               "unbootable"),
              std::string::npos)
        << outcome.err;
    EXPECT_EQ(BootIni(), only);
}

TEST_F(Drive, AnEditorOnTheDriveKeepsWritingCommandsOff) {
    PosixPlatform editor(m_drive.Path());
    std::unique_ptr<IExclusiveLock> lock;
    ASSERT_EQ(editor.LockExclusively("C:\\BOOT.LCK", lock), LockOutcome::kLocked);
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"set", "DRIVE", "2", "--add", "/sos"},
                                               {"delete", "DRIVE", "2"},
                                               {"restore", "DRIVE"}}) {
        const CliOutcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 3) << arguments[0];
        EXPECT_NE(outcome.err.find("already editing BOOT.INI on this drive"), std::string::npos)
            << outcome.err;
    }
    EXPECT_EQ(BootIni(), kMachineBootIni);
    EXPECT_FALSE(std::filesystem::exists(m_drive / "BOOT.BAK"));
    // Reading needs no lock, and neither does a dry run.
    EXPECT_EQ(Run({"list", "DRIVE"}).status, 0);
    EXPECT_EQ(Run({"set", "DRIVE", "2", "--add", "/sos", "--dry-run"}).status, 0);
}

TEST_F(Drive, ADriveWithoutBootIniSaysWhatItHolds) {
    std::filesystem::remove(m_drive / "BOOT.INI");
    CliOutcome outcome = Run({"list", "DRIVE"});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_NE(outcome.err.find("holds no BOOT.INI"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("Windows Boot Manager"), std::string::npos);

    std::filesystem::create_directory(m_drive / "Boot");
    WriteHostFile(m_drive / "Boot/BCD", "regf");
    outcome = Run({"set", "DRIVE", "1", "--add", "/sos"});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_NE(outcome.err.find("This Windows starts with the Windows Boot Manager; BOOT.INI is "
                               "not used here."),
              std::string::npos)
        << outcome.err;
    EXPECT_EQ(FolderEntries(m_drive.Path()), std::vector<std::string>{"Boot"});
}

TEST_F(Drive, TimeoutOnAnEmptyBootIniMakesTheLoaderSection) {
    WriteHostFile(m_drive / "BOOT.INI", "");
    const CliOutcome outcome = Run({"timeout", "DRIVE", "3"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(BootIni(), "[boot loader]\r\ntimeout=3\r\n");
    EXPECT_EQ(Run({"show", "DRIVE", "1"}).status, 1);
}

TEST_F(Drive, DefaultRefusesALineTheLoaderCantTellFromAnEarlierOne) {
    const std::string twins =
        "[boot loader]\r\ndefault=multi(0)\\WINNT\r\n[operating systems]\r\n"
        "multi(0)\\WINDOWS=\"A\"\r\nmulti(0)\\WINDOWS=\"B\"\r\nmulti(0)\\WINNT=\"C\"\r\n";
    WriteHostFile(m_drive / "BOOT.INI", twins);
    const CliOutcome outcome = Run({"default", "DRIVE", "2"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("an earlier line has the same ARC path"), std::string::npos)
        << outcome.err;
    EXPECT_EQ(BootIni(), twins);
    EXPECT_EQ(Run({"default", "DRIVE", "1"}).status, 0);
}

TEST_F(Drive, RestoreWithoutABackupRefuses) {
    const CliOutcome outcome = Run({"restore", "DRIVE"});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_NE(outcome.err.find("no BOOT.BAK"), std::string::npos) << outcome.err;
    EXPECT_EQ(BootIni(), kMachineBootIni);
}

TEST_F(Drive, EverySubcommandHasItsHelp) {
    const struct {
        const char* command;
        std::vector<const char*> mentions;
    } cases[] = {
        {"list", {"PATH", "--json"}},
        {"show", {"PATH", "LINE", "--json"}},
        {"set", {"LINE", "--add", "--remove", "--label", "--dry-run", "--force"}},
        {"copy", {"LINE", "--label", "--dry-run"}},
        {"delete", {"LINE", "--dry-run"}},
        {"default", {"LINE", "--dry-run"}},
        {"timeout", {"SECONDS", "--dry-run"}},
        {"restore", {"PATH", "--force"}},
    };
    for (const auto& item : cases) {
        const CliOutcome outcome = Run({item.command, "--help"});
        EXPECT_EQ(outcome.status, 0) << item.command;
        for (const char* mention : item.mentions)
            EXPECT_NE(outcome.out.find(mention), std::string::npos) << item.command << mention;
    }
    const CliOutcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    for (const char* command : {"list", "show", "set", "copy", "delete", "restore"})
        EXPECT_NE(outcome.out.find(command), std::string::npos) << command;
}

}  // namespace

namespace {

TEST_F(Drive, JsonOfBytesThatAreNotUtf8) {
    // A label written in a Windows code page, and a zero byte.
    WriteHostFile(
        m_drive / "BOOT.INI",
        std::string("[operating systems]\r\nmulti(0)=\"Professionnel \xE9\" /a\0b\r\n", 54));
    const CliOutcome outcome = Run({"show", "DRIVE", "1", "--json"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const nlohmann::json json = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(json.at("label"), "Professionnel \xEF\xBF\xBD");
    // The text is the line as in the file, its zero byte too.
    EXPECT_EQ(json.at("text"), std::string("multi(0)=\"Professionnel \xEF\xBF\xBD\" /a\0b", 33));
}

}  // namespace
