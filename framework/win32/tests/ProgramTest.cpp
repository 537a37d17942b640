// The Windows program under Wine, whole: its start-up, the real dialogs from the compiled
// templates, real message boxes and the real files on drive C: of the test's Wine prefix (a
// folder of the build tree, so the program's fixed paths C:\BOOT.INI, C:\BOOT.TMP and C:\BOOT.BAK
// are used as they stand).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win32/Win32Application.h"
#include "framework/win32/tests/ProgramDriver.h"
#include "framework/win32/tests/WineTestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"

namespace {

const char kProfile[] = "tarnwick.INI";  // the executable's name: in the Windows directory

void SetWarnUser(const char* value) {
    ::WritePrivateProfileStringA("Tarnwick", "WarnUser", value, kProfile);
}

int WarnUser() {
    return static_cast<int>(::GetPrivateProfileIntA("Tarnwick", "WarnUser", -1, kProfile));
}

std::vector<unsigned char> WellKnownSid(WELL_KNOWN_SID_TYPE type) {
    std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    EXPECT_TRUE(::CreateWellKnownSid(type, nullptr, sid.data(), &size));
    sid.resize(size);
    return sid;
}

// The real platform with a token group list of the test's making.
class GroupListPlatform : public Win32Platform {
public:
    explicit GroupListPlatform(std::vector<TokenGroup> groups) : m_groups(std::move(groups)) {}
    BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) override {
        groups = m_groups;
        return TRUE;
    }

private:
    std::vector<TokenGroup> m_groups;
};

class ProgramUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFixtureFile(kBootIni, kFixture, kProtected));
        RemoveFile(kStaging);
        RemoveFile(kBackup);
        SetWarnUser("1");
    }
    void TearDown() override { SetWarnUser(nullptr); }

    ProgramDriver driver;
};

TEST_F(ProgramUnderWine, EditorOpensOnTheFirstBootLine) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        EXPECT_EQ(EntriesOf(dialog, IDC_BOOTLINE_LIST),
                  (std::vector<std::string>{"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
                                            "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
                                            "C:\\CMDCONS\\BOOTSECT.DAT"}));
        EXPECT_EQ(SelectionOf(dialog, IDC_BOOTLINE_LIST), 0);
        EXPECT_EQ(TextOf(dialog, IDC_LABEL_EDIT), "Microsoft Windows XP Professional");
        EXPECT_TRUE(IsChecked(dialog, IDC_FASTDETECT));
        EXPECT_FALSE(IsChecked(dialog, IDC_DEBUG));
        EXPECT_EQ(EntriesOf(dialog, IDC_UNHANDLED_LIST).size(), 1u);
        // The unchanged state.
        EXPECT_FALSE(IsEnabled(dialog, IDC_APPLY));
        EXPECT_TRUE(IsEnabled(dialog, IDC_COPY_LINE));
        EXPECT_TRUE(IsEnabled(dialog, IDC_DELETE_LINE));
        EXPECT_FALSE(IsEnabled(dialog, IDC_HAL_EDIT));
        EXPECT_FALSE(IsEnabled(dialog, IDC_CHANNEL_SPIN));
        // The baud rates come from the template's init data, applied by the framework.
        EXPECT_EQ(EntriesOf(dialog, IDC_BAUDRATE_LIST),
                  (std::vector<std::string>{"300", "1200", "2400", "4800", "9600", "19200", "38400",
                                            "57600", "115200"}));
        EXPECT_EQ(EntriesOf(dialog, IDC_DEBUGPORT_LIST),
                  (std::vector<std::string>{"1394", "COM1", "COM2", "COM3", "COM4"}));
        // A line without a channel shows none.
        EXPECT_EQ(TextOf(dialog, IDC_CHANNEL_EDIT), "");
        // The editor answers the Help command, so its Help button shows.
        EXPECT_TRUE(IsVisible(dialog, ID_HELP));
        // System menu: a separator, the about entry, then the Boot Menu's entry.
        HMENU menu = ::GetSystemMenu(dialog, FALSE);
        const int count = ::GetMenuItemCount(menu);
        ASSERT_GE(count, 4);
        EXPECT_EQ(::GetMenuItemID(menu, count - 3), static_cast<UINT>(ID_SYSMENU_ABOUT));
        char text[64] = {};
        ::GetMenuStringA(menu, count - 3, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&About Tarnwick...");
        EXPECT_EQ(::GetMenuState(menu, count - 4, MF_BYPOSITION) & MF_SEPARATOR,
                  static_cast<UINT>(MF_SEPARATOR));
        EXPECT_EQ(::GetMenuItemID(menu, count - 2), static_cast<UINT>(ID_SYSMENU_BOOTMENU));
        ::GetMenuStringA(menu, count - 2, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "Boot &Menu...\tF2");
        EXPECT_NE(::SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(::SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);
        Click(dialog, IDCANCEL);
    });
    driver.Run();

    EXPECT_EQ(driver.OpenedDialogs(), std::vector<UINT>{IDD_BOOTEDIT_DIALOG});
    EXPECT_TRUE(driver.MessageBoxes().empty());
    // Cancel never writes BOOT.INI; the staging copy stays, without the protecting attributes.
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    EXPECT_EQ(AttributesOf(kBootIni), kProtected);
    EXPECT_EQ(ReadWholeFile(kStaging), kFixture);
    EXPECT_EQ(AttributesOf(kStaging), 0u);
    EXPECT_FALSE(Exists(kBackup));
}

// The label as the staging file holds it after an edit; "" when no line of the file holds it.
bool StagingHolds(const std::string& text) {
    return ReadWholeFile(kStaging).find(text) != std::string::npos;
}

TEST_F(ProgramUnderWine, ApplyRewritesTheStagingFileAndOkCommitsWithABackup) {
    struct Case {
        int answer;
        bool committed;
    };
    for (const Case& c : {Case{IDOK, true}, Case{IDCANCEL, false}}) {
        SCOPED_TRACE(c.answer == IDOK ? "commit confirmed" : "commit declined");
        SetUp();
        ProgramDriver run;
        run.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
            Click(dialog, IDC_DEBUG);
            EXPECT_TRUE(IsChecked(dialog, IDC_DEBUG));
            Type(dialog, IDC_LABEL_EDIT, "XP with the debugger");
            // The changed state: Apply is the only way on.
            EXPECT_TRUE(IsEnabled(dialog, IDC_APPLY));
            EXPECT_FALSE(IsEnabled(dialog, IDC_COPY_LINE));
            EXPECT_FALSE(IsEnabled(dialog, IDC_DELETE_LINE));
            Click(dialog, IDC_APPLY);
            EXPECT_TRUE(StagingHolds("=\"XP with the debugger\""));
            EXPECT_TRUE(StagingHolds("/Debug "));
            EXPECT_FALSE(IsEnabled(dialog, IDC_APPLY));
            EXPECT_TRUE(IsEnabled(dialog, IDC_COPY_LINE));
            EXPECT_EQ(TextOf(dialog, IDC_LABEL_EDIT), "XP with the debugger");
            Click(dialog, IDOK);
        });
        run.AnswerMessageBoxes({c.answer});
        run.Run();

        ASSERT_EQ(run.MessageBoxes().size(), 1u);
        const MessageBoxSeen& question = run.MessageBoxes()[0];
        EXPECT_EQ(question.text, "Do you want to commit your changes to disk?");
        EXPECT_EQ(question.caption, "tarnwick");
        EXPECT_TRUE(question.questionIcon);
        EXPECT_TRUE(question.hasCancel);
        EXPECT_EQ(AttributesOf(kBootIni), kProtected);
        if (c.committed) {
            EXPECT_EQ(ReadWholeFile(kBootIni), ReadWholeFile(kStaging));
            EXPECT_NE(ReadWholeFile(kBootIni).find("\"XP with the debugger\""), std::string::npos);
            EXPECT_EQ(ReadWholeFile(kBackup), kFixture);
        } else {
            EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
            EXPECT_FALSE(Exists(kBackup));
        }
    }
}

TEST_F(ProgramUnderWine, OkWithoutApplyAsksNothingAndWritesNothing) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        Click(dialog, IDC_SOS);
        Click(dialog, IDOK);
    });
    driver.Run();
    EXPECT_TRUE(driver.MessageBoxes().empty());
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    EXPECT_FALSE(Exists(kBackup));
}

// The program's own writes to the controls must not count as the user's edits: writing a line's
// label into the label edit makes the edit send EN_UPDATE, which would put the dialog into its
// changed state.
TEST_F(ProgramUnderWine, ShowingAnotherLineKeepsTheDialogUnchanged) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        SelectEntry(dialog, IDC_BOOTLINE_LIST, 1);
        EXPECT_EQ(TextOf(dialog, IDC_LABEL_EDIT), "Windows XP Debug");
        // Both lines share the ARC path: the second entry stays the chosen one.
        EXPECT_EQ(SelectionOf(dialog, IDC_BOOTLINE_LIST), 1);
        EXPECT_EQ(TextOf(dialog, IDC_BOOTLINE_LIST),
                  "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS");
        EXPECT_TRUE(IsChecked(dialog, IDC_DEBUG));
        EXPECT_TRUE(IsChecked(dialog, IDC_DEBUGPORT));
        EXPECT_EQ(TextOf(dialog, IDC_DEBUGPORT_LIST), "COM2");
        EXPECT_EQ(SelectionOf(dialog, IDC_DEBUGPORT_LIST), 2);
        EXPECT_EQ(TextOf(dialog, IDC_BAUDRATE_LIST), "115200");
        EXPECT_TRUE(IsEnabled(dialog, IDC_BAUDRATE_LIST));
        EXPECT_FALSE(IsEnabled(dialog, IDC_APPLY));
        EXPECT_TRUE(IsEnabled(dialog, IDC_COPY_LINE));
        // The user's typing is a change.
        Type(dialog, IDC_LABEL_EDIT, "Windows XP Debug 2");
        EXPECT_TRUE(IsEnabled(dialog, IDC_APPLY));
        Click(dialog, IDCANCEL);
    });
    driver.Run();
}

TEST_F(ProgramUnderWine, OptionInterlocksOnRealCheckBoxes) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        Click(dialog, IDC_DEBUG);
        Click(dialog, IDC_NODEBUG);
        EXPECT_TRUE(IsChecked(dialog, IDC_NODEBUG));
        EXPECT_FALSE(IsChecked(dialog, IDC_DEBUG));
        Click(dialog, IDC_PAE);
        Click(dialog, IDC_NOPAE);
        EXPECT_TRUE(IsChecked(dialog, IDC_NOPAE));
        EXPECT_FALSE(IsChecked(dialog, IDC_PAE));
        // A file option offers its field and "..." button with the default file.
        Click(dialog, IDC_HAL);
        EXPECT_TRUE(IsEnabled(dialog, IDC_HAL_EDIT));
        EXPECT_TRUE(IsEnabled(dialog, IDC_HAL_BROWSE));
        EXPECT_EQ(TextOf(dialog, IDC_HAL_EDIT), "hal.dll");
        Click(dialog, IDC_HAL);
        EXPECT_FALSE(IsEnabled(dialog, IDC_HAL_EDIT));
        EXPECT_EQ(TextOf(dialog, IDC_HAL_EDIT), "");
        // A 1394 channel takes the debug port to 1394 and enables the up-down control.
        Click(dialog, IDC_CHANNEL);
        EXPECT_TRUE(IsChecked(dialog, IDC_DEBUGPORT));
        EXPECT_EQ(TextOf(dialog, IDC_DEBUGPORT_LIST), "1394");
        EXPECT_TRUE(IsEnabled(dialog, IDC_CHANNEL_EDIT));
        EXPECT_TRUE(IsEnabled(dialog, IDC_CHANNEL_SPIN));
        EXPECT_EQ(TextOf(dialog, IDC_CHANNEL_EDIT), "1");
        Click(dialog, IDCANCEL);
    });
    driver.Run();
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
}

TEST_F(ProgramUnderWine, RefusedApplyShowsAStopMessageAndKeepsTheChange) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        Click(dialog, IDC_KERNEL);
        Type(dialog, IDC_KERNEL_EDIT, "averylongkernel.exe");
        Click(dialog, IDC_APPLY);
        EXPECT_TRUE(IsEnabled(dialog, IDC_APPLY));
        Click(dialog, IDCANCEL);
    });
    driver.Run();
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].text, "Invalid Kernel File.");
    EXPECT_EQ(driver.MessageBoxes()[0].caption, "tarnwick");
    EXPECT_TRUE(driver.MessageBoxes()[0].stopIcon);
    EXPECT_FALSE(driver.MessageBoxes()[0].hasCancel);
    EXPECT_EQ(ReadWholeFile(kStaging), kFixture);
}

TEST_F(ProgramUnderWine, AdministratorCheckOnTheTokenGroupList) {
    const std::vector<unsigned char> administrators = WellKnownSid(WinBuiltinAdministratorsSid);
    const std::vector<unsigned char> users = WellKnownSid(WinBuiltinUsersSid);
    const std::vector<unsigned char> everyone = WellKnownSid(WinWorldSid);
    // Many groups, as a domain administrator's token has: far more than 1,024 bytes.
    std::vector<TokenGroup> manyGroups;
    for (DWORD rid = 1000; rid < 1300; ++rid) {
        std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID built = nullptr;
        ASSERT_TRUE(::AllocateAndInitializeSid(&nt, 5, 21, 1111, 2222, 3333, rid, 0, 0, 0, &built));
        const auto* bytes = static_cast<unsigned char*>(built);
        manyGroups.push_back(
            {std::vector<unsigned char>(bytes, bytes + ::GetLengthSid(built)), SE_GROUP_ENABLED});
        ::FreeSid(built);
    }
    struct Case {
        const char* name;
        std::vector<TokenGroup> groups;
        bool admitted;
    };
    std::vector<TokenGroup> manyWithAdministrators = manyGroups;
    manyWithAdministrators.push_back({administrators, SE_GROUP_ENABLED});
    const std::vector<Case> cases = {
        {"a plain user", {{everyone, SE_GROUP_ENABLED}, {users, SE_GROUP_ENABLED}}, false},
        {"no groups at all", {}, false},
        {"many groups, none of them Administrators", manyGroups, false},
        {"Administrators among many groups", manyWithAdministrators, true},
        // Membership is enough, whatever the group's attributes.
        {"Administrators for deny only",
         {{users, SE_GROUP_ENABLED}, {administrators, SE_GROUP_USE_FOR_DENY_ONLY}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        GroupListPlatform platform(c.groups);
        ProgramDriver run;
        if (c.admitted)
            run.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) { Click(dialog, IDCANCEL); });
        run.Run(&platform);
        if (c.admitted) {
            EXPECT_TRUE(run.MessageBoxes().empty());
            EXPECT_TRUE(Exists(kStaging));
            continue;
        }
        // Only the refusal: no warning, no editor, no file touched.
        EXPECT_TRUE(run.OpenedDialogs().empty());
        ASSERT_EQ(run.MessageBoxes().size(), 1u);
        EXPECT_EQ(run.MessageBoxes()[0].text,
                  "Tarnwick V1.0 needs Administrator Privileges in order to run");
        EXPECT_EQ(run.MessageBoxes()[0].caption, "tarnwick");
        EXPECT_TRUE(run.MessageBoxes()[0].stopIcon);
        EXPECT_FALSE(Exists(kStaging));
    }
}

TEST_F(ProgramUnderWine, MissingBootIniIsReportedAndTheProgramEnds) {
    RemoveFile(kBootIni);
    driver.Run();
    std::vector<std::string> texts;
    for (const MessageBoxSeen& box : driver.MessageBoxes()) {
        texts.push_back(box.text);
        EXPECT_TRUE(box.stopIcon) << box.text;
        EXPECT_EQ(box.caption, "tarnwick");
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Tarnwick Unable to make a copy of boot.ini",
                                        "Tarnwick Unable to modify attributes of boot.tmp"}));
    EXPECT_TRUE(driver.OpenedDialogs().empty());
    EXPECT_FALSE(Exists(kBootIni));
}

TEST_F(ProgramUnderWine, WarningDialogAndItsProfileValue) {
    struct Case {
        const char* name;
        bool tick;
        int button;
        int warnUserAfter;  // -1: not written
        bool editorOpens;
    };
    const Case cases[] = {
        {"ticked and OK", true, IDOK, 1, true},
        {"ticked and Cancel", true, IDCANCEL, -1, false},
        {"OK alone", false, IDOK, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        SetWarnUser(nullptr);
        ProgramDriver run;
        run.OnDialog(IDD_WARNUSER, [&c](HWND dialog) {
            char title[64] = {};
            ::GetWindowTextA(dialog, title, sizeof title);
            EXPECT_STREQ(title, "Tarn Continue Execution Dialog");
            EXPECT_FALSE(IsChecked(dialog, IDC_DONT_SHOW_AGAIN));
            if (c.tick)
                Click(dialog, IDC_DONT_SHOW_AGAIN);
            Click(dialog, c.button);
        });
        if (c.editorOpens)
            run.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) { Click(dialog, IDCANCEL); });
        run.Run();
        EXPECT_EQ(WarnUser(), c.warnUserAfter);
        EXPECT_EQ(Exists(kStaging), c.editorOpens);
    }
}

TEST_F(ProgramUnderWine, AboutBoxFromTheSystemMenu) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        // Any command from 0x10 to 0x1F is the about entry.
        ::SendMessageA(dialog, WM_SYSCOMMAND, ID_SYSMENU_ABOUT, 0);
        ::SendMessageA(dialog, WM_SYSCOMMAND, ID_SYSMENU_ABOUT | 0xF, 0);
        Click(dialog, IDCANCEL);
    });
    const auto closeAbout = [](HWND about) {
        char title[64] = {};
        ::GetWindowTextA(about, title, sizeof title);
        EXPECT_STREQ(title, "About Tarn");
        EXPECT_EQ(TextOf(about, IDOK), "OK");
        Click(about, IDOK);
    };
    driver.OnDialog(IDD_ABOUTBOX, closeAbout);
    driver.OnDialog(IDD_ABOUTBOX, closeAbout);
    driver.Run();
    EXPECT_EQ(driver.OpenedDialogs(),
              (std::vector<UINT>{IDD_BOOTEDIT_DIALOG, IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

// The boot path check on real controls. The test program has no source of disks (the program's
// entry point sets the running system's): every line says what can't be checked.
TEST_F(ProgramUnderWine, BootPathCheckFromTheSystemMenu) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        HMENU menu = ::GetSystemMenu(dialog, FALSE);
        const int count = ::GetMenuItemCount(menu);
        ASSERT_GE(count, 4);
        EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(ID_SYSMENU_CHECK));
        char text[64] = {};
        ::GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "Check &Boot Paths...");
        ::SendMessageA(dialog, WM_SYSCOMMAND, ID_SYSMENU_CHECK, 0);
        Click(dialog, IDCANCEL);
    });
    driver.OnDialog(IDD_BOOTCHECK, [](HWND check) {
        char title[64] = {};
        ::GetWindowTextA(check, title, sizeof title);
        EXPECT_STREQ(title, "Check Boot Paths");
        EXPECT_EQ(EntriesOf(check, IDC_CHECK_LINE_LIST),
                  (std::vector<std::string>{
                      "1. can't check: multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
                      "2. can't check: multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
                      "3. can't check: C:\\CMDCONS\\BOOTSECT.DAT"}));
        EXPECT_EQ(SelectionOf(check, IDC_CHECK_LINE_LIST), 0);
        EXPECT_EQ(TextOf(check, IDC_CHECK_VERDICT),
                  "\"Microsoft Windows XP Professional\": rdisk(0) can't be checked: no disk was "
                  "given.");
        EXPECT_FALSE(IsEnabled(check, IDC_CHECK_REPAIR));
        EXPECT_FALSE(IsEnabled(check, IDC_CHECK_REBUILD));
        Click(check, IDCANCEL);
    });
    driver.Run();
    EXPECT_EQ(driver.OpenedDialogs(), (std::vector<UINT>{IDD_BOOTEDIT_DIALOG, IDD_BOOTCHECK}));
}

TEST_F(ProgramUnderWine, KernelBrowseOpensInTheSystemDirectory) {
    char systemDirectory[MAX_PATH] = {};
    ::GetSystemDirectoryA(systemDirectory, MAX_PATH);
    std::string proposed;
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [&](HWND dialog) {
        Click(dialog, IDC_KERNEL);
        driver.OnFileDialog([&](HWND fileDialog) {
            // Take the file the dialog proposes.
            ::PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Click(dialog, IDC_KERNEL_BROWSE);
        EXPECT_EQ(TextOf(dialog, IDC_KERNEL_EDIT), "ntoskrnl.exe");
        char current[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, current);
        proposed = current;
        Click(dialog, IDCANCEL);
    });
    driver.Run();
    EXPECT_EQ(::lstrcmpiA(proposed.c_str(), systemDirectory), 0);
}

// Help goes to the HTML Help control, loaded on first use; without the help file the program
// shows nothing of its own and goes on.
TEST_F(ProgramUnderWine, HelpRequestsLeaveTheDialogWorking) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        EXPECT_TRUE(SendHelpRequest(dialog, IDC_PAE, 100, 100));
        ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, IDOK)),
                       MAKELPARAM(120, 40));
        Click(dialog, ID_HELP);
        EXPECT_FALSE(IsEnabled(dialog, IDC_APPLY));
        Click(dialog, IDC_SOS);
        EXPECT_TRUE(IsEnabled(dialog, IDC_APPLY));
        Click(dialog, IDCANCEL);
    });
    driver.Run();
    EXPECT_TRUE(driver.MessageBoxes().empty());
}

TEST_F(ProgramUnderWine, MinimisedEditorShowsAndDragsItsIcon) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        const LRESULT icon = ::SendMessageA(dialog, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(icon, 0);
        EXPECT_EQ(::SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0), icon);
        ::SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(::IsIconic(dialog));
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::SendMessageA(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_FALSE(::IsIconic(dialog));
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        // Painted and validated: nothing is left to paint.
        EXPECT_FALSE(::GetUpdateRect(dialog, nullptr, FALSE));
        Click(dialog, IDCANCEL);
    });
    driver.Run();
}

// Another drive: the program's paths on drive C: go to the drive the user named.
const char kOtherDrive[] = "C:\\tarnwick-other-drive";

std::string OnOtherDrive(const char* name) {
    return std::string(kOtherDrive) + "\\" + name;
}

class OtherDrive : public ProgramUnderWine {
protected:
    void SetUp() override {
        ProgramUnderWine::SetUp();
        ::CreateDirectoryA(kOtherDrive, nullptr);
        for (const char* name : {"BOOT.INI", "BOOT.TMP", "BOOT.BAK", "bootmgr"})
            RemoveFile(OnOtherDrive(name).c_str());
    }
};

TEST_F(OtherDrive, TheEditorWorksOnTheNamedDrive) {
    ASSERT_TRUE(WriteFixtureFile(OnOtherDrive("BOOT.INI").c_str(), kFixture, kProtected));
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [](HWND dialog) {
        Click(dialog, IDC_SOS);
        Click(dialog, IDC_APPLY);
        Click(dialog, IDOK);
    });
    driver.AnswerMessageBoxes({IDOK});
    Win32Platform otherDrive(std::string(kOtherDrive) + "\\");
    driver.Run(&otherDrive);
    EXPECT_EQ(ReadWholeFile(OnOtherDrive("BOOT.BAK").c_str()), kFixture);
    EXPECT_NE(ReadWholeFile(OnOtherDrive("BOOT.INI").c_str()).find("/SOS"), std::string::npos);
    EXPECT_EQ(AttributesOf(OnOtherDrive("BOOT.INI").c_str()), kProtected);
    // Drive C: itself stays as it was.
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    EXPECT_FALSE(Exists(kBackup));
}

TEST_F(OtherDrive, ADriveOfTheWindowsBootManagerIsNamedAsSuch) {
    ASSERT_TRUE(WriteFixtureFile(OnOtherDrive("bootmgr").c_str(), "", kProtected));
    Win32Platform otherDrive(std::string(kOtherDrive) + "\\");
    driver.Run(&otherDrive);
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].text,
              "This Windows starts with the Windows Boot Manager; BOOT.INI is not used here.\n\n"
              "To edit the BOOT.INI of another Windows, start Tarnwick with the drive that holds "
              "it, for example: tarnwick.exe E:");
    EXPECT_TRUE(driver.MessageBoxes()[0].stopIcon);
    EXPECT_TRUE(driver.OpenedDialogs().empty());
    EXPECT_FALSE(Exists(OnOtherDrive("BOOT.TMP").c_str()));
}

TEST(DriveOnTheCommandLine, BlanksAndQuotesAreNotPartOfIt) {
    const struct {
        const char* commandLine;
        const char* drive;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"E:", "E:"},
        {"  e:\\ ", "e:\\"},
        {"\"D:\\my images\\xp\"", "D:\\my images\\xp"},
    };
    for (const auto& item : cases)
        EXPECT_EQ(DriveFromCommandLine(item.commandLine), item.drive) << item.commandLine;
}

}  // namespace
