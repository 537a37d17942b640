// The Windows program's entry point.
#include "bootcheck/win32/Win32PartitionFiles.h"
#include "framework/Types.h"
#include "framework/win32/Win32Application.h"
#include "shell/BootCheckDlg.h"

// tarnwick.exe [DRIVE]: the drive that holds BOOT.INI (E:, or a folder); C: without one.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // The boot path check sees the disks of the running system through its ARC names.
    SetBootCheckSources({&bootcheck::RunningWindowsMachine, nullptr});
    Win32RunOptions options;
    options.drive = DriveFromCommandLine(commandLine);
    return RunWin32Application(instance, ModuleFilePath(nullptr), options);
}
