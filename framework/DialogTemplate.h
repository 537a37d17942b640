// Dialog templates as data. res/ holds the program's templates, string table and icon ids in
// this form; the Windows build writes its resource script from the same tables, and the terminal
// and test back-ends lay their controls out from them, so each template exists exactly once.
// Style and extended-style values are the Win32 ones (framework/WindowStyles.h).
#pragma once

#include "framework/Types.h"

enum class ControlKind {
    kPushButton,
    kDefPushButton,
    kAutoCheckBox,
    kEdit,
    kComboBox,
    kListBox,
    kUpDown,
    kStaticText,
    kStaticIcon,
};

struct ControlTemplate {
    int id;  // -1 for statics without an id
    ControlKind kind;
    LPCSTR text;  // caption; for a static icon, the icon resource name as text ("128")
    int x, y, width, height;  // dialog units
    DWORD style;  // kind-specific and WS_* styles, without WS_CHILD and WS_VISIBLE
    DWORD exStyle;
};

// One line of a template's init data: a string added to a combo box (0x403) or a list box
// (0x401) when the dialog is created.
struct InitDataEntry {
    int controlId;
    UINT message;
    LPCSTR text;
};

struct DialogTemplate {
    int id;
    LPCSTR title;
    int x, y, width, height;  // dialog units
    DWORD style;
    DWORD exStyle;
    LPCSTR fontName;
    int fontSize;
    const ControlTemplate* controls;
    int controlCount;
    const InitDataEntry* initData;
    int initDataCount;
};

struct StringResource {
    int id;
    LPCSTR text;
};

// Looked up in the program's tables (res/); null when there is no such template.
const DialogTemplate* FindDialogTemplate(int id);
// Empty when there is no such string.
LPCSTR FindStringResource(int id);
