// libFuzzer target for reading partition tables: the input bytes become an image file, which is
// opened as a disk and its partitions listed. For every input: nothing crashes or hangs; the open
// either succeeds or gives a message; the partitions are numbered 1, 2, 3... without gaps; a
// partition that starts inside the image is probed there and one past its end is marked so.
// Containers are not started (the daemon is named as missing), so every input stays in-process.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "disk/linux/DiskContext.h"

namespace {

std::string g_folder;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "partition table fuzz: %s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tarnwick-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()))
        Fail("no temporary folder");
    g_folder = pattern;
    std::filesystem::create_directory(g_folder + "/empty");
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string image = g_folder + "/disk.img";
    const int fd = open(image.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    if (fd < 0 || (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)))
        Fail("can't write the image");
    close(fd);

    disk::DiskOpenOptions options;
    const std::string empty = g_folder + "/empty";
    options.tables.mountInfo = empty + "/mountinfo";
    options.tables.sysBlock = empty;
    options.tables.sysDevBlock = empty;
    options.tables.proc = empty;
    options.programs.storageDaemon = empty + "/qemu-storage-daemon";

    disk::DiskContext context;
    const disk::DiskStatus status = context.Open(image, options);
    if (!status.Ok()) {
        if (status.message.empty())
            Fail("a failure without a message");
        return 0;
    }
    const disk::DiskLayout& layout = context.Layout();
    if (layout.size != size && context.Format() != disk::ImageFormat::kFixedVhd)
        Fail("the view's size is not the image's");
    unsigned expected = 1;
    for (const disk::Partition& partition : layout.partitions) {
        if (partition.number != expected++)
            Fail("partitions are not numbered 1, 2, 3...");
        const bool past =
            partition.start >= layout.size || partition.size > layout.size - partition.start;
        if (past != partition.pastEndOfDisk)
            Fail("a partition past the end is not marked, or one inside is");
    }
    if (layout.labelType == disk::LabelType::kNone && layout.partitions.size() != 1)
        Fail("a disk without a table is not one partition");
    return 0;
}
