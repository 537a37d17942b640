// How the boot menu's dialogs list the boot lines: one entry a line, in file order, showing the
// line's label and its ARC path, with the line's index in the file as the entry's item data.
#pragma once

#include "framework/String.h"

class IDialogWindow;

// What the boot loader's menu shows for a boot line: its label, or its ARC path when it has none.
CString BootLineName(const CString& line);
// "Label - ARC path" of a boot line; the ARC path alone for a line without a label.
CString BootMenuEntryText(const CString& line);

// Fills the combo or list box id with the boot lines of lines. With candidates only, a line whose
// ARC path an earlier line has is left out: the loader would start that one for its path, so it
// can't be the default line.
void ListBootMenuEntries(IDialogWindow& window, int id, const CStringArray& lines,
                         BOOL candidatesOnly);

// The entry of the list whose line is lineIndex; -1 when none is.
int FindBootMenuEntry(const IDialogWindow& window, int id, int lineIndex);

// Makes the line of the list's selected entry the default line of lines; FALSE when no entry is
// selected.
BOOL MakeSelectedEntryTheDefault(const IDialogWindow& window, int id, CStringArray& lines);
