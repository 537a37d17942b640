#include "framework/term/TermDialogWindow.h"

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/WindowStyles.h"
#include "framework/term/TermMouse.h"
#include "framework/term/TermPictureWidget.h"
#include "framework/term/TermText.h"

using finalcut::FKey;
using finalcut::FPoint;
using finalcut::FSize;

namespace {

constexpr UINT kInitComboString = 0x403;  // DLGINIT: a combo box string
constexpr UINT kInitListString = 0x401;   // DLGINIT: a list box string

bool IsButton(ControlKind kind) {
    return kind == ControlKind::kPushButton || kind == ControlKind::kDefPushButton;
}

// The widgets report to their dialog what FINAL CUT does not tell through signals: right clicks
// (context help) and the mouse position (help popups appear at the mouse).
template <class Widget>
class Reporting : public Widget {
public:
    Reporting(TermDialogWindow& owner, int index)
        : Widget(&owner), m_owner(owner), m_index(index) {}

    void onMouseDown(finalcut::FMouseEvent* event) override {
        m_owner.MouseSeen(event->getTermPos());
        if (event->getButton() == finalcut::MouseButton::Right) {
            m_owner.ControlRightClicked(m_index, event->getTermPos());
            return;
        }
        Widget::onMouseDown(event);
    }

protected:
    TermDialogWindow& m_owner;
    int m_index;
};

// Enter belongs to the dialog (the default button), not to the control: these controls let it
// pass on to their dialog.
template <class Widget>
class PassesEnter : public Reporting<Widget> {
public:
    using Reporting<Widget>::Reporting;
    void onKeyPress(finalcut::FKeyEvent* event) override {
        if (finalcut::isEnterKey(event->key()))
            return;  // not accepted: the dialog gets it
        Widget::onKeyPress(event);
    }
};

// A drop-down combo box: Escape and Enter belong to the dialog unless the list is open.
class ComboWidget final : public Reporting<finalcut::FComboBox> {
public:
    using Reporting::Reporting;
    void onKeyPress(finalcut::FKeyEvent* event) override {
        const FKey key = event->key();
        if ((finalcut::isEnterKey(key) || finalcut::isEscapeKey(key)) && !IsDroppedDown())
            return;  // not accepted: the dialog gets it
        FComboBox::onKeyPress(event);
    }

private:
    bool IsDroppedDown() const {
        for (auto* child : getChildren()) {
            if (auto* dropDown = dynamic_cast<finalcut::FDropDownListBox*>(child))
                return dropDown->isShown();
        }
        return false;
    }
};

class EditWidget final : public Reporting<finalcut::FLineEdit> {
public:
    using Reporting::Reporting;
    bool hasUpDown = false;
    void onKeyPress(finalcut::FKeyEvent* event) override {
        const FKey key = event->key();
        if (finalcut::isEnterKey(key))
            return;
        if (hasUpDown && (key == FKey::Up || key == FKey::Down)) {
            m_owner.SpinStep(m_index, key == FKey::Up ? +1 : -1);
            event->accept();
            return;
        }
        FLineEdit::onKeyPress(event);
    }
};

// The up-down control beside the channel edit: "▲" steps up, "▼" down.
class UpDownWidget final : public finalcut::FWidget {
public:
    UpDownWidget(TermDialogWindow& owner, int index)
        : FWidget(&owner), m_owner(owner), m_index(index) {
        unsetFocusable();
    }
    void onMouseDown(finalcut::FMouseEvent* event) override {
        m_owner.MouseSeen(event->getTermPos());
        if (event->getButton() == finalcut::MouseButton::Right) {
            m_owner.ControlRightClicked(m_index, event->getTermPos());
            return;
        }
        if (event->getButton() == finalcut::MouseButton::Left && isEnabled())
            m_owner.SpinStep(m_index, event->getX() <= 1 ? +1 : -1);
    }

private:
    void draw() override {
        const auto& colors = getColorTheme();
        if (isEnabled())
            setColor(colors->button_active_fg, colors->button_active_bg);
        else
            setColor(colors->button_inactive_fg, colors->button_inactive_bg);
        print() << FPoint{1, 1} << L"\u25b2\u25bc";
    }

    TermDialogWindow& m_owner;
    int m_index;
};

// Statics don't take the mouse on Windows: a right click on them is a click on the dialog.
class StaticWidget final : public finalcut::FLabel {
public:
    StaticWidget(TermDialogWindow& owner) : FLabel(&owner), m_owner(owner) {}
    void onMouseDown(finalcut::FMouseEvent* event) override {
        m_owner.MouseSeen(event->getTermPos());
        if (event->getButton() == finalcut::MouseButton::Right)
            m_owner.ControlRightClicked(-1, event->getTermPos());
    }

private:
    TermDialogWindow& m_owner;
};

// The list of a combo box: FINAL CUT keeps it in a child window of the combo.
finalcut::FListBox* ComboList(finalcut::FComboBox* combo) {
    for (auto* child : combo->getChildren()) {
        if (auto* dropDown = dynamic_cast<finalcut::FDropDownListBox*>(child)) {
            for (auto* inner : dropDown->getChildren()) {
                if (auto* list = dynamic_cast<finalcut::FListBox*>(inner))
                    return list;
            }
        }
    }
    return nullptr;
}

// Sorted list boxes order their entries as Windows does, without regard to case.
bool SortsBefore(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

}  // namespace

TermDialogWindow::TermDialogWindow(finalcut::FWidget* parent, const DialogTemplate& dialogTemplate,
                                   const DialogLayout& layout, CDialog& dialog,
                                   const CellPicture* iconPicture)
    : FDialog(parent), m_dialog(dialog), m_template(dialogTemplate), m_iconPicture(iconPicture) {
    setText(ToWidgetText(dialogTemplate.title ? dialogTemplate.title : ""));
    setResizeable(false);
    if (!(dialogTemplate.style & WS_SYSMENU))
        setTitlebarButtonVisibility(false);
    CreateControls(dialogTemplate);
    ApplyLayout(layout);
    ApplyInitData(dialogTemplate);
}

void TermDialogWindow::ApplyLayout(const DialogLayout& layout) {
    m_applyingLayout = true;
    m_layoutColumns = static_cast<int>(getDesktopWidth());
    m_layoutRows = static_cast<int>(getDesktopHeight());
    setBorder(layout.framed);
    const int width = layout.OuterWidth();
    const int height = layout.OuterHeight();
    // Centred, as the templates' centre styles and the system's placement of a modal dialog over
    // its owner come to in a terminal.
    setGeometry(FPoint{1 + std::max(0, (m_layoutColumns - width) / 2),
                       1 + std::max(0, (m_layoutRows - height) / 2)},
                FSize{static_cast<std::size_t>(width), static_cast<std::size_t>(height)}, false);
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        finalcut::FWidget* widget = m_controls[i].widget;
        if (!widget)
            continue;
        const CellRect& cell = layout.controls[i];
        widget->setGeometry(FPoint{cell.x + 1, cell.y + 1},
                            FSize{static_cast<std::size_t>(std::max(cell.width, 1)),
                                  static_cast<std::size_t>(std::max(cell.height, 1))},
                            false);
        if (m_controls[i].kind == ControlKind::kStaticText) {
            // Wrapped for the width it now has.
            const bool noPrefix = (m_controls[i].style & SS_NOPREFIX) != 0;
            if (m_controls[i].textSet) {
                SetStaticText(m_controls[i]);
            } else {
                static_cast<finalcut::FLabel*>(widget)->setText(ToWidgetText(
                    noPrefix ? layout.captions[i] : CaptionWithoutMnemonic(layout.captions[i])));
            }
        }
    }
    m_applyingLayout = false;
}

void TermDialogWindow::adjustSize() {
    // A resized terminal gets the layout for its new size, when the dialog fits it.
    const int columns = static_cast<int>(getDesktopWidth());
    const int rows = static_cast<int>(getDesktopHeight());
    if (!m_applyingLayout && (columns != m_layoutColumns || rows != m_layoutRows)) {
        const DialogLayout layout = LayOutDialog(m_template, columns, rows);
        if (layout.fits) {
            ApplyLayout(layout);
            redraw();
        }
    }
    FDialog::adjustSize();
}

TermDialogWindow::~TermDialogWindow() = default;

void TermDialogWindow::CreateControls(const DialogTemplate& dialogTemplate) {
    m_controls.resize(dialogTemplate.controlCount);
    for (int i = 0; i < dialogTemplate.controlCount; ++i) {
        const ControlTemplate& source = dialogTemplate.controls[i];
        Control& control = m_controls[i];
        control.id = source.id;
        control.kind = source.kind;
        control.style = source.style;
        const std::string caption = source.text ? source.text : "";
        const bool noPrefix =
            source.kind == ControlKind::kStaticText && (source.style & SS_NOPREFIX);
        control.mnemonic = noPrefix ? '\0' : MnemonicOf(caption);
        finalcut::FWidget* widget = nullptr;
        switch (source.kind) {
            case ControlKind::kPushButton:
            case ControlKind::kDefPushButton: {
                auto* button = new Reporting<finalcut::FButton>(*this, i);
                button->setText(ToWidgetText(caption));
                button->setShadow(false);
                button->addCallback("clicked", [this, i] { ControlClicked(i); });
                if (source.kind == ControlKind::kDefPushButton && m_defaultButton < 0)
                    m_defaultButton = i;
                widget = button;
                break;
            }
            case ControlKind::kAutoCheckBox: {
                auto* box = new PassesEnter<finalcut::FCheckBox>(*this, i);
                box->setText(ToWidgetText(caption));
                // "clicked" comes only from the user (a click, Space); "toggled" also from
                // setChecked.
                box->addCallback("clicked", [this, i] { ControlClicked(i); });
                widget = box;
                break;
            }
            case ControlKind::kEdit: {
                auto* edit = new EditWidget(*this, i);
                edit->unsetShadow();
                if (source.style & ES_NUMBER)
                    edit->setInputFilter("[0-9]");
                // "changed" comes only from the user's typing, never from setText.
                edit->addCallback("changed", [this, i] { Notify(m_controls[i].id, EN_UPDATE); });
                widget = edit;
                break;
            }
            case ControlKind::kComboBox: {
                auto* combo = new ComboWidget(*this, i);
                combo->unsetShadow();
                combo->setEditable((source.style & CBS_DROPDOWNLIST) != CBS_DROPDOWNLIST);
                // FINAL CUT also emits "row-changed" for setCurrentItem: only the user's choice
                // counts.
                combo->addCallback("row-changed", [this, i] {
                    if (m_programWrites > 0)
                        return;
                    Control& changed = m_controls[i];
                    auto* comboBox = static_cast<finalcut::FComboBox*>(changed.widget);
                    finalcut::FListBox* list = ComboList(comboBox);
                    changed.selection = list ? static_cast<int>(list->currentItem()) - 1 : -1;
                    Notify(changed.id, CBN_SELCHANGE);
                });
                widget = combo;
                break;
            }
            case ControlKind::kListBox: {
                auto* list = new PassesEnter<finalcut::FListBox>(*this, i);
                // The user's moves in the list select; "row-changed" comes for the program's
                // setCurrentItem too, which RefillList and ShowSelection make quietly.
                list->addCallback("row-changed", [this, i] {
                    if (m_programWrites > 0)
                        return;
                    Control& changed = m_controls[i];
                    auto* listBox = static_cast<finalcut::FListBox*>(changed.widget);
                    changed.selection = static_cast<int>(listBox->currentItem()) - 1;
                    if (changed.style & LBS_NOTIFY)
                        Notify(changed.id, LBN_SELCHANGE);
                });
                widget = list;
                break;
            }
            case ControlKind::kUpDown: {
                widget = new UpDownWidget(*this, i);
                control.buddy = i - 1;  // the previous control, as the auto-buddy style takes it
                if (i > 0 && m_controls[i - 1].kind == ControlKind::kEdit) {
                    m_controls[i - 1].upDown = i;
                    static_cast<EditWidget*>(m_controls[i - 1].widget)->hasUpDown = true;
                }
                break;
            }
            case ControlKind::kStaticText: {
                widget = new StaticWidget(*this);  // its text comes with the layout
                break;
            }
            case ControlKind::kStaticIcon:
                // The program's icon as a picture in cells, where it has one.
                if (m_iconPicture)
                    widget = new TermPictureWidget(this, *m_iconPicture);
                break;
        }
        control.widget = widget;
        if (!widget)
            continue;
        // The dialog handles mnemonics itself, with the Windows rules for shared letters.
        widget->delAccelerator();
        if (source.style & WS_DISABLED)
            widget->setDisable();
        if (source.id == ID_HELP && !AfxHelpEnabled())
            widget->hide();
    }
}

void TermDialogWindow::ApplyInitData(const DialogTemplate& dialogTemplate) {
    for (int i = 0; i < dialogTemplate.initDataCount; ++i) {
        const InitDataEntry& entry = dialogTemplate.initData[i];
        if (entry.message == kInitComboString || entry.message == kInitListString)
            AddString(entry.controlId, entry.text ? entry.text : "");
    }
}

std::intptr_t TermDialogWindow::Run() {
    const BOOL focusFirst = m_dialog.HandleInitDialog(*this);
    m_initialised = true;
    if (!m_ended) {
        if (focusFirst)
            FocusFirstControl();
        setModal();
        exec();
        if (!m_ended) {
            // The toolkit closed the window by a path of its own: that is the Cancel command.
            Notify(IDCANCEL, BN_CLICKED);
            if (!m_ended) {
                m_ended = true;
                m_result = IDCANCEL;
            }
        }
    }
    m_dialog.HandleDestroy();
    return m_result;
}

// --- IDialogWindow --------------------------------------------------------------------------

const TermDialogWindow::Control* TermDialogWindow::Find(int id) const {
    for (const Control& control : m_controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

TermDialogWindow::Control* TermDialogWindow::Find(int id) {
    return const_cast<Control*>(static_cast<const TermDialogWindow*>(this)->Find(id));
}

namespace {
template <class Widget>
CString TextOf(finalcut::FWidget* widget) {
    return FromWidgetText(static_cast<Widget*>(widget)->getText()).c_str();
}
}  // namespace

CString TermDialogWindow::GetText(int id) const {
    if (id == 0)
        return FromWidgetText(getText()).c_str();
    const Control* control = Find(id);
    if (!control || !control->widget)
        return CString();
    switch (control->kind) {
        case ControlKind::kEdit:
            return TextOf<finalcut::FLineEdit>(control->widget);
        case ControlKind::kComboBox:
            return TextOf<finalcut::FComboBox>(control->widget);
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
            return TextOf<finalcut::FButton>(control->widget);
        case ControlKind::kAutoCheckBox:
            return TextOf<finalcut::FCheckBox>(control->widget);
        case ControlKind::kStaticText:
            // The text as set, not as wrapped for the screen.
            return control->textSet ? CString(control->text.c_str())
                                    : TextOf<finalcut::FLabel>(control->widget);
        default:
            return CString();
    }
}

void TermDialogWindow::SetStaticText(Control& control) {
    // Wrapped for the label's width, as the template's texts are.
    std::string wrapped;
    const int width = static_cast<int>(std::max<std::size_t>(control.widget->getWidth(), 1));
    std::vector<std::string> lines = WrapText(control.text, width);
    // The label draws only the rows and columns its text has: a shorter text than the one before
    // would leave the old one's end on the screen, so every row of the label is written whole.
    const std::size_t rows = std::max<std::size_t>(control.widget->getHeight(), 1);
    if (lines.size() < rows)
        lines.resize(rows);
    for (std::string& line : lines) {
        if (line.size() < static_cast<std::size_t>(width))
            line.append(static_cast<std::size_t>(width) - line.size(), ' ');
        wrapped += (wrapped.empty() ? "" : "\n") + line;
    }
    static_cast<finalcut::FLabel*>(control.widget)->setText(ToWidgetText(wrapped));
}

void TermDialogWindow::SetText(int id, LPCSTR text) {
    if (id == 0) {
        setText(ToWidgetText(text ? text : ""));
        redraw();
        return;
    }
    Control* control = Find(id);
    if (!control || !control->widget)
        return;
    const finalcut::FString value = ToWidgetText(text ? text : "");
    ++m_programWrites;
    switch (control->kind) {
        case ControlKind::kEdit:
            static_cast<finalcut::FLineEdit*>(control->widget)->setText(value);
            break;
        case ControlKind::kComboBox:
            static_cast<finalcut::FComboBox*>(control->widget)->setText(value);
            break;
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
            static_cast<finalcut::FButton*>(control->widget)->setText(value);
            break;
        case ControlKind::kAutoCheckBox:
            static_cast<finalcut::FCheckBox*>(control->widget)->setText(value);
            break;
        case ControlKind::kStaticText:
            control->textSet = true;
            control->text = text ? text : "";
            SetStaticText(*control);
            break;
        default:
            break;
    }
    --m_programWrites;
    if (IsButton(control->kind) || control->kind == ControlKind::kAutoCheckBox) {
        // A new caption brings a new mnemonic, which the dialog handles, not FINAL CUT.
        control->widget->delAccelerator();
        control->mnemonic = MnemonicOf(text ? text : "");
    }
    control->widget->redraw();
}

int TermDialogWindow::GetCheck(int id) const {
    const Control* control = Find(id);
    if (!control || control->kind != ControlKind::kAutoCheckBox || !control->widget)
        return 0;
    return static_cast<finalcut::FCheckBox*>(control->widget)->isChecked() ? 1 : 0;
}

void TermDialogWindow::SetCheck(int id, int state) {
    Control* control = Find(id);
    if (!control || control->kind != ControlKind::kAutoCheckBox || !control->widget)
        return;
    ++m_programWrites;
    static_cast<finalcut::FCheckBox*>(control->widget)->setChecked(state != 0);
    --m_programWrites;
    control->widget->redraw();
}

BOOL TermDialogWindow::IsEnabled(int id) const {
    const Control* control = Find(id);
    if (!control || !control->widget)
        return FALSE;
    return control->widget->isEnabled() ? TRUE : FALSE;
}

void TermDialogWindow::Enable(int id, BOOL enable) {
    Control* control = Find(id);
    if (!control || !control->widget)
        return;
    // Disabling the control that has the focus moves the focus on, as Windows leaves no focus
    // on a disabled control.
    if (!enable && control->widget->hasFocus()) {
        const int index = static_cast<int>(control - m_controls.data());
        const int count = static_cast<int>(m_controls.size());
        for (int step = 1; step < count; ++step) {
            const int next = (index + step) % count;
            if (IsFocusable(m_controls[next])) {
                FocusControl(next);
                break;
            }
        }
    }
    control->widget->setEnable(enable != FALSE);
    control->widget->redraw();
}

int TermDialogWindow::AddString(int id, LPCSTR text) {
    Control* control = Find(id);
    if (!control ||
        !(control->kind == ControlKind::kComboBox || control->kind == ControlKind::kListBox))
        return -1;
    const std::string entry = text ? text : "";
    auto position = control->items.end();
    if (control->kind == ControlKind::kListBox && (control->style & LBS_SORT)) {
        position =
            std::upper_bound(control->items.begin(), control->items.end(), entry, SortsBefore);
    }
    const int index = static_cast<int>(position - control->items.begin());
    const bool appended = position == control->items.end();
    control->items.insert(position, entry);
    control->itemData.insert(control->itemData.begin() + index, 0);
    if (control->selection >= index && control->kind == ControlKind::kListBox)
        ++control->selection;
    // Refilling the widget for each entry made a list of n entries cost n squared: an entry
    // at the end goes straight in; only a sorted list's entry in the middle refills it.
    if (appended) {
        AppendToWidget(*control, entry);
    } else {
        RefillList(*control);
    }
    return index;
}

void TermDialogWindow::ResetContent(int id) {
    Control* control = Find(id);
    if (!control ||
        !(control->kind == ControlKind::kComboBox || control->kind == ControlKind::kListBox))
        return;
    control->items.clear();
    control->itemData.clear();
    control->selection = -1;
    RefillList(*control);
    if (control->kind == ControlKind::kComboBox) {
        ++m_programWrites;
        static_cast<finalcut::FComboBox*>(control->widget)->clearText();
        --m_programWrites;
    }
}

int TermDialogWindow::GetCount(int id) const {
    const Control* control = Find(id);
    return control ? static_cast<int>(control->items.size()) : 0;
}

CString TermDialogWindow::GetItemText(int id, int index) const {
    const Control* control = Find(id);
    if (!control || index < 0 || index >= static_cast<int>(control->items.size()))
        return CString();
    return control->items[index].c_str();
}

void TermDialogWindow::SetItemData(int id, int index, std::intptr_t data) {
    Control* control = Find(id);
    if (control && index >= 0 && index < static_cast<int>(control->itemData.size()))
        control->itemData[index] = data;
}

std::intptr_t TermDialogWindow::GetItemData(int id, int index) const {
    const Control* control = Find(id);
    if (!control || index < 0 || index >= static_cast<int>(control->itemData.size()))
        return -1;
    return control->itemData[index];
}

int TermDialogWindow::GetCurSel(int id) const {
    const Control* control = Find(id);
    return control ? control->selection : -1;
}

void TermDialogWindow::SetCurSel(int id, int index) {
    Control* control = Find(id);
    if (!control ||
        !(control->kind == ControlKind::kComboBox || control->kind == ControlKind::kListBox))
        return;
    const bool inRange = index >= 0 && index < static_cast<int>(control->items.size());
    control->selection = inRange ? index : -1;
    ShowSelection(*control);
    if (control->kind == ControlKind::kComboBox) {
        // Like Windows: selecting shows the entry's text; clearing the selection clears the field.
        ++m_programWrites;
        static_cast<finalcut::FComboBox*>(control->widget)
            ->setText(ToWidgetText(inRange ? control->items[index] : std::string()));
        --m_programWrites;
        control->widget->redraw();
    }
}

void TermDialogWindow::SetSpinRange(int id, int lowest, int highest) {
    if (Control* control = Find(id)) {
        control->spinLowest = lowest;
        control->spinHighest = highest;
    }
}

void TermDialogWindow::SetSpinPos(int id, int position) {
    Control* control = Find(id);
    if (!control)
        return;
    const int lowest = std::min(control->spinLowest, control->spinHighest);
    const int highest = std::max(control->spinLowest, control->spinHighest);
    control->spinPosition = std::clamp(position, lowest, highest);
    WriteBuddy(*control);  // as on Windows: the buddy shows the position, without a notification
}

void TermDialogWindow::WriteBuddy(const Control& upDown) {
    if (upDown.buddy < 0 || !(upDown.style & UDS_SETBUDDYINT))
        return;
    SetText(m_controls[upDown.buddy].id,
            CSpinButtonCtrl::FormatPosition(upDown.spinPosition, upDown.spinBase,
                                            !(upDown.style & UDS_NOTHOUSANDS)));
}

void TermDialogWindow::SetSpinBase(int id, int base) {
    if (Control* control = Find(id))
        control->spinBase = base == 16 ? 16 : 10;
}

void TermDialogWindow::EndDialog(int result) {
    if (m_ended)
        return;
    m_ended = true;
    m_result = result;
    if (isShown())
        done(ResultCode::Accept);  // leaves the modal loop
}

BOOL TermDialogWindow::HasSystemMenu() const {
    return SystemMenu() != nullptr ? TRUE : FALSE;
}

finalcut::FMenu* TermDialogWindow::SystemMenu() const {
    // The title bar's menu is the dialog's one FMenu child.
    for (auto* child : getChildren()) {
        if (auto* menu = dynamic_cast<finalcut::FMenu*>(child))
            return menu;
    }
    return nullptr;
}

void TermDialogWindow::AppendSystemMenuSeparator() {
    if (finalcut::FMenu* menu = SystemMenu()) {
        auto* separator = new finalcut::FMenuItem(menu);
        separator->setSeparator();
    }
}

void TermDialogWindow::AppendSystemMenuItem(UINT commandId, LPCSTR text) {
    finalcut::FMenu* menu = SystemMenu();
    if (!menu)
        return;
    // The key after a tab, as a Windows menu shows it, stands two blanks after the text.
    std::string caption = text ? text : "";
    const std::size_t tab = caption.find('\t');
    if (tab != std::string::npos)
        caption.replace(tab, 1, "  ");
    auto* item = new finalcut::FMenuItem(ToWidgetText(caption), menu);
    item->addCallback("clicked", [this, commandId] {
        if (m_initialised && !m_ended)
            m_dialog.HandleSysCommand(commandId, 0);
    });
}

void TermDialogWindow::SetCommandKey(UINT virtualKey, UINT commandId) {
    static const FKey kFunctionKeys[] = {FKey::F1, FKey::F2,  FKey::F3,  FKey::F4,
                                         FKey::F5, FKey::F6,  FKey::F7,  FKey::F8,
                                         FKey::F9, FKey::F10, FKey::F11, FKey::F12};
    if (virtualKey < VK_F1 || virtualKey > VK_F12)
        return;
    m_commandKeys.emplace_back(kFunctionKeys[virtualKey - VK_F1], commandId);
}

void TermDialogWindow::SetIcon(HICON icon, BOOL big) {
    (void)icon;  // a terminal window has no icon
    (void)big;
}

void TermDialogWindow::DefaultSysCommand(UINT commandId, std::intptr_t parameter) {
    (void)parameter;
    // Of the system's own commands only Close means something here; moving and minimising are
    // the toolkit's own title-bar functions.
    if ((commandId & 0xFFF0) == SC_CLOSE)
        Notify(IDCANCEL, BN_CLICKED);
}

BOOL TermDialogWindow::IsIconic() const {
    return FALSE;  // a modal dialog in the terminal is never minimised
}

CSize TermDialogWindow::GetClientSize() const {
    CSize size;
    size.cx = static_cast<int>(getClientWidth());
    size.cy = static_cast<int>(getClientHeight());
    return size;
}

CSize TermDialogWindow::GetIconSize() const {
    CSize size;
    size.cx = 2;
    size.cy = 1;
    return size;
}

// The minimised window's custom painting: never needed, since the window is never minimised.
void TermDialogWindow::BeginPaint() {}
void TermDialogWindow::EraseIconBackground() {}
void TermDialogWindow::DrawIcon(int x, int y, HICON icon) {
    (void)x;
    (void)y;
    (void)icon;
}
void TermDialogWindow::EndPaint() {}
void TermDialogWindow::DefaultPaint() {}

void* TermDialogWindow::NativeHandle(int id) const {
    (void)id;
    return nullptr;
}

// --- Widgets to the program -------------------------------------------------------------------

void TermDialogWindow::Notify(int id, int code) {
    if (m_programWrites > 0 || !m_initialised || m_ended)
        return;
    m_dialog.HandleCommand(id, code);
}

void TermDialogWindow::ControlClicked(int index) {
    Notify(m_controls[index].id, BN_CLICKED);
}

void TermDialogWindow::ControlRightClicked(int index, const FPoint& termPosition) {
    if (!m_initialised || m_ended)
        return;
    const int id = index >= 0 ? m_controls[index].id : 0;
    CPoint position;
    position.x = termPosition.getX() - 1;
    position.y = termPosition.getY() - 1;
    m_dialog.HandleContextMenu(id < 0 ? 0 : id, position);
}

void TermDialogWindow::MouseSeen(const FPoint& termPosition) {
    RememberMousePosition(termPosition.getX() - 1, termPosition.getY() - 1);
}

void TermDialogWindow::SpinStep(int index, int direction) {
    Control& control = m_controls[index];
    const int upDownIndex = control.kind == ControlKind::kUpDown ? index : control.upDown;
    if (upDownIndex < 0)
        return;
    Control& upDown = m_controls[upDownIndex];
    if (!upDown.widget || !upDown.widget->isEnabled() || upDown.buddy < 0)
        return;
    Control& buddy = m_controls[upDown.buddy];
    // The position is read back from the buddy's text first, as the buddy-integer style does, so
    // a number typed by the user is where the step starts.
    const CString before = GetText(buddy.id);
    int position = upDown.spinPosition;
    if (!CSpinButtonCtrl::ParsePosition(before, upDown.spinBase, position))
        position = upDown.spinPosition;
    const int lowest = std::min(upDown.spinLowest, upDown.spinHighest);
    const int highest = std::max(upDown.spinLowest, upDown.spinHighest);
    // "Up" moves toward the range's upper end, whichever way round the range was given.
    const int step = upDown.spinHighest >= upDown.spinLowest ? direction : -direction;
    position += step;
    if (position < lowest || position > highest) {
        if (upDown.style & UDS_WRAP)
            position = position < lowest ? highest : lowest;
        else
            position = std::clamp(position, lowest, highest);
    }
    upDown.spinPosition = position;
    WriteBuddy(upDown);
    // The buddy's text changed by the user's doing: its update notification follows.
    if (GetText(buddy.id) != before)
        Notify(buddy.id, EN_UPDATE);
}

void TermDialogWindow::EnterPressed() {
    const int focused = FocusedIndex();
    if (focused >= 0 && IsButton(m_controls[focused].kind)) {
        ClickControl(focused);
        return;
    }
    if (m_defaultButton >= 0) {
        const Control& button = m_controls[m_defaultButton];
        if (button.widget && button.widget->isEnabled() && !button.widget->isHidden())
            Notify(button.id, BN_CLICKED);
        return;
    }
    Notify(IDOK, BN_CLICKED);
}

// --- Keyboard and mouse -----------------------------------------------------------------------

void TermDialogWindow::onKeyPress(finalcut::FKeyEvent* event) {
    const FKey key = event->key();
    const auto code = static_cast<std::uint32_t>(key);
    const auto metaOffset = static_cast<std::uint32_t>(FKey::Meta_offset);
    if (finalcut::isEscapeKey(key)) {
        event->accept();
        Notify(IDCANCEL, BN_CLICKED);
        return;
    }
    if (finalcut::isEnterKey(key)) {
        event->accept();
        EnterPressed();
        return;
    }
    if (key == FKey::F1) {
        event->accept();
        const int focused = FocusedIndex();
        HelpRequest request;
        request.contextType = HELPINFO_WINDOW;
        request.controlId = focused >= 0 ? std::max(0, m_controls[focused].id) : 0;
        request.mousePos = HelpPosition(focused);
        if (m_initialised && !m_ended)
            m_dialog.HandleHelp(request);
        return;
    }
    for (const auto& binding : m_commandKeys) {
        if (key == binding.first) {
            event->accept();
            if (m_initialised && !m_ended)
                m_dialog.HandleSysCommand(binding.second, 0);
            return;
        }
    }
    if (key == FKey::F22 || key == FKey::Menu) {
        event->accept();
        const int focused = FocusedIndex();
        CPoint position;
        position.x = -1;
        position.y = -1;
        if (m_initialised && !m_ended)
            m_dialog.HandleContextMenu(focused >= 0 ? std::max(0, m_controls[focused].id) : 0,
                                       position);
        return;
    }
    if (code == metaOffset + ' ') {
        // Alt+Space: the system menu, which FINAL CUT opens for its dialog-menu key.
        finalcut::FKeyEvent menuKey(finalcut::Event::KeyPress, FKey::Ctrl_caret);
        FDialog::onKeyPress(&menuKey);
        event->accept();
        return;
    }
    char letter = '\0';
    if (code > metaOffset + ' ' && code < metaOffset + 0x7F) {
        letter = static_cast<char>(code - metaOffset);
    } else if (code > ' ' && code < 0x7F) {
        // A letter alone is a mnemonic while a button or check box has the focus.
        const int focused = FocusedIndex();
        if (focused >= 0 && (IsButton(m_controls[focused].kind) ||
                             m_controls[focused].kind == ControlKind::kAutoCheckBox))
            letter = static_cast<char>(code);
    }
    if (letter != '\0') {
        letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
        if (HandleMnemonic(letter)) {
            event->accept();
            return;
        }
    }
    FDialog::onKeyPress(event);
}

void TermDialogWindow::onMouseDown(finalcut::FMouseEvent* event) {
    MouseSeen(event->getTermPos());
    if (event->getButton() == finalcut::MouseButton::Right && event->getY() > 1) {
        ControlRightClicked(-1, event->getTermPos());  // the dialog itself: id 0
        return;
    }
    FDialog::onMouseDown(event);
}

void TermDialogWindow::onClose(finalcut::FCloseEvent* event) {
    // The title bar menu's Close item: the system's close command, which the program may handle.
    event->ignore();
    if (m_initialised && !m_ended)
        m_dialog.HandleSysCommand(SC_CLOSE, 0);
}

void TermDialogWindow::draw() {
    FDialog::draw();
    // The program's paint handler runs on every repaint, as WM_PAINT does.
    if (m_initialised && !m_ended)
        m_dialog.HandlePaint();
}

bool TermDialogWindow::HandleMnemonic(char letter) {
    const int count = static_cast<int>(m_controls.size());
    auto reachable = [](const Control& control) {
        return control.widget && !control.widget->isHidden() && control.widget->isEnabled();
    };
    int matches = 0;
    for (const Control& control : m_controls) {
        if (control.mnemonic == letter && reachable(control))
            ++matches;
    }
    if (matches == 0)
        return false;
    const int focused = FocusedIndex();
    for (int step = 1; step <= count; ++step) {
        const int index = (std::max(focused, -1) + step + count) % count;
        const Control& control = m_controls[index];
        if (control.mnemonic != letter || !reachable(control))
            continue;
        if (control.kind == ControlKind::kStaticText) {
            // A label's mnemonic goes to the control after it.
            for (int next = index + 1; next < count; ++next) {
                if (IsFocusable(m_controls[next])) {
                    FocusControl(next);
                    break;
                }
            }
        } else if (matches == 1 &&
                   (IsButton(control.kind) || control.kind == ControlKind::kAutoCheckBox)) {
            ClickControl(index);
        } else {
            FocusControl(index);
        }
        return true;
    }
    return false;
}

void TermDialogWindow::ClickControl(int index) {
    Control& control = m_controls[index];
    if (!control.widget || !control.widget->isEnabled())
        return;
    FocusControl(index);
    if (control.kind == ControlKind::kAutoCheckBox) {
        auto* box = static_cast<finalcut::FCheckBox*>(control.widget);
        box->setChecked(!box->isChecked());
        box->redraw();
    }
    Notify(control.id, BN_CLICKED);
}

bool TermDialogWindow::IsFocusable(const Control& control) const {
    if (!control.widget || control.widget->isHidden() || !control.widget->isEnabled())
        return false;
    return control.kind != ControlKind::kStaticText && control.kind != ControlKind::kUpDown &&
           control.kind != ControlKind::kStaticIcon;
}

void TermDialogWindow::FocusControl(int index) {
    finalcut::FWidget* widget = m_controls[index].widget;
    if (!widget || widget->hasFocus())
        return;
    finalcut::FWidget* previous = getFocusWidget();
    widget->setFocus();
    if (previous && previous != widget)
        previous->redraw();
    widget->redraw();
}

void TermDialogWindow::FocusFirstControl() {
    for (int i = 0; i < static_cast<int>(m_controls.size()); ++i) {
        if (IsFocusable(m_controls[i])) {
            FocusControl(i);
            return;
        }
    }
}

int TermDialogWindow::IndexOf(const finalcut::FWidget* widget) const {
    for (; widget; widget = widget->getParentWidget()) {
        for (int i = 0; i < static_cast<int>(m_controls.size()); ++i) {
            if (m_controls[i].widget == widget)
                return i;
        }
        if (widget == this)
            break;
    }
    return -1;
}

int TermDialogWindow::FocusedIndex() const {
    return IndexOf(getFocusWidget());
}

void TermDialogWindow::RefillList(Control& control) {
    ++m_programWrites;
    if (control.kind == ControlKind::kComboBox) {
        auto* combo = static_cast<finalcut::FComboBox*>(control.widget);
        const finalcut::FString text = combo->getText();
        combo->clear();
        for (const std::string& item : control.items)
            combo->insert(ToWidgetText(item));
        combo->setText(text);  // the edit field keeps its text
    } else if (control.kind == ControlKind::kListBox) {
        auto* list = static_cast<finalcut::FListBox*>(control.widget);
        list->clear();
        for (const std::string& item : control.items)
            list->insert(ToWidgetText(item));
    }
    --m_programWrites;
    ShowSelection(control);
    control.widget->redraw();
}

void TermDialogWindow::AppendToWidget(Control& control, const std::string& item) {
    ++m_programWrites;
    bool shown = true;
    if (control.kind == ControlKind::kComboBox) {
        auto* combo = static_cast<finalcut::FComboBox*>(control.widget);
        const finalcut::FString text = combo->getText();
        // As an item: the toolkit's insert of a text would copy it through a string stream.
        combo->insert(finalcut::FListBoxItem{ToWidgetText(item)});
        combo->setText(text);
        // A closed combo box shows its edit field only, which an entry doesn't change.
        const finalcut::FListBox* list = ComboList(combo);
        shown = list && list->getParentWidget() && list->getParentWidget()->isShown();
    } else if (control.kind == ControlKind::kListBox) {
        static_cast<finalcut::FListBox*>(control.widget)
            ->insert(finalcut::FListBoxItem{ToWidgetText(item)});
    }
    --m_programWrites;
    // An entry at the end moves no selection; only the first one gets the widget a current entry
    // of its own, which the selection then overrides.
    if (control.items.size() == 1)
        ShowSelection(control);
    if (shown)
        control.widget->redraw();
}

void TermDialogWindow::ShowSelection(Control& control) {
    if (control.selection < 0 || control.selection >= static_cast<int>(control.items.size()))
        return;
    ++m_programWrites;
    const auto item = static_cast<std::size_t>(control.selection + 1);  // FINAL CUT counts from 1
    if (control.kind == ControlKind::kComboBox) {
        auto* combo = static_cast<finalcut::FComboBox*>(control.widget);
        const finalcut::FString text = combo->getText();
        combo->setCurrentItem(item);
        combo->setText(text);
    } else if (control.kind == ControlKind::kListBox) {
        static_cast<finalcut::FListBox*>(control.widget)->setCurrentItem(item);
    }
    --m_programWrites;
}

CPoint TermDialogWindow::ControlAnchor(int id) const {
    for (int i = 0; i < static_cast<int>(m_controls.size()); ++i) {
        if (m_controls[i].id == id && m_controls[i].widget) {
            const finalcut::FWidget* widget = m_controls[i].widget;
            CPoint point;
            point.x = widget->getTermX() - 1 + static_cast<int>(widget->getWidth()) / 2;
            point.y = widget->getTermY() - 1 + static_cast<int>(widget->getHeight());
            return point;
        }
    }
    CPoint point;
    point.x = getTermX() - 1 + static_cast<int>(getWidth()) / 2;
    point.y = getTermY();
    return point;
}

CPoint TermDialogWindow::FocusAnchor() const {
    const int focused = FocusedIndex();
    return ControlAnchor(focused >= 0 ? m_controls[focused].id : 0);
}

CPoint TermDialogWindow::HelpPosition(int index) const {
    CPoint position;
    if (LastMousePosition(position.x, position.y))
        return position;
    // No mouse has been seen: the pointer is taken to rest just under the focused control.
    return ControlAnchor(index >= 0 ? m_controls[index].id : 0);
}
