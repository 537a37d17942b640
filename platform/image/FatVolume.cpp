#include "platform/image/FatVolume.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/image/ChildProcess.h"

namespace {

const std::vector<std::string>& ToolEnvironment() {
    static const std::vector<std::string> environment = {
        "MTOOLSRC=/dev/null", "MTOOLS_SKIP_CHECK=1", "HOME=/nonexistent", "LC_ALL=C.UTF-8",
        "PATH=/usr/bin:/bin:/usr/local/bin"};
    return environment;
}

std::string ToolPath(const std::string& path) {
    return "::" + (path.empty() ? std::string("/") : path);
}

std::string Child(const std::string& folder, const std::string& name) {
    return (folder == "/" || folder.empty() ? std::string() : folder) + "/" + name;
}

std::string Trimmed(const std::string& text) {
    size_t start = text.find_first_not_of(" \t\r\n");
    size_t end = text.find_last_not_of(" \t\r\n");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

}  // namespace

std::unique_ptr<FatVolume> FatVolume::Open(const std::string& rawPath, std::uint64_t offset,
                                           bool readOnly, const std::string& fileSystemName,
                                           const std::string& label, std::string& error) {
    if (rawPath.find("@@") != std::string::npos) {
        error = "The image's name holds \"@@\", which the FAT tools take for an offset.";
        return nullptr;
    }
    std::unique_ptr<FatVolume> volume(new FatVolume);
    volume->m_descriptor = open(rawPath.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (volume->m_descriptor < 0) {
        error =
            "The image can't be opened for " + std::string(readOnly ? "reading" : "writing") + ".";
        return nullptr;
    }
    volume->m_image = rawPath + "@@" + std::to_string(offset);
    volume->m_readOnly = readOnly;
    volume->m_fileSystemName = fileSystemName;
    volume->m_label = label;
    return volume;
}

FatVolume::~FatVolume() {
    if (m_descriptor >= 0)
        close(m_descriptor);
}

bool FatVolume::Run(const std::string& program, const std::vector<std::string>& arguments,
                    std::string* output, std::string* errors) {
    std::vector<std::string> command = {program, "-i", m_image};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildResult result = RunChild(command, ToolEnvironment());
    if (output)
        *output = std::move(result.output);
    if (errors)
        *errors = std::move(result.errors);
    return result.started && result.exitCode == 0;
}

bool FatVolume::RunWriting(const std::string& program, const std::vector<std::string>& arguments) {
    if (m_readOnly)
        return false;
    const bool done = Run(program, arguments);
    // Even a program that failed may have written part of its work.
    const bool synced = fsync(m_descriptor) == 0;
    return done && synced;
}

bool FatVolume::List(const std::string& folder, std::vector<VolumeEntry>& entries) {
    entries.clear();
    std::string output, errors;
    const std::string pattern = ToolPath(Child(folder, "*"));
    if (!Run("mattrib", {"-X", pattern}, &output, &errors)) {
        // An empty root has nothing for the pattern to match; any other folder has "." and "..".
        return (folder == "/" || folder.empty()) && errors.find("not found") != std::string::npos;
    }
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string line = output.substr(start, end - start);
        start = end + 1;
        // "ASHR ::/BOOT.INI": the attribute letters, then the entry's path.
        const size_t path = line.find("::");
        if (path == std::string::npos)
            continue;
        const std::string letters = Trimmed(line.substr(0, path));
        const std::string name = line.substr(line.find_last_of('/') + 1);
        if (name.empty() || name == "." || name == ".." || letters.find('V') != std::string::npos)
            continue;
        VolumeEntry entry;
        entry.name = name;
        entry.folder = letters.find('D') != std::string::npos;
        for (char letter : letters) {
            switch (letter) {
                case 'R':
                    entry.attributes |= 0x01;
                    break;
                case 'H':
                    entry.attributes |= 0x02;
                    break;
                case 'S':
                    entry.attributes |= 0x04;
                    break;
                case 'A':
                    entry.attributes |= 0x20;
                    break;
                default:
                    break;
            }
        }
        entries.push_back(entry);
    }
    return true;
}

bool FatVolume::Read(const std::string& path, std::string& bytes) {
    return Run("mtype", {ToolPath(path)}, &bytes);
}

bool FatVolume::Write(const std::string& path, const std::string& bytes) {
    if (m_readOnly)
        return false;
    // The bytes reach mcopy as a file in memory that the child inherits: nothing is written to
    // the host's disk, so a crash leaves nothing behind there.
    const int content = memfd_create("tarnwick-fat-content", 0);
    if (content < 0)
        return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = write(content, bytes.data() + written, bytes.size() - written);
        if (put <= 0)
            break;
        written += static_cast<size_t>(put);
    }
    const bool copied =
        written == bytes.size() &&
        RunWriting("mcopy", {"-o", "/proc/self/fd/" + std::to_string(content), ToolPath(path)});
    close(content);
    return copied;
}

bool FatVolume::SetAttributes(const std::string& path, VolumeAttributes attributes) {
    return RunWriting("mattrib", {attributes & 0x01 ? "+r" : "-r", attributes & 0x02 ? "+h" : "-h",
                                  attributes & 0x04 ? "+s" : "-s", attributes & 0x20 ? "+a" : "-a",
                                  ToolPath(path)});
}

bool FatVolume::Rename(const std::string& from, const std::string& to) {
    return RunWriting("mren", {ToolPath(from), ToolPath(to)});
}

bool FatVolume::Remove(const std::string& path) {
    return RunWriting("mdel", {ToolPath(path)});
}

bool FatVolume::ClusterChain(const std::string& path, std::string& chain) {
    // "::/BOOT.INI <3-4>": the clusters after the name; "<>" for an empty file.
    std::string output;
    if (!Run("mshowfat", {ToolPath(path)}, &output))
        return false;
    const size_t open = output.rfind('<');
    chain = open == std::string::npos ? std::string() : Trimmed(output.substr(open));
    return true;
}

bool FatVolume::SameData(const std::string& a, const std::string& b, bool& same) {
    std::string first, second;
    if (!ClusterChain(a, first) || !ClusterChain(b, second))
        return false;
    same = first == second && first != "<>" && !first.empty();
    return true;
}
