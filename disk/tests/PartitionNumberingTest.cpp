// partition(n) as the boot loader counts it, from the entries a table reader gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk/PartitionNumbering.h"

namespace disk {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

MbrEntry Primary(unsigned slot, unsigned type, std::uint64_t startMiB) {
    return {slot, false, type, startMiB * kMiB, kMiB};
}
MbrEntry Logical(unsigned containerSlot, unsigned type, std::uint64_t startMiB) {
    return {containerSlot, true, type, startMiB * kMiB, kMiB};
}

// Each numbered partition as "n:type@startMiB", and "L" for a logical drive.
std::string Describe(const std::vector<Partition>& partitions) {
    std::string text;
    for (const Partition& partition : partitions) {
        char entry[48];
        std::snprintf(entry, sizeof entry, "%s%u:%02x@%llu%s", text.empty() ? "" : " ",
                      partition.number, partition.typeCode,
                      static_cast<unsigned long long>(partition.start / kMiB),
                      partition.logical ? "L" : "");
        text += entry;
    }
    return text;
}

struct NumberingCase {
    const char* name;
    std::vector<MbrEntry> entries;
    const char* expected;
};

void PrintTo(const NumberingCase& value, std::ostream* out) {
    *out << value.name;
}

class MbrNumbering : public testing::TestWithParam<NumberingCase> {};

TEST_P(MbrNumbering, CountsAsTheBootLoaderDoes) {
    EXPECT_EQ(Describe(NumberMbrPartitions(GetParam().entries)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, MbrNumbering,
    testing::Values(
        NumberingCase{"OnePrimary", {Primary(0, 0x07, 1)}, "1:07@1"},
        NumberingCase{"EmptyTable", {}, ""},
        // Slot order, not disk order: the second slot's partition lies first on the disk.
        NumberingCase{"SlotOrderNotDiskOrder",
                      {Primary(0, 0x07, 100), Primary(1, 0x06, 1)},
                      "1:07@100 2:06@1"},
        NumberingCase{
            "EntriesGivenOutOfOrder", {Primary(2, 0x0c, 3), Primary(0, 0x07, 1)}, "1:07@1 2:0c@3"},
        // A deleted partition in the middle leaves a hole that is not counted.
        NumberingCase{"EmptySlotInTheMiddle",
                      {Primary(0, 0x07, 1), Primary(1, 0x00, 2), Primary(2, 0x0c, 3)},
                      "1:07@1 2:0c@3"},
        // Hidden partitions (0x17 hidden NTFS, 0x1c hidden FAT32) are counted like any other.
        NumberingCase{"HiddenPrimary", {Primary(0, 0x17, 1), Primary(1, 0x07, 2)}, "1:17@1 2:07@2"},
        // Logical drives follow every primary, also one in a later slot than the extended.
        NumberingCase{"LogicalDrivesAfterThePrimaries",
                      {Primary(0, 0x07, 1), Primary(1, 0x0f, 10), Logical(1, 0x07, 11),
                       Logical(1, 0x0b, 20), Primary(2, 0x06, 50)},
                      "1:07@1 2:06@50 3:07@11L 4:0b@20L"},
        NumberingCase{
            "ChsExtendedCountsLikeLba", {Primary(0, 0x05, 10), Logical(0, 0x06, 11)}, "1:06@11L"},
        // Logical drives keep their chain order, even when it is not disk order.
        NumberingCase{
            "ChainOrderNotDiskOrder",
            {Primary(0, 0x07, 1), Primary(1, 0x0f, 10), Logical(1, 0x07, 30), Logical(1, 0x07, 12)},
            "1:07@1 2:07@30L 3:07@12L"},
        // A Linux extended entry is a primary to Windows, and its logical drives are unseen.
        NumberingCase{
            "LinuxExtendedIsAPrimary",
            {Primary(0, 0x07, 1), Primary(1, 0x85, 10), Logical(1, 0x83, 11), Primary(2, 0x0c, 50)},
            "1:07@1 2:85@10 3:0c@50"},
        NumberingCase{
            "LinuxExtendedBesideWindowsExtended",
            {Primary(0, 0x85, 1), Logical(0, 0x83, 2), Primary(1, 0x0f, 10), Logical(1, 0x07, 11)},
            "1:85@1 2:07@11L"},
        // Logical drives whose container is no entry at all are not counted.
        NumberingCase{
            "LogicalWithoutContainer", {Primary(0, 0x07, 1), Logical(3, 0x07, 11)}, "1:07@1"},
        // An empty or extended entry inside the chain is a link, not a drive.
        NumberingCase{"LinksInsideTheChain",
                      {Primary(0, 0x0f, 10), Logical(0, 0x05, 20), Logical(0, 0x00, 30),
                       Logical(0, 0x07, 11)},
                      "1:07@11L"}),
    [](const testing::TestParamInfo<NumberingCase>& param) { return param.param.name; });

TEST(GptNumbering, TableOrderAndTheLoaderCantBootIt) {
    const std::vector<Partition> partitions = NumberGptPartitions(
        {{2 * kMiB, kMiB, "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7"}, {kMiB, kMiB, "X"}});
    ASSERT_EQ(partitions.size(), 2u);
    EXPECT_EQ(partitions[0].number, 1u);
    EXPECT_EQ(partitions[0].start, 2 * kMiB);
    EXPECT_EQ(partitions[0].typeGuid, "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7");
    EXPECT_EQ(partitions[1].number, 2u);

    DiskLayout gpt;
    gpt.labelType = LabelType::kGpt;
    EXPECT_FALSE(gpt.BootableByLoader());
    DiskLayout mbr;
    mbr.labelType = LabelType::kMbr;
    EXPECT_TRUE(mbr.BootableByLoader());
}

TEST(WholeDisk, IsPartitionOne) {
    DiskLayout layout;
    layout.partitions = WholeDiskPartition(64 * kMiB);
    ASSERT_NE(layout.Find(1), nullptr);
    EXPECT_EQ(layout.Find(1)->start, 0u);
    EXPECT_EQ(layout.Find(1)->size, 64 * kMiB);
    EXPECT_EQ(layout.Find(2), nullptr);
    EXPECT_EQ(layout.Find(0), nullptr);
}

TEST(FormatSize, ReadableUnits) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 bytes"},          {1, "1 byte"},           {511, "511 bytes"},
        {1024, "1.0 KiB"},       {16 * kMiB, "16.0 MiB"}, {4096 * kMiB, "4.0 GiB"},
        {1536 * kMiB, "1.5 GiB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatSize(bytes), text) << bytes;
}

}  // namespace
}  // namespace disk
