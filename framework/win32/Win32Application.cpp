#include "framework/win32/Win32Application.h"

#include <commctrl.h>

#include <string>

#include "framework/App.h"
#include "framework/win32/Win32Backend.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"

namespace {
Win32Backend* g_runningBackend = nullptr;
}

Win32Backend* RunningWin32Backend() {
    return g_runningBackend;
}

CString ModuleFilePath(HMODULE module) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return CString();
        if (length < path.size()) {
            path.resize(length);
            return CString(path);
        }
        path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
}

std::string DriveFromCommandLine(LPCSTR commandLine) {
    std::string text = commandLine ? commandLine : "";
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

int RunWin32Application(HINSTANCE instance, LPCSTR executablePath, const Win32RunOptions& options) {
    // The editor's channel field has an up-down control, a common control.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_UPDOWN_CLASS;
    ::InitCommonControlsEx(&controls);

    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    Win32Backend backend(instance);
    backend.SetOpenedHook(options.openedHook, options.openedHookContext);
    std::string driveRoot = "C:\\";
    std::string driveError;
    if (!options.platform && !options.drive.empty() &&
        !Win32DriveRoot(options.drive, driveRoot, driveError)) {
        SetBackend(&backend);
        app->SetExecutablePath(executablePath);
        AfxMessageBox(driveError.c_str(), MB_OK | MB_ICONSTOP);
        SetBackend(nullptr);
        return 1;
    }
    Win32Platform win32Platform(driveRoot);
    IPlatform& platform = options.platform ? *options.platform : win32Platform;
    IPlatform* previousPlatform = &Platform();
    SetBackend(&backend);
    SetPlatform(&platform);
    g_runningBackend = &backend;
    app->SetProfileStore(&platform);
    app->SetExecutablePath(executablePath);

    // The application object does all its work here; it returns FALSE and the program ends.
    app->InitInstance();

    app->SetProfileStore(nullptr);
    g_runningBackend = nullptr;
    SetPlatform(previousPlatform);
    SetBackend(nullptr);
    return 0;
}
