#include "bootline/tests/BootLineChecks.h"

#include <cctype>

namespace bootline_checks {

const std::vector<FlagMember>& SwitchFlags() {
    static const std::vector<FlagMember> flags = {
        {"m_bDebug", &CBootLine::m_bDebug},
        {"m_bNoDebug", &CBootLine::m_bNoDebug},
        {"m_bPae", &CBootLine::m_bPae},
        {"m_bNoPae", &CBootLine::m_bNoPae},
        {"m_bBaseVideo", &CBootLine::m_bBaseVideo},
        {"m_bCrashDebug", &CBootLine::m_bCrashDebug},
        {"m_b3GB", &CBootLine::m_b3GB},
        {"m_bBootLog", &CBootLine::m_bBootLog},
        {"m_bBootLogo", &CBootLine::m_bBootLogo},
        {"m_bOneCpu", &CBootLine::m_bOneCpu},
        {"m_bSos", &CBootLine::m_bSos},
        {"m_bFastDetect", &CBootLine::m_bFastDetect},
        {"m_bIntAffinity", &CBootLine::m_bIntAffinity},
        {"m_bNoGuiBoot", &CBootLine::m_bNoGuiBoot},
        {"m_bNoLowMem", &CBootLine::m_bNoLowMem},
        {"m_bPciLock", &CBootLine::m_bPciLock},
    };
    return flags;
}

const std::vector<ValuedMember>& ValuedOptions() {
    static const std::vector<ValuedMember> options = {
        {"BaudRate", &CBootLine::m_bBaudRate, &CBootLine::m_strBaudRate},
        {"DebugPort", &CBootLine::m_bDebugPort, &CBootLine::m_strDebugPort},
        {"Hal", &CBootLine::m_bHal, &CBootLine::m_strHal},
        {"Kernel", &CBootLine::m_bKernel, &CBootLine::m_strKernel},
        {"MaxMem", &CBootLine::m_bMaxMem, &CBootLine::m_strMaxMem},
        {"Channel", &CBootLine::m_bChannel, &CBootLine::m_strChannel},
    };
    return options;
}

bool MatchesAnyKey(const std::string& despacedToken) {
    static const char* const keys[] = {
        "debugport=",  "nodebug",   "debug",    "sos",      "basevideo", "fastdetect",
        "pae",         "nopae",     "3gb",      "bootlogo", "bootlog",   "onecpu",
        "crashdebug",  "maxmem=",   "hal=",     "kernel=",  "channel=",  "baudrate=",
        "intaffinity", "noguiboot", "nolowmem", "pcilock",
    };
    std::string lower;
    for (char c : despacedToken)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* key : keys) {
        if (lower.compare(0, std::char_traits<char>::length(key), key) == 0)
            return true;
    }
    return false;
}

namespace {

std::string Quoted(const CString& text) {
    return "\"" + text.str() + "\"";
}

std::string Differs(const std::string& name, const std::string& expected,
                    const std::string& actual) {
    return name + ": expected " + expected + ", got " + actual;
}

bool Contains(const CString& text, char c) {
    return text.str().find(c) != std::string::npos;
}

}  // namespace

std::string DescribeDifference(const CBootLine& expected, const CBootLine& actual) {
    if (expected.m_strArcPath != actual.m_strArcPath) {
        return Differs("m_strArcPath", Quoted(expected.m_strArcPath), Quoted(actual.m_strArcPath));
    }
    if (expected.m_bLabel != actual.m_bLabel) {
        return Differs("m_bLabel", std::to_string(expected.m_bLabel),
                       std::to_string(actual.m_bLabel));
    }
    if (expected.m_strLabel != actual.m_strLabel) {
        return Differs("m_strLabel", Quoted(expected.m_strLabel), Quoted(actual.m_strLabel));
    }
    for (const FlagMember& member : SwitchFlags()) {
        if (expected.*member.flag != actual.*member.flag) {
            return Differs(member.name, std::to_string(expected.*member.flag),
                           std::to_string(actual.*member.flag));
        }
    }
    for (const ValuedMember& member : ValuedOptions()) {
        if (expected.*member.marker != actual.*member.marker) {
            return Differs(std::string("m_b") + member.name,
                           std::to_string(expected.*member.marker),
                           std::to_string(actual.*member.marker));
        }
        if (expected.*member.value != actual.*member.value) {
            return Differs(std::string("m_str") + member.name, Quoted(expected.*member.value),
                           Quoted(actual.*member.value));
        }
    }
    const int expectedCount = expected.m_arrUnhandled.GetSize();
    const int actualCount = actual.m_arrUnhandled.GetSize();
    for (int index = 0; index < expectedCount || index < actualCount; ++index) {
        const std::string expectedEntry =
            index < expectedCount ? Quoted(expected.m_arrUnhandled[index]) : "(none)";
        const std::string actualEntry =
            index < actualCount ? Quoted(actual.m_arrUnhandled[index]) : "(none)";
        if (expectedEntry != actualEntry) {
            return Differs("m_arrUnhandled[" + std::to_string(index) + "]", expectedEntry,
                           actualEntry);
        }
    }
    return "";
}

std::string DescribeBrokenInvariant(const CBootLine& record) {
    if (record.m_strArcPath.IsEmpty())
        return "empty ARC path";
    if (Contains(record.m_strArcPath, '=') || Contains(record.m_strArcPath, '/') ||
        Contains(record.m_strArcPath, '\n')) {
        return "ARC path holds =, / or a newline: " + Quoted(record.m_strArcPath);
    }
    if (record.m_bLabel != 0 && record.m_bLabel != 1)
        return "m_bLabel not 0 or 1";
    if (record.m_bLabel == 0 && !record.m_strLabel.IsEmpty())
        return "label without its marker";
    if (record.m_bLabel == 1 && record.m_strLabel.IsEmpty())
        return "marked label is empty";
    if (Contains(record.m_strLabel, '"') || Contains(record.m_strLabel, '/') ||
        Contains(record.m_strLabel, '\n')) {
        return "label holds a quote, / or a newline: " + Quoted(record.m_strLabel);
    }
    for (const FlagMember& member : SwitchFlags()) {
        const int flag = record.*member.flag;
        if (flag != 0 && flag != 1)
            return std::string(member.name) + " not 0 or 1";
    }
    for (const ValuedMember& member : ValuedOptions()) {
        const int marker = record.*member.marker;
        const CString& value = record.*member.value;
        if (marker != 0 && marker != 1)
            return std::string("m_b") + member.name + " not 0 or 1";
        if (marker == 0 && !value.IsEmpty())
            return std::string(member.name) + " without marker";
        if (Contains(value, '/') || Contains(value, ' ') || Contains(value, '\n')) {
            return std::string(member.name) + " holds /, a space or a newline: " + Quoted(value);
        }
    }
    if (Contains(record.m_strDebugPort, ':'))
        return "debug port holds a colon";
    for (int index = 0; index < record.m_arrUnhandled.GetSize(); ++index) {
        const CString& option = record.m_arrUnhandled[index];
        if (Contains(option, '/') || Contains(option, ' ') || Contains(option, '\n')) {
            return "unhandled option holds /, a space or a newline: " + Quoted(option);
        }
        if (MatchesAnyKey(option.str()))
            return "unhandled option matches a key: " + Quoted(option);
    }
    return "";
}

std::string DescribeRoundTripFailure(const CBootLine& record) {
    CString line;
    record.ComposeLine(line);
    CBootLine parsed;
    if (!parsed.ParseLine(line))
        return "composed line refused: " + Quoted(line);
    const std::string difference = DescribeDifference(record, parsed);
    if (!difference.empty())
        return "composed line " + Quoted(line) + " parses to another record: " + difference;
    CString again;
    parsed.ComposeLine(again);
    if (again != line)
        return "composed line " + Quoted(line) + " composes again as " + Quoted(again);
    return "";
}

}  // namespace bootline_checks

void PrintTo(const CBootLine& record, std::ostream* out) {
    CString line;
    record.ComposeLine(line);
    *out << "CBootLine composing to \"" << line.str() << "\"";
}
