// The one-line help texts of the Boot Menu dialog and of the new-default question, shown in a
// popup for F1 and for a right-click as the editor shows its own.
#pragma once

#include "framework/Types.h"

class IDialogWindow;

// The popup for controlId at position; for a right-click (contextMenu) on a control without a
// text, the help system's context menu.
void ShowBootMenuHelp(IDialogWindow& dialog, int controlId, CPoint position, BOOL contextMenu);
