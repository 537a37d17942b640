// The application object: names derived from the executable, profile access, the current
// application, the message box caption and the open-file dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/App.h"
#include "framework/FileDialog.h"
#include "framework/test/TestBackend.h"

namespace {

TEST(AppTest, NamesComeFromTheExecutablePath) {
    struct Case {
        const char* path;
        const char* title;
        const char* profile;
        const char* help;
        const char* folder;  // where the help file is looked for
    };
    const Case cases[] = {
        {"C:\\Program Files\\Tarn\\TARN.EXE", "TARN", "TARN.INI",
         "C:\\Program Files\\Tarn\\TARN.HLP", "C:\\Program Files\\Tarn\\"},
        {"/usr/local/bin/tarnwick", "tarnwick", "tarnwick.INI", "/usr/local/bin/tarnwick.HLP",
         "/usr/local/bin/"},
        {"C:\\my.tools\\tarn", "tarn", "tarn.INI", "C:\\my.tools\\tarn.HLP",
         "C:\\my.tools\\"},  // dot in a folder
        {"/opt/x/tarn.v2.exe", "tarn.v2", "tarn.v2.INI", "/opt/x/tarn.v2.HLP", "/opt/x/"},
        {"D:/mixed\\Tarn.Exe", "Tarn", "Tarn.INI", "D:/mixed\\Tarn.HLP", "D:/mixed\\"},
        {"tarn.exe", "tarn", "tarn.INI", "tarn.HLP", ""},  // no folder: the current one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CWinApp app;
        app.SetExecutablePath(c.path);
        EXPECT_EQ(app.m_strTitle, c.title);
        EXPECT_EQ(app.m_strProfileName, c.profile);
        EXPECT_EQ(app.m_strHelpPath, c.help);
        EXPECT_EQ(app.m_strProgramFolder, c.folder);
    }
}

TEST(AppTest, AGivenNameStaysTheTitle) {
    CWinApp app("Named");
    app.SetExecutablePath("C:\\TARN.EXE");
    EXPECT_EQ(app.m_strTitle, "Named");
    EXPECT_EQ(app.m_strProfileName, "TARN.INI");
}

class RecordingProfile : public IProfileStore {
public:
    UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR file) override {
        calls.push_back(std::string("get ") + section + "/" + key + " " +
                        std::to_string(defaultValue) + " " + file);
        return 7;
    }
    BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) override {
        calls.push_back(std::string("write ") + section + "/" + key + "=" + value + " " + file);
        return TRUE;
    }
    std::vector<std::string> calls;
};

TEST(AppTest, ProfileValuesGoThroughTheStoreToTheProfileFile) {
    CWinApp app;
    app.SetExecutablePath("C:\\TARN.EXE");
    EXPECT_EQ(app.GetProfileInt("Tarnwick", "WarnUser", 3), 3u);  // no store: the default
    EXPECT_FALSE(app.WriteProfileInt("Tarnwick", "WarnUser", 1));

    RecordingProfile profile;
    app.SetProfileStore(&profile);
    EXPECT_EQ(app.GetProfileInt("Tarnwick", "WarnUser", 0), 7u);
    EXPECT_TRUE(app.WriteProfileInt("Tarnwick", "WarnUser", 1));
    EXPECT_TRUE(app.WriteProfileInt("Tarnwick", "Other", -120));
    const std::vector<std::string> expected = {"get Tarnwick/WarnUser 0 TARN.INI",
                                               "write Tarnwick/WarnUser=1 TARN.INI",
                                               "write Tarnwick/Other=-120 TARN.INI"};
    EXPECT_EQ(profile.calls, expected);
}

TEST(AppTest, TheLatestApplicationIsCurrentUntilItEnds) {
    EXPECT_EQ(AfxGetApp(), nullptr);
    CWinApp outer("Outer");
    {
        CWinApp inner("Inner");
        EXPECT_EQ(AfxGetApp(), &inner);
    }
    EXPECT_EQ(AfxGetApp(), &outer);
}

TEST(AppTest, MessageBoxesCarryTheApplicationTitle) {
    CWinApp app;
    app.SetExecutablePath("/usr/bin/tarnwick");
    TestBackend ui;
    ui.QueueMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(AfxMessageBox("Commit?", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
    ASSERT_EQ(ui.MessageBoxes().size(), 1u);
    EXPECT_EQ(ui.MessageBoxes()[0].text, "Commit?");
    EXPECT_EQ(ui.MessageBoxes()[0].caption, "tarnwick");
    EXPECT_EQ(ui.MessageBoxes()[0].type, UINT(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(ui.Problems(), "");
}

TEST(AppTest, FileDialogAddsTheFrameworkFlagsAndReportsTheChoice) {
    TestBackend ui;
    ui.QueueOpenFileAnswer("C:\\WINDOWS\\system32\\halmacpi.dll");
    ui.QueueOpenFileCancel();
    CFileDialog dialog(TRUE, "dll", "C:\\WINDOWS\\system32\\hal.dll", OFN_FILEMUSTEXIST,
                       "HAL files (*.dll)|*.dll||");
    EXPECT_EQ(dialog.GetRequest().flags,
              DWORD(OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), "C:\\WINDOWS\\system32\\halmacpi.dll");
    EXPECT_EQ(dialog.GetFileName(), "halmacpi.dll");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetPathName(), "");
    ASSERT_EQ(ui.OpenFileRequests().size(), 2u);
    EXPECT_EQ(ui.OpenFileRequests()[0].request.initialFile, "C:\\WINDOWS\\system32\\hal.dll");
    EXPECT_EQ(ui.OpenFileRequests()[0].request.defaultExtension, "dll");
    EXPECT_EQ(ui.Problems(), "");
}

}  // namespace
