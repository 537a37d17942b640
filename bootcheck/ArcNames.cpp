#include "bootcheck/ArcNames.h"

#include "bootcheck/Text.h"

namespace bootcheck {
namespace {

bool SameDevicePart(const ArcPath& a, const ArcPath& b) {
    return a.form == b.form && a.adapter == b.adapter && a.signature == b.signature &&
           a.disk == b.disk && a.rdisk == b.rdisk && a.partition == b.partition;
}

// Reads decimal digits after a prefix matched without regard to case; moves pos past them.
bool NumberAfter(const std::string& text, size_t& pos, const char* prefix, unsigned long& value) {
    std::string word(prefix);
    if (text.size() < pos + word.size() || !EqualsNoCase(text.substr(pos, word.size()), word))
        return false;
    pos += word.size();
    size_t digits = 0;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 9) {
        value = value * 10 + static_cast<unsigned long>(text[pos++] - '0');
        ++digits;
    }
    return digits > 0;
}

}  // namespace

std::optional<std::string> DeviceOf(const ArcPath& path, const std::vector<ArcNameLink>& links) {
    if (path.form == ArcForm::Drive)
        return std::nullopt;
    for (const ArcNameLink& link : links) {
        std::optional<ArcPath> named = ParseArcPath(link.arcName);
        if (named && named->systemRoot.empty() && SameDevicePart(*named, path))
            return link.device;
    }
    return std::nullopt;
}

std::optional<HarddiskPartition> ParseHarddiskDevice(const std::string& device) {
    HarddiskPartition result;
    size_t pos = 0;
    if (!NumberAfter(device, pos, "\\Device\\Harddisk", result.disk))
        return std::nullopt;
    if (!NumberAfter(device, pos, "\\Partition", result.partition))
        return std::nullopt;
    if (pos != device.size())
        return std::nullopt;
    return result;
}

}  // namespace bootcheck
