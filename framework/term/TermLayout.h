// Lays a dialog template out in terminal cells.
//
// One mapping serves every terminal size:
// - Rows: a control sits on the row of its vertical centre at 8 dialog units a row (a multi-line
//   control starts on the row of its top half-line). When the dialog is taller than the terminal,
//   empty rows are taken out, the longest runs of empty rows first.
// - Columns: a control's left edge is its x scaled by f / 4 (4 dialog units a column at f = 1),
//   and its width its template width scaled the same way, but never less than its caption or
//   value needs. Controls that share a left edge form a column that moves right as a whole when a
//   control to its left, on one of the same rows, would otherwise touch it. f is the largest scale
//   (1 down to 0.3 in steps of 0.01) at which the dialog fits the terminal's width.
// - Frame: a dialog keeps its frame when it fits with it; otherwise it fills the terminal with its
//   title bar only.
// - An up-down control sits at the right end of its buddy edit (the control before it), which
//   gives up that space, as the up-down's align-right style does on Windows.
// - A static icon takes the cells of the icon's picture (kIconColumns x kIconRows); a button
//   keeps the column to its right free, which the toolkit paints.
// So the editor dialog (413 x 281 units) shows at its natural 4 x 8 scale with its frame on a
// 110 x 36 terminal, and compressed, without a frame, on an 80 x 25 one. Controls never overlap.
#pragma once

#include <string>
#include <vector>

#include "framework/DialogTemplate.h"
#include "framework/term/TermWrap.h"

// The cells of a static icon's picture (framework/term/CellPicture.h).
constexpr int kIconColumns = 8;
constexpr int kIconRows = 4;

struct CellRect {
    int x = 0;  // 0-based, in the dialog's client area
    int y = 0;
    int width = 0;
    int height = 0;
};

struct DialogLayout {
    bool fits = false;    // false: the terminal is too small even without the frame
    bool framed = true;   // border around the client area (else the title bar only)
    int clientWidth = 0;  // cells
    int clientHeight = 0;
    double scale = 1.0;                 // the horizontal scale f
    std::vector<CellRect> controls;     // one per template control, in template order
    std::vector<std::string> captions;  // display text per control (static text wrapped)
    // Outer size of the dialog window: the client area plus title bar and frame.
    int OuterWidth() const { return framed ? clientWidth + 2 : clientWidth; }
    int OuterHeight() const { return framed ? clientHeight + 3 : clientHeight + 1; }
};

// The caption without its '&' markers ("&&" stands for one '&').
std::string CaptionWithoutMnemonic(const std::string& caption);
// The lower-case mnemonic letter of a caption ('\0' when there is none).
char MnemonicOf(const std::string& caption);

DialogLayout LayOutDialog(const DialogTemplate& dialogTemplate, int terminalColumns,
                          int terminalRows);
