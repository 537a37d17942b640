#include "cli/SwitchEdits.h"

#include <strings.h>

#include <algorithm>

#include "bootline/OptionRules.h"
#include "framework/DialogTemplate.h"
#include "res/resource.h"

const FlagSwitch kFlagSwitches[] = {
    {"INTAFFINITY", &CBootLine::m_bIntAffinity},
    {"NOGUIBOOT", &CBootLine::m_bNoGuiBoot},
    {"NOLOWMEM", &CBootLine::m_bNoLowMem},
    {"PCILOCK", &CBootLine::m_bPciLock},
    {"BaseVideo", &CBootLine::m_bBaseVideo},
    {"PAE", &CBootLine::m_bPae},
    {"NOPAE", &CBootLine::m_bNoPae},
    {"BootLog", &CBootLine::m_bBootLog},
    {"BootLogo", &CBootLine::m_bBootLogo},
    {"3GB", &CBootLine::m_b3GB},
    {"Debug", &CBootLine::m_bDebug},
    {"NoDebug", &CBootLine::m_bNoDebug},
    {"SOS", &CBootLine::m_bSos},
    {"FastDetect", &CBootLine::m_bFastDetect},
    {"OneCpu", &CBootLine::m_bOneCpu},
    {"CrashDebug", &CBootLine::m_bCrashDebug},
};
const int kFlagSwitchCount = sizeof kFlagSwitches / sizeof kFlagSwitches[0];

const ValueSwitch kValueSwitches[] = {
    {"BaudRate", &CBootLine::m_bBaudRate, &CBootLine::m_strBaudRate},
    {"Channel", &CBootLine::m_bChannel, &CBootLine::m_strChannel},
    {"DebugPort", &CBootLine::m_bDebugPort, &CBootLine::m_strDebugPort},
    {"HAL", &CBootLine::m_bHal, &CBootLine::m_strHal},
    {"KERNEL", &CBootLine::m_bKernel, &CBootLine::m_strKernel},
    {"MAXMEM", &CBootLine::m_bMaxMem, &CBootLine::m_strMaxMem},
};
const int kValueSwitchCount = sizeof kValueSwitches / sizeof kValueSwitches[0];

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

bool BeginsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           strncasecmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

std::vector<std::string> DebugPortNames() {
    return std::vector<std::string>(kDebugPortNames, kDebugPortNames + kDebugPortCount);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// What one switch of the command line is, as the parser reads it.
struct Switch {
    std::string text;  // as given, without its slash and spaces
    const FlagSwitch* flag = nullptr;
    const ValueSwitch* value = nullptr;
    std::string valueText;  // of a valued option
    bool hasValue = false;  // an "=" follows the valued option's name
};

bool Classify(const std::string& given, Switch& result, std::string& refusal) {
    std::string text;
    for (char c : given) {
        if (c != ' ')
            text += c;
    }
    if (!text.empty() && text[0] == '/')
        text.erase(0, 1);
    if (text.empty() || text.find('/') != std::string::npos) {
        refusal = "'" + given + "' is not one switch: write it as on a boot line, e.g. /debug.";
        return false;
    }
    result.text = text;
    // A valued option named without its "=" means the option whatever its value; the parser would
    // read "debugport" as /Debug and "maxmem" as an unhandled option.
    for (int i = 0; i < kValueSwitchCount; ++i) {
        const std::string name = kValueSwitches[i].name;
        if (EqualNoCase(text, name) || BeginsWithNoCase(text, name + "=")) {
            result.value = &kValueSwitches[i];
            result.hasValue = text.size() > name.size();
            break;
        }
    }
    CBootLine scratch;
    CBootLine parsed;
    parsed.ParseSwitch(text.c_str());
    if (result.value) {
        if (result.hasValue)
            result.valueText = (parsed.*result.value->value).str();
        return true;
    }
    for (int i = 0; i < kFlagSwitchCount; ++i) {
        if (parsed.*kFlagSwitches[i].flag != scratch.*kFlagSwitches[i].flag)
            result.flag = &kFlagSwitches[i];
    }
    return true;
}

// The interlock a flag takes part in, if any.
bool InterlockOf(const FlagSwitch& flag, InterlockedSwitch& which) {
    const struct {
        int CBootLine::*flag;
        InterlockedSwitch which;
    } kInterlocks[] = {
        {&CBootLine::m_bDebug, InterlockedSwitch::kDebug},
        {&CBootLine::m_bNoDebug, InterlockedSwitch::kNoDebug},
        {&CBootLine::m_bPae, InterlockedSwitch::kPae},
        {&CBootLine::m_bNoPae, InterlockedSwitch::kNoPae},
        {&CBootLine::m_bNoLowMem, InterlockedSwitch::kNoLowMem},
    };
    for (const auto& interlock : kInterlocks) {
        if (interlock.flag == flag.flag) {
            which = interlock.which;
            return true;
        }
    }
    return false;
}

void SetFlag(CBootLine& record, const FlagSwitch& flag, int on) {
    if (record.*flag.flag == on)
        return;  // the box is already as asked: nothing is clicked
    record.*flag.flag = on;
    InterlockedSwitch which;
    if (InterlockOf(flag, which)) {
        ApplyInterlock(which, {&record.m_bDebug, &record.m_bNoDebug, &record.m_bPae,
                               &record.m_bNoPae, &record.m_bNoLowMem});
    }
}

int FindUnhandled(const CBootLine& record, const std::string& text) {
    for (int i = 0; i < record.m_arrUnhandled.GetSize(); ++i) {
        if (EqualNoCase(record.m_arrUnhandled[i].str(), text))
            return i;
    }
    return -1;
}

bool IsComPort(const CBootLine& record) {
    return record.m_bDebugPort && !EqualNoCase(record.m_strDebugPort.str(), "1394");
}
bool Is1394(const CBootLine& record) {
    return record.m_bDebugPort && EqualNoCase(record.m_strDebugPort.str(), "1394");
}

void Clear(CBootLine& record, const ValueSwitch& value) {
    record.*value.marker = 0;
    (record.*value.value).Empty();
}

void RemoveValue(CBootLine& record, const ValueSwitch& value) {
    const bool wasCom = IsComPort(record);
    const bool was1394 = Is1394(record);
    Clear(record, value);
    // As the dialog's boxes: no port, no rate or channel; the partner of a port goes with it.
    if (value.marker == &CBootLine::m_bDebugPort) {
        record.m_bBaudRate = 0;
        record.m_bChannel = 0;
    } else if (value.marker == &CBootLine::m_bBaudRate && wasCom) {
        record.m_bDebugPort = 0;
    } else if (value.marker == &CBootLine::m_bChannel && was1394) {
        record.m_bDebugPort = 0;
    }
}

// The list's entry for a value typed on the command line, compared whole; false when none.
bool FindListEntry(const std::vector<std::string>& entries, const std::string& value,
                   std::string& entry) {
    for (const std::string& candidate : entries) {
        if (EqualNoCase(candidate, value)) {
            entry = candidate;
            return true;
        }
    }
    return false;
}

bool AddValue(CBootLine& record, const Switch& given, std::string& refusal) {
    const ValueSwitch& value = *given.value;
    if (!given.hasValue) {
        refusal = std::string("/") + value.name + " takes a value: /" + value.name + "=VALUE.";
        return false;
    }
    std::string text = given.valueText;
    if (value.marker == &CBootLine::m_bDebugPort) {
        if (!FindListEntry(DebugPortNames(), text, text)) {
            refusal = "Unknown debug port '" + given.valueText + "': the port is one of " +
                      Joined(DebugPortNames()) + ".";
            return false;
        }
        // A COM port takes a baud rate and 1394 a channel, never the other one.
        if (text == "1394") {
            record.m_bBaudRate = 0;
        } else {
            record.m_bChannel = 0;
        }
    } else if (value.marker == &CBootLine::m_bBaudRate) {
        if (!FindListEntry(BaudRateNames(), text, text)) {
            refusal = "Unknown baud rate '" + given.valueText + "': the rate is one of " +
                      Joined(BaudRateNames()) + ".";
            return false;
        }
    }
    record.*value.marker = 1;
    record.*value.value = CString(text);
    return true;
}

bool CheckDebugPortPartners(const CBootLine& record, std::string& refusal) {
    if (IsComPort(record) && !record.m_bBaudRate) {
        refusal = "/DebugPort=" + record.m_strDebugPort.str() +
                  " takes a baud rate: add /baudrate=RATE (" + Joined(BaudRateNames()) + ").";
    } else if (Is1394(record) && !record.m_bChannel) {
        refusal = "/DebugPort=1394 takes a channel: add /channel=N (1 to 62).";
    } else if (record.m_bBaudRate && !IsComPort(record)) {
        refusal = "A baud rate is for a COM debug port: add /debugport=COM1 (to COM4).";
    } else if (record.m_bChannel && !Is1394(record)) {
        refusal = "A channel is for the 1394 debug port: add /debugport=1394.";
    } else {
        return true;
    }
    return false;
}

bool IsDebugPortOption(const Switch& given) {
    return given.value && (given.value->marker == &CBootLine::m_bDebugPort ||
                           given.value->marker == &CBootLine::m_bBaudRate ||
                           given.value->marker == &CBootLine::m_bChannel);
}

// Whether the record holds the switch as asked.
bool Holds(const CBootLine& record, const Switch& given) {
    if (given.flag)
        return record.*given.flag->flag != 0;
    if (given.value)
        return record.*given.value->marker != 0;
    return FindUnhandled(record, given.text) >= 0;
}

}  // namespace

std::vector<std::string> BaudRateNames() {
    std::vector<std::string> names;
    const DialogTemplate* editor = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    for (int i = 0; editor && i < editor->initDataCount; ++i) {
        if (editor->initData[i].controlId == IDC_BAUDRATE_LIST)
            names.push_back(editor->initData[i].text);
    }
    return names;
}

void UseListSpellings(CBootLine& record) {
    // The dialog finds a value in its list as the list control does: the first entry that begins
    // with it.
    const struct {
        int CBootLine::*marker;
        CString CBootLine::*value;
        std::vector<std::string> entries;
    } lists[] = {{&CBootLine::m_bDebugPort, &CBootLine::m_strDebugPort, DebugPortNames()},
                 {&CBootLine::m_bBaudRate, &CBootLine::m_strBaudRate, BaudRateNames()}};
    for (const auto& list : lists) {
        const std::string value = (record.*list.value).str();
        if (!(record.*list.marker) || value.empty())
            continue;
        for (const std::string& entry : list.entries) {
            if (BeginsWithNoCase(entry, value)) {
                record.*list.value = CString(entry);
                break;
            }
        }
    }
}

bool EditSwitches(CBootLine& record, const std::vector<std::string>& added,
                  const std::vector<std::string>& removed, std::string& refusal) {
    std::vector<Switch> adds(added.size());
    std::vector<Switch> removes(removed.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (!Classify(added[i], adds[i], refusal))
            return false;
    }
    for (std::size_t i = 0; i < removed.size(); ++i) {
        if (!Classify(removed[i], removes[i], refusal))
            return false;
    }
    bool debugPortTouched = false;
    for (const Switch& given : removes) {
        debugPortTouched |= IsDebugPortOption(given);
        if (given.flag) {
            SetFlag(record, *given.flag, 0);
        } else if (given.value) {
            RemoveValue(record, *given.value);
        } else {
            for (int at; (at = FindUnhandled(record, given.text)) >= 0;)
                record.m_arrUnhandled.RemoveAt(at);
        }
    }
    for (const Switch& given : adds) {
        debugPortTouched |= IsDebugPortOption(given);
        if (given.flag) {
            SetFlag(record, *given.flag, 1);
        } else if (given.value) {
            if (!AddValue(record, given, refusal))
                return false;
        } else if (FindUnhandled(record, given.text) < 0) {
            record.m_arrUnhandled.Add(CString(given.text));
        }
    }
    // A switch that the rules took away again, or put back, was asked for against them.
    for (std::size_t i = 0; i < adds.size(); ++i) {
        if (!Holds(record, adds[i])) {
            refusal = "Unable to add " + added[i] +
                      " together with the other switches: Debug and NoDebug, and PAE and "
                      "NoPAE, exclude each other, and NoLowMem needs PAE.";
            return false;
        }
    }
    for (std::size_t i = 0; i < removes.size(); ++i) {
        if (Holds(record, removes[i])) {
            refusal = "Unable to remove " + removed[i] +
                      " while adding it or a switch that needs it (NoLowMem needs PAE).";
            return false;
        }
    }
    return !debugPortTouched || CheckDebugPortPartners(record, refusal);
}
