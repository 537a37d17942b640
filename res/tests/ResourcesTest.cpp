// The resource tables: the editor template's controls in tab order, the baud-rate init data,
// and the lookups.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "framework/DialogTemplate.h"
#include "framework/WindowStyles.h"
#include "res/resource.h"

namespace {

std::vector<int> ControlIds(const DialogTemplate& dialogTemplate) {
    std::vector<int> ids;
    for (int i = 0; i < dialogTemplate.controlCount; ++i)
        ids.push_back(dialogTemplate.controls[i].id);
    return ids;
}

TEST(ResourcesTest, EditorControlsAreInTabOrder) {
    const DialogTemplate* editor = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    ASSERT_NE(editor, nullptr);
    const std::vector<int> expected = {
        1000, 1026, 1002, 1003, 1005,  1016, 1032, 1033, 1022, 1029, 1030, 1031, 1034, 1004, 1006,
        1007, 1017, 1008, 1009, 1019,  1012, 1018, 1013, 1011, 1015, 1028, 1027, 1020, 1021, 1023,
        1024, 1025, 1,    2,    57670, -1,   -1,   -1,   -1,   1036, -1,   1037, 1038, 1039, 1040};
    EXPECT_EQ(ControlIds(*editor), expected);
    // The up-down control takes the control before it as its buddy: the channel edit.
    EXPECT_EQ(editor->controls[26].kind, ControlKind::kUpDown);
    EXPECT_EQ(editor->controls[25].id, IDC_CHANNEL_EDIT);
    EXPECT_TRUE(editor->controls[26].style & UDS_AUTOBUDDY);
}

TEST(ResourcesTest, TemplatesFitTheirDialogsAndKeepIdsUnique) {
    for (int id : {IDD_ABOUTBOX, IDD_BOOTEDIT_DIALOG, IDD_WARNUSER, IDD_BOOTMENU, IDD_NEWDEFAULT}) {
        SCOPED_TRACE(id);
        const DialogTemplate* dialogTemplate = FindDialogTemplate(id);
        ASSERT_NE(dialogTemplate, nullptr);
        EXPECT_STREQ(dialogTemplate->fontName, "MS Sans Serif");
        EXPECT_EQ(dialogTemplate->fontSize, 8);
        EXPECT_TRUE(dialogTemplate->style & WS_SYSMENU);
        std::set<int> seen;
        for (int i = 0; i < dialogTemplate->controlCount; ++i) {
            const ControlTemplate& control = dialogTemplate->controls[i];
            SCOPED_TRACE(control.text);
            EXPECT_LE(control.x + control.width, dialogTemplate->width);
            EXPECT_LE(control.y + control.height, dialogTemplate->height);
            EXPECT_TRUE(control.id == IDC_STATIC || seen.insert(control.id).second);
        }
    }
    EXPECT_EQ(FindDialogTemplate(IDD_ABOUTBOX)->controlCount, 5);
    EXPECT_EQ(FindDialogTemplate(IDD_WARNUSER)->controlCount, 5);
    EXPECT_EQ(FindDialogTemplate(999), nullptr);
}

// The timeout's up-down control takes the edit before it as its buddy, and each list's label
// comes right before it, so that its mnemonic reaches the list.
TEST(ResourcesTest, BootMenuControlsFollowTheirLabels) {
    const DialogTemplate* menu = FindDialogTemplate(IDD_BOOTMENU);
    ASSERT_NE(menu, nullptr);
    const std::vector<int> expected = {IDC_BOOTMENU_NOTE,
                                       -1,
                                       IDC_TIMEOUT_EDIT,
                                       IDC_TIMEOUT_SPIN,
                                       -1,
                                       IDC_DEFAULT_LIST,
                                       -1,
                                       IDC_ORDER_LIST,
                                       IDC_MOVE_UP,
                                       IDC_MOVE_DOWN,
                                       IDOK,
                                       IDCANCEL};
    EXPECT_EQ(ControlIds(*menu), expected);
    EXPECT_TRUE(menu->controls[3].style & UDS_AUTOBUDDY);
    EXPECT_TRUE(menu->controls[2].style & ES_NUMBER);
    EXPECT_FALSE(menu->controls[7].style & LBS_SORT);  // the order is the file's
    EXPECT_STREQ(FindStringResource(IDS_BOOTMENU), "Boot &Menu...\tF2");
}

TEST(ResourcesTest, BaudRateListOffersNineRatesWithout14400) {
    const DialogTemplate* editor = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    ASSERT_NE(editor, nullptr);
    std::vector<std::string> rates;
    for (int i = 0; i < editor->initDataCount; ++i) {
        EXPECT_EQ(editor->initData[i].controlId, IDC_BAUDRATE_LIST);
        EXPECT_EQ(editor->initData[i].message, 0x403u);
        rates.push_back(editor->initData[i].text);
    }
    const std::vector<std::string> expected = {"300",   "1200",  "2400",  "4800",  "9600",
                                               "19200", "38400", "57600", "115200"};
    EXPECT_EQ(rates, expected);
}

TEST(ResourcesTest, StringsAreFoundByIdAndMissingOnesAreEmpty) {
    EXPECT_STREQ(FindStringResource(IDS_ABOUTBOX), "&About Tarnwick...");
    EXPECT_STREQ(FindStringResource(12345), "");
}

}  // namespace
