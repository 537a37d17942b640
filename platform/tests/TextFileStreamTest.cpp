#include <gtest/gtest.h>

#include "platform/posix/TextFileStream.h"
#include "platform/tests/TestFiles.h"

namespace {

TEST(TextFileStreamTest, ReadsLinesWithEitherLineEnd) {
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", "[boot loader]\r\ntimeout=30\r\n", {"[boot loader]", "timeout=30"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"mixed", "a\r\nb\nc\r\n", {"a", "b", "c"}},
        {"no final line end", "a\r\nlast", {"a", "last"}},
        {"empty file", "", {}},
        {"only CR LF", "\r\n", {""}},
        {"empty lines", "\n\r\n\nx\n", {"", "", "", "x"}},
        {"CR inside a line is text", "a\rb\r\n", {"a\rb"}},
        {"only the CR before LF is line end", "a\r\r\n", {"a\r"}},
        {"lone CR at the end is text", "a\r", {"a\r"}},
    };
    for (const auto& testCase : cases) {
        TemporaryFolder folder;
        WriteHostFile(folder / "f", testCase.bytes);
        auto stream = TextFileStream::Open(folder / "f");
        ASSERT_TRUE(stream) << testCase.name;
        EXPECT_EQ(testCase.lines, ReadAllLines(*stream)) << testCase.name;
        CString line("left over");
        EXPECT_FALSE(stream->ReadLine(line)) << testCase.name;
        EXPECT_TRUE(line.IsEmpty()) << testCase.name;
    }
}

TEST(TextFileStreamTest, ReadsAVeryLongLineWhole) {
    std::string longLine(100000, 'x');
    longLine[0] = 'a';
    longLine.back() = 'z';
    for (const std::string& bytes : {longLine + "\r\nnext\r\n", "first\n" + longLine}) {
        TemporaryFolder folder;
        WriteHostFile(folder / "f", bytes);
        auto stream = TextFileStream::Open(folder / "f");
        ASSERT_TRUE(stream);
        std::vector<std::string> lines = ReadAllLines(*stream);
        ASSERT_EQ(2u, lines.size());
        EXPECT_TRUE(lines[0] == longLine || lines[1] == longLine);
    }
}

TEST(TextFileStreamTest, RewriteCycleWritesCrLfLines) {
    TemporaryFolder folder;
    WriteHostFile(folder / "f", "one\ntwo\r\nthree");
    auto stream = TextFileStream::Open(folder / "f");
    ASSERT_TRUE(stream);
    std::vector<std::string> lines = ReadAllLines(*stream);
    lines.insert(lines.begin() + 1, "inserted");
    ASSERT_TRUE(stream->Rewind());
    ASSERT_TRUE(stream->Truncate());
    for (const std::string& line : lines)
        ASSERT_TRUE(stream->WriteLine(line.c_str()));
    ASSERT_TRUE(stream->Flush());
    EXPECT_EQ("one\r\ninserted\r\ntwo\r\nthree\r\n", ReadHostFile(folder / "f"));
    ASSERT_TRUE(stream->Rewind());
    EXPECT_EQ(lines, ReadAllLines(*stream));
}

TEST(TextFileStreamTest, ShorterRewriteLeavesNothingOfTheOldContent) {
    TemporaryFolder folder;
    WriteHostFile(folder / "f", "a long first line\r\nsecond\r\n");
    auto stream = TextFileStream::Open(folder / "f");
    ASSERT_TRUE(stream);
    ReadAllLines(*stream);
    ASSERT_TRUE(stream->Rewind());
    ASSERT_TRUE(stream->Truncate());
    ASSERT_TRUE(stream->WriteLine("x"));
    ASSERT_TRUE(stream->Flush());
    EXPECT_EQ("x\r\n", ReadHostFile(folder / "f"));
}

TEST(TextFileStreamTest, TruncateAtTheEndLeavesNoGapOfZeroBytes) {
    TemporaryFolder folder;
    WriteHostFile(folder / "f", "abc\r\ndef\r\n");
    auto stream = TextFileStream::Open(folder / "f");
    ASSERT_TRUE(stream);
    ReadAllLines(*stream);  // the position is at the end, 10 bytes in
    ASSERT_TRUE(stream->Truncate());
    ASSERT_TRUE(stream->WriteLine("new"));
    ASSERT_TRUE(stream->Flush());
    EXPECT_EQ("new\r\n", ReadHostFile(folder / "f"));
}

TEST(TextFileStreamTest, WritesAfterReadingWithoutRepositioning) {
    TemporaryFolder folder;
    WriteHostFile(folder / "f", "a\r\nb\r\n");
    auto stream = TextFileStream::Open(folder / "f");
    ASSERT_TRUE(stream);
    CString line;
    ASSERT_TRUE(stream->ReadLine(line));
    ASSERT_TRUE(stream->WriteLine("X"));  // overwrites "b\r\n" in place, as C's "r+" would
    ASSERT_TRUE(stream->Flush());
    EXPECT_EQ("a\r\nX\r\n", ReadHostFile(folder / "f"));
}

TEST(TextFileStreamTest, OpenNeedsAnExistingRegularFile) {
    TemporaryFolder folder;
    EXPECT_FALSE(TextFileStream::Open(folder / "missing"));
    EXPECT_FALSE(TextFileStream::Open(folder.Path()));
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

TEST(TextFileStreamTest, ClosedStreamRefusesEveryOperation) {
    TemporaryFolder folder;
    WriteHostFile(folder / "f", "a\r\n");
    auto stream = TextFileStream::Open(folder / "f");
    ASSERT_TRUE(stream);
    EXPECT_TRUE(stream->Close());
    CString line;
    EXPECT_FALSE(stream->ReadLine(line));
    EXPECT_FALSE(stream->WriteLine("x"));
    EXPECT_FALSE(stream->Rewind());
    EXPECT_FALSE(stream->Truncate());
    EXPECT_FALSE(stream->Flush());
    EXPECT_FALSE(stream->Close());
    EXPECT_EQ("a\r\n", ReadHostFile(folder / "f"));
}

}  // namespace
