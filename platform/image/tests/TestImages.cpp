#include "platform/image/tests/TestImages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/image/ChildProcess.h"

namespace {

const char kPlaceholderKernel[] = "MZ placeholder ntoskrnl.exe\r\n";
const char kPlaceholderHal[] = "MZ placeholder hal.dll\r\n";

bool WriteHostFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file);
}

// Copies length bytes between two files at the given offsets, leaving the rest of each as is.
bool CopyRange(const std::string& from, std::uint64_t fromOffset, const std::string& to,
               std::uint64_t toOffset, std::uint64_t length) {
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int target = open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    bool copied = source >= 0 && target >= 0;
    std::vector<char> buffer(1 << 20);
    for (std::uint64_t done = 0; copied && done < length;) {
        const size_t chunk =
            static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), length - done));
        const ssize_t got =
            pread(source, buffer.data(), chunk, static_cast<off_t>(fromOffset + done));
        copied = got > 0 && pwrite(target, buffer.data(), static_cast<size_t>(got),
                                   static_cast<off_t>(toOffset + done)) == got;
        done += got > 0 ? static_cast<std::uint64_t>(got) : 0;
    }
    if (source >= 0)
        close(source);
    if (target >= 0)
        copied = close(target) == 0 && copied;
    return copied;
}

std::string MtoolsImage(const std::string& image) {
    return image + "@@" + std::to_string(TestImage::kOffset);
}

}  // namespace

const char* TestFileSystemName(TestFileSystem kind) {
    switch (kind) {
        case TestFileSystem::kFat16:
            return "FAT16";
        case TestFileSystem::kFat32:
            return "FAT32";
        case TestFileSystem::kNtfs:
            return "NTFS";
    }
    return "";
}

int RunTestTool(const std::vector<std::string>& command, std::string* output, std::string* errors) {
    static const std::vector<std::string> environment = {
        "PATH=/usr/sbin:/usr/bin:/sbin:/bin", "MTOOLSRC=/dev/null", "MTOOLS_SKIP_CHECK=1",
        "HOME=/nonexistent", "LC_ALL=C.UTF-8"};
    ChildResult result = RunChild(command, environment);
    if (output)
        *output = result.output;
    if (errors)
        *errors = result.errors;
    return result.started ? result.exitCode : 127;
}

TestImage::TestImage(TestFileSystem kind, const std::string& bootIni) : m_kind(kind) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base && base[0] == '/' ? base : "/tmp") + "/tarnwick-image-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        m_problem = "no temporary folder";
        return;
    }
    m_folder = pattern;
    m_image = m_folder + "/disk.img";
    m_partition = m_folder + "/partition.img";
    const std::string bootIniFile = m_folder + "/boot.ini.in";
    const std::string kernel = m_folder + "/ntoskrnl.in";
    const std::string hal = m_folder + "/hal.in";
    const std::string type = kind == TestFileSystem::kFat16   ? "6"
                             : kind == TestFileSystem::kFat32 ? "c"
                                                              : "7";
    const std::string table =
        "label: dos\nlabel-id: 0x8b467c12\nstart=2048, size=" + std::to_string(Length() / 512) +
        ", type=" + type + "\n";
    const std::string tableFile = m_folder + "/table.sfdisk";
    bool made = WriteHostFile(bootIniFile, bootIni) && WriteHostFile(kernel, kPlaceholderKernel) &&
                WriteHostFile(hal, kPlaceholderHal) && WriteHostFile(tableFile, table);
    const int image = open(m_image.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    made = made && image >= 0 && ftruncate(image, static_cast<off_t>(kOffset * 2 + Length())) == 0;
    if (image >= 0)
        close(image);
    // sfdisk reads its script from standard input only.
    made = made && Tool({"sh", "-c", "exec sfdisk -q \"$0\" < \"$1\"", m_image, tableFile});
    if (kind == TestFileSystem::kNtfs) {
        const int partition = open(m_partition.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        made = made && partition >= 0 && ftruncate(partition, static_cast<off_t>(Length())) == 0;
        if (partition >= 0)
            close(partition);
        made =
            made &&
            Tool({"mkntfs", "-F", "-Q", "-q", "-p", "2048", "-H", "255", "-S", "63", "-L",
                  "TARNNTFS", m_partition}) &&
            Ntfs({"mkdir", "/WINDOWS", "mkdir", "/WINDOWS/system32", "put", "/BOOT.INI",
                  bootIniFile, "attrib", "/BOOT.INI", "7", "put", "/WINDOWS/system32/ntoskrnl.exe",
                  kernel, "put", "/WINDOWS/system32/hal.dll", hal}) &&
            PutPartition();
    } else {
        const std::string fat = MtoolsImage(m_image);
        made = made &&
               Tool({"mkfs.fat", "--offset", "2048", "-F",
                     kind == TestFileSystem::kFat16 ? "16" : "32", "-s",
                     kind == TestFileSystem::kFat16 ? "4" : "1", "-n", "TARNFAT", m_image,
                     std::to_string(Length() / 1024)}) &&
               Tool({"mcopy", "-i", fat, bootIniFile, "::/BOOT.INI"}) &&
               Tool({"mattrib", "-i", fat, "-a", "+r", "+h", "+s", "::/BOOT.INI"}) &&
               Tool({"mmd", "-i", fat, "::/WINDOWS", "::/WINDOWS/system32"}) &&
               Tool({"mcopy", "-i", fat, kernel, "::/WINDOWS/system32/ntoskrnl.exe"}) &&
               Tool({"mcopy", "-i", fat, hal, "::/WINDOWS/system32/hal.dll"});
    }
    if (!made && m_problem.empty())
        m_problem = "the image could not be made";
}

TestImage::~TestImage() {
    std::error_code error;
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder, error);
}

bool TestImage::Tool(const std::vector<std::string>& command, std::string* output) {
    std::string errors;
    const int code = RunTestTool(command, output, &errors);
    if (code != 0 && m_problem.empty())
        m_problem = command[0] + " failed (" + std::to_string(code) + "): " + errors;
    return code == 0;
}

bool TestImage::Ntfs(const std::vector<std::string>& commands) {
    std::vector<std::string> command = {TARNWICK_NTFS_FIXTURE, m_partition};
    command.insert(command.end(), commands.begin(), commands.end());
    return Tool(command);
}

std::uint64_t TestImage::Length() const {
    return (m_kind == TestFileSystem::kFat32 ? 40 : 16) * std::uint64_t{1024 * 1024};
}

VolumeLocation TestImage::Location(bool readOnly) const {
    return VolumeLocation{m_image, kOffset, Length(), readOnly, m_image};
}

bool TestImage::CutPartition() {
    return CopyRange(m_image, kOffset, m_partition, 0, Length());
}

bool TestImage::PutPartition() {
    return CopyRange(m_partition, 0, m_image, kOffset, Length());
}

bool TestImage::ReadFile(const std::string& name, std::string& bytes) {
    if (m_kind != TestFileSystem::kNtfs)
        return Tool({"mtype", "-i", MtoolsImage(m_image), "::/" + name}, &bytes);
    return CutPartition() && Tool({"ntfscat", m_partition, "/" + name}, &bytes);
}

bool TestImage::DosAttributes(const std::string& name, std::uint32_t& bits) {
    std::string output;
    bits = 0;
    if (m_kind == TestFileSystem::kNtfs) {
        // "File attributes:	 READONLY HIDDEN SYSTEM (0x00000007)", first in
        // $STANDARD_INFORMATION.
        if (!CutPartition() || !Tool({"ntfsinfo", "-F", "/" + name, m_partition}, &output))
            return false;
        const size_t line = output.find("File attributes:");
        const size_t open = output.find("(0x", line);
        if (line == std::string::npos || open == std::string::npos)
            return false;
        bits = static_cast<std::uint32_t>(std::strtoul(output.c_str() + open + 1, nullptr, 16)) & 7;
        return true;
    }
    // "ASHR ::/BOOT.INI"
    if (!Tool({"mattrib", "-X", "-i", MtoolsImage(m_image), "::/*"}, &output))
        return false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const size_t path = line.find("::/");
        if (path == std::string::npos || line.substr(path + 3) != name)
            continue;
        const std::string letters = line.substr(0, path);
        bits = (letters.find('R') != std::string::npos ? 1 : 0) |
               (letters.find('H') != std::string::npos ? 2 : 0) |
               (letters.find('S') != std::string::npos ? 4 : 0);
        return true;
    }
    return false;
}

std::vector<std::string> TestImage::RootNames() {
    std::string output;
    std::vector<std::string> names;
    if (m_kind == TestFileSystem::kNtfs) {
        if (!CutPartition() || !Tool({"ntfsls", m_partition}, &output))
            return names;
    } else if (!Tool({"mdir", "-a", "-b", "-i", MtoolsImage(m_image), "::/"}, &output)) {
        return names;
    }
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 3, "::/") == 0)
            line = line.substr(3);
        while (!line.empty() && (line.back() == '/' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty())
            names.push_back(line);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool TestImage::Clean(std::string& report) {
    report.clear();
    if (!CutPartition())
        return false;
    std::string output, errors;
    int code;
    if (m_kind == TestFileSystem::kNtfs) {
        code = RunTestTool({"ntfsfix", "-n", m_partition}, &output, &errors);
        report = output + errors;
        if (code != 0 || output.find("processed successfully") == std::string::npos)
            return false;
        // ntfsinfo refuses a volume whose dirty flag is set.
        code = RunTestTool({"ntfsinfo", "-m", m_partition}, &output, &errors);
        report += output + errors;
        return code == 0;
    }
    code = RunTestTool({"fsck.fat", "-n", m_partition}, &output, &errors);
    report = output + errors;
    return code == 0;
}

bool TestImage::PutFile(const std::string& name, const std::string& bytes) {
    const std::string host = m_folder + "/put.in";
    if (!WriteHostFile(host, bytes))
        return false;
    if (m_kind == TestFileSystem::kNtfs)
        return CutPartition() && Ntfs({"put", "/" + name, host}) && PutPartition();
    return Tool({"mcopy", "-o", "-i", MtoolsImage(m_image), host, "::/" + name});
}

bool TestImage::SetDosAttributes(const std::string& name, std::uint32_t bits) {
    if (m_kind == TestFileSystem::kNtfs) {
        std::ostringstream hex;
        hex << std::hex << bits;
        return CutPartition() && Ntfs({"attrib", "/" + name, hex.str()}) && PutPartition();
    }
    return Tool({"mattrib", "-i", MtoolsImage(m_image), bits & 1 ? "+r" : "-r",
                 bits & 2 ? "+h" : "-h", bits & 4 ? "+s" : "-s", "::/" + name});
}

bool TestImage::RemoveFile(const std::string& name) {
    if (m_kind == TestFileSystem::kNtfs)
        return CutPartition() && Ntfs({"rm", "/" + name}) && PutPartition();
    return Tool({"mdel", "-i", MtoolsImage(m_image), "::/" + name});
}

namespace {

// "BOOT.INI" as the 11 bytes of a short directory entry's name: "BOOT    INI".
std::string ShortEntryName(const std::string& name) {
    const size_t dot = name.find('.');
    std::string base = name.substr(0, dot),
                extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    base.resize(8, ' ');
    extension.resize(3, ' ');
    return base + extension;
}

}  // namespace

bool TestImage::AddSecondName(const std::string& name, const std::string& secondName) {
    if (m_kind == TestFileSystem::kNtfs)
        return CutPartition() && Ntfs({"link", "/" + name, secondName}) && PutPartition();
    if (m_kind != TestFileSystem::kFat16)
        return false;
    std::fstream file(m_image, std::ios::binary | std::ios::in | std::ios::out);
    unsigned char boot[512];
    file.seekg(static_cast<std::streamoff>(kOffset));
    file.read(reinterpret_cast<char*>(boot), sizeof boot);
    const auto word = [&boot](int at) { return boot[at] | (boot[at + 1] << 8); };
    const std::uint64_t root =
        kOffset + static_cast<std::uint64_t>(word(14) + boot[16] * word(22)) * word(11);
    const int entries = word(17);
    std::string directory(static_cast<size_t>(entries) * 32, '\0');
    file.seekg(static_cast<std::streamoff>(root));
    file.read(&directory[0], static_cast<std::streamsize>(directory.size()));
    const std::string wanted = ShortEntryName(name);
    size_t found = std::string::npos, free = std::string::npos;
    for (size_t at = 0; at < directory.size(); at += 32) {
        const unsigned char first = static_cast<unsigned char>(directory[at]);
        if (directory.compare(at, 11, wanted) == 0 && found == std::string::npos)
            found = at;
        if ((first == 0 || first == 0xE5) && free == std::string::npos)
            free = at;
    }
    if (found == std::string::npos || free == std::string::npos || !file)
        return false;
    std::string entry = directory.substr(found, 32);
    entry.replace(0, 11, ShortEntryName(secondName));
    file.seekp(static_cast<std::streamoff>(root + free));
    file.write(entry.data(), 32);
    return static_cast<bool>(file);
}

bool TestImage::MarkNtfsDirty() {
    return m_kind == TestFileSystem::kNtfs && CutPartition() && Ntfs({"dirty"}) && PutPartition();
}

std::string TestImage::WholeImage() const {
    std::ifstream file(m_image, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool TestImage::Snapshot() {
    struct stat info;
    return stat(m_image.c_str(), &info) == 0 && CopyRange(m_image, 0, m_folder + "/snapshot.img", 0,
                                                          static_cast<std::uint64_t>(info.st_size));
}

bool TestImage::RestoreSnapshot() {
    struct stat info;
    const std::string snapshot = m_folder + "/snapshot.img";
    return stat(snapshot.c_str(), &info) == 0 &&
           CopyRange(snapshot, 0, m_image, 0, static_cast<std::uint64_t>(info.st_size));
}
