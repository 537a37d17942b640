// A command-line hand for the Windows program's dialogs under Wine, for scripts that show the
// program on a display (tools/screenshots.sh). Windows are named by their caption (the editor's
// title goes on with the default line after " - ").
//
//   WindowDriver wait CAPTION            wait until the dialog is shown (up to 20 s)
//   WindowDriver rect CAPTION            print its screen rectangle: x y width height
//   WindowDriver click CAPTION ID        click a button of it (posted: returns at once)
//   WindowDriver syscommand CAPTION ID   send it a system-menu command (posted)
//   WindowDriver select CAPTION ID N     select entry N of a combo box, as the user would
//
// Exit status 0 on success, 1 when the window or control isn't there, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/win32/tests/WineTestSupport.h"

namespace {

constexpr DWORD kPatience = 20000;

HWND FindDialog(const char* caption) {
    return FindDialogByTitle(caption);
}

int Wait(const char* caption) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kPatience) {
        if (HWND window = FindDialog(caption)) {
            // Let it finish painting before anyone looks at it.
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &result);
            return 0;
        }
        ::Sleep(50);
    }
    std::fprintf(stderr, "no window \"%s\"\n", caption);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: WindowDriver wait|rect|click|syscommand|select CAPTION ...\n");
        return 2;
    }
    const char* command = argv[1];
    const char* caption = argv[2];
    if (std::strcmp(command, "wait") == 0)
        return Wait(caption);

    HWND window = FindDialog(caption);
    if (!window) {
        std::fprintf(stderr, "no window \"%s\"\n", caption);
        return 1;
    }
    if (std::strcmp(command, "rect") == 0) {
        RECT rect = {};
        ::GetWindowRect(window, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top);
        return 0;
    }
    if (argc < 4)
        return 2;
    const int id = std::atoi(argv[3]);
    if (std::strcmp(command, "syscommand") == 0) {
        ::PostMessageA(window, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0);
        return 0;
    }
    HWND control = ::GetDlgItem(window, id);
    if (!control) {
        std::fprintf(stderr, "no control %d in \"%s\"\n", id, caption);
        return 1;
    }
    if (std::strcmp(command, "click") == 0) {
        ::PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (std::strcmp(command, "select") == 0 && argc == 5) {
        ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[4])), 0);
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(control));
        return 0;
    }
    return 2;
}
