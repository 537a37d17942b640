// Reading the staging file, finding the boot lines of its section, and writing it back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>

#include "editor/tests/ProgramHarness.h"
#include "store/StagingFile.h"

namespace {

std::string FixtureBytes(const std::string& name) {
    std::ifstream file("store/tests/fixtures/" + name, std::ios::binary);
    if (!file)
        throw std::runtime_error("missing fixture " + name);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The file as a rewrite must leave it: every line end CR-LF, the last line ended too.
std::string WithCrLfLineEnds(const std::string& bytes) {
    std::string lines;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        if (bytes[i] == '\n') {
            lines += "\r\n";
        } else {
            lines += bytes[i];
        }
    }
    const bool ended = lines.size() >= 2 && lines.compare(lines.size() - 2, 2, "\r\n") == 0;
    if (!lines.empty() && !ended)
        lines += "\r\n";
    return lines;
}

// Reads bytes as the staging file, as the editor does.
CStringArray ReadAsStagingFile(FakePlatform& platform, const std::string& bytes) {
    platform.WriteFileBytes(kStagingPath, bytes);
    std::unique_ptr<ITextStream> stream = platform.OpenTextStream(kStagingPath);
    CStringArray lines;
    ReadStagingLines(*stream, lines);
    return lines;
}

using Listed = std::vector<std::pair<int, std::string>>;

Listed ListedLines(const CStringArray& lines) {
    Listed listed;
    for (const BootLineEntry& entry : FindBootLines(lines)) {
        listed.emplace_back(entry.lineIndex, entry.arcPath.str());
    }
    return listed;
}

struct LoaderCase {
    const char* name;
    const char* fixture;
    int lineCount;
    Listed listed;  // (line index, ARC path) of each listed boot line, in list order
};

class SectionLoaderTest : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(SectionLoaderTest, ListsTheSectionsBootLinesAndKeepsEveryLine) {
    const LoaderCase& testCase = GetParam();
    FakePlatform platform;
    const std::string bytes = FixtureBytes(testCase.fixture);
    CStringArray lines = ReadAsStagingFile(platform, bytes);
    EXPECT_EQ(lines.GetSize(), testCase.lineCount);
    EXPECT_EQ(ListedLines(lines), testCase.listed);

    // Written back, no line is lost, cut, split or added; only the line ends become CR-LF.
    std::unique_ptr<ITextStream> stream = platform.OpenTextStream(kStagingPath);
    ASSERT_TRUE(WriteStagingLines(*stream, lines));
    std::string written;
    platform.ReadFileBytes(kStagingPath, written);
    EXPECT_EQ(written, WithCrLfLineEnds(bytes));
    EXPECT_TRUE(StagingFileHolds(*stream, lines));
}

const char kXpArcPath[] = "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";

const LoaderCase kLoaderCases[] = {
    {"HeaderInAnyCase", "header-case.ini", 6, {{4, kXpArcPath}, {5, "C:\\"}}},
    {"SectionRunsToTheEndOfTheFile", "header-case.ini", 6, {{4, kXpArcPath}, {5, "C:\\"}}},
    {"LeadingBlankMakesAnotherLine", "leading-blank.ini", 4, {}},
    {"TrailingBlanksStillOpenTheSection", "trailing-blank.ini", 4, {{3, kXpArcPath}}},
    {"SecondHeaderRightAfterClosesTheSection", "second-header.ini", 4, {{1, "multi(0)"}}},
    {"LaterHeaderReopensTheSection", "reopened.ini", 6, {{1, "multi(0)"}, {5, "multi(1)"}}},
    {"RejectedLinesAreKeptButNotListed", "rejected.ini", 7, {{5, "multi(0)"}}},
    {"LastLineWithoutLineEnd", "no-final-line-end.ini", 3, {{1, "multi(0)"}, {2, "multi(1)"}}},
    {"LineFeedFile", "lf.ini", 5, {{3, "multi(0)"}, {4, "multi(1)"}}},
    {"MixedLineEnds", "mixed-line-ends.ini", 5, {{3, "multi(0)"}, {4, "multi(1)"}}},
    {"FileOrderNotAlphabetical",
     "equal-arc-paths.ini",
     4,
     {{1, "zeta(0)"}, {2, "alpha(0)"}, {3, "zeta(0)"}}},
    {"NoSection", "no-section.ini", 3, {}},
    {"EmptyFile", "empty.ini", 0, {}},
};

INSTANTIATE_TEST_SUITE_P(Fixtures, SectionLoaderTest, ::testing::ValuesIn(kLoaderCases),
                         CaseName());

TEST(SectionLoader, CrLfAndLfFilesReadAsTheSameLines) {
    FakePlatform platform;
    const std::string lf = FixtureBytes("lf.ini");
    CStringArray fromLf = ReadAsStagingFile(platform, lf);
    CStringArray fromCrLf = ReadAsStagingFile(platform, WithCrLfLineEnds(lf));
    EXPECT_TRUE(fromLf == fromCrLf);
    EXPECT_EQ(fromLf[3], "multi(0)=\"A\"");
}

// Lines are read whole, however long. One longer than a boot line may be is kept and written back
// unchanged, but not listed.
TEST(SectionLoader, KeepsLongLinesWholeAndListsOnlyThoseABootLineMayHold) {
    const std::string longest =
        "multi(0)=\"" + std::string(CBootLine::kMaxLineLength - 11, 'a') + "\"";
    const std::string tooLong =
        "multi(1)=\"" + std::string(CBootLine::kMaxLineLength - 10, 'b') + "\"";
    const std::string huge = "multi(2)=\"" + std::string(10000, 'c') + "\" /sos";
    ASSERT_EQ(static_cast<int>(longest.size()), CBootLine::kMaxLineLength);
    ASSERT_EQ(static_cast<int>(tooLong.size()), CBootLine::kMaxLineLength + 1);
    const std::string bytes = "[operating systems]\r\n" + longest + "\r\n" + tooLong + "\r\n" +
                              huge + "\r\nmulti(3)=\"short\"\r\n";
    FakePlatform platform;
    CStringArray lines = ReadAsStagingFile(platform, bytes);
    ASSERT_EQ(lines.GetSize(), 5);
    EXPECT_EQ(lines[2].str(), tooLong);
    EXPECT_EQ(lines[3].str(), huge);
    EXPECT_EQ(ListedLines(lines), (Listed{{1, "multi(0)"}, {4, "multi(3)"}}));

    std::unique_ptr<ITextStream> stream = platform.OpenTextStream(kStagingPath);
    ASSERT_TRUE(WriteStagingLines(*stream, lines));
    std::string written;
    platform.ReadFileBytes(kStagingPath, written);
    EXPECT_EQ(written, bytes);
}

TEST(SectionLoader, RecognisesTheHeaderLine) {
    struct Case {
        const char* line;
        bool opens;
    };
    const Case cases[] = {
        {"[operating systems]", true},   {"[OPERATING SYSTEMS]", true},
        {"[Operating Systems] ", true},  {"[operating systems]\t \t", true},
        {" [operating systems]", false}, {"\t[operating systems]", false},
        {"[operating systems]x", false}, {"[operating  systems]", false},
        {"[operating systems", false},   {"", false},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(IsSectionHeader(testCase.line) != FALSE, testCase.opens) << testCase.line;
    }
    // A zero byte is not a blank, and nothing may follow the header's blanks.
    EXPECT_FALSE(IsSectionHeader(CString(std::string("[operating systems]\0", 20))));
    EXPECT_FALSE(IsSectionHeader(CString(std::string("[operating systems] \0 ", 22))));
}

// Through the editor: the boot-line list holds the section's lines in file order.
TEST(SectionLoader, TheEditorListsEqualArcPathsInFileOrder) {
    ProgramHarness harness;
    harness.RunEditor(
        FixtureBytes("equal-arc-paths.ini"), [](TestDialogWindow& window, CBootEditDlg&) {
            std::vector<std::string> texts;
            for (const CString& entry : window.Entries(IDC_BOOTLINE_LIST)) {
                texts.push_back(entry.str());
            }
            EXPECT_EQ(texts, (std::vector<std::string>{"zeta(0)", "alpha(0)", "zeta(0)"}));
            EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Z1");
            window.PressCancel();
        });
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
