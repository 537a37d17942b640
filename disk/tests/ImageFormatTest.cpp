// Image formats told by their magic bytes, whatever the file is called.
#include <gtest/gtest.h>

#include <string>

#include "disk/ImageFormat.h"

namespace disk {
namespace {

// A VHD footer of the given disk type (big-endian at byte 60).
std::string VhdFooter(unsigned char diskType) {
    std::string footer(kVhdFooterBytes, '\0');
    footer.replace(0, 8, "conectix");
    footer[63] = static_cast<char>(diskType);
    return footer;
}

std::string Head(const std::string& magic, std::size_t at = 0) {
    std::string head(kImageHeadBytes, '\0');
    head.replace(at, magic.size(), magic);
    return head;
}

struct FormatCase {
    const char* name;
    std::string head;
    std::string tail;
    ImageFormat expected;
};

void PrintTo(const FormatCase& value, std::ostream* out) {
    *out << value.name;
}

class Detection : public testing::TestWithParam<FormatCase> {};

TEST_P(Detection, ByMagicBytes) {
    EXPECT_EQ(DetectImageFormat(GetParam().head, GetParam().tail), GetParam().expected);
}

const std::string kZeros(kImageHeadBytes, '\0');
const std::string kMbr = [] {
    std::string sector(kImageHeadBytes, '\0');
    sector[510] = '\x55';
    sector[511] = '\xaa';
    return sector;
}();

INSTANTIATE_TEST_SUITE_P(
    Formats, Detection,
    testing::Values(
        FormatCase{"RawMbr", kMbr, kMbr, ImageFormat::kRaw},
        FormatCase{"EmptyFile", "", "", ImageFormat::kRaw},
        FormatCase{"ShortGarbage", "QF", "", ImageFormat::kRaw},
        FormatCase{"Qcow2", Head(std::string("QFI\xfb\0\0\0\3", 8)), kZeros, ImageFormat::kQcow2},
        FormatCase{"QcowVersion1", Head(std::string("QFI\xfb\0\0\0\1", 8)), kZeros,
                   ImageFormat::kQcow},
        FormatCase{"Vhdx", Head("vhdxfile"), kZeros, ImageFormat::kVhdx},
        FormatCase{"SparseVmdk", Head("KDMV"), kZeros, ImageFormat::kVmdk},
        FormatCase{"VmdkDescriptor", Head("# Disk DescriptorFile\nversion=1\n"), kZeros,
                   ImageFormat::kVmdk},
        FormatCase{
            "Vdi",
            Head("<<< Oracle VM VirtualBox Disk Image >>>\n").replace(64, 4, "\x7f\x10\xda\xbe"),
            kZeros, ImageFormat::kVdi},
        FormatCase{"FixedVhd", kMbr, VhdFooter(2), ImageFormat::kFixedVhd},
        FormatCase{"DynamicVhd", VhdFooter(3), VhdFooter(3), ImageFormat::kDynamicVhd},
        FormatCase{"DifferencingVhd", VhdFooter(4), VhdFooter(4), ImageFormat::kDifferencingVhd},
        // A footer with an unknown disk type, or cut short, is no VHD: the bytes are raw.
        FormatCase{"VhdFooterOfUnknownType", kMbr, VhdFooter(9), ImageFormat::kRaw},
        FormatCase{"FooterCutShort", kMbr, VhdFooter(2).substr(0, 100), ImageFormat::kRaw},
        // A fixed VHD's footer copied to the start is not a fixed VHD (only dynamic ones do that).
        FormatCase{"FixedFooterAtTheStart", VhdFooter(2), kZeros, ImageFormat::kRaw}),
    [](const testing::TestParamInfo<FormatCase>& param) { return param.param.name; });

TEST(QemuDrivers, OnlyContainersGoThroughQemu) {
    EXPECT_STREQ(QemuDriverFor(ImageFormat::kQcow2), "qcow2");
    EXPECT_STREQ(QemuDriverFor(ImageFormat::kDynamicVhd), "vpc");
    EXPECT_STREQ(QemuDriverFor(ImageFormat::kVmdk), "vmdk");
    EXPECT_STREQ(QemuDriverFor(ImageFormat::kVdi), "vdi");
    EXPECT_STREQ(QemuDriverFor(ImageFormat::kVhdx), "vhdx");
    EXPECT_EQ(QemuDriverFor(ImageFormat::kRaw), nullptr);
    EXPECT_EQ(QemuDriverFor(ImageFormat::kFixedVhd), nullptr);
    EXPECT_EQ(QemuDriverFor(ImageFormat::kDifferencingVhd), nullptr);
}

}  // namespace
}  // namespace disk
