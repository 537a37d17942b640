// The one-line help texts of the editor dialog's controls, shown in a popup for F1 and for a
// right-click, and the names of the help files.
#pragma once

#include "framework/Types.h"

extern const char kHelpFile[];
extern const char kHelpTopicFile[];

// One control's help text: a zero-terminated text of at most 79 characters ending in a line feed.
struct ControlHelpRecord {
    int nControlId;
    char szText[80];
};

// 27 controls and a closing record with id 0 and an empty text.
const int kControlHelpRows = 28;
extern const ControlHelpRecord ControlHelpTable[kControlHelpRows];

// The first record whose id is controlId, the closing record included; null when none is.
const ControlHelpRecord* FindControlHelp(int controlId);

class IDialogWindow;
struct CPoint;

// F1 and a right-click in a dialog with its own table of rows (the last with id 0): the popup
// with the named control's text at position, or for a right-click on a control without a row the
// help system's context menu. Returns TRUE.
BOOL ShowHelpFromTable(IDialogWindow& dialog, const ControlHelpRecord* table, int rows,
                       int controlId, CPoint position, BOOL contextMenu);
