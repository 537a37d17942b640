// Parsing and composing single boot lines: which lines are boot lines, the normal form each one
// reaches, composing from records, the line length limit, and reuse of one record.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bootline/BootLine.h"
#include "bootline/tests/BootLineChecks.h"

using bootline_checks::DescribeBrokenInvariant;
using bootline_checks::DescribeDifference;
using bootline_checks::DescribeRoundTripFailure;

namespace {

std::string NormalForm(const CBootLine& record) {
    CString line;
    EXPECT_TRUE(record.ComposeLine(line));
    return line.str();
}

const char kXpLine[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect";

// Every key once, in lower case and in an order unlike the normal form's.
const char kEverySwitchLine[] =
    "a=\"b\" /pcilock /nolowmem /noguiboot /intaffinity /crashdebug /onecpu /fastdetect /sos "
    "/nodebug /debug /3gb /bootlogo /bootlog /nopae /pae /basevideo /maxmem=1 /kernel=k /hal=h "
    "/debugport=com1 /channel=5 /baudrate=9600 /x1 /x2";
const char kEverySwitchNormalForm[] =
    "a=\"b\" /INTAFFINITY /NOGUIBOOT /NOLOWMEM /PCILOCK /BaseVideo /PAE /NOPAE /BootLog /BootLogo "
    "/3GB /Debug /NoDebug /SOS /FastDetect /OneCpu /CrashDebug /BaudRate=9600 /Channel=5 "
    "/DebugPort=com1 /HAL=h /KERNEL=k /MAXMEM=1 /x1 /x2 ";

TEST(BootLineRecord, NewRecordIsEmpty) {
    CBootLine record;
    EXPECT_TRUE(record.m_strArcPath.IsEmpty());
    EXPECT_TRUE(record.m_strLabel.IsEmpty());
    EXPECT_EQ(record.m_bLabel, 0);
    EXPECT_EQ(record.m_arrUnhandled.GetSize(), 0);
    for (const auto& member : bootline_checks::SwitchFlags()) {
        EXPECT_EQ(record.*member.flag, 0) << member.name;
    }
    for (const auto& member : bootline_checks::ValuedOptions()) {
        EXPECT_EQ(record.*member.marker, 0) << member.name;
        EXPECT_TRUE((record.*member.value).IsEmpty()) << member.name;
    }
}

struct ParseCase {
    const char* line;
    const char* normalForm;  // nullptr: the line is not a boot line
};

const ParseCase kParseCases[] = {
    // Not boot lines: no token, no "=" in the head, or "=" first in the head.
    {"", nullptr},
    {"\n", nullptr},
    {"///", nullptr},
    {"/\n//\n", nullptr},
    {"   ", nullptr},
    {"[boot loader]", nullptr},
    {"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", nullptr},
    {"C:\\ /x=1", nullptr},
    {"=\"Label\" /fastdetect", nullptr},
    {"/fastdetect /sos", nullptr},
    {"/=x/sos", nullptr},

    // Real heads and lines.
    {kXpLine,
     "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
     "/FastDetect /noexecute=optin "},
    {"C:\\=\"Previous Operating System on C:\"", "C:\\=\"Previous Operating System on C:\" "},
    {"C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons",
     "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons "},
    {"signature(8b467c12)disk(1)rdisk(0)partition(1)\\WINDOWS=\"Server\" /NoExecute=OptOut",
     "signature(8b467c12)disk(1)rdisk(0)partition(1)\\WINDOWS=\"Server\" /NoExecute=OptOut "},
    {"a=\"b\" /sos\n", "a=\"b\" /SOS "},
    {"a=\"b\"\n/sos", "a=\"b\" /SOS "},

    // The head: ARC path, label and what is dropped.
    {"a=\"Label\"   /sos", "a=\"Label\" /SOS "},
    {"a= \"Label\" /sos", "a= /SOS "},
    {"a=\"\" /sos", "a= /SOS "},
    {"a=junk /sos", "a= /SOS "},
    {"a=", "a= "},
    {"a=\"Label\"junk /sos", "a=\"Label\" /SOS "},
    {"a=\"Label  /sos", "a=\"Label  \" /SOS "},
    {"a=\"x=y\"", "a=\"x=y\" "},
    {"multi(0) disk(0) =\"x\"", "multi(0) disk(0) =\"x\" "},
    {"a=\"Windows 2000/XP\" /sos", "a=\"Windows 2000\" /SOS /XP\" "},
    {"/a=\"b\"/sos", "a=\"b\" /SOS "},
    {"a=\"b\"//sos///pae/", "a=\"b\" /PAE /SOS "},

    // Key order and matching on the key's length.
    {"a=\"b\" /BootLogo", "a=\"b\" /BootLogo "},
    {"a=\"b\" /bootlogox", "a=\"b\" /BootLogo "},
    {"a=\"b\" /bootlog", "a=\"b\" /BootLog "},
    {"a=\"b\" /debugport=com2:", "a=\"b\" /DebugPort=com2 "},
    {"a=\"b\" /debugport=COM1:19200:x", "a=\"b\" /DebugPort=COM1 "},
    {"a=\"b\" /debugport=", "a=\"b\" /DebugPort= "},
    {"a=\"b\" /DebugPort", "a=\"b\" /Debug "},
    {"a=\"b\" /debug", "a=\"b\" /Debug "},
    {"a=\"b\" /nodebug", "a=\"b\" /NoDebug "},
    {"a=\"b\" /nodebug /debug", "a=\"b\" /Debug /NoDebug "},
    {"a=\"b\" /pae", "a=\"b\" /PAE "},
    {"a=\"b\" /nopae", "a=\"b\" /NOPAE "},
    {"a=\"b\" /FASTDETECT:COM1", "a=\"b\" /FastDetect "},
    {"a=\"b\" /sosx /3GBplus", "a=\"b\" /3GB /SOS "},
    {"a=\"b\" /MaxMem /hal /kernel /channel /baudrate",
     "a=\"b\" /MaxMem /hal /kernel /channel /baudrate "},
    {"a=\"b\" /MAXMEM= /hal=", "a=\"b\" /HAL= /MAXMEM= "},

    // Letter case, spaces and repeats.
    {"a=\"b\" /FASTDETECT /FastDetect /fastdetect", "a=\"b\" /FastDetect "},
    {"a=\"b\" /IntAffinity /noGUIboot /NoLowMem /pciLOCK",
     "a=\"b\" /INTAFFINITY /NOGUIBOOT /NOLOWMEM /PCILOCK "},
    {"a=\"b\" /maxmem=64 /MAXMEM=128", "a=\"b\" /MAXMEM=128 "},
    {"a=\"b\" / fast detect / baud rate = 115 200 /hal=my hal.dll",
     "a=\"b\" /FastDetect /BaudRate=115200 /HAL=myhal.dll "},
    {"a=\"b\" /Extra = 1", "a=\"b\" /Extra=1 "},
    {"a=\"b\" /NoExecute=OptIn /sos /USERVA=3030 /Extra = 1",
     "a=\"b\" /SOS /NoExecute=OptIn /USERVA=3030 /Extra=1 "},
    {"a=\"b\" /\tdebug", "a=\"b\" /\tdebug "},
    {"a=\"b\" /sos / ", "a=\"b\" /SOS / "},
    {"a=\"b\" /fastdetect /mystery /baudrate=9600", "a=\"b\" /FastDetect /BaudRate=9600 /mystery "},
    {kEverySwitchLine, kEverySwitchNormalForm},
};

TEST(BootLineParse, LinesReachTheirNormalForm) {
    for (const ParseCase& parseCase : kParseCases) {
        SCOPED_TRACE(std::string("line: ") + parseCase.line);
        CBootLine record;
        const BOOL parsed = record.ParseLine(parseCase.line);
        ASSERT_EQ(parsed, parseCase.normalForm != nullptr ? TRUE : FALSE);
        if (!parsed)
            continue;
        EXPECT_EQ(DescribeBrokenInvariant(record), "");

        EXPECT_EQ(NormalForm(record), parseCase.normalForm);
        EXPECT_EQ(DescribeRoundTripFailure(record), "");
    }
}

TEST(BootLineParse, ValuesKeepTheirLetterCase) {
    CBootLine record;
    ASSERT_TRUE(record.ParseLine("Multi(0)\\WinNT=\"My Label\" /HAL=HalAcpi.DLL /userva=3030"));
    EXPECT_EQ(record.m_strArcPath, "Multi(0)\\WinNT");
    EXPECT_EQ(record.m_strLabel, "My Label");
    EXPECT_EQ(record.m_bLabel, 1);
    EXPECT_EQ(record.m_strHal, "HalAcpi.DLL");
    ASSERT_EQ(record.m_arrUnhandled.GetSize(), 1);
    EXPECT_EQ(record.m_arrUnhandled[0], "userva=3030");
}

TEST(BootLineParse, SecondLineLeavesNothingOfTheFirst) {
    const char* const secondLines[] = {
        "C:\\=\"Previous Operating System on C:\"",
        "x=y",
        "a=\"b\" /maxmem=",
        "a= /nodebug /Other",
    };
    for (const char* second : secondLines) {
        SCOPED_TRACE(second);
        CBootLine reused;
        ASSERT_TRUE(reused.ParseLine(kEverySwitchLine));
        ASSERT_TRUE(reused.ParseLine(second));
        CBootLine fresh;
        ASSERT_TRUE(fresh.ParseLine(second));
        EXPECT_EQ(DescribeDifference(fresh, reused), "");
    }
}

TEST(BootLineParse, ParsesTheRecordsOwnBuffer) {
    CBootLine record;
    std::snprintf(record.m_szLine, sizeof(record.m_szLine), "%s", kXpLine);
    ASSERT_TRUE(record.ParseLine(record.m_szLine));
    EXPECT_EQ(record.m_strLabel, "Microsoft Windows XP Professional");
    EXPECT_EQ(record.m_bFastDetect, 1);
}

// A line of exactly the given length: a head, then unhandled filler, ending in "/sos".
std::string LineOfLength(size_t length) {
    std::string line = "a=\"b\" /";
    line += std::string(length - line.size() - 5, 'x');
    line += " /sos";
    return line;
}

TEST(BootLineLimit, LongestLineParsesWhole) {
    const std::string longest = LineOfLength(CBootLine::kMaxLineLength);
    ASSERT_EQ(longest.size(), 2047u);
    for (const std::string& line : {longest, longest + "\n"}) {
        CBootLine record;
        ASSERT_TRUE(record.ParseLine(line.c_str()));
        EXPECT_EQ(record.m_bSos, 1);
        ASSERT_EQ(record.m_arrUnhandled.GetSize(), 1);
        EXPECT_EQ(record.m_arrUnhandled[0].GetLength(), 2047 - 12);
    }
}

TEST(BootLineLimit, LongerLineIsRefusedNotCut) {
    const std::string longest = LineOfLength(CBootLine::kMaxLineLength);
    const std::string tooLong[] = {
        LineOfLength(CBootLine::kMaxLineLength + 1),
        longest + "\n\n",
        longest + "/",
        LineOfLength(100000),
    };
    for (const std::string& line : tooLong) {
        SCOPED_TRACE(line.size());
        CBootLine record;
        ASSERT_TRUE(record.ParseLine(kEverySwitchLine));
        EXPECT_FALSE(record.ParseLine(line.c_str()));
        // Nothing of the refused line, nor of the line before it, is left in the record.
        EXPECT_EQ(DescribeDifference(CBootLine(), record), "");
    }
}

TEST(BootLineLimit, OverlongTokensAreRefusedByTheSteps) {
    const std::string longToken = "sos" + std::string(CBootLine::kMaxLineLength, ' ');
    CBootLine record;
    EXPECT_FALSE(record.ParseSwitch(longToken.c_str()));
    EXPECT_EQ(DescribeDifference(CBootLine(), record), "");
    EXPECT_TRUE(record.ParseSwitch(longToken.substr(0, CBootLine::kMaxLineLength).c_str()));
    EXPECT_EQ(record.m_bSos, 1);

    const std::string longHead = "a=" + std::string(CBootLine::kMaxLineLength, 'x');
    EXPECT_FALSE(record.ParseHead(longHead.c_str()));
    EXPECT_TRUE(record.ParseHead(longHead.substr(0, CBootLine::kMaxLineLength).c_str()));
    EXPECT_EQ(record.m_strArcPath, "a");
}

CBootLine LabelledRecord() {
    CBootLine record;
    record.m_strArcPath = "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";
    record.m_strLabel = "XP";
    record.m_bLabel = 1;
    return record;
}

struct ComposeCase {
    const char* what;
    std::function<void(CBootLine&)> change;
    const char* line;
};

TEST(BootLineCompose, RecordsComposeToTheirLine) {
    const std::string arc = "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";
    const ComposeCase cases[] = {
        {"label only", [](CBootLine&) {}, "=\"XP\" "},
        {"FastDetect only", [](CBootLine& r) { r.m_bFastDetect = 1; }, "=\"XP\" /FastDetect "},
        {"empty value", [](CBootLine& r) { r.m_bHal = 1; }, "=\"XP\" /HAL= "},
        {"value without marker", [](CBootLine& r) { r.m_strHal = "x.dll"; }, "=\"XP\" "},
        {"value written as held",
         [](CBootLine& r) {
             r.m_bHal = 1;
             r.m_strHal = "my hal.dll";
         },
         "=\"XP\" /HAL=my hal.dll "},
        {"both debug switches",
         [](CBootLine& r) {
             r.m_bDebug = 1;
             r.m_bNoDebug = 1;
         },
         "=\"XP\" /Debug /NoDebug "},
        {"marked empty label", [](CBootLine& r) { r.m_strLabel.Empty(); }, "=\"\" "},
        {"no label",
         [](CBootLine& r) {
             r.m_bLabel = 0;
             r.m_bSos = 1;
         },
         "= /SOS "},
        {"everything",
         [](CBootLine& r) {
             for (const auto& member : bootline_checks::SwitchFlags())
                 r.*member.flag = 1;
             for (const auto& member : bootline_checks::ValuedOptions()) {
                 r.*member.marker = 1;
                 r.*member.value = member.name;
             }
             r.m_arrUnhandled.Add("NOEXECUTE=OPTIN");
             r.m_arrUnhandled.Add("userva=3030");
         },
         "=\"XP\" /INTAFFINITY /NOGUIBOOT /NOLOWMEM /PCILOCK /BaseVideo /PAE /NOPAE /BootLog "
         "/BootLogo /3GB /Debug /NoDebug /SOS /FastDetect /OneCpu /CrashDebug /BaudRate=BaudRate "
         "/Channel=Channel /DebugPort=DebugPort /HAL=Hal /KERNEL=Kernel /MAXMEM=MaxMem "
         "/NOEXECUTE=OPTIN /userva=3030 "},
    };
    for (const ComposeCase& composeCase : cases) {
        SCOPED_TRACE(composeCase.what);
        CBootLine record = LabelledRecord();
        composeCase.change(record);
        const CBootLine before = record;
        CString line = "previous content";
        EXPECT_TRUE(record.ComposeLine(line));
        EXPECT_EQ(line.str(), arc + composeCase.line);
        EXPECT_EQ(DescribeDifference(before, record), "");
    }
}

TEST(BootLineCompose, LinesWithoutLabelStayBootLines) {
    // Read without a label (no quote right after "=", or empty quotes), written back with a bare
    // "=": the line keeps its ARC path and still has no label.
    for (const char* line : {"C:\\= \"Old\" /fastdetect", "C:\\=\"\" /fastdetect"}) {
        SCOPED_TRACE(line);
        CBootLine record;
        ASSERT_TRUE(record.ParseLine(line));
        ASSERT_EQ(record.m_bLabel, 0);
        EXPECT_EQ(NormalForm(record), "C:\\= /FastDetect ");
        EXPECT_EQ(DescribeRoundTripFailure(record), "");
    }
}

}  // namespace
