// CBootLine: one boot line of the "[operating systems]" section of BOOT.INI in decoded form,
// with the parser that fills it from a line and the composer that writes it back in normal form.
// The line grammar is described at the top of BootLine.cpp.
//
// The record is a plain data holder: every member is public, and the editor dialog reads and
// writes the members directly. Copying and assignment are allowed and copy every member.
#pragma once

#include "framework/String.h"
#include "framework/Types.h"

class CBootLine : public CObject {
public:
    // The longest line the record takes, not counting one trailing newline. The work buffer
    // m_szLine holds this many characters and the terminating zero. The store and the dialog use
    // the same figure for the lines they read and write.
    static constexpr int kMaxLineLength = 2047;

    CBootLine();
    CBootLine(const CBootLine& other) = default;
    CBootLine& operator=(const CBootLine& other) = default;
    ~CBootLine() override;

    // Parses one line of the section into the record.
    //
    // TRUE: the line is a boot line (its first token has a non-empty ARC path before an "=") and
    // the record now holds it; nothing of an earlier parse survives.
    // FALSE: the line is not a boot line, and the record's content is of no use. FALSE is
    // returned for:
    //   - a null pointer, an empty line, or a line of nothing but slashes and newlines;
    //   - a line whose head has no "=", or whose head begins with "=";
    //   - a line longer than kMaxLineLength characters (one trailing newline not counted). Such a
    //     line is refused whole, never cut or split, so that whoever holds it writes it back as
    //     it was.
    // Nothing is reported to the user. The line may be any zero-terminated text, including the
    // record's own m_szLine or one of its strings.
    BOOL ParseLine(LPCSTR pszLine);

    // The two steps of ParseLine, each taking one token of at most kMaxLineLength characters.
    // ParseHead sets m_strArcPath, m_strLabel and m_bLabel, and returns FALSE when the token is not
    // the head of a boot line. ParseSwitch sets at most one flag or valued option, or appends one
    // unhandled option, and returns TRUE; for a token longer than kMaxLineLength, which ParseLine
    // never hands it, it returns FALSE and changes nothing.
    BOOL ParseHead(LPCSTR pszHead);
    BOOL ParseSwitch(LPCSTR pszSwitch);

    // Replaces strLine with the line in normal form and returns TRUE; writes no line end. A record
    // without a label (m_bLabel 0) is written as its ARC path and a bare "=", so the line is still
    // a boot line with the same ARC path and parses back to m_bLabel 0.
    BOOL ComposeLine(CString& strLine) const;

    CStringArray m_arrUnhandled;  // switches matching no key, without "/" and spaces, in line order
    CString m_strLabel;           // text between the quotes after "="
    int m_bLabel;
    CString m_strBaudRate;
    int m_bBaudRate;
    CString m_strDebugPort;  // cut before its first ":"
    int m_bDebugPort;
    CString m_strHal;
    int m_bHal;
    CString m_strKernel;
    int m_bKernel;
    CString m_strMaxMem;
    int m_bMaxMem;
    CString m_strChannel;
    int m_bChannel;
    int m_bDebug;
    int m_bNoDebug;
    int m_bPae;
    int m_bNoPae;
    int m_bBaseVideo;
    int m_bCrashDebug;
    int m_b3GB;
    int m_bBootLog;
    int m_bBootLogo;
    int m_bOneCpu;
    int m_bSos;
    int m_bFastDetect;
    int m_bIntAffinity;
    int m_bNoGuiBoot;
    int m_bNoLowMem;
    int m_bPciLock;
    CString m_strArcPath;               // every character before the first "="
    char m_szLine[kMaxLineLength + 1];  // work buffer: the line, cut into tokens in place

private:
    void Reset();
};
