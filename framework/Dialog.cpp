#include "framework/Dialog.h"

#include "framework/App.h"
#include "framework/Backend.h"
#include "framework/DialogWindow.h"

#include <stdexcept>

namespace {
IDialogWindow& WindowOf(CDataExchange* pDX) {
    IDialogWindow* window = pDX->m_pDlgWnd->GetWindow();
    if (!window)
        throw std::logic_error("data exchange while the dialog is not open");
    return *window;
}
}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    control.Attach(pDX->m_pDlgWnd, id);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    if (pDX->m_bSaveAndValidate) {
        value = WindowOf(pDX).GetCheck(id);
    } else {
        WindowOf(pDX).SetCheck(id, value);
    }
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    if (pDX->m_bSaveAndValidate) {
        value = WindowOf(pDX).GetText(id);
    } else {
        WindowOf(pDX).SetText(id, value);
    }
}

void DDX_CBString(CDataExchange* pDX, int id, CString& value) {
    IDialogWindow& window = WindowOf(pDX);
    if (pDX->m_bSaveAndValidate) {
        value = window.GetText(id);
        return;
    }
    if (value.IsEmpty()) {
        const int selected = window.GetCurSel(id);
        window.SetText(id, selected >= 0 ? window.GetItemText(id, selected) : CString());
        return;
    }
    CComboBox combo;
    combo.Attach(pDX->m_pDlgWnd, id);
    const int found = combo.FindString(-1, value);
    if (found >= 0) {
        window.SetCurSel(id, found);
    } else {
        window.SetText(id, value);
    }
}

void DDX_CBEditText(CDataExchange* pDX, int id, CString& value) {
    DDX_Text(pDX, id, value);
}

CDialog::CDialog(UINT templateId, CDialog* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

std::intptr_t CDialog::DoModal() {
    return Backend().RunModalDialog(*this, m_nIDTemplate);
}

void CDialog::EndDialog(int result) {
    if (m_pWindow)
        m_pWindow->EndDialog(result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!m_pWindow)
        return FALSE;
    // Writing a control makes some back-ends raise notifications; they must not look like the
    // user's doing. Nested exchanges keep the flag until the outermost one ends.
    const BOOL wasExchanging = m_bExchanging;
    m_bExchanging = TRUE;
    struct Restore {
        BOOL& flag;
        BOOL value;
        ~Restore() { flag = value; }
    } restore{m_bExchanging, wasExchanging};
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

CWnd* CDialog::GetDlgItem(int id) {
    CWnd& item = m_items[id];
    item.Attach(this, id);
    return &item;
}

void CDialog::WinHelp(std::uintptr_t data, UINT command) {
    (void)data;  // the quit command carries none
    CWinApp* app = AfxGetApp();
    const CString helpFile = app ? app->m_strHelpPath : CString();
    // The legacy engine is only ever asked to quit; any other command is beyond it.
    const BOOL done = command == HELP_QUIT && Backend().QuitLegacyHelp(helpFile);
    if (!done)
        AfxMessageBox("Failed to launch help.", MB_OK | MB_ICONSTOP);
}

BOOL CDialog::HandleInitDialog(IDialogWindow& window) {
    m_pWindow = &window;
    return OnInitDialog();
}

void CDialog::HandleCommand(int id, int code) {
    if (m_bExchanging)
        return;
    if (const MessageMapEntry* entry = FindEntry(MessageMapEntry::Kind::kCommand, id, code)) {
        (this->*entry->plain)();
        return;
    }
    if (code != BN_CLICKED)
        return;
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    }
}

void CDialog::HandleSysCommand(UINT commandId, std::intptr_t parameter) {
    if (const MessageMapEntry* entry = FindEntry(MessageMapEntry::Kind::kSysCommand, 0, 0)) {
        (this->*entry->sysCommand)(commandId, parameter);
    } else if (m_pWindow) {
        m_pWindow->DefaultSysCommand(commandId, parameter);
    }
}

void CDialog::HandlePaint() {
    if (const MessageMapEntry* entry = FindEntry(MessageMapEntry::Kind::kPaint, 0, 0)) {
        (this->*entry->plain)();
    } else if (m_pWindow) {
        m_pWindow->DefaultPaint();
    }
}

HICON CDialog::HandleQueryDragIcon() {
    if (const MessageMapEntry* entry = FindEntry(MessageMapEntry::Kind::kQueryDragIcon, 0, 0)) {
        return (this->*entry->dragIcon)();
    }
    return nullptr;  // the system then uses the window class's icon
}

BOOL CDialog::HandleHelp(const HelpRequest& request) {
    if (const MessageMapEntry* entry = FindEntry(MessageMapEntry::Kind::kHelpInfo, 0, 0)) {
        return (this->*entry->helpInfo)(request);
    }
    // Default: F1 in a top-level window without its own handler asks the main window for help,
    // unless a modifier key is held.
    CWinApp* app = AfxGetApp();
    CDialog* mainWindow = app ? app->m_pMainWnd : nullptr;
    if (request.contextType != HELPINFO_WINDOW || request.modifierHeld || !mainWindow)
        return FALSE;
    mainWindow->HandleCommand(ID_HELP, BN_CLICKED);
    return TRUE;
}

void CDialog::HandleContextMenu(int windowId, CPoint position) {
    if (const MessageMapEntry* entry = FindEntry(MessageMapEntry::Kind::kContextMenu, 0, 0)) {
        CWnd window(this, windowId);
        (this->*entry->contextMenu)(&window, position);
    }
}

void CDialog::HandleDestroy() {
    if (const MessageMapEntry* entry = FindEntry(MessageMapEntry::Kind::kDestroy, 0, 0)) {
        (this->*entry->plain)();
    }
    m_pWindow = nullptr;
}

BOOL CDialog::HandlesCommand(int id) const {
    return FindEntry(MessageMapEntry::Kind::kCommand, id, BN_CLICKED) != nullptr;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange* pDX) {
    (void)pDX;  // a dialog without members exchanges nothing
}

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageMap empty = {nullptr, 0};
    return &empty;
}

const MessageMapEntry* CDialog::FindEntry(MessageMapEntry::Kind kind, int id, int code) const {
    const MessageMap* map = GetMessageMap();
    for (std::size_t i = 0; map && i < map->count; ++i) {
        const MessageMapEntry& entry = map->entries[i];
        if (entry.kind != kind)
            continue;
        if (kind == MessageMapEntry::Kind::kCommand && (entry.id != id || entry.code != code))
            continue;
        return &entry;
    }
    return nullptr;
}
