// A dialog template's init data (resource type 240, RT_DLGINIT), which the system's dialog
// functions ignore: the framework reads it and fills the lists itself when a dialog opens.
//
// Format, repeated per entry and ended by a 16-bit zero: the control id (16 bits), the message
// (16 bits: 0x403 adds a string to a combo box, 0x401 to a list box), the data length (32 bits),
// then that many bytes of data, the string with its terminating zero. Entries follow each other
// without padding, so fields may be unaligned.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/Types.h"

struct DialogInitItem {
    int controlId;
    UINT message;
    std::string text;
};

// The entries of a block, in order. Reading stops at the terminating zero or where the block is
// cut short; a damaged block yields the entries before the damage.
std::vector<DialogInitItem> ParseDialogInitData(const void* data, std::size_t size);

// Fills the dialog's lists from the init data of the template, if the module has any.
void ApplyDialogInitData(HMODULE module, UINT templateId, HWND dialog);
