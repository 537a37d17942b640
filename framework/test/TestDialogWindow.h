// One open dialog of the in-memory test back-end (framework/test/TestBackend.h): every control of
// the dialog's template held in memory, the program's side of IDialogWindow, and the user's side:
// the clicks, keystrokes and picks a test makes, each raising the notifications a real control
// raises. See framework/test/README.md.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/DialogTemplate.h"
#include "framework/DialogWindow.h"
#include "framework/MessageMap.h"

class TestBackend;

// Lets test failures print a CString as its text rather than as a pointer.
inline void PrintTo(const CString& text, std::ostream* out) {
    *out << '"' << text.GetString() << '"';
}

struct TestListEntry {
    CString text;
    std::intptr_t data = 0;
};

// One control as the user sees it.
struct TestControl {
    int id = 0;
    ControlKind kind = ControlKind::kStaticText;
    DWORD style = 0;
    CString text;  // edit text, caption, or a combo box's edit field
    int check = 0;
    BOOL enabled = TRUE;
    BOOL visible = TRUE;
    std::vector<TestListEntry> entries;  // combo and list boxes
    int selection = -1;
    // Up-down controls: Win32's default range runs from 100 (lowest) to 0 (highest), so the up
    // arrow moves toward the "highest" end even when it is the smaller number.
    int spinLowest = 100;
    int spinHighest = 0;
    int spinPos = 0;
    int spinBase = 10;
    int buddyIndex = -1;  // the buddy control's position in the template; -1: none
};

struct TestMenuItem {
    UINT commandId = 0;  // 0 for a separator
    CString text;
    BOOL separator = FALSE;
};

struct TestIconSet {
    HICON icon = nullptr;
    BOOL big = FALSE;
};

struct TestDrawnIcon {
    int x = 0;
    int y = 0;
    HICON icon = nullptr;
};

// What painting did: custom painting (BeginPaint ... EndPaint) or the default one.
struct TestPaintLog {
    int begun = 0;
    int ended = 0;
    int backgroundsErased = 0;
    int defaultPaints = 0;
    std::vector<TestDrawnIcon> icons;
};

class TestDialogWindow : public IDialogWindow {
public:
    TestDialogWindow(TestBackend& backend, CDialog& dialog, const DialogTemplate& dialogTemplate);

    // ---- What the user does. Each answers TRUE when the action reached the control, FALSE when
    // the control ignored it (disabled, refused, or another dialog is modal on top of this one).
    // An action on a dialog that has ended, or on a control the template lacks, is recorded as a
    // failure of the test.

    // A button is pressed, or an auto check box toggles; then BN_CLICKED.
    BOOL Click(int id);
    // Keystrokes at the end of an edit's text, one EN_UPDATE each; digits-only edits refuse other
    // characters (TRUE only when every character was taken). In a combo box's edit field the
    // text grows without a notification.
    BOOL Type(int id, LPCSTR text);
    BOOL Backspace(int id, int count = 1);  // one EN_UPDATE per removed character
    BOOL ClearText(int id);                 // select all and delete: one EN_UPDATE
    // Picks entry index of a combo box (selection and edit text, then CBN_SELCHANGE) or of a list
    // box (selection, then LBN_SELCHANGE when it notifies).
    BOOL Pick(int id, int index);
    BOOL PickText(int id, LPCSTR entryText);  // the first entry with exactly this text
    // The arrows of an up-down control: reads the buddy's number, steps within the range, writes
    // the buddy's text, which raises the buddy's EN_UPDATE when the text changed.
    BOOL PressSpinUp(int id);
    BOOL PressSpinDown(int id);
    // Keys and window actions.
    BOOL PressOK() { return Click(IDOK); }
    BOOL PressCancel() { return Click(IDCANCEL); }
    BOOL PressEnter();   // the default push button
    BOOL PressEscape();  // IDCANCEL, unless a Cancel button exists and is disabled
    BOOL CloseBox();     // the title bar's close box: system command SC_CLOSE
    BOOL SystemCommand(UINT commandId, std::intptr_t parameter = 0);
    // A function key without Shift, Ctrl or Alt: the system command the dialog bound to it
    // (SetCommandKey); FALSE when it is bound to none.
    BOOL PressFunctionKey(UINT virtualKey);
    // F1 with the mouse at mousePos; answers what the dialog answered (FALSE when ignored).
    BOOL PressF1(int controlId, CPoint mousePos, BOOL modifierHeld = FALSE);
    BOOL RequestHelp(const HelpRequest& request);
    // A right-click at position over control id (0: the dialog's background). Disabled controls
    // and statics don't take mouse input, so the request then names the dialog (id 0), as on
    // Windows.
    BOOL RightClick(int id, CPoint position);
    // The context-menu key while control id has the focus: position (-1, -1).
    BOOL ContextMenuKey(int id);
    // The system asks the dialog to paint, or for the icon of a minimised window being dragged.
    BOOL Paint();
    HICON QueryDragIcon();

    // ---- Window state a test sets.
    void SetIconic(BOOL iconic) { m_bIconic = iconic; }
    void SetClientSize(CSize size) { m_clientSize = size; }
    void SetIconSize(CSize size) { m_iconSize = size; }
    // Before OnInitDialog (in a beforeInit): without a system menu there are no menu items.
    void SetHasSystemMenu(BOOL hasMenu);

    // ---- State a test reads (the IDialogWindow getters work as well).
    UINT TemplateId() const { return static_cast<UINT>(m_template.id); }
    const DialogTemplate& Template() const { return m_template; }
    CString Title() const { return m_title; }
    // Open from creation until EndDialog.
    BOOL IsOpen() const { return m_pDialog != nullptr && !m_bEnded; }
    BOOL IsActive() const;  // open, and no other dialog is modal on top of it
    std::intptr_t Result() const { return m_result; }
    const TestControl& Control(int id) const;
    const std::vector<TestControl>& Controls() const { return m_controls; }  // template order
    BOOL IsVisible(int id) const { return Control(id).visible; }
    std::vector<CString> Entries(int id) const;
    // The standard items first (Restore, Move, Minimize, separator, Close, ...), then what the
    // program appended.
    const std::vector<TestMenuItem>& SystemMenu() const { return m_systemMenu; }
    const std::vector<TestIconSet>& IconsSet() const { return m_iconsSet; }
    const TestPaintLog& PaintLog() const { return m_paintLog; }
    const std::vector<UINT>& DefaultSysCommands() const { return m_defaultSysCommands; }

    // ---- IDialogWindow: the program's side. Setters raise no notifications.
    CString GetText(int id) const override;
    void SetText(int id, LPCSTR text) override;
    int GetCheck(int id) const override;
    void SetCheck(int id, int state) override;
    BOOL IsEnabled(int id) const override;
    void Enable(int id, BOOL enable) override;
    int AddString(int id, LPCSTR text) override;
    void ResetContent(int id) override;
    int GetCount(int id) const override;
    CString GetItemText(int id, int index) const override;
    void SetItemData(int id, int index, std::intptr_t data) override;
    std::intptr_t GetItemData(int id, int index) const override;
    int GetCurSel(int id) const override;
    void SetCurSel(int id, int index) override;
    void SetSpinRange(int id, int lowest, int highest) override;
    void SetSpinPos(int id, int position) override;
    void SetSpinBase(int id, int base) override;
    void EndDialog(int result) override;
    BOOL HasSystemMenu() const override { return m_bHasSystemMenu; }
    void AppendSystemMenuSeparator() override;
    void AppendSystemMenuItem(UINT commandId, LPCSTR text) override;
    void SetCommandKey(UINT virtualKey, UINT commandId) override;
    void SetIcon(HICON icon, BOOL big) override;
    void DefaultSysCommand(UINT commandId, std::intptr_t parameter) override;
    BOOL IsIconic() const override { return m_bIconic; }
    CSize GetClientSize() const override { return m_clientSize; }
    CSize GetIconSize() const override { return m_iconSize; }
    void BeginPaint() override;
    void EraseIconBackground() override;
    void DrawIcon(int x, int y, HICON icon) override;
    void EndPaint() override;
    void DefaultPaint() override;
    void* NativeHandle(int id) const override;

    // ---- For the back-end.
    void Detach() { m_pDialog = nullptr; }

private:
    TestControl* Find(int id, LPCSTR operation) const;
    TestControl* FindList(int id, LPCSTR operation) const;
    // The control a user action aims at, or null (failure recorded) when there is none to act on
    // or it is not of a kind that fits the action; sets ignored when it takes no input.
    TestControl* Target(int id, LPCSTR action, bool (*fits)(const TestControl&), LPCSTR misfit,
                        bool& ignored);
    bool CheckOpen(const std::string& action);  // records a failure when the dialog has ended
    void Notify(int id, int code);
    BOOL StepSpin(int id, int direction);
    void WriteBuddy(const TestControl& spin);

    TestBackend& m_backend;
    CDialog* m_pDialog;
    const DialogTemplate& m_template;
    CString m_title;
    std::vector<TestControl> m_controls;
    BOOL m_bEnded = FALSE;
    std::intptr_t m_result = 0;
    BOOL m_bHasSystemMenu;
    std::vector<TestMenuItem> m_systemMenu;
    std::map<UINT, UINT> m_commandKeys;  // function key -> system command
    std::vector<TestIconSet> m_iconsSet;
    BOOL m_bIconic = FALSE;
    CSize m_clientSize;
    CSize m_iconSize{32, 32};
    TestPaintLog m_paintLog;
    BOOL m_bPainting = FALSE;
    std::vector<UINT> m_defaultSysCommands;
};
