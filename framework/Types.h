// Basic types shared by every build. The Windows build takes them from <windows.h>, so the
// framework's names (SetWindowText, MessageBox, ...) mean the same in every translation unit;
// other builds define the same names with the same values here.
#pragma once

#include <cstdint>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
typedef int BOOL;
typedef const char* LPCSTR;
typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef void* HICON;
#define TRUE 1
#define FALSE 0

// Dialog results and the ids of the standard buttons.
#define IDOK 1
#define IDCANCEL 2

// Control notifications that the program handles.
#define BN_CLICKED 0
#define CBN_SELCHANGE 1
#define LBN_SELCHANGE 1
#define EN_UPDATE 0x0400

// Function keys (virtual-key codes): F1 to F12 are VK_F1 + 0 to 11.
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F12 0x7B

// Message boxes.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ICONSTOP 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L

// Help requests, and the legacy help engine's quit command.
#define HELPINFO_WINDOW 0x0001
#define HELP_QUIT 0x0002

// File attributes.
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

// Open-file dialog flags.
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ENABLEHOOK 0x00000020
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_EXPLORER 0x00080000
#define OFN_ENABLESIZING 0x00800000
#endif

// The command id of a dialog's Help button.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// A point in screen coordinates, and a width and height.
struct CPoint {
    int x = 0;
    int y = 0;
};
struct CSize {
    int cx = 0;
    int cy = 0;
};
