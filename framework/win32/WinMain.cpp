// The Windows program's entry point.
#include "framework/Types.h"
#include "framework/win32/Win32Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunWin32Application(instance, ModuleFilePath(nullptr));
}
