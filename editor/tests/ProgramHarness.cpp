#include "editor/tests/ProgramHarness.h"

const char kThreeLineBootIni[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n"
    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" /debugport=com2 "
    "/baudrate=115200\r\n"
    "C:\\=\"Previous Operating System on C:\"\r\n";

const char kXpLine[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect";
const char kWin2000Line[] =
    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" /debugport=com2 /baudrate=115200";
const char kPreviousLine[] = "C:\\=\"Previous Operating System on C:\"";
const char kXpEntry[] =
    "Microsoft Windows XP Professional - multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";
const char kWin2000Entry[] = "Windows 2000 - multi(0)disk(0)rdisk(0)partition(2)\\WINNT";
const char kPreviousEntry[] = "Previous Operating System on C: - C:\\";

ProgramHarness::ProgramHarness() {
    SetPlatform(&platform);
    app.SetExecutablePath("C:\\TOOLS\\TARN.EXE");
    app.SetProfileStore(&platform);
}

ProgramHarness::~ProgramHarness() {
    SetPlatform(nullptr);
}

std::intptr_t ProgramHarness::RunEditor(const std::string& staging, const EditorDriver& driver) {
    WriteFile("C:\\BOOT.TMP", staging);
    CBootEditDlg dialog;
    app.m_pMainWnd = &dialog;
    backend.QueueDialog(IDD_BOOTEDIT_DIALOG,
                        [&](TestDialogWindow& window) { driver(window, dialog); });
    std::intptr_t result = dialog.DoModal();
    app.m_pMainWnd = nullptr;
    return result;
}

void ProgramHarness::WriteFile(LPCSTR path, const std::string& bytes) {
    if (!platform.WriteFileBytes(path, bytes))
        throw std::runtime_error("cannot write fixture");
}

std::string ProgramHarness::ReadFile(LPCSTR path) const {
    std::string bytes;
    platform.ReadFileBytes(path, bytes);
    return bytes;
}

BOOL ProgramHarness::Exists(LPCSTR path) const {
    return platform.Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ProgramHarness::MessageTexts() const {
    std::vector<std::string> texts;
    for (const TestBackend::MessageBoxRecord& record : backend.MessageBoxes()) {
        texts.push_back(record.text.str());
    }
    return texts;
}

std::string CrLfLines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

std::string SectionFile(std::initializer_list<const char*> lines) {
    return "[operating systems]\r\n" + CrLfLines(lines);
}

ControlExpectation Checked(int id, bool checked) {
    return {id, ControlExpectation::What::kCheck, checked ? "1" : "0"};
}

ControlExpectation ShowsText(int id, const char* text) {
    return {id, ControlExpectation::What::kText, text};
}

ControlExpectation Enabled(int id, bool enabled) {
    return {id, ControlExpectation::What::kEnabled, enabled ? "enabled" : "disabled"};
}

std::vector<ControlExpectation> LineButtons(bool changed) {
    return {Enabled(IDC_APPLY, changed), Enabled(IDC_COPY_LINE, !changed),
            Enabled(IDC_DELETE_LINE, !changed)};
}

std::string Mismatches(const TestDialogWindow& window,
                       const std::vector<ControlExpectation>& expected) {
    std::string mismatches;
    for (const ControlExpectation& expectation : expected) {
        std::string actual;
        switch (expectation.what) {
            case ControlExpectation::What::kCheck:
                actual = window.GetCheck(expectation.id) ? "1" : "0";
                break;
            case ControlExpectation::What::kText:
                actual = window.GetText(expectation.id).str();
                break;
            case ControlExpectation::What::kEnabled:
                actual = window.IsEnabled(expectation.id) ? "enabled" : "disabled";
                break;
        }
        if (actual != expectation.value) {
            mismatches += "control " + std::to_string(expectation.id) + ": expected \"" +
                          expectation.value + "\", got \"" + actual + "\"\n";
        }
    }
    return mismatches;
}
