// One open Win32 dialog behind the framework's IDialogWindow seam: the program reaches its
// controls by id; this class turns each operation into the control's own messages.
//
// Setters raise no notifications that the program sees: some controls answer a programmatic
// change with one (an edit sends EN_UPDATE and EN_CHANGE for WM_SETTEXT, and so does the up-down
// control's buddy when the position is set), so while a setter runs the window is "quiet" and the
// dialog procedure drops the WM_COMMAND notifications that arrive.
#pragma once

#include <cstdint>
#include <map>

#include "framework/DialogWindow.h"
#include "framework/Types.h"

class CDialog;
class Win32Backend;

class Win32DialogWindow : public IDialogWindow {
public:
    Win32DialogWindow(Win32Backend& backend, CDialog& dialog, UINT templateId)
        : m_backend(backend), m_dialog(dialog), m_templateId(templateId) {}

    Win32Backend& GetBackend() const { return m_backend; }
    CDialog& GetDialog() const { return m_dialog; }
    UINT GetTemplateId() const { return m_templateId; }
    HWND GetHandle() const { return m_window; }
    void AttachHandle(HWND window) { m_window = window; }

    // True while one of the setters below runs: notifications then come from the program.
    bool IsQuiet() const { return m_quietDepth > 0; }

    // The window that a context-menu request names, while the dialog handles the request.
    HWND GetContextMenuTarget() const { return m_contextMenuTarget; }
    void SetContextMenuTarget(HWND window) { m_contextMenuTarget = window; }

    // Painting bookkeeping for the dialog procedure: whether the handler painted or asked for
    // the default painting (else the window would stay invalid and be painted forever).
    void ResetPaintState() { m_painted = false; }
    bool Painted() const { return m_painted; }

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
    // The system command bound to a function key; false when none is.
    bool CommandOfKey(UINT virtualKey, UINT& commandId) const;
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

private:
    class Quiet;
    HWND Item(int id) const;
    // Sends a message to a control; 0 when the dialog has no such control.
    LRESULT SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const;

    Win32Backend& m_backend;
    CDialog& m_dialog;
    UINT m_templateId;
    HWND m_window = nullptr;
    int m_quietDepth = 0;
    HWND m_contextMenuTarget = nullptr;
    PAINTSTRUCT m_paint = {};
    bool m_painting = false;
    bool m_painted = false;
    std::map<UINT, UINT> m_commandKeys;  // function key -> system command
};
