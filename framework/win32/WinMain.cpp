// The Windows program's entry point.
#include "bootcheck/win32/Win32PartitionFiles.h"
#include "framework/Types.h"
#include "framework/win32/Win32Application.h"
#include "shell/BootCheckDlg.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The boot path check sees the disks of the running system through its ARC names.
    SetBootCheckSources({&bootcheck::RunningWindowsMachine, nullptr});
    return RunWin32Application(instance, ModuleFilePath(nullptr));
}
