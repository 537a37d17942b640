// The dialog base class and its data exchange.
//
// A dialog runs modally on the current back-end (framework/Backend.h). The back-end creates the
// controls from the dialog's template, then calls the Handle... entry points below for what the
// user does; they dispatch through the dialog's message map (framework/MessageMap.h).
// Notifications that arrive while the dialog exchanges data with its controls are ignored, so
// only the user's own actions reach the handlers.
#pragma once

#include <cstdint>
#include <map>

#include "framework/Controls.h"
#include "framework/MessageMap.h"
#include "framework/String.h"

class IDialogWindow;
class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CDialog* m_pDlgWnd;
};

// Binds a control member to its control.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// A check box as 0 (unchecked) or 1 (checked).
void DDX_Check(CDataExchange* pDX, int id, int& value);
// The text of an edit.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// A combo box's text. Reading takes the edit field's text. Writing a non-empty text selects the
// first entry that begins with it (case ignored), or puts the text into the edit field when none
// does; writing an empty text keeps the selection and shows the selected entry's text.
void DDX_CBString(CDataExchange* pDX, int id, CString& value);
// A combo box's edit field only: writing never moves the selection (two entries may share a text).
void DDX_CBEditText(CDataExchange* pDX, int id, CString& value);

class CDialog : public CObject {
public:
    explicit CDialog(UINT templateId, CDialog* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when the dialog
    // could not be created.
    virtual std::intptr_t DoModal();
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    CWnd* GetDlgItem(int id);
    UINT GetTemplateId() const { return m_nIDTemplate; }
    CDialog* GetParent() const { return m_pParentWnd; }  // the owner given at construction

    // Help through the legacy help engine; shows "Failed to launch help." when it refuses.
    void WinHelp(std::uintptr_t data, UINT command);

    // The open window; null while the dialog is not shown.
    IDialogWindow* GetWindow() const { return m_pWindow; }
    BOOL IsExchanging() const { return m_bExchanging; }

    // Entry points for back-ends. HandleInitDialog attaches the window and runs OnInitDialog;
    // HandleDestroy runs the destroy handler and detaches it.
    BOOL HandleInitDialog(IDialogWindow& window);
    void HandleCommand(int id, int code);
    void HandleSysCommand(UINT commandId, std::intptr_t parameter);
    void HandlePaint();
    HICON HandleQueryDragIcon();
    BOOL HandleHelp(const HelpRequest& request);
    void HandleContextMenu(int windowId, CPoint position);
    void HandleDestroy();
    // Whether the message map binds a command id (the Help button is shown only then).
    BOOL HandlesCommand(int id) const;

protected:
    virtual BOOL OnInitDialog();  // writes the members to the controls; TRUE
    virtual void OnOK();          // reads the controls, then ends with IDOK
    virtual void OnCancel();      // ends with IDCANCEL
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual const MessageMap* GetMessageMap() const;

private:
    const MessageMapEntry* FindEntry(MessageMapEntry::Kind kind, int id, int code) const;

    UINT m_nIDTemplate;
    CDialog* m_pParentWnd;
    IDialogWindow* m_pWindow = nullptr;
    BOOL m_bExchanging = FALSE;
    std::map<int, CWnd> m_items;  // what GetDlgItem returns, one per id so pointers stay valid
};
