// The editor dialog as a top-level window: the about and Boot Menu entries of its system menu
// (the Boot Menu also on F2, which terminals and Windows both deliver to the program), its icons,
// the icon painted while it is minimised and the icon shown while a minimised window is dragged.
#include "editor/BootEditDlg.h"
#include "framework/DialogTemplate.h"
#include "framework/DialogWindow.h"
#include "res/resource.h"
#include "shell/AboutDlg.h"

void CBootEditDlg::InitSystemMenuAndIcons() {
    IDialogWindow& window = *GetWindow();
    if (window.HasSystemMenu()) {
        LPCSTR aboutText = FindStringResource(IDS_ABOUTBOX);
        if (aboutText && *aboutText) {
            window.AppendSystemMenuSeparator();
            window.AppendSystemMenuItem(ID_SYSMENU_ABOUT, aboutText);
        }
        window.AppendSystemMenuItem(ID_SYSMENU_BOOTMENU, FindStringResource(IDS_BOOTMENU));
    }
    window.SetCommandKey(VK_F2, ID_SYSMENU_BOOTMENU);
    window.SetIcon(m_hIcon, TRUE);
    window.SetIcon(m_hIcon, FALSE);
}

void CBootEditDlg::OnSystemCommand(UINT nID, std::intptr_t lParam) {
    // The system uses the low four bits of a command id itself.
    if ((nID & 0xFFF0) == ID_SYSMENU_ABOUT) {
        CAboutDlg about;
        about.DoModal();
    } else if ((nID & 0xFFF0) == ID_SYSMENU_BOOTMENU) {
        OnBootMenu();
    } else {
        GetWindow()->DefaultSysCommand(nID, lParam);
    }
}

void CBootEditDlg::OnPaintDialog() {
    IDialogWindow& window = *GetWindow();
    if (!window.IsIconic()) {
        window.DefaultPaint();
        return;
    }
    window.BeginPaint();
    window.EraseIconBackground();
    const CSize icon = window.GetIconSize();
    const CSize client = window.GetClientSize();
    // Centred; the division truncates toward zero, also when the client is smaller than the icon.
    const int x = (client.cx - icon.cx + 1) / 2;
    const int y = (client.cy - icon.cy + 1) / 2;
    window.DrawIcon(x, y, m_hIcon);
    window.EndPaint();
}

HICON CBootEditDlg::OnDragIconQuery() {
    return m_hIcon;
}
