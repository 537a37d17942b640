// The terminal layout of the program's dialog templates: every control of every template fits the
// terminal without overlapping another, its caption or picture whole, at the sizes users run
// terminals at.
#include "framework/term/TermLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct TerminalSize {
    int columns;
    int rows;
};

const int kTemplates[] = {IDD_ABOUTBOX, IDD_BOOTEDIT_DIALOG, IDD_WARNUSER};
const TerminalSize kSizes[] = {{80, 25},  {80, 30},  {90, 28}, {100, 30},
                               {110, 36}, {132, 43}, {200, 60}};

// Every terminal size from 80 x 25 to 200 x 60 along its edges and through its middle: each
// width at a few heights, each height at a few widths.
std::vector<TerminalSize> SizesFrom80x25To200x60() {
    std::vector<TerminalSize> sizes;
    for (int columns = 80; columns <= 200; ++columns) {
        for (int rows : {25, 32, 43, 60})
            sizes.push_back({columns, rows});
    }
    for (int rows = 25; rows <= 60; ++rows) {
        for (int columns : {80, 100, 132, 200})
            sizes.push_back({columns, rows});
    }
    return sizes;
}

bool IsButton(const ControlTemplate& control) {
    return control.kind == ControlKind::kPushButton || control.kind == ControlKind::kDefPushButton;
}

bool Intersect(const CellRect& a, const CellRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

std::string Describe(const DialogTemplate& dialogTemplate, int index) {
    const ControlTemplate& control = dialogTemplate.controls[index];
    return "template " + std::to_string(dialogTemplate.id) + " control " + std::to_string(index) +
           " (id " + std::to_string(control.id) + ", \"" + (control.text ? control.text : "") +
           "\")";
}

// A control that overlaps the frame or another control hides a part of it: at 100 x 32 the
// buttons once painted over the frame's right edge.
TEST(TermLayout, EveryControlFitsWholeAndAlone) {
    for (int id : kTemplates) {
        const DialogTemplate* dialogTemplate = FindDialogTemplate(id);
        ASSERT_NE(dialogTemplate, nullptr);
        for (const TerminalSize& size : SizesFrom80x25To200x60()) {
            SCOPED_TRACE("terminal " + std::to_string(size.columns) + " x " +
                         std::to_string(size.rows));
            const DialogLayout layout = LayOutDialog(*dialogTemplate, size.columns, size.rows);
            ASSERT_TRUE(layout.fits);
            EXPECT_LE(layout.OuterWidth(), size.columns);
            EXPECT_LE(layout.OuterHeight(), size.rows);
            ASSERT_EQ(static_cast<int>(layout.controls.size()), dialogTemplate->controlCount);
            for (int i = 0; i < dialogTemplate->controlCount; ++i) {
                const ControlTemplate& control = dialogTemplate->controls[i];
                const CellRect& cell = layout.controls[i];
                SCOPED_TRACE(Describe(*dialogTemplate, i));
                EXPECT_GE(cell.x, 0);
                EXPECT_GE(cell.y, 0);
                EXPECT_LE(cell.x + cell.width, layout.clientWidth);
                EXPECT_LE(cell.y + cell.height, layout.clientHeight);
                const std::string caption =
                    CaptionWithoutMnemonic(control.text ? control.text : "");
                if (control.kind == ControlKind::kAutoCheckBox) {
                    EXPECT_GE(cell.width, static_cast<int>(caption.size()) + 4);  // "[ ] " and text
                }
                if (IsButton(control)) {
                    EXPECT_GE(cell.width, static_cast<int>(caption.size()));
                    // The toolkit paints the column right of a button too.
                    const CellRect margin{cell.x + cell.width, cell.y, 1, cell.height};
                    EXPECT_LE(margin.x + margin.width, layout.clientWidth) << "over the frame";
                    for (int j = 0; j < dialogTemplate->controlCount; ++j) {
                        if (j != i) {
                            EXPECT_FALSE(Intersect(margin, layout.controls[j]))
                                << "its right margin overlaps " << Describe(*dialogTemplate, j);
                        }
                    }
                }
                if (control.kind == ControlKind::kStaticText) {
                    for (const std::string& line : WrapText(layout.captions[i], 1000)) {
                        EXPECT_LE(static_cast<int>(line.size()), cell.width) << line;
                    }
                    EXPECT_GE(cell.height,
                              static_cast<int>(WrapText(layout.captions[i], 1000).size()));
                }
                if (control.kind == ControlKind::kStaticIcon) {
                    // The whole picture of the icon.
                    EXPECT_GE(cell.width, kIconColumns);
                    EXPECT_GE(cell.height, kIconRows);
                }
                for (int j = 0; j < i; ++j) {
                    EXPECT_FALSE(Intersect(cell, layout.controls[j]))
                        << "overlaps " << Describe(*dialogTemplate, j);
                }
            }
        }
    }
}

TEST(TermLayout, EditorKeepsItsNaturalScaleWhenThereIsRoomAndSqueezesOtherwise) {
    const DialogTemplate* editor = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    ASSERT_NE(editor, nullptr);

    const DialogLayout large = LayOutDialog(*editor, 110, 36);
    EXPECT_TRUE(large.framed);
    EXPECT_DOUBLE_EQ(large.scale, 1.0);
    EXPECT_EQ(large.clientWidth, 103);  // 413 units at 4 a column

    const DialogLayout small = LayOutDialog(*editor, 80, 25);
    ASSERT_TRUE(small.fits);
    EXPECT_FALSE(small.framed);  // with a frame it would need 26 rows
    EXPECT_LT(small.scale, 1.0);
    EXPECT_EQ(small.OuterHeight(), 25);
}

TEST(TermLayout, CheckBoxesOfAColumnStayInLine) {
    const DialogTemplate* editor = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    ASSERT_NE(editor, nullptr);
    for (const TerminalSize& size : kSizes) {
        const DialogLayout layout = LayOutDialog(*editor, size.columns, size.rows);
        for (int i = 0; i < editor->controlCount; ++i) {
            for (int j = 0; j < i; ++j) {
                if (editor->controls[i].x == editor->controls[j].x &&
                    editor->controls[i].kind == ControlKind::kAutoCheckBox &&
                    editor->controls[j].kind == ControlKind::kAutoCheckBox) {
                    EXPECT_EQ(layout.controls[i].x, layout.controls[j].x)
                        << editor->controls[i].text;
                }
            }
        }
    }
}

TEST(TermLayout, UpDownSitsAtTheRightEndOfItsBuddy) {
    const DialogTemplate* editor = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    ASSERT_NE(editor, nullptr);
    int spin = -1;
    for (int i = 0; i < editor->controlCount; ++i) {
        if (editor->controls[i].id == IDC_CHANNEL_SPIN)
            spin = i;
    }
    ASSERT_GT(spin, 0);
    ASSERT_EQ(editor->controls[spin - 1].id, IDC_CHANNEL_EDIT);
    for (const TerminalSize& size : kSizes) {
        const DialogLayout layout = LayOutDialog(*editor, size.columns, size.rows);
        const CellRect& buddy = layout.controls[spin - 1];
        const CellRect& upDown = layout.controls[spin];
        EXPECT_EQ(upDown.x, buddy.x + buddy.width);
        EXPECT_EQ(upDown.y, buddy.y);
        EXPECT_GE(buddy.width, 4);
    }
}

TEST(TermLayout, TooSmallATerminalIsSaidSo) {
    const DialogTemplate* editor = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(LayOutDialog(*editor, 60, 25).fits);
    EXPECT_FALSE(LayOutDialog(*editor, 80, 20).fits);
}

TEST(TermLayout, Mnemonics) {
    struct Case {
        const char* caption;
        char mnemonic;
        const char* shown;
    };
    const Case cases[] = {
        {"D&ebug", 'e', "Debug"},         {"&3GB", '3', "3GB"},      {"NoP&AE", 'a', "NoPAE"},
        {"Copy Line", '\0', "Copy Line"}, {"A && B", '\0', "A & B"}, {"&&x &Yes", 'y', "&x Yes"},
        {"trailing&", '\0', "trailing&"},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(MnemonicOf(item.caption), item.mnemonic) << item.caption;
        EXPECT_EQ(CaptionWithoutMnemonic(item.caption), item.shown) << item.caption;
    }
}

TEST(TermLayout, WrapText) {
    struct Case {
        const char* text;
        int width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"Tarn is a development support utility and may make your system unbootable.  \n"
         "Select Cancel to stop execution.",
         37,
         {"Tarn is a development support utility", "and may make your system unbootable.",
          "Select Cancel to stop execution."}},
        {"Ver: V1.0  -  Dec. 1, 2001", 40, {"Ver: V1.0  -  Dec. 1, 2001"}},  // inner blanks kept
        {"one\n\ntwo", 10, {"one", "", "two"}},
        {"abcdefghij", 4, {"abcd", "efgh", "ij"}},  // a word longer than the line is cut
        {"", 5, {""}},
    };
    for (const Case& item : cases)
        EXPECT_EQ(WrapText(item.text, item.width), item.lines) << item.text;
}

TEST(TermLayout, MessageBoxesFitTheirText) {
    const std::string busy =
        "Tarnwick is already editing BOOT.INI on this drive in another window. Only one Tarnwick "
        "may edit it at a time: finish in the other window first. Nothing was changed.";
    struct Case {
        const char* name;
        std::string text;
        int columns;
        int longestLine;  // the box is as wide as this and its frame
    };
    const Case cases[] = {
        {"a short text keeps its length", "Invalid Hal File.", 200, 17},
        {"a long text reads in lines of a readable width", busy, 200, kMessageBoxTextWidth},
        {"a narrow terminal wraps narrower", busy, 50, 42},
        {"the narrowest terminal still gets whole words", busy, 20, 20},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        const std::vector<std::string> lines = MessageBoxLines(item.text, item.columns);
        std::size_t longest = 0;
        std::string joined;
        for (const std::string& line : lines) {
            longest = std::max(longest, line.size());
            joined += (joined.empty() ? "" : " ") + line;
        }
        EXPECT_LE(static_cast<int>(longest), item.longestLine);
        EXPECT_GE(static_cast<int>(longest), item.longestLine - 12);  // not needlessly narrow
        EXPECT_EQ(joined, item.text);                                 // every word kept, in order
    }
}

}  // namespace
