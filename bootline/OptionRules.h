// The rules that tie boot switches to each other, and the spellings of the debug port, shared by
// the editor dialog's option handlers and the command line's switch edits, so that both write
// the same line for the same request.
#pragma once

// The debug ports as the dialog's list offers them, in list order; the boot line is written
// with these spellings.
extern const char* const kDebugPortNames[];
extern const int kDebugPortCount;
// Positions in that list.
const int kDebugPort1394 = 0;
const int kDebugPortCom1 = 1;

// Switches that exclude or need one another: Debug and NoDebug, PAE and NoPAE exclude each other,
// and NoLowMem works only together with PAE.
enum class InterlockedSwitch { kDebug, kNoDebug, kPae, kNoPae, kNoLowMem };

// Where the caller keeps the five flags (0 or 1): the dialog's check members or a record's.
struct InterlockedFlags {
    int* debug;
    int* noDebug;
    int* pae;
    int* noPae;
    int* noLowMem;
};

// What follows the user's setting or clearing of one of the five: the flag itself is already at
// its new value; the others are cleared or set as the rules say.
void ApplyInterlock(InterlockedSwitch changed, const InterlockedFlags& flags);
