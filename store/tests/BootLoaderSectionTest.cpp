// timeout= and default= of the "[boot loader]" section, and the order of the boot lines: what is
// read, and that a change touches only the lines it must.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/tests/ProgramHarness.h"
#include "store/BootLoaderSection.h"

namespace {

using Lines = std::vector<std::string>;

CStringArray ToArray(const Lines& lines) {
    CStringArray array;
    for (const std::string& line : lines)
        array.Add(CString(line));
    return array;
}

Lines FromArray(const CStringArray& array) {
    Lines lines;
    for (int index = 0; index < array.GetSize(); ++index)
        lines.push_back(array[index].str());
    return lines;
}

const char kXp[] = "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";
const char kXpLine[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect";
const char kW2kLine[] = "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" /fastdetect";
const char kConsoleLine[] =
    "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons";

// ---- Reading.

struct ReadCase {
    const char* name;
    Lines lines;
    bool hasTimeout;
    int timeout;
    bool hasDefault;
    const char* defaultPath;
};

class ReadBootLoaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadBootLoaderTest, ReadsTimeoutAndDefault) {
    const ReadCase& testCase = GetParam();
    const CStringArray lines = ToArray(testCase.lines);
    int seconds = -1;
    EXPECT_EQ(ReadBootTimeout(lines, seconds), testCase.hasTimeout ? TRUE : FALSE);
    if (testCase.hasTimeout) {
        EXPECT_EQ(seconds, testCase.timeout);
    }
    CString arcPath;
    EXPECT_EQ(ReadBootDefault(lines, arcPath), testCase.hasDefault ? TRUE : FALSE);
    if (testCase.hasDefault) {
        EXPECT_EQ(arcPath.str(), testCase.defaultPath);
    }
}

const ReadCase kReadCases[] = {
    {"AsWindowsWritesIt",
     {"[boot loader]", "timeout=30", std::string("default=") + kXp, "[operating systems]", kXpLine},
     true,
     30,
     true,
     kXp},
    {"AnyLetterCaseAndBlanks",
     {"[Boot Loader]  ", "  TimeOut = 5 ", "\tDEFAULT =  C:\\ ", "[operating systems]"},
     true,
     5,
     true,
     "C:\\"},
    {"ZeroTimeout", {"[boot loader]", "timeout=0"}, true, 0, false, ""},
    {"LongestTimeout", {"[boot loader]", "timeout=999"}, true, 999, false, ""},
    {"FirstOfTwoKeysCounts",
     {"[boot loader]", "timeout=7", "timeout=9", "default=a(0)", "default=b(0)"},
     true,
     7,
     true,
     "a(0)"},
    {"TimeoutNotANumber", {"[boot loader]", "timeout=ten"}, false, 0, false, ""},
    {"TimeoutNegative", {"[boot loader]", "timeout=-1"}, false, 0, false, ""},
    {"TimeoutTooLong", {"[boot loader]", "timeout=1000"}, false, 0, false, ""},
    {"TimeoutEmptyDefaultEmpty", {"[boot loader]", "timeout=", "default="}, false, 0, true, ""},
    {"KeysThatOnlyBeginAlike",
     {"[boot loader]", "timeouts=5", "defaultx=C:\\", "time out=3"},
     false,
     0,
     false,
     ""},
    {"KeysOutsideTheSectionAreNotRead",
     {"timeout=3", "[operating systems]", "default=C:\\", kXpLine},
     false,
     0,
     false,
     ""},
    {"SectionEndsAtTheNextHeader",
     {"[boot loader]", "[other]", "timeout=3", "default=C:\\"},
     false,
     0,
     false,
     ""},
    {"OnlyTheFirstSectionCounts",
     {"[boot loader]", "timeout=4", "[boot loader]", "timeout=8", "default=C:\\"},
     true,
     4,
     false,
     ""},
    {"LeadingBlankMakesAnotherHeader", {" [boot loader]", "timeout=4"}, false, 0, false, ""},
    {"EmptyFile", {}, false, 0, false, ""},
};

INSTANTIATE_TEST_SUITE_P(Files, ReadBootLoaderTest, ::testing::ValuesIn(kReadCases), CaseName());

// ---- Changing the file: exactly the expected lines come out.

struct ChangeCase {
    const char* name;
    Lines before;
    std::function<BOOL(CStringArray&)> change;
    BOOL result;
    Lines after;
};

class ChangeBootLoaderTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangeBootLoaderTest, ChangesOnlyTheLinesItMust) {
    const ChangeCase& testCase = GetParam();
    CStringArray lines = ToArray(testCase.before);
    EXPECT_EQ(testCase.change(lines), testCase.result);
    EXPECT_EQ(FromArray(lines), testCase.after);
}

std::function<BOOL(CStringArray&)> Timeout(int seconds) {
    return [seconds](CStringArray& lines) { return SetBootTimeout(lines, seconds); };
}

std::function<BOOL(CStringArray&)> Default(const char* arcPath) {
    return [arcPath](CStringArray& lines) {
        SetBootDefault(lines, arcPath);
        return TRUE;
    };
}

const std::string kDefaultXp = std::string("default=") + kXp;

const ChangeCase kChangeCases[] = {
    {"TimeoutKeepsTheKeysSpelling",
     {"[Boot Loader]", "TimeOut = 30", kDefaultXp, "[operating systems]", kXpLine},
     Timeout(5),
     TRUE,
     {"[Boot Loader]", "TimeOut = 5", kDefaultXp, "[operating systems]", kXpLine}},
    {"SameTimeoutLeavesTheLine",
     {"[boot loader]", "timeout = 030 "},
     Timeout(30),
     TRUE,
     {"[boot loader]", "timeout = 030 "}},
    {"TimeoutOverAnInvalidValue",
     {"[boot loader]", "timeout=soon"},
     Timeout(0),
     TRUE,
     {"[boot loader]", "timeout=0"}},
    {"MissingTimeoutGoesFirst",
     {"[boot loader]", kDefaultXp, "[operating systems]", kXpLine},
     Timeout(5),
     TRUE,
     {"[boot loader]", "timeout=5", kDefaultXp, "[operating systems]", kXpLine}},
    {"MissingSectionGoesBeforeTheBootLines",
     {"; BOOT.INI", "[operating systems]", kXpLine},
     Timeout(5),
     TRUE,
     {"; BOOT.INI", "[boot loader]", "timeout=5", "[operating systems]", kXpLine}},
    {"MissingSectionInAFileWithoutBootLines",
     {"; nothing here"},
     Timeout(5),
     TRUE,
     {"; nothing here", "[boot loader]", "timeout=5"}},
    {"TimeoutTooLongIsRefused",
     {"[boot loader]", "timeout=30"},
     Timeout(1000),
     FALSE,
     {"[boot loader]", "timeout=30"}},
    {"NegativeTimeoutIsRefused",
     {"[operating systems]"},
     Timeout(-1),
     FALSE,
     {"[operating systems]"}},
    {"DefaultKeepsTheKeysSpelling",
     {"[boot loader]", "timeout=30", std::string("Default = ") + kXp, "[operating systems]"},
     Default("C:\\"),
     TRUE,
     {"[boot loader]", "timeout=30", "Default = C:\\", "[operating systems]"}},
    {"SameDefaultInAnotherCaseLeavesTheLine",
     {"[boot loader]", "DEFAULT=MULTI(0)DISK(0)RDISK(0)PARTITION(1)\\windows  "},
     Default(kXp),
     TRUE,
     {"[boot loader]", "DEFAULT=MULTI(0)DISK(0)RDISK(0)PARTITION(1)\\windows  "}},
    {"MissingDefaultGoesAfterTheTimeout",
     {"[boot loader]", "; menu", "timeout=30", "[operating systems]", kXpLine},
     Default(kXp),
     TRUE,
     {"[boot loader]", "; menu", "timeout=30", kDefaultXp, "[operating systems]", kXpLine}},
    {"MissingDefaultAndTimeoutGoFirst",
     {"[boot loader]", "[operating systems]"},
     Default(kXp),
     TRUE,
     {"[boot loader]", kDefaultXp, "[operating systems]"}},
    {"DefaultInAMissingSection",
     {"[operating systems]", kXpLine},
     Default(kXp),
     TRUE,
     {"[boot loader]", kDefaultXp, "[operating systems]", kXpLine}},
    {"SecondSectionIsLeftAlone",
     {"[boot loader]", "[x]", "[boot loader]", "timeout=8"},
     Timeout(5),
     TRUE,
     {"[boot loader]", "timeout=5", "[x]", "[boot loader]", "timeout=8"}},
};

INSTANTIATE_TEST_SUITE_P(Files, ChangeBootLoaderTest, ::testing::ValuesIn(kChangeCases),
                         CaseName());

// ---- Moving boot lines.

struct MoveCase {
    const char* name;
    Lines before;
    int lineIndex;
    int step;
    int movedTo;
    Lines after;
};

class MoveBootLineTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveBootLineTest, ExchangesTheTextsOfTwoListedLines) {
    const MoveCase& testCase = GetParam();
    CStringArray lines = ToArray(testCase.before);
    EXPECT_EQ(MoveBootLine(lines, testCase.lineIndex, testCase.step), testCase.movedTo);
    EXPECT_EQ(FromArray(lines), testCase.after);
}

const Lines kThreeLines = {"[boot loader]", "timeout=30", kDefaultXp,  "[operating systems]",
                           kXpLine,         kW2kLine,     kConsoleLine};

const MoveCase kMoveCases[] = {
    {"LastLineUp",
     kThreeLines,
     6,
     -1,
     5,
     {"[boot loader]", "timeout=30", kDefaultXp, "[operating systems]", kXpLine, kConsoleLine,
      kW2kLine}},
    {"FirstLineDown",
     kThreeLines,
     4,
     +1,
     5,
     {"[boot loader]", "timeout=30", kDefaultXp, "[operating systems]", kW2kLine, kXpLine,
      kConsoleLine}},
    {"FirstLineUpIsRefused", kThreeLines, 4, -1, -1, kThreeLines},
    {"LastLineDownIsRefused", kThreeLines, 6, +1, -1, kThreeLines},
    {"NoStepIsRefused", kThreeLines, 5, 0, -1, kThreeLines},
    {"LineOutsideTheSectionIsRefused", kThreeLines, 1, +1, -1, kThreeLines},
    {"OverARejectedLine",
     {"[operating systems]", kXpLine, "", "; recovery", kConsoleLine},
     4,
     -1,
     1,
     {"[operating systems]", kConsoleLine, "", "; recovery", kXpLine}},
    {"TextMovesAsWritten",
     {"[operating systems]", "C:\\ = \"Old\"   /x", "c:\\cmdcons\\bootsect.dat=\"R\"  /CMDCONS"},
     2,
     -1,
     1,
     {"[operating systems]", "c:\\cmdcons\\bootsect.dat=\"R\"  /CMDCONS", "C:\\ = \"Old\"   /x"}},
};

INSTANTIATE_TEST_SUITE_P(Files, MoveBootLineTest, ::testing::ValuesIn(kMoveCases), CaseName());

// ---- Which line is the default.

TEST(DefaultBootLine, IsTheFirstListedLineWithItsArcPathInAnyCase) {
    struct Case {
        const char* name;
        Lines lines;
        int defaultLine;
    };
    const Case cases[] = {
        {"exact", kThreeLines, 4},
        {"other case",
         {"[boot loader]", "default=MULTI(0)DISK(0)RDISK(0)PARTITION(2)\\winnt",
          "[operating systems]", kXpLine, kW2kLine},
         4},
        {"first of two with the path",
         {"[boot loader]", "default=C:\\", "[operating systems]", "C:\\=\"One\"", "C:\\=\"Two\""},
         3},
        {"names no listed line",
         {"[boot loader]", "default=C:\\", "[operating systems]", kXpLine},
         -1},
        {"rejected line is not the default",
         {"[boot loader]", "default=C:\\", "[operating systems]", "C:\\", kXpLine},
         -1},
        {"no default", {"[boot loader]", "[operating systems]", kXpLine}, -1},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(FindDefaultBootLine(ToArray(testCase.lines)), testCase.defaultLine)
            << testCase.name;
    }
}

TEST(DefaultBootLine, DeletingItMattersOnlyForTheLastLineWithItsPath) {
    const Lines twoWithThePath = {"[boot loader]", "default=C:\\", "[operating systems]",
                                  "C:\\=\"One\"",  kXpLine,        "c:\\=\"Two\""};
    struct Case {
        const char* name;
        Lines lines;
        int lineIndex;
        BOOL last;
    };
    const Case cases[] = {
        {"the only line with the path", kThreeLines, 4, TRUE},
        {"another line", kThreeLines, 5, FALSE},
        {"first of two with the path", twoWithThePath, 3, FALSE},
        {"second of two with the path", twoWithThePath, 5, FALSE},
        {"no default", {"[operating systems]", kXpLine}, 1, FALSE},
        {"not a listed line", kThreeLines, 2, FALSE},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(IsLastLineOfDefault(ToArray(testCase.lines), testCase.lineIndex), testCase.last)
            << testCase.name;
    }
}

TEST(DefaultBootLine, FollowsItsLineToANewArcPath) {
    const std::string repairedXp =
        "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\"";
    struct Case {
        const char* name;
        Lines before;
        int lineIndex;
        std::string text;
        BOOL moved;
        Lines after;
    };
    const Case cases[] = {
        {"the default line",
         kThreeLines,
         4,
         repairedXp,
         TRUE,
         {"[boot loader]", "timeout=30", "default=multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS",
          "[operating systems]", repairedXp, kW2kLine, kConsoleLine}},
        {"another line",
         kThreeLines,
         5,
         "C:\\=\"Previous\"",
         FALSE,
         {"[boot loader]", "timeout=30", kDefaultXp, "[operating systems]", kXpLine,
          "C:\\=\"Previous\"", kConsoleLine}},
        {"the default line, its path only in another case",
         kThreeLines,
         4,
         "MULTI(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"",
         FALSE,
         {"[boot loader]", "timeout=30", kDefaultXp, "[operating systems]",
          "MULTI(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"", kW2kLine, kConsoleLine}},
        {"the second line with the default's path",
         {"[boot loader]", "default=C:\\", "[operating systems]", "C:\\=\"One\"", "C:\\=\"Two\""},
         4,
         "D:\\=\"Two\"",
         FALSE,
         {"[boot loader]", "default=C:\\", "[operating systems]", "C:\\=\"One\"", "D:\\=\"Two\""}},
    };
    for (const Case& testCase : cases) {
        CStringArray lines = ToArray(testCase.before);
        EXPECT_EQ(ReplaceBootLineKeepingDefault(lines, testCase.lineIndex, CString(testCase.text)),
                  testCase.moved)
            << testCase.name;
        EXPECT_EQ(FromArray(lines), testCase.after) << testCase.name;
    }
}

}  // namespace
