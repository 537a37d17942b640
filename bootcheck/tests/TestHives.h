// Registry hives made at test time. hivex edits hives but can't create one, so the smallest
// valid hive is built here byte by byte (a base block, one bin holding the root key, its security
// cell and free space), and hivex adds the keys and values each test needs to it.
#pragma once

#include <hivex.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace bootcheck::testing {

inline void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void Put16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

// An empty hive: a root key named ROOT and nothing else.
inline std::string EmptyHive() {
    std::string hive(0x2000, '\0');
    // Base block: signature, equal sequence numbers (cleanly written), version 1.3, the root
    // key's cell relative to the first bin, the bins' size, and the checksum of its first 508
    // bytes.
    std::memcpy(&hive[0], "regf", 4);
    Put32(hive, 0x04, 1);
    Put32(hive, 0x08, 1);
    Put32(hive, 0x14, 1);
    Put32(hive, 0x18, 3);
    Put32(hive, 0x20, 1);
    Put32(hive, 0x24, 0x20);
    Put32(hive, 0x28, 0x1000);
    Put32(hive, 0x2C, 1);
    uint32_t sum = 0;
    for (size_t at = 0; at < 0x1FC; at += 4) {
        sum ^= static_cast<uint32_t>(static_cast<unsigned char>(hive[at])) |
               static_cast<uint32_t>(static_cast<unsigned char>(hive[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(hive[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(hive[at + 3])) << 24;
    }
    Put32(hive, 0x1FC, sum);

    const size_t bin = 0x1000;
    std::memcpy(&hive[bin], "hbin", 4);
    Put32(hive, bin + 0x08, 0x1000);

    // The root key cell (88 bytes, in use): no subkeys, values or class, its security at 0x78.
    const size_t nk = bin + 0x20;
    Put32(hive, nk, static_cast<uint32_t>(-88));
    std::memcpy(&hive[nk + 4], "nk", 2);
    Put16(hive, nk + 6, 0x2C);  // root of the hive, can't be deleted, ASCII name
    Put32(hive, nk + 32, 0xFFFFFFFF);
    Put32(hive, nk + 36, 0xFFFFFFFF);
    Put32(hive, nk + 44, 0xFFFFFFFF);
    Put32(hive, nk + 48, 0x78);
    Put32(hive, nk + 52, 0xFFFFFFFF);
    Put16(hive, nk + 76, 4);
    std::memcpy(&hive[nk + 80], "ROOT", 4);

    // Its security cell (48 bytes): a ring of one, used once, an empty self-relative descriptor.
    const size_t sk = bin + 0x78;
    Put32(hive, sk, static_cast<uint32_t>(-48));
    std::memcpy(&hive[sk + 4], "sk", 2);
    Put32(hive, sk + 8, 0x78);
    Put32(hive, sk + 12, 0x78);
    Put32(hive, sk + 16, 1);
    Put32(hive, sk + 20, 20);
    hive[sk + 24] = 1;
    Put16(hive, sk + 26, 0x8000);

    // The rest of the bin is one free cell.
    Put32(hive, bin + 0xA8, 0x1000 - 0xA8);
    return hive;
}

inline std::string Utf16z(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return wide + std::string(2, '\0');
}

struct HiveValue {
    std::string name;
    std::string text;  // written as REG_SZ
};

// A hive holding the key path (names separated by "\") with these string values.
inline std::string HiveWith(const std::string& keyPath, const std::vector<HiveValue>& values) {
    char name[] = "/tmp/tarnwick-test-hive-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0)
        throw std::runtime_error("no temporary file");
    close(fd);
    auto writeFile = [&](const std::string& bytes) {
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    };
    writeFile(EmptyHive());
    hive_h* hive = hivex_open(name, HIVEX_OPEN_WRITE);
    if (!hive) {
        unlink(name);
        throw std::runtime_error("hivex refuses the empty hive");
    }
    hive_node_h node = hivex_root(hive);
    size_t begin = 0;
    while (node && !keyPath.empty() && begin <= keyPath.size()) {
        size_t end = keyPath.find('\\', begin);
        if (end == std::string::npos)
            end = keyPath.size();
        node = hivex_node_add_child(hive, node, keyPath.substr(begin, end - begin).c_str());
        begin = end + 1;
    }
    std::vector<std::string> texts;
    std::vector<hive_set_value> set;
    for (const HiveValue& value : values)
        texts.push_back(Utf16z(value.text));
    for (size_t i = 0; i < values.size(); ++i) {
        set.push_back({const_cast<char*>(values[i].name.c_str()), hive_t_REG_SZ, texts[i].size(),
                       texts[i].data()});
    }
    bool ok = node && hivex_node_set_values(hive, node, set.size(), set.data(), 0) == 0 &&
              hivex_commit(hive, name, 0) == 0;
    hivex_close(hive);
    std::ifstream in(name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unlink(name);
    if (!ok)
        throw std::runtime_error("hivex could not add the keys");
    return bytes;
}

inline std::string SoftwareHive(const std::string& productName, const std::string& csdVersion,
                                const std::string& currentVersion) {
    std::vector<HiveValue> values{{"ProductName", productName}, {"CurrentVersion", currentVersion}};
    if (!csdVersion.empty())
        values.push_back({"CSDVersion", csdVersion});
    return HiveWith("Microsoft\\Windows NT\\CurrentVersion", values);
}

}  // namespace bootcheck::testing
