#include "bootmenu/BootMenuHelp.h"

#include "res/resource.h"
#include "shell/ControlHelp.h"

namespace {

// Rows as in the editor's table: at most 79 characters, a line feed, a closing row with id 0.
const ControlHelpRecord kBootMenuHelp[] = {
    {IDC_TIMEOUT_EDIT,
     "Seconds the boot menu waits, 0 to 999. With 0 the default line starts at once.\n"},
    {IDC_TIMEOUT_SPIN,
     "Seconds the boot menu waits, 0 to 999. With 0 the default line starts at once.\n"},
    {IDC_DEFAULT_LIST, "The line the boot loader starts when the user picks none in its menu.\n"},
    {IDC_ORDER_LIST, "The boot lines in the order the boot menu lists them.\n"},
    {IDC_MOVE_UP, "Moves the selected line one place up in the boot menu.\n"},
    {IDC_MOVE_DOWN, "Moves the selected line one place down in the boot menu.\n"},
    {0, ""},
};

}  // namespace

void ShowBootMenuHelp(IDialogWindow& dialog, int controlId, CPoint position, BOOL contextMenu) {
    ShowHelpFromTable(dialog, kBootMenuHelp, sizeof kBootMenuHelp / sizeof kBootMenuHelp[0],
                      controlId, position, contextMenu);
}
