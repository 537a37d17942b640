#include "disk/ImageFormat.h"

namespace disk {

namespace {

bool StartsWith(const std::string& bytes, std::size_t at, const char* magic, std::size_t length) {
    return bytes.size() >= at + length && bytes.compare(at, length, magic, length) == 0;
}

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

constexpr std::uint32_t kVhdFixed = 2;
constexpr std::uint32_t kVhdDynamic = 3;
constexpr std::uint32_t kVhdDifferencing = 4;

}  // namespace

ImageFormat DetectImageFormat(const std::string& head, const std::string& tail) {
    if (StartsWith(head, 0, "QFI\xfb", 4) && head.size() >= 8)
        return BigEndian32(head, 4) == 1 ? ImageFormat::kQcow : ImageFormat::kQcow2;
    if (StartsWith(head, 0, "vhdxfile", 8))
        return ImageFormat::kVhdx;
    if (StartsWith(head, 0, "KDMV", 4) || StartsWith(head, 0, "# Disk DescriptorFile", 21))
        return ImageFormat::kVmdk;
    // VirtualBox writes a text line first; the signature 0xBEDA107F (little-endian) follows it.
    if (StartsWith(head, 64, "\x7f\x10\xda\xbe", 4))
        return ImageFormat::kVdi;
    // Dynamic and differencing VHDs repeat their footer at the start; a fixed one has it only
    // at the end.
    const std::string& footer = StartsWith(head, 0, "conectix", 8) ? head : tail;
    if (StartsWith(footer, 0, "conectix", 8) && footer.size() >= 64) {
        switch (BigEndian32(footer, 60)) {
            case kVhdFixed:
                if (&footer == &tail && tail.size() == kVhdFooterBytes)
                    return ImageFormat::kFixedVhd;
                break;
            case kVhdDynamic:
                return ImageFormat::kDynamicVhd;
            case kVhdDifferencing:
                return ImageFormat::kDifferencingVhd;
            default:
                break;
        }
    }
    return ImageFormat::kRaw;
}

const char* ImageFormatName(ImageFormat format) {
    switch (format) {
        case ImageFormat::kRaw:
            return "raw";
        case ImageFormat::kFixedVhd:
            return "fixed VHD";
        case ImageFormat::kDynamicVhd:
            return "dynamic VHD";
        case ImageFormat::kDifferencingVhd:
            return "differencing VHD";
        case ImageFormat::kQcow:
            return "qcow";
        case ImageFormat::kQcow2:
            return "qcow2";
        case ImageFormat::kVdi:
            return "VDI";
        case ImageFormat::kVmdk:
            return "VMDK";
        case ImageFormat::kVhdx:
            return "VHDX";
    }
    return "raw";
}

const char* QemuDriverFor(ImageFormat format) {
    switch (format) {
        case ImageFormat::kDynamicVhd:
            return "vpc";
        case ImageFormat::kQcow:
            return "qcow";
        case ImageFormat::kQcow2:
            return "qcow2";
        case ImageFormat::kVdi:
            return "vdi";
        case ImageFormat::kVmdk:
            return "vmdk";
        case ImageFormat::kVhdx:
            return "vhdx";
        case ImageFormat::kRaw:
        case ImageFormat::kFixedVhd:
        case ImageFormat::kDifferencingVhd:
            break;
    }
    return nullptr;
}

}  // namespace disk
