// The Windows program's entry point.
#include "framework/Types.h"
#include "framework/win32/Win32Application.h"

// tarnwick.exe [DRIVE]: the drive that holds BOOT.INI (E:, or a folder); C: without one.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    Win32RunOptions options;
    options.drive = DriveFromCommandLine(commandLine);
    return RunWin32Application(instance, ModuleFilePath(nullptr), options);
}
