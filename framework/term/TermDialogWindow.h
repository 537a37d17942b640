// One open dialog in the terminal: a FINAL CUT dialog window whose widgets are the controls of the
// dialog's template, each reached by its control id (framework/DialogWindow.h).
//
// What the user does reaches the program only through CDialog's Handle... entry points, with the
// Windows dialog manager's keyboard rules:
// - Tab and Shift+Tab move through the controls in template order; Alt+letter is a control's
//   '&' mnemonic: a button or check box with a unique mnemonic is clicked, and when several
//   controls share the letter the focus moves to the next of them without a click. On a button or
//   check box the letter alone works too.
// - Enter clicks the focused push button, else the dialog's default button; Escape, the title
//   bar's close item and the toolkit's own close paths are the Cancel command.
// - F1 is a help request for the focused control at the mouse position; Shift+F10 and the menu
//   key a context-menu request from the keyboard (position -1, -1); a right click a context-menu
//   request for the clicked control. Alt+Space opens the system menu. A function key the program
//   bound to a system command (SetCommandKey) sends that command.
// Writes by the program never raise notifications: the widgets' signals that FINAL CUT also
// emits for programmatic changes (a combo box's "row-changed") are ignored while the program
// writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <final/final.h>

#include "framework/DialogTemplate.h"
#include "framework/DialogWindow.h"
#include "framework/term/TermLayout.h"

class CDialog;

class TermDialogWindow final : public finalcut::FDialog, public IDialogWindow {
public:
    TermDialogWindow(finalcut::FWidget* parent, const DialogTemplate& dialogTemplate,
                     const DialogLayout& layout, CDialog& dialog);
    ~TermDialogWindow() override;

    // Runs the dialog: HandleInitDialog, the modal loop until EndDialog, HandleDestroy.
    std::intptr_t Run();

    // IDialogWindow.
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
    BOOL HasSystemMenu() const override;
    void AppendSystemMenuSeparator() override;
    void AppendSystemMenuItem(UINT commandId, LPCSTR text) override;
    void SetCommandKey(UINT virtualKey, UINT commandId) override;
    void SetIcon(HICON icon, BOOL big) override;
    void DefaultSysCommand(UINT commandId, std::intptr_t parameter) override;
    BOOL IsIconic() const override;
    CSize GetClientSize() const override;
    CSize GetIconSize() const override;
    void BeginPaint() override;
    void EraseIconBackground() override;
    void DrawIcon(int x, int y, HICON icon) override;
    void EndPaint() override;
    void DefaultPaint() override;
    void* NativeHandle(int id) const override;

    // From the control widgets.
    void ControlClicked(int index);
    void ControlRightClicked(int index, const finalcut::FPoint& termPosition);
    void MouseSeen(const finalcut::FPoint& termPosition);
    void SpinStep(int index, int direction);  // +1 up, -1 down
    void EnterPressed();

    // Where a control is on the screen (0-based cells): the centre of its bottom edge, for help
    // popups. FocusAnchor is the focused control's.
    CPoint ControlAnchor(int id) const;
    CPoint FocusAnchor() const;

protected:
    void onKeyPress(finalcut::FKeyEvent* event) override;
    void onMouseDown(finalcut::FMouseEvent* event) override;
    void onClose(finalcut::FCloseEvent* event) override;
    void draw() override;
    void adjustSize() override;

private:
    struct Control {
        int id = 0;
        ControlKind kind = ControlKind::kStaticText;
        DWORD style = 0;
        char mnemonic = '\0';
        finalcut::FWidget* widget = nullptr;  // null for a static icon
        std::vector<std::string> items;       // combo and list entries
        std::vector<std::intptr_t> itemData;
        int selection = -1;
        int spinLowest = 0;
        int spinHighest = 100;
        int spinPosition = 0;
        int spinBase = 10;
        int buddy = -1;   // an up-down's buddy (index)
        int upDown = -1;  // an edit's up-down (index)
    };

    void CreateControls(const DialogTemplate& dialogTemplate);
    void ApplyLayout(const DialogLayout& layout);
    void ApplyInitData(const DialogTemplate& dialogTemplate);
    const Control* Find(int id) const;
    Control* Find(int id);
    int IndexOf(const finalcut::FWidget* widget) const;
    void Notify(int id, int code);
    void RefillList(Control& control);
    void WriteBuddy(const Control& upDown);
    void ShowSelection(Control& control);
    bool HandleMnemonic(char letter);
    void ClickControl(int index);
    void FocusControl(int index);
    void FocusFirstControl();
    int FocusedIndex() const;
    bool IsFocusable(const Control& control) const;
    finalcut::FMenu* SystemMenu() const;
    CPoint HelpPosition(int index) const;

    CDialog& m_dialog;
    const DialogTemplate& m_template;
    std::vector<Control> m_controls;
    bool m_applyingLayout = false;
    int m_layoutColumns = 0;  // the terminal size the layout was made for
    int m_layoutRows = 0;
    int m_defaultButton = -1;
    int m_programWrites = 0;  // > 0 while the program writes a control
    bool m_initialised = false;
    bool m_ended = false;
    std::intptr_t m_result = 0;
    std::vector<std::pair<finalcut::FKey, UINT>> m_commandKeys;  // function key, system command
};
