// Switches added to and removed from one boot line on the command line. A switch is written as on
// a boot line, in any letter case, with or without its slash ("/debugport=com2", "FastDetect").
// The boot line parser decides what it is: a recognised switch changes the record, with the
// dialog's rules (OptionRules.h, and the debug port's partners below); anything else is added or
// removed as an unhandled option, its text unchanged.
#pragma once

#include <string>
#include <vector>

#include "bootline/BootLine.h"

// The sixteen on/off switches and the six valued options, named as the composer writes them.
struct FlagSwitch {
    const char* name;  // "FastDetect"
    int CBootLine::*flag;
};
struct ValueSwitch {
    const char* name;  // "DebugPort"
    int CBootLine::*marker;
    CString CBootLine::*value;
};
extern const FlagSwitch kFlagSwitches[];
extern const int kFlagSwitchCount;
extern const ValueSwitch kValueSwitches[];
extern const int kValueSwitchCount;

// The baud rates as the dialog's list offers them.
std::vector<std::string> BaudRateNames();

// Gives the debug port and the baud rate of a record the spellings of the dialog's lists, as the
// dialog does when it shows a line ("com2" becomes "COM2"); a value the list lacks stays.
void UseListSpellings(CBootLine& record);

// Removes, then adds, the switches. FALSE, with the message, when a switch is not one the line can
// take or the switches asked for contradict each other or the rules; the record is then of no use.
bool EditSwitches(CBootLine& record, const std::vector<std::string>& added,
                  const std::vector<std::string>& removed, std::string& refusal);
