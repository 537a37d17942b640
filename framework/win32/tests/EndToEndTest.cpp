// The real tarnwick.exe under Wine, driven from another process as a user would drive it: the
// whole job on the fixture drive C: of the test's Wine prefix, from the start-up warning to the
// committed BOOT.INI with its backup.
#include <gtest/gtest.h>

#include "framework/Types.h"  // <windows.h> without its min and max macros

#include <string>

#include "framework/win32/tests/WineTestSupport.h"
#include "res/resource.h"

namespace {

constexpr DWORD kPatience = 20000;  // milliseconds for a window to appear or the program to end

HWND WaitForWindow(const char* caption) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kPatience) {
        HWND window = FindDialogByTitle(caption);
        if (window && ::IsWindowEnabled(window))
            return window;
        ::Sleep(20);
    }
    return nullptr;
}

// Clicks and waits until the program has handled the click. A click that opens a modal window
// (a message box) returns only when that closes: those are posted instead, see ClickAway.
void Click(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    ASSERT_TRUE(::IsWindowEnabled(control)) << "control " << id << " is disabled";
    DWORD_PTR result = 0;
    ASSERT_TRUE(::SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, kPatience, &result))
        << "the program didn't answer a click on " << id;
}

void ClickAway(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    ASSERT_TRUE(::IsWindowEnabled(control)) << "control " << id << " is disabled";
    ::PostMessageA(control, BM_CLICK, 0, 0);
}

// GetWindowText doesn't ask a window of another process for its text; WM_GETTEXT does.
std::string Text(HWND window) {
    char text[1024] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                          SMTO_NORMAL, kPatience, &copied);
    return text;
}

class RunningProgram {
public:
    // arguments: what follows the program's name on its command line; it runs in
    // currentDirectory, or in the test's own when that is null.
    explicit RunningProgram(const std::string& arguments = "", const char* currentDirectory = nullptr) {
        const std::string path = WindowsPath(TARNWICK_EXE);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
        m_started = ::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                     nullptr, currentDirectory, &startup, &m_process) != FALSE;
    }
    ~RunningProgram() {
        if (!m_started)
            return;
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.hProcess, 99);
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
    bool Started() const { return m_started; }
    // The exit code, or -1 when the program doesn't end in time.
    long WaitForExit() {
        if (::WaitForSingleObject(m_process.hProcess, kPatience) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

TEST(EndToEnd, TheProgramEditsACommitsAndBacksUpBootIni) {
    ASSERT_TRUE(WriteFixtureFile(kBootIni, kFixture, kProtected));
    RemoveFile(kStaging);
    RemoveFile(kBackup);
    ::WritePrivateProfileStringA("Tarnwick", nullptr, nullptr, "tarnwick.INI");

    RunningProgram program;
    ASSERT_TRUE(program.Started()) << "error " << ::GetLastError();

    // The start-up warning: switch it off for the future and go on.
    HWND warning = WaitForWindow("Tarn Continue Execution Dialog");
    ASSERT_NE(warning, nullptr);
    Click(warning, IDC_DONT_SHOW_AGAIN);
    Click(warning, IDOK);

    HWND editor = WaitForWindow("Tarn");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(::SendDlgItemMessageA(editor, IDC_BOOTLINE_LIST, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(Text(::GetDlgItem(editor, IDC_LABEL_EDIT)), "Microsoft Windows XP Professional");
    Click(editor, IDC_DEBUG);
    Click(editor, IDC_SOS);
    Click(editor, IDC_APPLY);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(editor, IDC_APPLY)));
    ClickAway(editor, IDOK);  // the commit question comes up

    HWND question = WaitForWindow("tarnwick");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(Text(::GetDlgItem(question, 0xFFFF)), "Do you want to commit your changes to disk?");
    ClickAway(question, IDOK);

    EXPECT_EQ(program.WaitForExit(), 0);
    const std::string written = ReadWholeFile(kBootIni);
    EXPECT_NE(written.find("\"Microsoft Windows XP Professional\""), std::string::npos);
    EXPECT_NE(written.find("/Debug "), std::string::npos) << written;
    EXPECT_NE(written.find("/SOS "), std::string::npos) << written;
    EXPECT_NE(written.find("C:\\CMDCONS\\BOOTSECT.DAT="), std::string::npos);
    EXPECT_EQ(AttributesOf(kBootIni), kProtected);
    EXPECT_EQ(ReadWholeFile(kBackup), kFixture);
    EXPECT_EQ(::GetPrivateProfileIntA("Tarnwick", "WarnUser", 0, "tarnwick.INI"), 1u);
    ::WritePrivateProfileStringA("Tarnwick", nullptr, nullptr, "tarnwick.INI");
}

// The help file stands beside tarnwick.exe; the program finds it from any current directory.
// (Wine has no HTML engine here: the window shows its title and toolbar, its pages stay blank.)
TEST(EndToEnd, TheHelpButtonOpensTheHelpFileBesideTheProgram) {
    ASSERT_TRUE(WriteFixtureFile(kBootIni, kFixture, kProtected));
    RemoveFile(kStaging);
    ::WritePrivateProfileStringA("Tarnwick", "WarnUser", "1", "tarnwick.INI");

    RunningProgram program("", "C:\\");
    ASSERT_TRUE(program.Started()) << "error " << ::GetLastError();
    HWND editor = WaitForWindow("Tarn");
    ASSERT_NE(editor, nullptr);
    Click(editor, ID_HELP);

    HWND help = nullptr;
    for (const DWORD start = ::GetTickCount(); !help && ::GetTickCount() - start < kPatience;) {
        help = ::FindWindowA(nullptr, "Tarnwick Help");
        if (!help)
            ::Sleep(20);
    }
    EXPECT_NE(help, nullptr) << "no help window";
    if (help)
        ::PostMessageA(help, WM_CLOSE, 0, 0);
    ClickAway(editor, IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    ::WritePrivateProfileStringA("Tarnwick", nullptr, nullptr, "tarnwick.INI");
}

// tarnwick.exe DRIVE: the drive named on the command line is the one looked at, and one without
// a BOOT.INI is told for what it holds.
TEST(EndToEnd, TheDriveOnTheCommandLineIsTheOneLookedAt) {
    const char folder[] = "C:\\tarnwick-e2e-drive";
    ::CreateDirectoryA(folder, nullptr);
    const std::string bootmgr = std::string(folder) + "\\bootmgr";
    ASSERT_TRUE(WriteFixtureFile(bootmgr.c_str(), "", kProtected));
    ASSERT_TRUE(WriteFixtureFile(kBootIni, kFixture, kProtected));
    ::WritePrivateProfileStringA("Tarnwick", "WarnUser", "1", "tarnwick.INI");
    const struct {
        std::string arguments;
        const char* message;
    } cases[] = {
        {std::string("\"") + folder + "\"",
         "This Windows starts with the Windows Boot Manager; BOOT.INI is not used here."},
        {"Q:\\no\\such\\folder", "Q:\\no\\such\\folder is not a drive or folder."},
    };
    for (const auto& item : cases) {
        RunningProgram program(item.arguments);
        ASSERT_TRUE(program.Started()) << "error " << ::GetLastError();
        HWND message = WaitForWindow("tarnwick");
        ASSERT_NE(message, nullptr) << item.arguments;
        EXPECT_EQ(Text(::GetDlgItem(message, 0xFFFF)).rfind(item.message, 0), 0u)
            << Text(::GetDlgItem(message, 0xFFFF));
        ClickAway(message, IDOK);
        program.WaitForExit();
    }
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    EXPECT_FALSE(Exists((std::string(folder) + "\\BOOT.TMP").c_str()));
    RemoveFile(bootmgr.c_str());
    ::WritePrivateProfileStringA("Tarnwick", nullptr, nullptr, "tarnwick.INI");
}

}  // namespace
