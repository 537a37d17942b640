// hivex opens hives by file name only, so the bytes read from the partition go to a private
// temporary file first, which is unlinked as soon as hivex holds it.
#include "bootcheck/hive/HiveVersionReader.h"

#include <hivex.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "bootcheck/Text.h"

namespace bootcheck {
namespace {

struct HiveCloser {
    void operator()(hive_h* hive) const { hivex_close(hive); }
};
using Hive = std::unique_ptr<hive_h, HiveCloser>;

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

Hive OpenFromBytes(const std::string& bytes) {
    const char* folder = std::getenv("TMPDIR");
    std::string pattern =
        std::string(folder && *folder ? folder : "/tmp") + "/tarnwick-hive-XXXXXX";
    int fd = mkstemp(&pattern[0]);
    if (fd < 0)
        return nullptr;
    bool written = WriteAll(fd, bytes);
    close(fd);
    Hive hive(written ? hivex_open(pattern.c_str(), 0) : nullptr);
    unlink(pattern.c_str());
    return hive;
}

std::string StringValue(hive_h* hive, hive_node_h node, const char* name) {
    hive_value_h value = hivex_node_get_value(hive, node, name);
    if (!value)
        return "";
    char* text = hivex_value_string(hive, value);
    if (!text)
        return "";
    std::string result(text);
    free(text);
    return result;
}

}  // namespace

std::optional<WindowsVersion> VersionFromSoftwareHive(const std::string& bytes) {
    Hive hive = OpenFromBytes(bytes);
    if (!hive)
        return std::nullopt;
    hive_node_h node = hivex_root(hive.get());
    for (const char* key : {"Microsoft", "Windows NT", "CurrentVersion"}) {
        if (!node)
            break;
        node = hivex_node_get_child(hive.get(), node, key);
    }
    if (!node)
        return std::nullopt;
    WindowsVersion version;
    version.productName = StringValue(hive.get(), node, "ProductName");
    version.csdVersion = StringValue(hive.get(), node, "CSDVersion");
    version.currentVersion = StringValue(hive.get(), node, "CurrentVersion");
    return version;
}

std::optional<WindowsVersion> HiveVersionReader::Read(const IPartitionFiles& files,
                                                      const std::string& folder) const {
    auto bytes = files.ReadFile(JoinPath(folder, "system32\\config\\SOFTWARE"));
    if (!bytes)
        return std::nullopt;
    return VersionFromSoftwareHive(*bytes);
}

}  // namespace bootcheck
