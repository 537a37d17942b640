// The seam between the program and a user-interface back-end: one open dialog, reached by
// control id. Handlers never see a native window or widget; they call these operations through
// the control wrappers (framework/Controls.h) and the dialog base class (framework/Dialog.h).
//
// Contract for every back-end:
// - Setters never raise notifications. Only the user's own actions (a click, a keystroke, picking
//   a list entry) make the back-end call the dialog's Handle... entry points.
// - List indices are 0-based; -1 means "no entry".
// - SetText on a combo box sets the text of its edit field only; the selection stays.
//   SetCurSel(i) selects entry i and shows its text in the edit field.
// - AddString appends at the end, except on a list box with the sorted style, which inserts the
//   text at its sorted place. Combo boxes never sort, whatever their style.
#pragma once

#include <cstdint>

#include "framework/String.h"

class IDialogWindow {
public:
    virtual ~IDialogWindow() = default;

    // Text of a control: edit text, caption, or the edit field of a combo box; id 0 is the
    // dialog's own title.
    virtual CString GetText(int id) const = 0;
    virtual void SetText(int id, LPCSTR text) = 0;

    // Check boxes: 0 unchecked, 1 checked.
    virtual int GetCheck(int id) const = 0;
    virtual void SetCheck(int id, int state) = 0;

    virtual BOOL IsEnabled(int id) const = 0;
    virtual void Enable(int id, BOOL enable) = 0;

    // Combo boxes and list boxes.
    virtual int AddString(int id, LPCSTR text) = 0;  // returns the new entry's index
    virtual void ResetContent(int id) = 0;
    virtual int GetCount(int id) const = 0;
    virtual CString GetItemText(int id, int index) const = 0;
    virtual void SetItemData(int id, int index, std::intptr_t data) = 0;
    virtual std::intptr_t GetItemData(int id, int index) const = 0;
    virtual int GetCurSel(int id) const = 0;
    virtual void SetCurSel(int id, int index) = 0;  // -1 clears the selection

    // Up-down controls. Moving the arrows writes the position into the buddy edit.
    virtual void SetSpinRange(int id, int lowest, int highest) = 0;
    virtual void SetSpinPos(int id, int position) = 0;
    virtual void SetSpinBase(int id, int base) = 0;

    // The dialog window itself.
    virtual void EndDialog(int result) = 0;
    virtual BOOL HasSystemMenu() const = 0;
    virtual void AppendSystemMenuSeparator() = 0;
    virtual void AppendSystemMenuItem(UINT commandId, LPCSTR text) = 0;
    // The function key virtualKey (VK_F2 ... VK_F12), pressed without Shift, Ctrl or Alt while the
    // dialog is active, sends it the system command commandId, as its system-menu item does.
    virtual void SetCommandKey(UINT virtualKey, UINT commandId) = 0;
    virtual void SetIcon(HICON icon, BOOL big) = 0;
    // The system's own handling of a system command (move, size, minimise, close, ...).
    virtual void DefaultSysCommand(UINT commandId, std::intptr_t parameter) = 0;

    // Painting. BeginPaint/EndPaint bracket the custom painting of the minimised window.
    virtual BOOL IsIconic() const = 0;
    virtual CSize GetClientSize() const = 0;
    virtual CSize GetIconSize() const = 0;  // the system's icon size (SM_CXICON, SM_CYICON)
    virtual void BeginPaint() = 0;
    virtual void EraseIconBackground() = 0;  // WM_ICONERASEBKGND with the paint context
    virtual void DrawIcon(int x, int y, HICON icon) = 0;
    virtual void EndPaint() = 0;
    virtual void DefaultPaint() = 0;

    // The native handle of a control (HWND on Windows; 0 = the dialog); null elsewhere.
    virtual void* NativeHandle(int id) const = 0;
};
