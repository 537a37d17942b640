#include "framework/term/TermBackend.h"

#include <algorithm>
#include <vector>

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/DialogTemplate.h"
#include "framework/term/TermDialogWindow.h"
#include "framework/term/TermFileDialog.h"
#include "framework/term/TermLayout.h"
#include "framework/term/TermMouse.h"
#include "framework/term/TermText.h"

using finalcut::FPoint;
using finalcut::FSize;

namespace {

// A one-line help popup: a framed box without a title that closes with the next key or click.
// It is modal, so a click elsewhere does not reach the dialog under it.
class HelpPopupWindow final : public finalcut::FDialog {
public:
    HelpPopupWindow(finalcut::FWidget* parent, std::vector<std::string> lines)
        : FDialog(parent), m_lines(std::move(lines)) {
        setModal();
        setResizeable(false);
        setTitlebarButtonVisibility(false);
    }

    void onKeyPress(finalcut::FKeyEvent* event) override {
        event->accept();
        done(ResultCode::Accept);
    }
    void onMouseDown(finalcut::FMouseEvent* event) override {
        RememberMousePosition(event->getTermX() - 1, event->getTermY() - 1);
        done(ResultCode::Accept);
    }
    void onMouseUp(finalcut::FMouseEvent*) override {}
    void onMouseMove(finalcut::FMouseEvent*) override {}
    void onMouseDoubleClick(finalcut::FMouseEvent*) override {}

private:
    void draw() override {
        const auto& colors = getColorTheme();
        setColor(colors->tooltip_fg, colors->tooltip_bg);
        clearArea();
        finalcut::drawBorder(this, finalcut::FRect{FPoint{1, 1}, getSize()});
        int row = 3;
        for (const std::string& line : m_lines)
            print() << FPoint{3, row++} << ToWidgetText(line);
    }

    std::vector<std::string> m_lines;
};

// The program's help text in a scrollable window.
class HelpTextWindow final : public finalcut::FDialog {
public:
    HelpTextWindow(finalcut::FWidget* parent, const std::string& title, const std::string& text)
        : FDialog(parent) {
        setText(ToWidgetText(title));
        setModal();
        setResizeable(false);
        const int columns = static_cast<int>(getDesktopWidth());
        const int rows = static_cast<int>(getDesktopHeight());
        const int width = std::min(columns, 78);
        const int height = std::max(8, rows - 2);
        setGeometry(FPoint{1 + (columns - width) / 2, 1 + (rows - height) / 2},
                    FSize{static_cast<std::size_t>(width), static_cast<std::size_t>(height)});
        m_view.setGeometry(FPoint{1, 1}, FSize{static_cast<std::size_t>(width - 2),
                                               static_cast<std::size_t>(height - 5)});
        for (const std::string& line : WrapText(text, width - 6))
            m_view.append(ToWidgetText(line.empty() ? " " : line));  // "" would count twice
        m_close.setText("&Close");
        m_close.setShadow(false);
        m_close.setGeometry(FPoint{(width - 2 - 9) / 2 + 1, height - 3}, FSize{9, 1});
        m_close.addCallback("clicked", [this] { done(ResultCode::Accept); });
        m_close.delAccelerator();
        m_view.setFocus();
    }

    void onKeyPress(finalcut::FKeyEvent* event) override {
        const auto key = event->key();
        if (finalcut::isEnterKey(key) || finalcut::isEscapeKey(key)) {
            event->accept();
            done(ResultCode::Accept);
            return;
        }
        FDialog::onKeyPress(event);
    }

private:
    finalcut::FTextView m_view{this};
    finalcut::FButton m_close{this};
};

// Gives the keyboard back to the dialog underneath once a modal window over it has closed.
// FINAL CUT does this itself for one level, but loses the focus when a window that had a window
// over it closes (an open-file dialog after its "File not found." message).
class FocusKeeper {
public:
    explicit FocusKeeper(finalcut::FWidget* owner)
        : m_window(dynamic_cast<finalcut::FWindow*>(owner)),
          m_focus(finalcut::FWidget::getFocusWidget()) {}
    ~FocusKeeper() {
        if (!m_window)
            return;
        finalcut::FWindow::setActiveWindow(m_window);
        if (m_focus && m_focus->isEnabled())
            m_focus->setFocus();
        m_window->redraw();
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    finalcut::FWindow* m_window;
    finalcut::FWidget* m_focus;
};

std::vector<std::string> PopupLines(const std::string& text, int columns) {
    std::string trimmed = text;
    while (!trimmed.empty() && (trimmed.back() == '\n' || trimmed.back() == '\r'))
        trimmed.pop_back();
    return WrapText(trimmed, std::max(10, std::min(columns - 4, 60)));
}

}  // namespace

TermBackend::TermBackend(finalcut::FApplication& application) : m_application(application) {}

void TermBackend::SetHelpText(const std::string& title, const std::string& text) {
    m_helpTitle = title;
    m_helpText = text;
}

finalcut::FWidget* TermBackend::Parent() const {
    if (!m_openDialogs.empty())
        return m_openDialogs.back();
    return &m_application;
}

std::intptr_t TermBackend::RunModalDialog(CDialog& dialog, UINT templateId) {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(static_cast<int>(templateId));
    if (!dialogTemplate)
        return -1;
    const int columns = static_cast<int>(m_application.getDesktopWidth());
    const int rows = static_cast<int>(m_application.getDesktopHeight());
    const DialogLayout layout = LayOutDialog(*dialogTemplate, columns, rows);
    if (!layout.fits) {
        // The dialog can't be created: tell the user why rather than show clipped controls.
        const std::string message = std::string("The terminal (") + std::to_string(columns) +
                                    " x " + std::to_string(rows) +
                                    ") is too small for the dialog \"" +
                                    (dialogTemplate->title ? dialogTemplate->title : "") +
                                    "\". Enlarge it to at least 80 x 25 and start again.";
        AfxMessageBox(message.c_str(), MB_OK | MB_ICONSTOP);
        return -1;
    }
    FocusKeeper keeper(Parent());
    TermDialogWindow window(Parent(), *dialogTemplate, layout, dialog);
    m_openDialogs.push_back(&window);
    struct Closed {
        std::vector<finalcut::FWidget*>& open;
        ~Closed() { open.pop_back(); }
    } closed{m_openDialogs};
    return window.Run();
}

int TermBackend::ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    using Button = finalcut::FMessageBox::ButtonType;
    const bool withCancel = (type & 0xF) == MB_OKCANCEL;
    FocusKeeper keeper(Parent());
    // A text wider than the terminal is wrapped, as a message box never is wider than the screen.
    std::string wrapped;
    const int room = std::max(20, static_cast<int>(m_application.getDesktopWidth()) - 8);
    for (const std::string& line : WrapText(text ? text : "", room))
        wrapped += (wrapped.empty() ? "" : "\n") + line;
    finalcut::FMessageBox box(ToWidgetText(caption ? caption : ""), ToWidgetText(wrapped),
                              Button::Ok, withCancel ? Button::Cancel : Button::Reject,
                              Button::Reject, Parent());
    // No icons in a terminal: the icon's meaning becomes the headline.
    if ((type & 0xF0) == MB_ICONSTOP)
        box.setHeadline("Error");
    else if ((type & 0xF0) == MB_ICONQUESTION)
        box.setHeadline("Question");
    const Button answer = box.exec();
    // A box with OK alone answers OK however it is closed, as on Windows.
    if (!withCancel)
        return IDOK;
    return answer == Button::Ok ? IDOK : IDCANCEL;
}

HICON TermBackend::LoadIconResource(int resourceId) {
    // There are no pictures to load; a handle that isn't null lets the program go its usual way.
    static const int iconToken = 0;
    (void)resourceId;
    return const_cast<int*>(&iconToken);
}

BOOL TermBackend::RunOpenFileDialog(OpenFileRequest& request) {
    std::string folder;
    std::string name;
    const std::string initial = request.initialFile.GetString();
    const std::string host = m_paths.toHost ? m_paths.toHost(initial) : std::string();
    if (!host.empty()) {
        const std::size_t slash = host.find_last_of('/');
        folder = slash == std::string::npos ? "." : host.substr(0, slash == 0 ? 1 : slash);
        // The name as the program gave it: the Windows dialog shows what it was asked to.
        const std::size_t separator = initial.find_last_of("\\/");
        name = separator == std::string::npos ? initial : initial.substr(separator + 1);
    }
    FocusKeeper keeper(Parent());
    TermFileDialog fileDialog(Parent(), folder, name, (request.flags & OFN_FILEMUSTEXIST) != 0,
                              (request.flags & OFN_PATHMUSTEXIST) != 0, m_paths.toProgram,
                              m_folders);
    std::string chosen;
    if (!fileDialog.Choose(chosen))
        return FALSE;
    const std::string programPath = m_paths.toProgram ? m_paths.toProgram(chosen) : std::string();
    request.chosenPath = (programPath.empty() ? chosen : programPath).c_str();
    const std::size_t slash = chosen.find_last_of('/');
    request.chosenTitle = (slash == std::string::npos ? chosen : chosen.substr(slash + 1)).c_str();
    return TRUE;
}

void TermBackend::ShowHelpTopic(LPCSTR helpFile) {
    (void)helpFile;  // the Windows help file has no counterpart here: the text stands for it
    FocusKeeper keeper(Parent());
    HelpTextWindow window(Parent(), m_helpTitle.empty() ? std::string("Help") : m_helpTitle,
                          m_helpText);
    window.exec();
}

void TermBackend::ShowPopup(const std::string& text, int x, int y) {
    const int columns = static_cast<int>(m_application.getDesktopWidth());
    const int rows = static_cast<int>(m_application.getDesktopHeight());
    const std::vector<std::string> lines = PopupLines(text, columns);
    int longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, static_cast<int>(line.size()));
    // A frame and a blank margin on each side, as the popup's margins ask.
    const int width = std::min(columns, longest + 4);
    const int height = std::min(rows, static_cast<int>(lines.size()) + 4);
    // The position is the popup's top centre; the popup stays on the screen.
    const int left = std::clamp(x - width / 2, 0, std::max(0, columns - width));
    const int top = std::clamp(y, 0, std::max(0, rows - height));
    FocusKeeper keeper(Parent());
    HelpPopupWindow popup(Parent(), lines);
    popup.setGeometry(FPoint{left + 1, top + 1},
                      FSize{static_cast<std::size_t>(width), static_cast<std::size_t>(height)});
    popup.exec();
}

void TermBackend::ShowHelpPopup(IDialogWindow& owner, const HelpPopup& popup) {
    int x = popup.position.x;
    int y = popup.position.y;
    if (x < 0 || y < 0) {
        // A request from the keyboard carries no position: show it at the focused control.
        auto* window = dynamic_cast<TermDialogWindow*>(&owner);
        const CPoint anchor = window ? window->FocusAnchor() : CPoint{};
        x = anchor.x;
        y = anchor.y;
    }
    ShowPopup(popup.text.GetString(), x, y);
}

void TermBackend::ShowHelpContextMenu(IDialogWindow& owner, int windowId, LPCSTR topicFile,
                                      const void* idMap) {
    (void)topicFile;  // no help file here; what the help system would find is no topic at all
    (void)idMap;
    auto* window = dynamic_cast<TermDialogWindow*>(&owner);
    const CPoint anchor = window ? window->ControlAnchor(windowId) : CPoint{};
    ShowPopup("No help topic is associated with this item.", anchor.x, anchor.y);
}

BOOL TermBackend::QuitLegacyHelp(LPCSTR helpFile) {
    (void)helpFile;  // no legacy help engine runs here, so there is nothing to quit
    return TRUE;
}
