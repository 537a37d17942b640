#include "disk/DiskLayout.h"

#include <cstdio>

namespace disk {

const Partition* DiskLayout::Find(unsigned number) const {
    for (const Partition& partition : partitions) {
        if (partition.number == number)
            return &partition;
    }
    return nullptr;
}

const char* LabelTypeName(LabelType type) {
    switch (type) {
        case LabelType::kMbr:
            return "MBR";
        case LabelType::kGpt:
            return "GPT";
        case LabelType::kNone:
            break;
    }
    return "no partition table";
}

std::string FormatSize(std::uint64_t bytes) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024)
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

}  // namespace disk
