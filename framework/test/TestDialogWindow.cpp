#include "framework/test/TestDialogWindow.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/App.h"
#include "framework/WindowStyles.h"
#include "framework/test/TestBackend.h"

namespace {
constexpr UINT kComboString = 0x403;  // init data: a combo box string
constexpr UINT kListString = 0x401;   // init data: a list box string
constexpr int kListSelChange = 1;     // LBN_SELCHANGE

std::string Describe(LPCSTR operation, int id) {
    return std::string(operation) + "(" + std::to_string(id) + ")";
}

std::string Lower(const CString& text) {
    std::string lowered = text.str();
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

bool IsButton(const TestControl& control) {
    return control.kind == ControlKind::kPushButton ||
           control.kind == ControlKind::kDefPushButton ||
           control.kind == ControlKind::kAutoCheckBox;
}

bool IsList(const TestControl& control) {
    return control.kind == ControlKind::kComboBox || control.kind == ControlKind::kListBox;
}

bool IsUpDown(const TestControl& control) {
    return control.kind == ControlKind::kUpDown;
}

bool AnyControl(const TestControl&) {
    return true;
}

bool HasEditField(const TestControl& control) {
    if (control.kind == ControlKind::kEdit)
        return true;
    return control.kind == ControlKind::kComboBox && (control.style & 0x3) != CBS_DROPDOWNLIST;
}

void AppendStandardSystemMenu(std::vector<TestMenuItem>& menu, DWORD style) {
    if (style & WS_MINIMIZEBOX)
        menu.push_back({SC_RESTORE, "&Restore", FALSE});
    menu.push_back({SC_MOVE, "&Move", FALSE});
    if (style & WS_THICKFRAME)
        menu.push_back({SC_SIZE, "&Size", FALSE});
    if (style & WS_MINIMIZEBOX)
        menu.push_back({SC_MINIMIZE, "Mi&nimize", FALSE});
    if (style & WS_MAXIMIZEBOX)
        menu.push_back({SC_MAXIMIZE, "Ma&ximize", FALSE});
    menu.push_back({0, "", TRUE});
    menu.push_back({SC_CLOSE, "&Close\tAlt+F4", FALSE});
}
}  // namespace

TestDialogWindow::TestDialogWindow(TestBackend& backend, CDialog& dialog,
                                   const DialogTemplate& dialogTemplate)
    : m_backend(backend),
      m_pDialog(&dialog),
      m_template(dialogTemplate),
      m_title(dialogTemplate.title),
      m_bHasSystemMenu((dialogTemplate.style & WS_SYSMENU) != 0),
      // Roughly the pixels of MS Sans Serif 8 dialog units.
      m_clientSize{dialogTemplate.width * 3 / 2, dialogTemplate.height * 13 / 8} {
    for (int index = 0; index < dialogTemplate.controlCount; ++index) {
        const ControlTemplate& source = dialogTemplate.controls[index];
        TestControl control;
        control.id = source.id;
        control.kind = source.kind;
        control.style = source.style;
        control.text = source.text;
        control.enabled = (source.style & WS_DISABLED) ? FALSE : TRUE;
        // An automatic buddy is the control before the up-down one in the template.
        if (source.kind == ControlKind::kUpDown && (source.style & UDS_AUTOBUDDY) && index > 0) {
            control.buddyIndex = index - 1;
        }
        m_controls.push_back(control);
    }
    for (int index = 0; index < dialogTemplate.initDataCount; ++index) {
        const InitDataEntry& entry = dialogTemplate.initData[index];
        TestControl* control = Find(entry.controlId, "init data");
        const ControlKind wanted =
            entry.message == kComboString ? ControlKind::kComboBox : ControlKind::kListBox;
        if (!control)
            continue;
        if ((entry.message != kComboString && entry.message != kListString) ||
            control->kind != wanted) {
            m_backend.RecordFailure("template " + std::to_string(dialogTemplate.id) +
                                    ": init data does not fit control " +
                                    std::to_string(entry.controlId));
            continue;
        }
        AddString(entry.controlId, entry.text);
    }
    // The Help button shows only when someone handles the Help command.
    for (TestControl& control : m_controls) {
        if (control.id == ID_HELP)
            control.visible = AfxHelpEnabled();
    }
    SetHasSystemMenu(m_bHasSystemMenu);
}

void TestDialogWindow::SetHasSystemMenu(BOOL hasMenu) {
    m_bHasSystemMenu = hasMenu ? TRUE : FALSE;
    m_systemMenu.clear();
    if (m_bHasSystemMenu)
        AppendStandardSystemMenu(m_systemMenu, m_template.style);
}

BOOL TestDialogWindow::IsActive() const {
    return IsOpen() && m_backend.ActiveWindow() == this;
}

TestControl* TestDialogWindow::Find(int id, LPCSTR operation) const {
    if (id > 0 || id < -1) {
        for (const TestControl& control : m_controls) {
            if (control.id == id)
                return const_cast<TestControl*>(&control);
        }
    }
    m_backend.RecordFailure(Describe(operation, id) + ": dialog " + std::to_string(m_template.id) +
                            " has no such control");
    return nullptr;
}

TestControl* TestDialogWindow::FindList(int id, LPCSTR operation) const {
    TestControl* control = Find(id, operation);
    if (control && !IsList(*control)) {
        m_backend.RecordFailure(Describe(operation, id) + ": not a combo box or list box");
        return nullptr;
    }
    return control;
}

bool TestDialogWindow::CheckOpen(const std::string& action) {
    if (IsOpen())
        return true;
    m_backend.RecordFailure(action + " on dialog " + std::to_string(m_template.id) +
                            " after it closed");
    return false;
}

TestControl* TestDialogWindow::Target(int id, LPCSTR action, bool (*fits)(const TestControl&),
                                      LPCSTR misfit, bool& ignored) {
    if (!CheckOpen(Describe(action, id)))
        return nullptr;
    TestControl* control = Find(id, action);
    if (control && !fits(*control)) {
        m_backend.RecordFailure(Describe(action, id) + ": " + misfit);
        return nullptr;
    }
    ignored = control && (!IsActive() || !control->enabled || !control->visible);
    return control;
}

void TestDialogWindow::Notify(int id, int code) {
    if (m_pDialog)
        m_pDialog->HandleCommand(id, code);
}

// ---- The user's side.

BOOL TestDialogWindow::Click(int id) {
    bool ignored = false;
    TestControl* control = Target(id, "Click", IsButton, "not a button or check box", ignored);
    if (!control || ignored)
        return FALSE;
    if (control->kind == ControlKind::kAutoCheckBox)
        control->check = control->check ? 0 : 1;
    Notify(id, BN_CLICKED);
    return TRUE;
}

BOOL TestDialogWindow::Type(int id, LPCSTR text) {
    bool ignored = false;
    TestControl* control = Target(id, "Type", HasEditField, "no edit field", ignored);
    if (!control || ignored)
        return FALSE;
    const bool isEdit = control->kind == ControlKind::kEdit;
    const bool digitsOnly = isEdit && (control->style & ES_NUMBER);
    BOOL allTaken = TRUE;
    for (const char* key = text ? text : ""; *key; ++key) {
        // A handler may disable the control, end the dialog or open another one meanwhile; the
        // remaining keystrokes then go elsewhere.
        if (!IsActive() || !control->enabled)
            return FALSE;
        if (digitsOnly && !std::isdigit(static_cast<unsigned char>(*key))) {
            allTaken = FALSE;
            continue;
        }
        control->text += *key;
        if (isEdit)
            Notify(id, EN_UPDATE);
    }
    return allTaken;
}

BOOL TestDialogWindow::Backspace(int id, int count) {
    bool ignored = false;
    TestControl* control = Target(id, "Backspace", HasEditField, "no edit field", ignored);
    if (!control || ignored)
        return FALSE;
    for (int i = 0; i < count && !control->text.IsEmpty(); ++i) {
        if (!IsActive() || !control->enabled)
            return FALSE;
        control->text = CString(control->text.GetString(), control->text.GetLength() - 1);
        if (control->kind == ControlKind::kEdit)
            Notify(id, EN_UPDATE);
    }
    return TRUE;
}

BOOL TestDialogWindow::ClearText(int id) {
    bool ignored = false;
    TestControl* control = Target(id, "ClearText", HasEditField, "no edit field", ignored);
    if (!control || ignored)
        return FALSE;
    if (control->text.IsEmpty())
        return TRUE;
    control->text.Empty();
    if (control->kind == ControlKind::kEdit)
        Notify(id, EN_UPDATE);
    return TRUE;
}

BOOL TestDialogWindow::Pick(int id, int index) {
    bool ignored = false;
    TestControl* control = Target(id, "Pick", IsList, "not a combo box or list box", ignored);
    if (!control)
        return FALSE;
    if (index < 0 || index >= static_cast<int>(control->entries.size())) {
        m_backend.RecordFailure(Describe("Pick", id) + ": no entry " + std::to_string(index));
        return FALSE;
    }
    if (ignored)
        return FALSE;
    control->selection = index;
    if (control->kind == ControlKind::kComboBox) {
        control->text = control->entries[static_cast<size_t>(index)].text;
        Notify(id, CBN_SELCHANGE);
    } else if (control->style & LBS_NOTIFY) {
        Notify(id, kListSelChange);
    }
    return TRUE;
}

BOOL TestDialogWindow::PickText(int id, LPCSTR entryText) {
    const TestControl* control = FindList(id, "PickText");
    if (!control)
        return FALSE;
    for (size_t index = 0; index < control->entries.size(); ++index) {
        if (control->entries[index].text == entryText)
            return Pick(id, static_cast<int>(index));
    }
    m_backend.RecordFailure(Describe("PickText", id) + ": no entry \"" +
                            (entryText ? entryText : "") + "\"");
    return FALSE;
}

BOOL TestDialogWindow::PressSpinUp(int id) {
    return StepSpin(id, +1);
}

BOOL TestDialogWindow::PressSpinDown(int id) {
    return StepSpin(id, -1);
}

BOOL TestDialogWindow::StepSpin(int id, int direction) {
    bool ignored = false;
    TestControl* spin = Target(id, "PressSpin", IsUpDown, "not an up-down control", ignored);
    if (!spin || ignored)
        return FALSE;
    TestControl* buddy = (spin->buddyIndex >= 0 && (spin->style & UDS_SETBUDDYINT))
                             ? &m_controls[static_cast<size_t>(spin->buddyIndex)]
                             : nullptr;
    // Like Windows, the control first takes up a number the user typed into the buddy.
    int current = spin->spinPos;
    if (buddy)
        CSpinButtonCtrl::ParsePosition(buddy->text, spin->spinBase, current);
    const int lowest = std::min(spin->spinLowest, spin->spinHighest);
    const int highest = std::max(spin->spinLowest, spin->spinHighest);
    const int step = spin->spinHighest >= spin->spinLowest ? direction : -direction;
    int next = current + step;
    if (next < lowest || next > highest) {
        if (spin->style & UDS_WRAP) {
            next = next < lowest ? highest : lowest;
        } else {
            next = std::min(std::max(next, lowest), highest);
        }
    }
    spin->spinPos = next;
    if (buddy) {
        const CString before = buddy->text;
        WriteBuddy(*spin);
        if (buddy->text != before)
            Notify(buddy->id, EN_UPDATE);
    }
    return TRUE;
}

void TestDialogWindow::WriteBuddy(const TestControl& spin) {
    if (spin.buddyIndex < 0 || !(spin.style & UDS_SETBUDDYINT))
        return;
    m_controls[static_cast<size_t>(spin.buddyIndex)].text = CSpinButtonCtrl::FormatPosition(
        spin.spinPos, spin.spinBase, !(spin.style & UDS_NOTHOUSANDS));
}

BOOL TestDialogWindow::PressEnter() {
    int defaultId = IDOK;
    for (const TestControl& control : m_controls) {
        if (control.kind == ControlKind::kDefPushButton) {
            defaultId = control.id;
            break;
        }
    }
    if (!CheckOpen("PressEnter"))
        return FALSE;
    if (!IsActive())
        return FALSE;
    for (const TestControl& control : m_controls) {
        if (control.id == defaultId && (!control.enabled || !control.visible))
            return FALSE;
    }
    Notify(defaultId, BN_CLICKED);
    return TRUE;
}

BOOL TestDialogWindow::PressEscape() {
    if (!CheckOpen("PressEscape"))
        return FALSE;
    if (!IsActive())
        return FALSE;
    for (const TestControl& control : m_controls) {
        if (control.id == IDCANCEL && !control.enabled)
            return FALSE;
    }
    Notify(IDCANCEL, BN_CLICKED);
    return TRUE;
}

BOOL TestDialogWindow::CloseBox() {
    if (!m_bHasSystemMenu)
        return FALSE;  // no close box without a system menu
    return SystemCommand(SC_CLOSE, 0);
}

BOOL TestDialogWindow::SystemCommand(UINT commandId, std::intptr_t parameter) {
    if (!CheckOpen(Describe("SystemCommand", static_cast<int>(commandId))))
        return FALSE;
    if (!IsActive())
        return FALSE;
    m_pDialog->HandleSysCommand(commandId, parameter);
    return TRUE;
}

BOOL TestDialogWindow::PressFunctionKey(UINT virtualKey) {
    if (!CheckOpen(Describe("PressFunctionKey", static_cast<int>(virtualKey))))
        return FALSE;
    const auto bound = m_commandKeys.find(virtualKey);
    if (!IsActive() || bound == m_commandKeys.end())
        return FALSE;
    m_pDialog->HandleSysCommand(bound->second, 0);
    return TRUE;
}

BOOL TestDialogWindow::PressF1(int controlId, CPoint mousePos, BOOL modifierHeld) {
    HelpRequest request;
    request.contextType = HELPINFO_WINDOW;
    request.controlId = controlId;
    request.mousePos = mousePos;
    request.modifierHeld = modifierHeld;
    return RequestHelp(request);
}

BOOL TestDialogWindow::RequestHelp(const HelpRequest& request) {
    if (!CheckOpen(Describe("RequestHelp", request.controlId)))
        return FALSE;
    if (!IsActive())
        return FALSE;
    return m_pDialog->HandleHelp(request);
}

BOOL TestDialogWindow::RightClick(int id, CPoint position) {
    if (!CheckOpen(Describe("RightClick", id)))
        return FALSE;
    int windowId = id;
    if (id != 0) {
        const TestControl* control = Find(id, "RightClick");
        if (!control)
            return FALSE;
        const bool isStatic =
            control->kind == ControlKind::kStaticText || control->kind == ControlKind::kStaticIcon;
        if (!control->enabled || !control->visible || isStatic)
            windowId = 0;
    }
    if (!IsActive())
        return FALSE;
    m_pDialog->HandleContextMenu(windowId, position);
    return TRUE;
}

BOOL TestDialogWindow::ContextMenuKey(int id) {
    bool ignored = false;
    if (!Target(id, "ContextMenuKey", AnyControl, "", ignored) || ignored)
        return FALSE;
    m_pDialog->HandleContextMenu(id, CPoint{-1, -1});
    return TRUE;
}

BOOL TestDialogWindow::Paint() {
    if (!CheckOpen("Paint"))
        return FALSE;
    m_pDialog->HandlePaint();
    return TRUE;
}

HICON TestDialogWindow::QueryDragIcon() {
    return IsOpen() ? m_pDialog->HandleQueryDragIcon() : nullptr;
}

const TestControl& TestDialogWindow::Control(int id) const {
    static const TestControl missing;
    const TestControl* control = Find(id, "Control");
    return control ? *control : missing;
}

std::vector<CString> TestDialogWindow::Entries(int id) const {
    std::vector<CString> texts;
    if (const TestControl* control = FindList(id, "Entries")) {
        for (const TestListEntry& entry : control->entries)
            texts.push_back(entry.text);
    }
    return texts;
}

// ---- The program's side.

CString TestDialogWindow::GetText(int id) const {
    if (id == 0)
        return m_title;
    const TestControl* control = Find(id, "GetText");
    return control ? control->text : CString();
}

void TestDialogWindow::SetText(int id, LPCSTR text) {
    if (id == 0) {
        m_title = text;
    } else if (TestControl* control = Find(id, "SetText")) {
        control->text = text;
    }
}

int TestDialogWindow::GetCheck(int id) const {
    const TestControl* control = Find(id, "GetCheck");
    return control ? control->check : 0;
}

void TestDialogWindow::SetCheck(int id, int state) {
    if (TestControl* control = Find(id, "SetCheck"))
        control->check = state;
}

BOOL TestDialogWindow::IsEnabled(int id) const {
    if (id == 0)
        return TRUE;
    const TestControl* control = Find(id, "IsEnabled");
    return control ? control->enabled : FALSE;
}

void TestDialogWindow::Enable(int id, BOOL enable) {
    if (TestControl* control = Find(id, "Enable"))
        control->enabled = enable ? TRUE : FALSE;
}

int TestDialogWindow::AddString(int id, LPCSTR text) {
    TestControl* control = FindList(id, "AddString");
    if (!control)
        return -1;
    TestListEntry entry{CString(text), 0};
    auto& entries = control->entries;
    auto place = entries.end();
    // Only a sorted list box sorts; combo boxes append whatever their style.
    if (control->kind == ControlKind::kListBox && (control->style & LBS_SORT)) {
        const std::string key = Lower(entry.text);
        place = std::upper_bound(entries.begin(), entries.end(), key,
                                 [](const std::string& wanted, const TestListEntry& existing) {
                                     return wanted < Lower(existing.text);
                                 });
    }
    const int index = static_cast<int>(place - entries.begin());
    entries.insert(place, entry);
    if (control->selection >= index)
        ++control->selection;
    return index;
}

void TestDialogWindow::ResetContent(int id) {
    TestControl* control = FindList(id, "ResetContent");
    if (!control)
        return;
    control->entries.clear();
    control->selection = -1;
    if (control->kind == ControlKind::kComboBox)
        control->text.Empty();
}

int TestDialogWindow::GetCount(int id) const {
    const TestControl* control = FindList(id, "GetCount");
    return control ? static_cast<int>(control->entries.size()) : 0;
}

CString TestDialogWindow::GetItemText(int id, int index) const {
    const TestControl* control = FindList(id, "GetItemText");
    if (!control || index < 0 || index >= static_cast<int>(control->entries.size()))
        return {};
    return control->entries[static_cast<size_t>(index)].text;
}

void TestDialogWindow::SetItemData(int id, int index, std::intptr_t data) {
    TestControl* control = FindList(id, "SetItemData");
    if (!control || index < 0 || index >= static_cast<int>(control->entries.size()))
        return;
    control->entries[static_cast<size_t>(index)].data = data;
}

std::intptr_t TestDialogWindow::GetItemData(int id, int index) const {
    const TestControl* control = FindList(id, "GetItemData");
    if (!control || index < 0 || index >= static_cast<int>(control->entries.size()))
        return -1;
    return control->entries[static_cast<size_t>(index)].data;
}

int TestDialogWindow::GetCurSel(int id) const {
    const TestControl* control = FindList(id, "GetCurSel");
    return control ? control->selection : -1;
}

void TestDialogWindow::SetCurSel(int id, int index) {
    TestControl* control = FindList(id, "SetCurSel");
    if (!control)
        return;
    const bool valid = index >= 0 && index < static_cast<int>(control->entries.size());
    // An index out of range clears the selection (and a combo box's edit field), as on Windows.
    control->selection = valid ? index : -1;
    if (control->kind == ControlKind::kComboBox) {
        control->text = valid ? control->entries[static_cast<size_t>(index)].text : CString();
    }
}

void TestDialogWindow::SetSpinRange(int id, int lowest, int highest) {
    TestControl* control = Find(id, "SetSpinRange");
    if (!control)
        return;
    control->spinLowest = lowest;
    control->spinHighest = highest;
}

void TestDialogWindow::SetSpinPos(int id, int position) {
    TestControl* control = Find(id, "SetSpinPos");
    if (!control)
        return;
    const int lowest = std::min(control->spinLowest, control->spinHighest);
    const int highest = std::max(control->spinLowest, control->spinHighest);
    control->spinPos = std::min(std::max(position, lowest), highest);
    WriteBuddy(*control);  // Windows shows the new position in the buddy, without notifying
}

void TestDialogWindow::SetSpinBase(int id, int base) {
    TestControl* control = Find(id, "SetSpinBase");
    if (control && (base == 10 || base == 16))
        control->spinBase = base;
}

void TestDialogWindow::EndDialog(int result) {
    m_bEnded = TRUE;
    m_result = result;
}

void TestDialogWindow::AppendSystemMenuSeparator() {
    if (!m_bHasSystemMenu) {
        m_backend.RecordFailure("AppendSystemMenuSeparator: the dialog has no system menu");
        return;
    }
    m_systemMenu.push_back({0, "", TRUE});
}

void TestDialogWindow::AppendSystemMenuItem(UINT commandId, LPCSTR text) {
    if (!m_bHasSystemMenu) {
        m_backend.RecordFailure("AppendSystemMenuItem: the dialog has no system menu");
        return;
    }
    m_systemMenu.push_back({commandId, CString(text), FALSE});
}

void TestDialogWindow::SetCommandKey(UINT virtualKey, UINT commandId) {
    m_commandKeys[virtualKey] = commandId;
}

void TestDialogWindow::SetIcon(HICON icon, BOOL big) {
    m_iconsSet.push_back({icon, big});
}

void TestDialogWindow::DefaultSysCommand(UINT commandId, std::intptr_t parameter) {
    (void)parameter;
    m_defaultSysCommands.push_back(commandId);
    switch (commandId & 0xFFF0) {
        case SC_CLOSE:
            // A dialog's close box cancels it, unless its Cancel button is disabled.
            for (const TestControl& control : m_controls) {
                if (control.id == IDCANCEL && !control.enabled)
                    return;
            }
            Notify(IDCANCEL, BN_CLICKED);
            break;
        case SC_MINIMIZE:
            m_bIconic = TRUE;
            break;
        case SC_RESTORE:
            m_bIconic = FALSE;
            break;
        default:
            break;
    }
}

void TestDialogWindow::BeginPaint() {
    if (m_bPainting)
        m_backend.RecordFailure("BeginPaint while already painting");
    m_bPainting = TRUE;
    ++m_paintLog.begun;
}

void TestDialogWindow::EraseIconBackground() {
    if (!m_bPainting)
        m_backend.RecordFailure("EraseIconBackground outside BeginPaint/EndPaint");
    ++m_paintLog.backgroundsErased;
}

void TestDialogWindow::DrawIcon(int x, int y, HICON icon) {
    if (!m_bPainting)
        m_backend.RecordFailure("DrawIcon outside BeginPaint/EndPaint");
    m_paintLog.icons.push_back({x, y, icon});
}

void TestDialogWindow::EndPaint() {
    if (!m_bPainting)
        m_backend.RecordFailure("EndPaint without BeginPaint");
    m_bPainting = FALSE;
    ++m_paintLog.ended;
}

void TestDialogWindow::DefaultPaint() {
    ++m_paintLog.defaultPaints;
}

void* TestDialogWindow::NativeHandle(int id) const {
    (void)id;
    return nullptr;
}
