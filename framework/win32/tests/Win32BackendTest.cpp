// The Win32 back-end against the real system under Wine: a probe dialog on the program's compiled
// editor template checks what each side of the IDialogWindow seam does with real controls.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/DialogWindow.h"
#include "framework/win32/DialogInitData.h"
#include "framework/win32/Win32Backend.h"
#include "framework/win32/tests/WineTestSupport.h"
#include "res/resource.h"

namespace {

// Records what reaches its handlers; the test's code runs once the dialog is open.
class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(UINT templateId = IDD_BOOTEDIT_DIALOG) : CDialog(templateId) {}

    std::function<void(ProbeDialog&, HWND)> whileOpen;
    int labelUpdates = 0;
    int channelUpdates = 0;
    int destroyed = 0;
    std::vector<std::pair<int, CPoint>> contextMenus;
    std::vector<HelpRequest> helpRequests;
    HICON dragIcon = nullptr;

    IDialogWindow& Window() { return *GetWindow(); }

protected:
    void OnLabelUpdate() { ++labelUpdates; }
    void OnChannelUpdate() { ++channelUpdates; }
    void OnDestroyProbe() { ++destroyed; }
    void OnContextMenuProbe(CWnd* window, CPoint position) {
        contextMenus.emplace_back(window->GetDlgCtrlID(), position);
    }
    BOOL OnHelpProbe(const HelpRequest& request) {
        helpRequests.push_back(request);
        return TRUE;
    }
    HICON OnDragIconProbe() { return dragIcon; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeDialog)
ON_EN_UPDATE(IDC_LABEL_EDIT, OnLabelUpdate)
ON_EN_UPDATE(IDC_CHANNEL_EDIT, OnChannelUpdate)
ON_WM_DESTROY(OnDestroyProbe)
ON_WM_CONTEXTMENU(OnContextMenuProbe)
ON_WM_HELPINFO(OnHelpProbe)
ON_WM_QUERYDRAGICON(OnDragIconProbe)
END_MESSAGE_MAP()

// The same, answering the Help command.
class HelpfulProbeDialog : public ProbeDialog {
protected:
    void OnHelpButton() {}
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HelpfulProbeDialog)
ON_COMMAND(ID_HELP, OnHelpButton)
END_MESSAGE_MAP()

void RunWhileOpen(HWND dialog, UINT, void* context) {
    auto& probe = *static_cast<ProbeDialog*>(context);
    if (probe.whileOpen)
        probe.whileOpen(probe, dialog);
    if (::IsWindowVisible(dialog))
        ::EndDialog(dialog, IDCANCEL);
}

class Win32BackendTest : public ::testing::Test {
protected:
    Win32BackendTest() : backend(::GetModuleHandleA(nullptr)) {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
        ::InitCommonControlsEx(&controls);
        SetBackend(&backend);
    }
    ~Win32BackendTest() override { SetBackend(nullptr); }

    std::intptr_t Run(ProbeDialog& probe) {
        backend.SetOpenedHook(&RunWhileOpen, &probe);
        return probe.DoModal();
    }

    Win32Backend backend;
};

std::string Text(HWND dialog, int id) {
    char text[256] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST_F(Win32BackendTest, SettersRaiseNoNotificationsButTheUsersEditsDo) {
    ProbeDialog probe;
    probe.whileOpen = [](ProbeDialog& p, HWND dialog) {
        p.Window().SetText(IDC_LABEL_EDIT, "written by the program");
        p.Window().SetSpinRange(IDC_CHANNEL_SPIN, 1, 62);
        p.Window().SetSpinBase(IDC_CHANNEL_SPIN, 10);
        p.Window().SetSpinPos(IDC_CHANNEL_SPIN, 5);
        EXPECT_EQ(Text(dialog, IDC_LABEL_EDIT), "written by the program");
        EXPECT_EQ(Text(dialog, IDC_CHANNEL_EDIT), "5");  // the up-down control writes its buddy
        EXPECT_EQ(p.labelUpdates, 0);
        EXPECT_EQ(p.channelUpdates, 0);
        ::SetDlgItemTextA(dialog, IDC_LABEL_EDIT, "typed by the user");
        EXPECT_EQ(p.labelUpdates, 1);
        EXPECT_EQ(p.Window().GetText(IDC_LABEL_EDIT), CString("typed by the user"));
    };
    EXPECT_EQ(Run(probe), IDCANCEL);
}

TEST_F(Win32BackendTest, ComboBoxesAppendAndKeepTheirSelectionWhenTheirTextIsSet) {
    ProbeDialog probe;
    probe.whileOpen = [](ProbeDialog& p, HWND dialog) {
        IDialogWindow& window = p.Window();
        // The boot-line list has the sorted style, yet entries keep the order they came in.
        EXPECT_EQ(window.AddString(IDC_BOOTLINE_LIST, "multi(0)b"), 0);
        EXPECT_EQ(window.AddString(IDC_BOOTLINE_LIST, "multi(0)a"), 1);
        EXPECT_EQ(window.AddString(IDC_BOOTLINE_LIST, "multi(0)a"), 2);
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 3);
        EXPECT_EQ(window.GetItemText(IDC_BOOTLINE_LIST, 0), CString("multi(0)b"));
        EXPECT_EQ(window.GetItemText(IDC_BOOTLINE_LIST, 7), CString(""));
        const std::intptr_t big = static_cast<std::intptr_t>(0x7FFFFFF0);
        window.SetItemData(IDC_BOOTLINE_LIST, 2, big);
        EXPECT_EQ(window.GetItemData(IDC_BOOTLINE_LIST, 2), big);

        window.SetCurSel(IDC_BOOTLINE_LIST, 2);
        EXPECT_EQ(Text(dialog, IDC_BOOTLINE_LIST), "multi(0)a");
        // Setting the text that an earlier entry also has leaves the chosen entry selected.
        window.SetText(IDC_BOOTLINE_LIST, "multi(0)a");
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 2);
        window.SetText(IDC_BOOTLINE_LIST, "typed");
        EXPECT_EQ(window.GetText(IDC_BOOTLINE_LIST), CString("typed"));
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 2);
        window.SetCurSel(IDC_BOOTLINE_LIST, -1);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), -1);
        window.ResetContent(IDC_BOOTLINE_LIST);
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 0);

        // A list box with the sorted style sorts.
        window.AddString(IDC_UNHANDLED_LIST, "/USERVA=3030");
        window.AddString(IDC_UNHANDLED_LIST, "/NOEXECUTE=OPTIN");
        EXPECT_EQ(window.GetItemText(IDC_UNHANDLED_LIST, 0), CString("/NOEXECUTE=OPTIN"));
        EXPECT_EQ(window.GetCount(IDC_UNHANDLED_LIST), 2);
    };
    Run(probe);
}

TEST_F(Win32BackendTest, ChecksEnablingAndTheSystemMenu) {
    ProbeDialog probe;
    probe.whileOpen = [](ProbeDialog& p, HWND dialog) {
        IDialogWindow& window = p.Window();
        window.SetCheck(IDC_FASTDETECT, 1);
        EXPECT_EQ(window.GetCheck(IDC_FASTDETECT), 1);
        EXPECT_TRUE(::IsDlgButtonChecked(dialog, IDC_FASTDETECT));
        window.SetCheck(IDC_FASTDETECT, 0);
        EXPECT_EQ(window.GetCheck(IDC_FASTDETECT), 0);
        EXPECT_FALSE(window.IsEnabled(IDC_HAL_EDIT));  // disabled by the template
        window.Enable(IDC_HAL_EDIT, TRUE);
        EXPECT_TRUE(window.IsEnabled(IDC_HAL_EDIT));
        EXPECT_FALSE(window.IsEnabled(4242));  // no such control

        ASSERT_TRUE(window.HasSystemMenu());
        HMENU menu = ::GetSystemMenu(dialog, FALSE);
        const int before = ::GetMenuItemCount(menu);
        window.AppendSystemMenuSeparator();
        window.AppendSystemMenuItem(ID_SYSMENU_ABOUT, "&About Tarnwick...");
        EXPECT_EQ(::GetMenuItemCount(menu), before + 2);
        EXPECT_EQ(::GetMenuItemID(menu, before + 1), static_cast<UINT>(ID_SYSMENU_ABOUT));

        HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
        ASSERT_NE(icon, nullptr);
        window.SetIcon(icon, TRUE);
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)), icon);
        p.dragIcon = icon;
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0)), icon);
    };
    Run(probe);
}

TEST_F(Win32BackendTest, HelpButtonShowsOnlyWhereTheHelpCommandIsHandled) {
    ProbeDialog plain;
    bool plainShows = true;
    plain.whileOpen = [&](ProbeDialog&, HWND dialog) {
        plainShows = ::IsWindowVisible(::GetDlgItem(dialog, ID_HELP)) != FALSE;
    };
    Run(plain);
    EXPECT_FALSE(plainShows);

    HelpfulProbeDialog helpful;
    bool helpfulShows = false;
    helpful.whileOpen = [&](ProbeDialog&, HWND dialog) {
        helpfulShows = ::IsWindowVisible(::GetDlgItem(dialog, ID_HELP)) != FALSE;
    };
    Run(helpful);
    EXPECT_TRUE(helpfulShows);
}

TEST_F(Win32BackendTest, ContextMenuAndHelpRequestsCarryTheirWindowAndPosition) {
    ProbeDialog probe;
    probe.whileOpen = [](ProbeDialog&, HWND dialog) {
        HWND box = ::GetDlgItem(dialog, IDC_ONECPU);
        // Screen coordinates left of and above the primary monitor are negative.
        ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box),
                       MAKELPARAM(static_cast<WORD>(-5), static_cast<WORD>(-700)));
        ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog),
                       MAKELPARAM(300, 200));
        // From the keyboard: (-1, -1).
        ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box),
                       static_cast<LPARAM>(-1));

        EXPECT_TRUE(SendHelpRequest(dialog, IDC_PAE, 640, 480));
    };
    Run(probe);

    ASSERT_EQ(probe.contextMenus.size(), 3u);
    EXPECT_EQ(probe.contextMenus[0].first, IDC_ONECPU);
    EXPECT_EQ(probe.contextMenus[0].second.x, -5);
    EXPECT_EQ(probe.contextMenus[0].second.y, -700);
    EXPECT_EQ(probe.contextMenus[1].first, 0);  // the dialog itself
    EXPECT_EQ(probe.contextMenus[1].second.x, 300);
    EXPECT_EQ(probe.contextMenus[2].second.x, -1);
    EXPECT_EQ(probe.contextMenus[2].second.y, -1);
    ASSERT_EQ(probe.helpRequests.size(), 1u);
    EXPECT_EQ(probe.helpRequests[0].contextType, HELPINFO_WINDOW);
    EXPECT_EQ(probe.helpRequests[0].controlId, IDC_PAE);
    EXPECT_EQ(probe.helpRequests[0].mousePos.x, 640);
    EXPECT_EQ(probe.helpRequests[0].mousePos.y, 480);
    EXPECT_FALSE(probe.helpRequests[0].modifierHeld);
}

TEST_F(Win32BackendTest, DialogEndsWithItsResultAndIsDestroyedOnce) {
    ProbeDialog probe;
    probe.whileOpen = [](ProbeDialog& p, HWND) { p.EndDialog(7); };
    EXPECT_EQ(Run(probe), 7);
    EXPECT_EQ(probe.destroyed, 1);
    EXPECT_EQ(probe.GetWindow(), nullptr);

    // The close command of the system menu cancels.
    ProbeDialog closed;
    closed.whileOpen = [](ProbeDialog&, HWND dialog) {
        ::SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    };
    EXPECT_EQ(Run(closed), IDCANCEL);

    ProbeDialog missing(4242);
    EXPECT_EQ(Run(missing), -1);
    EXPECT_EQ(missing.destroyed, 0);
}

TEST_F(Win32BackendTest, MessageBoxesBelongToTheDialogOnTop) {
    static HWND s_owner = nullptr;
    static std::string s_caption;
    HHOOK hook = ::SetWindowsHookExA(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_ACTIVATE) {
                HWND box = reinterpret_cast<HWND>(wParam);
                char caption[64] = {};
                ::GetWindowTextA(box, caption, sizeof caption);
                if (std::string(caption) == "tarnwick") {
                    s_owner = ::GetWindow(box, GW_OWNER);
                    s_caption = caption;
                    ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                }
            }
            return ::CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, ::GetCurrentThreadId());
    HWND open = nullptr;
    int answer = 0;
    ProbeDialog probe;
    probe.whileOpen = [&](ProbeDialog&, HWND dialog) {
        open = dialog;
        answer = backend.ShowMessageBox("Do you want to commit your changes to disk?", "tarnwick",
                                        MB_OKCANCEL | MB_ICONQUESTION);
    };
    Run(probe);
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(s_caption, "tarnwick");
    EXPECT_EQ(s_owner, open);
    EXPECT_EQ(answer, IDCANCEL);
}

TEST(DialogInitDataTest, EditorTemplateCarriesTheBaudRates) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource =
        ::FindResourceA(module, MAKEINTRESOURCEA(IDD_BOOTEDIT_DIALOG), MAKEINTRESOURCEA(240));
    ASSERT_NE(resource, nullptr);
    const std::vector<DialogInitItem> items = ParseDialogInitData(
        ::LockResource(::LoadResource(module, resource)), ::SizeofResource(module, resource));
    std::vector<std::string> rates;
    for (const DialogInitItem& item : items) {
        EXPECT_EQ(item.controlId, IDC_BAUDRATE_LIST);
        EXPECT_EQ(item.message, 0x403u);
        rates.push_back(item.text);
    }
    EXPECT_EQ(rates, (std::vector<std::string>{"300", "1200", "2400", "4800", "9600", "19200",
                                               "38400", "57600", "115200"}));
}

// One entry's bytes: id, message, length (little-endian), data.
std::string Entry(int id, int message, const std::string& data) {
    std::string bytes;
    bytes += static_cast<char>(id & 0xFF);
    bytes += static_cast<char>(id >> 8);
    bytes += static_cast<char>(message & 0xFF);
    bytes += static_cast<char>(message >> 8);
    const std::size_t length = data.size();
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((length >> shift) & 0xFF);
    return bytes + data;
}

TEST(DialogInitDataTest, DamagedOrUnusualBlocksYieldTheWholeEntriesBeforeTheDamage) {
    const std::string end("\0\0", 2);
    const std::string twelve = Entry(1011, 0x403, std::string("1200\0", 5));  // odd: unaligned next
    const std::string list = Entry(1036, 0x401, std::string("/X\0", 3));
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"entries follow each other unaligned", twelve + list + end, {"1200", "/X"}},
        {"no terminating zero", twelve + list, {"1200", "/X"}},
        {"a length past the end", twelve + Entry(1011, 0x403, "300").substr(0, 9), {"1200"}},
        {"a cut head", twelve + std::string("\xF3\x03\x03", 3), {"1200"}},
        {"data without its zero", Entry(1011, 0x403, "9600") + end, {"9600"}},
        {"empty block", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> texts;
        for (const DialogInitItem& item : ParseDialogInitData(c.bytes.data(), c.bytes.size()))
            texts.push_back(item.text);
        EXPECT_EQ(texts, c.texts);
    }
}

}  // namespace
