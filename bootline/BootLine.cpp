// The boot line: one line of the "[operating systems]" section of BOOT.INI.
//
//   multi(0)disk(0)rdisk(0)partition(1)\WINDOWS="Microsoft Windows XP" /fastdetect /debugport=com1:
//   \_______________ ARC path ________________/ \______ label _______/ \________ switches ________/
//
// Tokens. The line is cut into tokens at every "/" and every newline; a token is a maximal run of
// characters holding neither, so leading, doubled and trailing separators give no empty tokens.
// A line longer than CBootLine::kMaxLineLength characters (one trailing newline not counted) is
// refused whole. A line without any token is not a boot line.
//
// Head. The first token is the head. Its characters before the first "=" are the ARC path, kept as
// they are (spaces and letter case included). A head without "=", or whose first character is
// "=", makes the line not a boot line. If the character right after the "=" is a double quote,
// the label is every following character up to the next double quote or the end of the head; an
// empty label counts as no label. Anything else in the head (text after the closing quote, the
// spaces before the first switch, or all that follows "=" when no quote follows it at once) is
// not kept. A line that begins with "/" therefore takes its first switch as the head.
//
// Switches. Every further token is one switch. Spaces (code 32) anywhere in it carry no meaning
// and are removed first; tabs and all other characters stay. The keys below are then tried in
// order, each compared without regard to ASCII letter case with as many leading characters of the
// switch as the key has; the first match decides and the rest of the switch is ignored, except for
// the valued keys (those ending in "="), whose value is the rest of the switch ("debugport="
// stops its value before the first ":"). The value may be empty. A switch that matches no key is
// kept, de-spaced and in its own letter case, as an unhandled option. A repeated switch sets its
// flag once; a repeated valued switch keeps its later value.
//
// Key order matters where one key begins another: "debugport=" before "debug", and "bootlogo"
// before "bootlog". "nodebug"/"debug" and "pae"/"nopae" do not overlap.
//
// Normal form, as ComposeLine writes it: the ARC path; "=" and the label in double quotes (a bare
// "=" when there is no label); one space; then every switch that is set, each followed by one
// space, in a fixed order and spelling: first the on/off switches, then the valued switches with
// their values, then the unhandled options in the order they stood on the line. Values and
// unhandled options are written as they are held, without quoting.
#include "bootline/BootLine.h"

#include <cstring>
#include <utility>

namespace {

const int kBufferSize = CBootLine::kMaxLineLength + 1;

// One key of the switch vocabulary, in the order the parser tries them. Valued keys name the
// member that receives the value; valueEnd is the character before which the value stops.
struct SwitchKey {
    const char* key;
    int CBootLine::*marker;
    CString CBootLine::*value;
    char valueEnd;
};

const SwitchKey kSwitchKeys[] = {
    {"debugport=", &CBootLine::m_bDebugPort, &CBootLine::m_strDebugPort, ':'},
    {"nodebug", &CBootLine::m_bNoDebug, nullptr, 0},
    {"debug", &CBootLine::m_bDebug, nullptr, 0},
    {"sos", &CBootLine::m_bSos, nullptr, 0},
    {"basevideo", &CBootLine::m_bBaseVideo, nullptr, 0},
    {"fastdetect", &CBootLine::m_bFastDetect, nullptr, 0},
    {"pae", &CBootLine::m_bPae, nullptr, 0},
    {"nopae", &CBootLine::m_bNoPae, nullptr, 0},
    {"3gb", &CBootLine::m_b3GB, nullptr, 0},
    {"bootlogo", &CBootLine::m_bBootLogo, nullptr, 0},
    {"bootlog", &CBootLine::m_bBootLog, nullptr, 0},
    {"onecpu", &CBootLine::m_bOneCpu, nullptr, 0},
    {"crashdebug", &CBootLine::m_bCrashDebug, nullptr, 0},
    {"maxmem=", &CBootLine::m_bMaxMem, &CBootLine::m_strMaxMem, 0},
    {"hal=", &CBootLine::m_bHal, &CBootLine::m_strHal, 0},
    {"kernel=", &CBootLine::m_bKernel, &CBootLine::m_strKernel, 0},
    {"channel=", &CBootLine::m_bChannel, &CBootLine::m_strChannel, 0},
    {"baudrate=", &CBootLine::m_bBaudRate, &CBootLine::m_strBaudRate, 0},
    {"INTAFFINITY", &CBootLine::m_bIntAffinity, nullptr, 0},
    {"NOGUIBOOT", &CBootLine::m_bNoGuiBoot, nullptr, 0},
    {"NOLOWMEM", &CBootLine::m_bNoLowMem, nullptr, 0},
    {"PCILOCK", &CBootLine::m_bPciLock, nullptr, 0},
};

// On/off switches in the order and spelling of the normal form.
struct WrittenFlag {
    int CBootLine::*flag;
    const char* text;
};

const WrittenFlag kWrittenFlags[] = {
    {&CBootLine::m_bIntAffinity, "/INTAFFINITY "},
    {&CBootLine::m_bNoGuiBoot, "/NOGUIBOOT "},
    {&CBootLine::m_bNoLowMem, "/NOLOWMEM "},
    {&CBootLine::m_bPciLock, "/PCILOCK "},
    {&CBootLine::m_bBaseVideo, "/BaseVideo "},
    {&CBootLine::m_bPae, "/PAE "},
    {&CBootLine::m_bNoPae, "/NOPAE "},
    {&CBootLine::m_bBootLog, "/BootLog "},
    {&CBootLine::m_bBootLogo, "/BootLogo "},
    {&CBootLine::m_b3GB, "/3GB "},
    {&CBootLine::m_bDebug, "/Debug "},
    {&CBootLine::m_bNoDebug, "/NoDebug "},
    {&CBootLine::m_bSos, "/SOS "},
    {&CBootLine::m_bFastDetect, "/FastDetect "},
    {&CBootLine::m_bOneCpu, "/OneCpu "},
    {&CBootLine::m_bCrashDebug, "/CrashDebug "},
};

// Valued switches in the order and spelling of the normal form; they follow the on/off switches.
struct WrittenValue {
    int CBootLine::*marker;
    CString CBootLine::*value;
    const char* name;
};

const WrittenValue kWrittenValues[] = {
    {&CBootLine::m_bBaudRate, &CBootLine::m_strBaudRate, "/BaudRate="},
    {&CBootLine::m_bChannel, &CBootLine::m_strChannel, "/Channel="},
    {&CBootLine::m_bDebugPort, &CBootLine::m_strDebugPort, "/DebugPort="},
    {&CBootLine::m_bHal, &CBootLine::m_strHal, "/HAL="},
    {&CBootLine::m_bKernel, &CBootLine::m_strKernel, "/KERNEL="},
    {&CBootLine::m_bMaxMem, &CBootLine::m_strMaxMem, "/MAXMEM="},
};

bool IsTokenSeparator(char c) {
    return c == '/' || c == '\n';
}

// ASCII-only folding keeps key matching independent of the C runtime's locale.
char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool BeginsWithKey(const char* text, const char* key) {
    for (; *key != 0; ++key, ++text) {
        if (FoldCase(*text) != FoldCase(*key))
            return false;
    }
    return true;
}

// Copies a zero-terminated token into a buffer of kBufferSize, optionally leaving out spaces.
// Returns false, with an empty buffer, for a token longer than kMaxLineLength characters.
bool CopyToken(LPCSTR source, char* buffer, bool removeSpaces) {
    int written = 0;
    for (int read = 0; source != nullptr && source[read] != 0; ++read) {
        if (read == CBootLine::kMaxLineLength) {
            buffer[0] = 0;
            return false;
        }
        if (removeSpaces && source[read] == ' ')
            continue;
        buffer[written++] = source[read];
    }
    buffer[written] = 0;
    return true;
}

// Cuts the next token out of the text at position, in place, and moves position past it.
// Returns nullptr when no token is left. The position lives with the caller, so parses never share
// tokenizer state.
char* NextToken(char*& position) {
    while (*position != 0 && IsTokenSeparator(*position))
        ++position;
    if (*position == 0)
        return nullptr;
    char* token = position;
    while (*position != 0 && !IsTokenSeparator(*position))
        ++position;
    if (*position != 0)
        *position++ = 0;
    return token;
}

}  // namespace

CBootLine::CBootLine() {
    Reset();
    std::memset(m_szLine, 0, sizeof(m_szLine));
}

CBootLine::~CBootLine() = default;

void CBootLine::Reset() {
    for (const SwitchKey& key : kSwitchKeys) {
        this->*key.marker = 0;
        if (key.value != nullptr)
            (this->*key.value).Empty();
    }
    m_strLabel.Empty();
    m_bLabel = 0;
    m_strArcPath.Empty();
    m_arrUnhandled.RemoveAll();
}

BOOL CBootLine::ParseLine(LPCSTR pszLine) {
    // Measure without reading further than a too-long line needs.
    int length = 0;
    while (pszLine != nullptr && length <= kMaxLineLength + 1 && pszLine[length] != 0)
        ++length;
    if (length == kMaxLineLength + 1 && pszLine[length - 1] == '\n')
        --length;  // the newline
    if (pszLine == nullptr || length > kMaxLineLength) {
        Reset();
        return FALSE;
    }

    // Copy before resetting: the line may be one of this record's own strings or its buffer.
    std::memmove(m_szLine, pszLine, static_cast<size_t>(length));
    std::memset(m_szLine + length, 0, sizeof(m_szLine) - static_cast<size_t>(length));
    Reset();

    char* position = m_szLine;
    char* head = NextToken(position);
    if (head == nullptr || !ParseHead(head))
        return FALSE;
    while (char* token = NextToken(position))
        ParseSwitch(token);
    return TRUE;
}

BOOL CBootLine::ParseHead(LPCSTR pszHead) {
    char head[kBufferSize];
    const bool fits = CopyToken(pszHead, head, false);
    m_strArcPath.Empty();
    m_strLabel.Empty();
    m_bLabel = 0;
    if (!fits)
        return FALSE;

    const char* equals = std::strchr(head, '=');
    if (equals == nullptr || equals == head)
        return FALSE;
    m_strArcPath = CString(head, static_cast<int>(equals - head));

    if (equals[1] != '"')
        return TRUE;
    const char* label = equals + 2;
    const char* labelEnd = label;
    while (*labelEnd != 0 && *labelEnd != '"')
        ++labelEnd;
    m_strLabel = CString(label, static_cast<int>(labelEnd - label));
    m_bLabel = labelEnd > label ? 1 : 0;
    return TRUE;
}

BOOL CBootLine::ParseSwitch(LPCSTR pszSwitch) {
    char token[kBufferSize];
    if (!CopyToken(pszSwitch, token, true))
        return FALSE;

    for (const SwitchKey& key : kSwitchKeys) {
        if (!BeginsWithKey(token, key.key))
            continue;
        this->*key.marker = 1;
        if (key.value != nullptr) {
            const char* value = token + std::strlen(key.key);
            const char* valueEnd = value;
            while (*valueEnd != 0 && *valueEnd != key.valueEnd)
                ++valueEnd;
            this->*key.value = CString(value, static_cast<int>(valueEnd - value));
        }
        return TRUE;
    }
    m_arrUnhandled.Add(CString(token));
    return TRUE;
}

BOOL CBootLine::ComposeLine(CString& strLine) const {
    // Built apart and moved in at the end, so strLine may be one of this record's own strings.
    CString line(m_strArcPath);
    line += '=';
    if (m_bLabel != 0) {
        line += '"';
        line += m_strLabel;
        line += '"';
    }
    line += ' ';
    for (const WrittenFlag& written : kWrittenFlags) {
        if (this->*written.flag != 0)
            line += written.text;
    }
    for (const WrittenValue& written : kWrittenValues) {
        if (this->*written.marker == 0)
            continue;
        line += written.name;
        line += this->*written.value;
        line += ' ';
    }
    for (int index = 0; index < m_arrUnhandled.GetSize(); ++index) {
        line += '/';
        line += m_arrUnhandled[index];
        line += ' ';
    }
    strLine = std::move(line);
    return TRUE;
}
