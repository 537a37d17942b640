#include "bootcheck/ArcPath.h"

#include <gtest/gtest.h>

namespace bootcheck {
namespace {

struct Parsed {
    const char* text;
    ArcForm form;
    unsigned long adapter;
    uint32_t signature;
    unsigned long disk, rdisk, partition;
    char drive;
    const char* systemRoot;
};

class ArcPathForms : public ::testing::TestWithParam<Parsed> {};

TEST_P(ArcPathForms, ParsesEveryPart) {
    const Parsed& expected = GetParam();
    auto path = ParseArcPath(expected.text);
    ASSERT_TRUE(path) << expected.text;
    EXPECT_EQ(path->form, expected.form);
    EXPECT_EQ(path->adapter, expected.adapter);
    EXPECT_EQ(path->signature, expected.signature);
    EXPECT_EQ(path->disk, expected.disk);
    EXPECT_EQ(path->rdisk, expected.rdisk);
    EXPECT_EQ(path->partition, expected.partition);
    EXPECT_EQ(path->drive, expected.drive);
    EXPECT_EQ(path->systemRoot, expected.systemRoot);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ArcPathForms,
    ::testing::Values(
        Parsed{"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", ArcForm::Multi, 0, 0, 0, 0, 1, 0,
               "\\WINDOWS"},
        Parsed{"MULTI(0)Disk(0)RDisk(2)Partition(12)\\WINNT", ArcForm::Multi, 0, 0, 0, 2, 12, 0,
               "\\WINNT"},
        Parsed{"scsi(1)disk(3)rdisk(0)partition(2)\\WINDOWS", ArcForm::Scsi, 1, 0, 3, 0, 2, 0,
               "\\WINDOWS"},
        Parsed{"signature(8b467c12)disk(1)rdisk(0)partition(1)\\WINDOWS", ArcForm::Signature, 0,
               0x8b467c12u, 1, 0, 1, 0, "\\WINDOWS"},
        Parsed{"SIGNATURE(8B467C12)disk(0)rdisk(0)partition(1)\\WINDOWS", ArcForm::Signature, 0,
               0x8b467c12u, 0, 0, 1, 0, "\\WINDOWS"},
        Parsed{"signature(1f)disk(0)rdisk(0)partition(1)\\WINDOWS", ArcForm::Signature, 0, 0x1f, 0,
               0, 1, 0, "\\WINDOWS"},
        // The root is the text after the last ")", deeper folders and a trailing "\" included.
        Parsed{"multi(0)disk(0)rdisk(0)partition(1)\\Windows\\XP\\", ArcForm::Multi, 0, 0, 0, 0, 1,
               0, "\\Windows\\XP\\"},
        Parsed{"multi(0)disk(0)rdisk(0)partition(1)", ArcForm::Multi, 0, 0, 0, 0, 1, 0, ""},
        // Spaces the record keeps before "=" are not part of the path.
        Parsed{"  multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS \t", ArcForm::Multi, 0, 0, 0, 0, 3,
               0, "\\WINDOWS"},
        Parsed{"multi(0)disk(0)rdisk(0)partition(007)\\WINDOWS", ArcForm::Multi, 0, 0, 0, 0, 7, 0,
               "\\WINDOWS"},
        Parsed{"C:\\", ArcForm::Drive, 0, 0, 0, 0, 0, 'C', "\\"},
        Parsed{"c:\\CMDCONS\\BOOTSECT.DAT", ArcForm::Drive, 0, 0, 0, 0, 0, 'C',
               "\\CMDCONS\\BOOTSECT.DAT"},
        Parsed{"D:", ArcForm::Drive, 0, 0, 0, 0, 0, 'D', ""}));

class NotArcPaths : public ::testing::TestWithParam<const char*> {};

TEST_P(NotArcPaths, AreRefused) {
    EXPECT_FALSE(ParseArcPath(GetParam())) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    Refused, NotArcPaths,
    ::testing::Values("", "   ", "WINDOWS", "multi(0)disk(0)rdisk(0)\\WINDOWS",
                      "multi(0)disk(0)partition(1)\\WINDOWS", "multi(0)rdisk(0)disk(0)partition(1)",
                      "multi()disk(0)rdisk(0)partition(1)", "multi(x)disk(0)rdisk(0)partition(1)",
                      "multi(0)disk(0)rdisk(0)partition(1",
                      "multi(0)disk(0)rdisk(0)partition(1)WINDOWS",
                      "multi(0) disk(0)rdisk(0)partition(1)\\WINDOWS",
                      "multi(0)disk(0)rdisk(0)partition(1234567890)\\WINDOWS",
                      "signature(123456789)disk(0)rdisk(0)partition(1)\\WINDOWS",
                      "signature(12g4)disk(0)rdisk(0)partition(1)\\WINDOWS",
                      "scsi(0)disk(0)rdisk(0)partition(-1)\\WINDOWS",
                      "eisa(0)disk(0)rdisk(0)partition(1)", "C:WINDOWS", "1:\\"));

TEST(ArcPathRanges, MarkTheCharactersARepairChanges) {
    std::string text = " signature(8B467C12)disk(4)rdisk(0)partition(12)\\WINDOWS";
    auto path = ParseArcPath(text);
    ASSERT_TRUE(path);
    auto at = [&](const TextRange& range) {
        return text.substr(range.begin, range.end - range.begin);
    };
    EXPECT_EQ(at(path->firstNumber), "8B467C12");
    EXPECT_EQ(at(path->diskNumber), "4");
    EXPECT_EQ(at(path->rdiskNumber), "0");
    EXPECT_EQ(at(path->partitionNumber), "12");
    EXPECT_EQ(at(path->systemRootText), "\\WINDOWS");
    EXPECT_EQ(FirstComponent(*path, text), "signature(8B467C12)");
}

}  // namespace
}  // namespace bootcheck
