// libFuzzer target for the staging file on whole files: any bytes (zero bytes, lone carriage
// returns, huge lines, no line end, mixed line ends) are read as the editor reads them, the
// section's boot lines are found, and the file is rewritten and read back. For every input:
// nothing crashes; reading reaches the end; the lines are the reference's, byte for byte; the
// listed lines are the reference's; the rewrite writes every line back unchanged with CR-LF; and
// reading the rewrite gives the same lines again.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/posix/PosixPlatform.h"
#include "store/StagingFile.h"
#include "store/fuzz/StagingReference.h"

namespace {

std::string g_driveFolder;
PosixPlatform* g_platform = nullptr;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "section loader fuzz: %s\n", what.c_str());
    std::abort();
}

void RemoveDrive() {
    std::error_code error;
    std::filesystem::remove_all(g_driveFolder, error);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A memory file system where there is one: every input is written, synced and read back.
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/tarnwick-loader-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()))
        Fail("cannot create a drive folder");
    g_driveFolder = pattern;
    std::atexit(RemoveDrive);
    g_platform = new PosixPlatform(g_driveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace reference = staging_reference;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string hostPath = g_driveFolder + "/BOOT.TMP";
    {
        std::ofstream file(hostPath, std::ios::binary | std::ios::trunc);
        file << bytes;
        if (!file)
            Fail("cannot write the input");
    }
    std::unique_ptr<ITextStream> stream = g_platform->OpenTextStream("C:\\BOOT.TMP");
    if (!stream)
        Fail("cannot open the staging file");

    CStringArray lines;
    if (!ReadStagingLines(*stream, lines))
        Fail("reading stopped before the end");
    const std::vector<std::string> expected = reference::Lines(bytes);
    if (reference::FromArray(lines) != expected)
        Fail("the lines read are not the file's lines");

    std::vector<reference::Entry> listed;
    for (const BootLineEntry& entry : FindBootLines(lines))
        listed.push_back({entry.lineIndex, entry.arcPath.str()});
    const std::string difference =
        reference::DescribeListDifference(reference::BootLines(expected), listed);
    if (!difference.empty())
        Fail("boot lines: " + difference);

    if (!WriteStagingLines(*stream, lines))
        Fail("the rewrite failed");
    if (ReadBytes(hostPath) != reference::Rewritten(expected))
        Fail("the rewrite changed a line");
    if (!StagingFileHolds(*stream, lines))
        Fail("the rewrite reads back as other lines");
    return 0;
}
