#include "framework/term/TermLayout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "framework/WindowStyles.h"

namespace {

constexpr int kUnitsPerColumn = 4;
constexpr int kUnitsPerRow = 8;
// The closed height of a drop-down combo box: its template height includes the open list.
constexpr int kComboClosedHeight = 14;
constexpr int kUpDownWidth = 2;        // "▲▼"
constexpr int kCheckBoxMarkWidth = 4;  // "[ ] "
constexpr int kButtonPadding = 2;
constexpr int kButtonRightMargin = 1;
constexpr int kMinEditWidth = 6;
constexpr int kMinComboWidth = 8;  // room for "115200" and the drop-down arrow
constexpr int kMinListWidth = 10;
constexpr int kMinListRows = 3;  // frame and one entry
constexpr double kLargestScale = 1.0;
constexpr double kSmallestScale = 0.3;
constexpr double kScaleStep = 0.01;
// How near (dialog units) a field must end to the rightmost edge to be kept reaching it.
constexpr int kStretchSlack = 12;

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

bool IsMultiLineStatic(const ControlTemplate& control) {
    if (control.kind != ControlKind::kStaticText)
        return false;
    const std::string text = control.text ? control.text : "";
    return text.find('\n') != std::string::npos || control.height >= 2 * kUnitsPerRow;
}

// How the cells of one control are chosen: everything about it but its place.
struct Need {
    bool placed = true;  // false: takes no cells (up-downs go with their buddy)
    int minWidth = 0;
    int rightMargin = 0;  // cells right of the control that it paints too (a button's)
    int naturalTop = 0;   // rows at the template's scale
    int naturalRows = 1;
    int buddy = -1;  // for an up-down: the index of its buddy
};

int LongestLine(const std::string& text) {
    int longest = 0;
    int current = 0;
    for (char c : text) {
        if (c == '\n') {
            longest = std::max(longest, current);
            current = 0;
        } else {
            ++current;
        }
    }
    return std::max(longest, current);
}

int LongestWord(const std::string& text) {
    int longest = 0;
    int current = 0;
    for (char c : text) {
        if (c == ' ' || c == '\n') {
            longest = std::max(longest, current);
            current = 0;
        } else {
            ++current;
        }
    }
    return std::max(longest, current);
}

Need NeedOf(const DialogTemplate& dialogTemplate, int index) {
    const ControlTemplate& control = dialogTemplate.controls[index];
    const std::string caption = CaptionWithoutMnemonic(control.text ? control.text : "");
    Need need;
    const int centre =
        control.y +
        (control.kind == ControlKind::kComboBox ? kComboClosedHeight : control.height) / 2;
    need.naturalTop = centre / kUnitsPerRow;
    switch (control.kind) {
        case ControlKind::kAutoCheckBox:
            need.minWidth = kCheckBoxMarkWidth + static_cast<int>(caption.size());
            break;
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
            need.minWidth = static_cast<int>(caption.size()) + kButtonPadding;
            // FINAL CUT clears the column right of a button (where a pressed button's shadow
            // was): at the dialog's right edge that column would be the frame's.
            need.rightMargin = kButtonRightMargin;
            break;
        case ControlKind::kEdit:
            need.minWidth = kMinEditWidth;
            break;
        case ControlKind::kComboBox:
            need.minWidth = kMinComboWidth;
            break;
        case ControlKind::kListBox:
            need.minWidth = kMinListWidth;
            need.naturalTop = (control.y + kUnitsPerRow / 2) / kUnitsPerRow;
            need.naturalRows = std::max(kMinListRows, Round(double(control.height) / kUnitsPerRow));
            break;
        case ControlKind::kUpDown:
            need.placed = false;
            need.buddy = index - 1;
            break;
        case ControlKind::kStaticIcon:
            // The program's icon as a picture in cells, from the top of the icon's place.
            need.minWidth = kIconColumns;
            need.naturalTop = (control.y + kUnitsPerRow / 2) / kUnitsPerRow;
            need.naturalRows = kIconRows;
            break;
        case ControlKind::kStaticText:
            if (IsMultiLineStatic(control)) {
                const std::string text = control.text ? control.text : "";
                const int natural = Round(double(control.width) / kUnitsPerColumn);
                need.minWidth = std::max(LongestWord(text), std::min(LongestLine(text), natural));
                need.naturalTop = (control.y + kUnitsPerRow / 2) / kUnitsPerRow;
                need.naturalRows = std::max(1, Round(double(control.height) / kUnitsPerRow));
            } else {
                need.minWidth = static_cast<int>(caption.size());
            }
            break;
    }
    return need;
}

bool RowsOverlap(int topA, int rowsA, int topB, int rowsB) {
    return topA < topB + rowsB && topB < topA + rowsA;
}

bool ColumnsOverlap(const CellRect& a, const CellRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width;
}

// Columns at scale f; returns the rightmost cell used (exclusive), margins included.
int PlaceColumns(const DialogTemplate& dialogTemplate, const std::vector<Need>& needs, double scale,
                 std::vector<CellRect>& cells) {
    const int count = dialogTemplate.controlCount;
    cells.assign(count, CellRect{});
    std::map<int, std::vector<int>> columns;  // template x -> controls, in x order
    for (int i = 0; i < count; ++i) {
        if (needs[i].placed)
            columns[dialogTemplate.controls[i].x].push_back(i);
    }
    std::vector<int> placed;
    int right = 0;
    for (const auto& [x, members] : columns) {
        int left = Round(x * scale / kUnitsPerColumn);
        for (int i : members) {
            cells[i].width = std::max(needs[i].minWidth, Round(dialogTemplate.controls[i].width *
                                                               scale / kUnitsPerColumn));
            for (int other : placed) {
                if (RowsOverlap(needs[i].naturalTop, needs[i].naturalRows, needs[other].naturalTop,
                                needs[other].naturalRows)) {
                    left = std::max(left, cells[other].x + cells[other].width +
                                              std::max(1, needs[other].rightMargin));
                }
            }
        }
        for (int i : members) {
            cells[i].x = left;
            right = std::max(right, left + cells[i].width + needs[i].rightMargin);
            placed.push_back(i);
        }
    }
    return right;
}

// Moves controls down until none overlaps another; a control that grew (wrapped static text)
// pushes the ones under it.
void ResolveRowOverlaps(std::vector<CellRect>& cells, const std::vector<Need>& needs) {
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        if (needs[i].placed)
            order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return cells[a].y < cells[b].y; });
    for (std::size_t k = 0; k < order.size(); ++k) {
        CellRect& cell = cells[order[k]];
        bool moved = true;
        while (moved) {
            moved = false;
            for (std::size_t j = 0; j < k; ++j) {
                const CellRect& above = cells[order[j]];
                if (ColumnsOverlap(cell, above) &&
                    RowsOverlap(cell.y, cell.height, above.y, above.height)) {
                    cell.y = above.y + above.height;
                    moved = true;
                }
            }
        }
    }
}

// Takes out empty rows, the longest runs first (the lowest of equal runs first), until the
// controls fit in the given number of rows. Returns the height used.
int CompactRows(std::vector<CellRect>& cells, const std::vector<Need>& needs, int naturalHeight,
                int availableRows) {
    int height = naturalHeight;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (needs[i].placed)
            height = std::max(height, cells[i].y + cells[i].height);
    }
    while (height > availableRows) {
        std::vector<bool> used(height, false);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (!needs[i].placed)
                continue;
            for (int row = cells[i].y; row < cells[i].y + cells[i].height; ++row)
                used[row] = true;
        }
        int bestStart = -1;
        int bestLength = 0;
        for (int row = 0; row < height;) {
            if (used[row]) {
                ++row;
                continue;
            }
            int end = row;
            while (end < height && !used[end])
                ++end;
            if (end - row >= bestLength) {
                bestStart = row;
                bestLength = end - row;
            }
            row = end;
        }
        if (bestStart < 0)
            break;  // no empty row left
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].y > bestStart)
                --cells[i].y;
        }
        --height;
    }
    return height;
}

bool TryLayout(const DialogTemplate& dialogTemplate, int availableColumns, int availableRows,
               DialogLayout& layout) {
    const int count = dialogTemplate.controlCount;
    std::vector<Need> needs;
    for (int i = 0; i < count; ++i)
        needs.push_back(NeedOf(dialogTemplate, i));

    std::vector<CellRect> cells;
    double scale = kLargestScale;
    int right = 0;
    for (;; scale -= kScaleStep) {
        right = PlaceColumns(dialogTemplate, needs, scale, cells);
        if (right <= availableColumns || scale - kScaleStep < kSmallestScale)
            break;
    }
    if (right > availableColumns)
        return false;

    layout.captions.assign(count, std::string());
    for (int i = 0; i < count; ++i) {
        const ControlTemplate& control = dialogTemplate.controls[i];
        const std::string text = control.text ? control.text : "";
        cells[i].y = needs[i].naturalTop;
        cells[i].height = needs[i].naturalRows;
        layout.captions[i] = text;
        if (IsMultiLineStatic(control)) {
            const std::vector<std::string> lines = WrapText(text, cells[i].width);
            std::string joined;
            for (const std::string& line : lines)
                joined += (joined.empty() ? "" : "\n") + line;
            layout.captions[i] = joined;
            // A static the program fills at run time keeps the rows its template gives it.
            cells[i].height = text.empty() ? needs[i].naturalRows
                                           : std::max<int>(1, static_cast<int>(lines.size()));
        }
    }
    ResolveRowOverlaps(cells, needs);
    const int naturalHeight = Round(double(dialogTemplate.height) / kUnitsPerRow);
    const int height = CompactRows(cells, needs, naturalHeight, availableRows);
    if (height > availableRows)
        return false;

    for (int i = 0; i < count; ++i) {
        if (needs[i].buddy >= 0 && needs[i].buddy < count) {
            CellRect& buddy = cells[needs[i].buddy];
            buddy.width -= kUpDownWidth;
            cells[i] = CellRect{buddy.x + buddy.width, buddy.y, kUpDownWidth, 1};
        } else if (!needs[i].placed) {
            cells[i] = CellRect{cells[i].x, cells[i].y, 0, 0};
        }
    }
    // Fields that reach to the dialog's right margin in the template keep reaching it when the
    // captions have squeezed the dialog: the boot-line list and the label edit stay full width,
    // ending where the buttons end.
    int templateRight = 0;
    int contentRight = 0;
    for (int i = 0; i < count; ++i) {
        if (needs[i].placed) {
            templateRight = std::max(
                templateRight, dialogTemplate.controls[i].x + dialogTemplate.controls[i].width);
            contentRight = std::max(contentRight, cells[i].x + cells[i].width);
        }
    }
    for (int i = 0; i < count; ++i) {
        const ControlTemplate& control = dialogTemplate.controls[i];
        const bool stretches = control.kind == ControlKind::kEdit ||
                               control.kind == ControlKind::kComboBox ||
                               control.kind == ControlKind::kListBox;
        if (needs[i].placed && stretches &&
            templateRight - (control.x + control.width) <= kStretchSlack)
            cells[i].width = std::max(cells[i].width, contentRight - cells[i].x);
    }
    layout.controls = cells;
    layout.scale = scale;
    layout.clientWidth = std::min(
        availableColumns, std::max(right, Round(dialogTemplate.width * scale / kUnitsPerColumn)));
    layout.clientHeight = height;
    layout.fits = true;
    return true;
}

}  // namespace

std::string CaptionWithoutMnemonic(const std::string& caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;  // "&x" shows x; "&&" shows one '&'
        shown += caption[i];
    }
    return shown;
}

char MnemonicOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
        ++i;
    }
    return '\0';
}

DialogLayout LayOutDialog(const DialogTemplate& dialogTemplate, int terminalColumns,
                          int terminalRows) {
    DialogLayout layout;
    layout.framed = true;
    if (TryLayout(dialogTemplate, terminalColumns - 2, terminalRows - 3, layout))
        return layout;
    layout = DialogLayout{};
    layout.framed = false;
    if (TryLayout(dialogTemplate, terminalColumns, terminalRows - 1, layout))
        return layout;
    layout.fits = false;
    return layout;
}
