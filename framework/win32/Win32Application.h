// Start-up of the Windows program: installs the Win32 back-end and platform, tells the
// application object where its executable is, and runs its InitInstance. WinMain calls this with
// the real executable path; tests call it with a path of their choice.
#pragma once

#include <string>

#include "framework/String.h"
#include "framework/win32/Win32Backend.h"

class IPlatform;

struct Win32RunOptions {
    IPlatform* platform = nullptr;  // null: the real Win32 platform
    // The drive the real platform stands for, as the user named it ("E:", a folder); empty: C:.
    std::string drive;
    // Called as each dialog opens (Win32Backend::SetOpenedHook); for tests.
    Win32Backend::OpenedHook openedHook = nullptr;
    void* openedHookContext = nullptr;
};

// The drive named on the program's command line: the text without surrounding blanks and quotes.
std::string DriveFromCommandLine(LPCSTR commandLine);

// Returns the process's exit code.
int RunWin32Application(HINSTANCE instance, LPCSTR executablePath,
                        const Win32RunOptions& options = Win32RunOptions());

// The back-end installed by RunWin32Application while it runs; null otherwise.
Win32Backend* RunningWin32Backend();

// The full path of the module's file, whatever its length.
CString ModuleFilePath(HMODULE module);
