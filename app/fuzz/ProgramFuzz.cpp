// libFuzzer target: the whole program, in process, on random files under random user actions.
// The input chooses a BOOT.INI (lines drawn from real boot lines, switches, headers and raw bytes,
// with mixed line ends), then a run of actions on the editor (boxes, typing, picks, the spin
// arrows, Apply, Copy Line, Delete Line, browse buttons, a failing write of the staging file,
// another program editing BOOT.INI), then OK or Cancel. It runs on the test back-end and the fake
// platform, and after every action it checks:
//   - the boot-line list shows exactly the section's boot lines, in file order, each entry's item
//     data the index of its line in m_arrLines;
//   - the selected entry's line parses to m_bootLine;
//   - each value box governs its value controls' enabled state;
//   - the dialog is unchanged (Apply disabled, Copy Line enabled) or changed (Apply enabled, Copy
//     Line and Delete Line disabled); Delete Line leaves the unchanged state with itself disabled;
//   - only the line an action may change has changed; every other line keeps every byte;
//   - the staging file holds m_arrLines (line ends aside).
// At the end, BOOT.INI is the staging file after a commit and untouched otherwise, and a commit's
// backup is BOOT.INI as it was just before.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/BootEditApp.h"
#include "bootline/tests/BootLineChecks.h"
#include "editor/BootEditDlg.h"
#include "framework/test/TestBackend.h"
#include "platform/fake/FakePlatform.h"
#include "res/resource.h"
#include "store/BootLoaderSection.h"
#include "store/StagingFile.h"
#include "store/fuzz/StagingReference.h"

namespace {

namespace reference = staging_reference;

FakePlatform* g_platform = nullptr;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "program fuzz: %s\n", what.c_str());
    std::abort();
}

const char* const kHeads[] = {
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT",
    "scsi(0)disk(1)rdisk(0)partition(1)\\WINDOWS",
    "signature(8b467c12)disk(1)rdisk(0)partition(1)\\WINDOWS",
    "C:\\",
    "C:\\CMDCONS\\BOOTSECT.DAT",
    "multi(0)",
    "",
};
const char* const kLabels[] = {
    "=\"Microsoft Windows XP Professional\"",
    "=\"Windows 2000\"",
    "=\"\"",
    "",
    "=",
    "=\"unterminated",
    "=\"Copy Copy Windows\"",
};
const char* const kSwitches[] = {
    " /fastdetect",
    " /sos",
    " /debug",
    " /nodebug",
    " /debugport=com1",
    " /debugport=1394",
    " /DEBUGPORT=COM9",
    " /baudrate=115200",
    " /baudrate=14400",
    " /channel=3",
    " /maxmem=64",
    " /hal=halaacpi.dll",
    " /kernel=ntkrnlmp.exe",
    " /pae",
    " /nopae",
    " /nolowmem",
    " /3GB",
    " /noexecute=optin",
    " /userva=3030",
    " /crashdebug",
    " /bootlog",
    " /basevideo",
    " /noguiboot",
    " /onecpu",
    " /pcilock",
    " /intaffinity",
    " /bootlogo",
    " /redirect",
    " /debugport=",
    " /maxmem",
    " / ",
    "/",
    " /cmdcons",
    " /safeboot:minimal",
};
const char* const kOtherLines[] = {
    "[operating systems]",
    "[Operating Systems]  ",
    " [operating systems]",
    "[boot loader]",
    "timeout=30",
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
    "",
    "[other]",
};

template <class T, size_t N>
T Pick(FuzzedDataProvider& in, const T (&pool)[N]) {
    return pool[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

std::string MakeBootIni(FuzzedDataProvider& in) {
    std::string file;
    if (in.ConsumeIntegralInRange(0, 4) > 0)
        file += "[operating systems]\r\n";
    const int lines = in.ConsumeIntegralInRange(0, 10);
    for (int i = 0; i < lines; ++i) {
        std::string line;
        switch (in.ConsumeIntegralInRange(0, 5)) {
            case 0:
                line = Pick(in, kOtherLines);
                break;
            case 1:
                line = in.ConsumeRandomLengthString(60);
                break;
            default: {
                line = std::string(Pick(in, kHeads)) + Pick(in, kLabels);
                const int switches = in.ConsumeIntegralInRange(0, 5);
                for (int s = 0; s < switches; ++s)
                    line += Pick(in, kSwitches);
                break;
            }
        }
        // Mixed line ends; only the last line may have none.
        const char* const ends[] = {"\r\n", "\n", "\r\n", ""};
        const char* end = Pick(in, ends);
        if (!*end && i + 1 < lines)
            end = "\n";
        file += line + end;
    }
    return file;
}

const int kSwitchBoxes[] = {
    IDC_FASTDETECT, IDC_ONECPU,   IDC_SOS,       IDC_CRASHDEBUG,  IDC_DEBUG, IDC_NODEBUG,
    IDC_BASEVIDEO,  IDC_BOOTLOG,  IDC_BOOTLOGO,  IDC_3GB,         IDC_NOPAE, IDC_PAE,
    IDC_PCILOCK,    IDC_NOLOWMEM, IDC_NOGUIBOOT, IDC_INTAFFINITY,
};

// The value boxes and the controls whose enabled state each governs (0: none).
const struct {
    int box;
    int controls[2];
} kValueBoxes[] = {
    {IDC_HAL, {IDC_HAL_EDIT, IDC_HAL_BROWSE}}, {IDC_KERNEL, {IDC_KERNEL_EDIT, IDC_KERNEL_BROWSE}},
    {IDC_MAXMEM, {IDC_MAXMEM_EDIT, 0}},        {IDC_BAUDRATE, {IDC_BAUDRATE_LIST, 0}},
    {IDC_DEBUGPORT, {IDC_DEBUGPORT_LIST, 0}},  {IDC_CHANNEL, {IDC_CHANNEL_EDIT, IDC_CHANNEL_SPIN}},
};

const int kTextControls[] = {IDC_LABEL_EDIT,    IDC_HAL_EDIT,     IDC_KERNEL_EDIT,
                             IDC_MAXMEM_EDIT,   IDC_CHANNEL_EDIT, IDC_DEBUGPORT_LIST,
                             IDC_BAUDRATE_LIST, IDC_BOOTLINE_LIST};
const char* const kTexts[] = {"x", "12",      "/",   "\"",           " ", "COM", "13",
                              "9", "hal.dll", "a b", "halaacpi.dll", "[", "115", "1394"};

// kRemoveAt: the line at index goes; when it was the default line, default= may name another.
// kBootMenu: boot lines trade places, the loader's timeout= and default= change or are added,
// with the section's header when there was none.
enum class Change { kNone, kReplaceAt, kInsertAt, kRemoveAt, kBootMenu };

// The key of a "key = value" line in lower case, blanks left out; empty without "=".
std::string KeyOf(const std::string& line) {
    if (line.find('=') == std::string::npos)
        return std::string();
    std::string key;
    for (char c : line) {
        if (c == '=')
            break;
        if (c != ' ' && c != '\t')
            key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return key;
}

bool IsDefaultKeyLine(const std::string& line) {
    return KeyOf(line) == "default";
}

// Empty when after is before with what the Boot Menu may change.
std::string DescribeMenuChange(const std::vector<std::string>& before,
                               const std::vector<std::string>& after) {
    const auto others = [](const std::vector<std::string>& lines) {
        std::vector<std::string> kept;
        for (const std::string& line : lines) {
            const std::string key = KeyOf(line);
            if (key != "default" && key != "timeout" &&
                !IsHeaderLine(CString(line), "[boot loader]"))
                kept.push_back(line);
        }
        return kept;
    };
    std::vector<std::string> left = others(before);
    std::vector<std::string> right = others(after);
    if (left.size() != right.size())
        return "the Boot Menu added or removed a line that is no key of the loader";
    CBootLine parsed;
    for (size_t i = 0; i < left.size(); ++i) {
        if (left[i] != right[i] &&
            !(parsed.ParseLine(left[i].c_str()) && parsed.ParseLine(right[i].c_str())))
            return "the Boot Menu changed a line that is no boot line";
    }
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    return left == right ? "" : "the Boot Menu changed the text of a boot line";
}

// Empty when after is before with at most the change the action may make at index.
std::string DescribeLineChange(const std::vector<std::string>& before,
                               const std::vector<std::string>& after, Change allowed, int index) {
    if (after == before)
        return "";
    if (allowed == Change::kBootMenu)
        return DescribeMenuChange(before, after);
    const size_t at = static_cast<size_t>(index);
    if (index < 0 || at > before.size() || (allowed != Change::kInsertAt && at == before.size()))
        allowed = Change::kNone;  // no line was selected, so none may change
    std::vector<std::string> expected = before;
    switch (allowed) {
        case Change::kNone:
        case Change::kBootMenu:
            return "lines changed without an edit";
        case Change::kReplaceAt:
            if (after.size() == before.size())
                expected[at] = after[at];
            break;
        case Change::kInsertAt:
            if (after.size() == before.size() + 1)
                expected.insert(expected.begin() + index, after[at]);
            break;
        case Change::kRemoveAt:
            expected.erase(expected.begin() + index);
            // The new default the user chose goes into the default= line, and only there.
            if (after.size() == expected.size()) {
                for (size_t i = 0; i < after.size(); ++i) {
                    if (after[i] != expected[i] && IsDefaultKeyLine(after[i]) &&
                        IsDefaultKeyLine(expected[i]))
                        expected[i] = after[i];
                }
            }
            break;
    }
    return after == expected ? "" : "a line the action did not edit changed";
}

class Session {
public:
    Session(FuzzedDataProvider& in, TestBackend& backend) : m_in(in), m_backend(backend) {}

    void Drive(TestDialogWindow& window, CBootEditDlg& dialog) {
        m_lines = reference::FromArray(dialog.m_arrLines);
        Check(window, dialog, Change::kNone, 0);
        for (int step = 0; step < 48 && m_in.remaining_bytes() > 0; ++step) {
            TopUpAnswers();
            int selected = SelectedLine(window);
            Change change = Act(window);
            Check(window, dialog, change, selected);
        }
        g_platform->ClearFaults();
        TopUpAnswers();
        m_committing = dialog.m_bApplied && !dialog.m_bStagingDamaged;
        if (m_in.ConsumeBool()) {
            window.PressCancel();
            m_committing = false;
        } else {
            window.PressOK();
        }
    }

    bool Committing() const { return m_committing; }
    const std::vector<std::string>& Lines() const { return m_lines; }
    const std::string& BootIniBeforeCommit() const { return m_bootIniNow; }
    void SetBootIni(const std::string& bytes) { m_bootIniNow = bytes; }

private:
    // Every message box is answered OK: the commit question, the changed-file question, notices.
    void TopUpAnswers() {
        while (m_answersQueued < m_backend.MessageBoxes().size() + 8) {
            m_backend.QueueMessageBoxAnswer(IDOK);
            ++m_answersQueued;
        }
    }

    // F2, and a few random actions in the Boot Menu, ended with OK or Cancel. From the changed
    // state F2 is refused with a message and the dialog does not open.
    void BootMenu(TestDialogWindow& window) {
        if (!window.IsEnabled(IDC_APPLY)) {
            std::vector<int> actions;
            const int count = m_in.ConsumeIntegralInRange(0, 6);
            for (int i = 0; i < count + 1; ++i)
                actions.push_back(m_in.ConsumeIntegralInRange(0, 255));
            m_backend.QueueDialog(IDD_BOOTMENU, [actions](TestDialogWindow& menu) {
                static const char* const kTimeouts[] = {"5", "0", "999", "1000", "", "30"};
                for (size_t i = 0; i + 1 < actions.size(); ++i) {
                    const int what = actions[i] % 5;
                    const int which = actions[i] / 5;
                    const int defaults = menu.GetCount(IDC_DEFAULT_LIST);
                    const int lines = menu.GetCount(IDC_ORDER_LIST);
                    if (what == 0 && defaults > 0)
                        menu.Pick(IDC_DEFAULT_LIST, which % defaults);
                    if (what == 1 && lines > 0)
                        menu.Pick(IDC_ORDER_LIST, which % lines);
                    if (what == 2)
                        menu.Click(IDC_MOVE_UP);
                    if (what == 3)
                        menu.Click(IDC_MOVE_DOWN);
                    if (what == 4) {
                        menu.ClearText(IDC_TIMEOUT_EDIT);
                        menu.Type(IDC_TIMEOUT_EDIT, kTimeouts[which % 6]);
                    }
                }
                if (actions.back() % 2 == 0)
                    menu.PressOK();  // refused for a bad timeout, with a message
                if (menu.IsOpen())
                    menu.PressCancel();
            });
        }
        window.PressFunctionKey(VK_F2);
    }

    static int SelectedLine(TestDialogWindow& window) {
        int position = window.GetCurSel(IDC_BOOTLINE_LIST);
        return position < 0 ? -1
                            : static_cast<int>(window.GetItemData(IDC_BOOTLINE_LIST, position));
    }

    Change Act(TestDialogWindow& window) {
        switch (m_in.ConsumeIntegralInRange(0, 16)) {
            case 0:
            case 1:
                window.Click(Pick(m_in, kSwitchBoxes));
                return Change::kNone;
            case 2:
            case 3:
                window.Click(kValueBoxes[m_in.ConsumeIntegralInRange(0, 5)].box);
                return Change::kNone;
            case 4: {
                const int id = Pick(m_in, kTextControls);
                window.Type(id, m_in.ConsumeBool() ? Pick(m_in, kTexts)
                                                   : m_in.ConsumeRandomLengthString(2100).c_str());
                return Change::kNone;
            }
            case 5:
                window.ClearText(Pick(m_in, kTextControls));
                return Change::kNone;
            case 6:
                window.Backspace(Pick(m_in, kTextControls), m_in.ConsumeIntegralInRange(1, 4));
                return Change::kNone;
            case 7: {
                const int count = window.GetCount(IDC_BOOTLINE_LIST);
                if (count > 0)
                    window.Pick(IDC_BOOTLINE_LIST, m_in.ConsumeIntegralInRange(0, count - 1));
                return Change::kNone;
            }
            case 8:
                if (m_in.ConsumeBool()) {
                    window.Pick(IDC_DEBUGPORT_LIST, m_in.ConsumeIntegralInRange(0, 4));
                } else {
                    window.Pick(IDC_BAUDRATE_LIST, m_in.ConsumeIntegralInRange(0, 8));
                }
                return Change::kNone;
            case 9:
                if (m_in.ConsumeBool()) {
                    window.PressSpinUp(IDC_CHANNEL_SPIN);
                } else {
                    window.PressSpinDown(IDC_CHANNEL_SPIN);
                }
                return Change::kNone;
            case 10:
            case 11:
                window.Click(IDC_APPLY);
                return Change::kReplaceAt;
            case 12:
                window.Click(IDC_COPY_LINE);
                return Change::kInsertAt;
            case 16:
                BootMenu(window);
                return Change::kBootMenu;
            case 13: {
                // Deleting the default line asks for the new default: one is chosen, or the
                // line kept.
                const int selected = SelectedLine(window);
                CStringArray lines;
                for (const std::string& line : m_lines)
                    lines.Add(CString(line));
                if (selected >= 0 && window.IsEnabled(IDC_DELETE_LINE) &&
                    window.GetCount(IDC_BOOTLINE_LIST) > 1 &&
                    IsLastLineOfDefault(lines, selected)) {
                    const bool choose = m_in.ConsumeBool();
                    const int entry = m_in.ConsumeIntegralInRange(0, 8);
                    m_backend.QueueDialog(IDD_NEWDEFAULT, [choose, entry](TestDialogWindow& q) {
                        if (!choose) {
                            q.PressCancel();
                            return;
                        }
                        q.Pick(IDC_DEFAULT_LIST, entry % q.GetCount(IDC_DEFAULT_LIST));
                        q.PressOK();
                    });
                }
                window.Click(IDC_DELETE_LINE);
                return Change::kRemoveAt;
            }
            case 14: {
                // The staging file fails to be written or read back.
                const FakeOperation operations[] = {
                    FakeOperation::kWriteLine, FakeOperation::kFlush, FakeOperation::kTruncate,
                    FakeOperation::kRewind, FakeOperation::kReadLine};
                g_platform->FailCall(Pick(m_in, operations), m_in.ConsumeIntegralInRange(1, 12),
                                     m_in.ConsumeBool());
                return Change::kNone;
            }
            default:
                if (m_in.ConsumeBool()) {
                    // Another program edits BOOT.INI while the editor is open.
                    m_bootIniNow = m_in.ConsumeRandomLengthString(200);
                    g_platform->WriteFileBytes(kBootIniPath, m_bootIniNow);
                } else {
                    window.Click(m_in.ConsumeBool() ? IDC_HAL_BROWSE : IDC_KERNEL_BROWSE);
                }
                return Change::kNone;
        }
    }

    void Check(TestDialogWindow& window, CBootEditDlg& dialog, Change change, int index) {
        const std::vector<std::string> lines = reference::FromArray(dialog.m_arrLines);
        const std::string lineChange = DescribeLineChange(m_lines, lines, change, index);
        if (!lineChange.empty())
            Fail(lineChange);
        m_lines = lines;

        std::vector<reference::Entry> listed;
        const int count = window.GetCount(IDC_BOOTLINE_LIST);
        for (int i = 0; i < count; ++i) {
            listed.push_back({static_cast<int>(window.GetItemData(IDC_BOOTLINE_LIST, i)),
                              window.GetItemText(IDC_BOOTLINE_LIST, i).str()});
        }
        const std::string listDifference =
            reference::DescribeListDifference(reference::BootLines(lines), listed);
        if (!listDifference.empty())
            Fail("boot-line list: " + listDifference);

        const bool apply = window.IsEnabled(IDC_APPLY);
        const bool copy = window.IsEnabled(IDC_COPY_LINE);
        const bool remove = window.IsEnabled(IDC_DELETE_LINE);
        if (count == 0) {
            if (apply || copy || remove)
                Fail("line buttons enabled without a boot line");
        } else {
            const int position = window.GetCurSel(IDC_BOOTLINE_LIST);
            if (position < 0 || position >= count)
                Fail("no boot line selected");
            const size_t lineIndex =
                static_cast<size_t>(window.GetItemData(IDC_BOOTLINE_LIST, position));
            CBootLine parsed;
            parsed.ParseLine(lines.at(lineIndex).c_str());
            const std::string difference =
                bootline_checks::DescribeDifference(parsed, dialog.m_bootLine);
            if (!difference.empty())
                Fail("m_bootLine is not the selected line: " + difference);
            for (const auto& value : kValueBoxes) {
                const bool checked = window.GetCheck(value.box) == 1;
                for (int id : value.controls) {
                    if (id != 0 && (window.IsEnabled(id) != FALSE) != checked)
                        Fail("value box " + std::to_string(value.box) + " does not govern " +
                             std::to_string(id));
                }
            }
            const bool unchanged = !apply && copy;
            const bool changed = apply && !copy && !remove;
            if (!unchanged && !changed)
                Fail("the line buttons are in neither the unchanged nor the changed state");
        }

        if (!dialog.m_bStagingDamaged) {
            std::string staging;
            g_platform->ReadFileBytes(kStagingPath, staging);
            if (reference::Lines(staging) != lines)
                Fail("the staging file does not hold the editor's lines");
        }
    }

    FuzzedDataProvider& m_in;
    TestBackend& m_backend;
    size_t m_answersQueued = 0;
    std::vector<std::string> m_lines;
    std::string m_bootIniNow;
    bool m_committing = false;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The fake's drives live in a memory file system where there is one.
    if (access("/dev/shm", W_OK) == 0)
        setenv("TMPDIR", "/dev/shm", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string bootIni = MakeBootIni(in);
    // A fresh drive each time: nothing of one run outlives it, so leak checks stay meaningful.
    FakePlatform platform;
    g_platform = &platform;
    platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    platform.WriteFileBytes(kBootIniPath, bootIni);

    SetPlatform(g_platform);
    bool opened = false;
    {
        TestBackend backend;
        CBootEditApp app;
        app.SetExecutablePath("C:\\TOOLS\\TARN.EXE");
        app.SetProfileStore(g_platform);
        Session session(in, backend);
        session.SetBootIni(bootIni);
        backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
            opened = true;
            session.Drive(window, *static_cast<CBootEditDlg*>(app.m_pMainWnd));
        });
        app.InitInstance();
        if (!opened)
            Fail("the editor did not open");

        std::string finalBootIni, backup, staging;
        g_platform->ReadFileBytes(kBootIniPath, finalBootIni);
        g_platform->ReadFileBytes(kStagingPath, staging);
        const bool backedUp = g_platform->ReadFileBytes(kBackupPath, backup);
        if (session.Committing()) {
            if (finalBootIni != staging || reference::Lines(staging) != session.Lines())
                Fail("the commit did not write the editor's lines");
            if (!backedUp || backup != session.BootIniBeforeCommit())
                Fail("the backup is not BOOT.INI as it was before the commit");
        } else if (finalBootIni != session.BootIniBeforeCommit() || backedUp) {
            Fail("BOOT.INI or BOOT.BAK changed without a commit");
        }
    }
    SetPlatform(nullptr);
    g_platform = nullptr;
    return 0;
}
