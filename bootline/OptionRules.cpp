#include "bootline/OptionRules.h"

const char* const kDebugPortNames[] = {"1394", "COM1", "COM2", "COM3", "COM4"};
const int kDebugPortCount = sizeof kDebugPortNames / sizeof kDebugPortNames[0];

void ApplyInterlock(InterlockedSwitch changed, const InterlockedFlags& flags) {
    switch (changed) {
        case InterlockedSwitch::kDebug:
            *flags.noDebug = 0;
            break;
        case InterlockedSwitch::kNoDebug:
            *flags.debug = 0;
            break;
        case InterlockedSwitch::kPae:
            // Whether PAE was set or cleared: a NoLowMem left over from the line read goes too.
            *flags.noPae = 0;
            *flags.noLowMem = 0;
            break;
        case InterlockedSwitch::kNoPae:
            *flags.pae = 0;
            *flags.noLowMem = 0;
            break;
        case InterlockedSwitch::kNoLowMem:
            if (*flags.noLowMem && !*flags.pae)
                *flags.pae = 1;
            *flags.noPae = 0;
            break;
    }
}
