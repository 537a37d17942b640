// The names of resource, control and command ids as res/resource.h spells them, for scripts.
#pragma once

#include <string>

// A name of res/resource.h, IDOK, IDCANCEL, ID_HELP, or a number (decimal or 0x hexadecimal);
// false for anything else.
bool ResourceIdFromWord(const std::string& word, int& id);
// The name of a control id (IDC_..., IDOK, IDCANCEL, ID_HELP), or its number.
std::string ControlName(int id);
// The name of a dialog template id (IDD_...), or its number.
std::string TemplateName(int id);
