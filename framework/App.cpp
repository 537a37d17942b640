#include "framework/App.h"

#include <string>

#include "framework/Backend.h"

namespace {
CWinApp* g_currentApp = nullptr;
}

CWinApp::CWinApp(LPCSTR appName) : m_pPrevious(g_currentApp) {
    if (appName)
        m_strTitle = appName;
    g_currentApp = this;
}

CWinApp::~CWinApp() {
    if (g_currentApp == this)
        g_currentApp = m_pPrevious;
}

void CWinApp::SetExecutablePath(LPCSTR path) {
    const std::string fullPath = path ? path : "";
    if (fullPath.empty())
        return;
    // Both separators: the Windows build gets "C:\...\TARN.EXE", the Linux one "/usr/bin/tarnwick".
    const std::size_t slash = fullPath.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = fullPath.find_last_of('.');
    // A dot counts as the extension's start only inside the file name and not as its first
    // character, so "C:\\my.dir\\tarn" and ".tarn" keep their whole names.
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    const std::size_t stemEnd = hasExtension ? dot : fullPath.size();
    const std::string baseName = fullPath.substr(nameStart, stemEnd - nameStart);

    if (m_strTitle.IsEmpty())
        m_strTitle = baseName.c_str();
    m_strProfileName = (baseName + ".INI").c_str();
    m_strHelpPath = (fullPath.substr(0, stemEnd) + ".HLP").c_str();
    m_strProgramFolder = fullPath.substr(0, nameStart).c_str();
}

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue) {
    if (!m_pProfileStore)
        return static_cast<UINT>(defaultValue);
    return m_pProfileStore->GetProfileInt(section, key, defaultValue, m_strProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR key, int value) {
    if (!m_pProfileStore)
        return FALSE;
    return m_pProfileStore->WriteProfileString(section, key, std::to_string(value).c_str(),
                                               m_strProfileName);
}

HICON CWinApp::LoadIcon(int resourceId) {
    return Backend().LoadIconResource(resourceId);
}

CWinApp* AfxGetApp() {
    return g_currentApp;
}

BOOL AfxHelpEnabled() {
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd && app->m_pMainWnd->HandlesCommand(ID_HELP);
}

int AfxMessageBox(LPCSTR text, UINT type) {
    CWinApp* app = AfxGetApp();
    return Backend().ShowMessageBox(text ? text : "", app ? app->m_strTitle.GetString() : "", type);
}
