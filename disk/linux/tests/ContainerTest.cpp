// Every container format opens to the same partitions as the raw image it was made from, through
// QEMU's storage daemon; writes through the view reach the image; nothing is left running.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "disk/linux/DiskContext.h"
#include "disk/linux/tests/TestImages.h"

namespace disk {
namespace {

using testing::Describe;
using testing::MakeFat;
using testing::MakeImage;
using testing::RunShell;
using testing::ScratchFolder;

struct ContainerCase {
    const char* name;
    const char* qemuImgOptions;  // for qemu-img convert
    ImageFormat format;
};

void PrintTo(const ContainerCase& container, std::ostream* out) {
    *out << container.name;
}

// Whether a process other than this one runs with the argument in its command line.
bool ProcessWithArgument(const std::string& argument) {
    DIR* processes = opendir("/proc");
    bool found = false;
    while (dirent* entry = processes ? readdir(processes) : nullptr) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        std::ifstream file(std::string("/proc/") + entry->d_name + "/cmdline", std::ios::binary);
        std::string word;
        while (std::getline(file, word, '\0'))
            found = found || word.find(argument) != std::string::npos;
    }
    if (processes)
        closedir(processes);
    return found;
}

class Containers : public ::testing::TestWithParam<ContainerCase> {
protected:
    void SetUp() override {
        raw_ = folder_.File("disk.raw");
        ASSERT_TRUE(MakeImage(raw_, 64,
                              "label: dos\nlabel-id: 0x8b467c12\n"
                              "start=2048, size=8192, type=6\n"
                              "start=10240, size=40960, type=f\n"
                              "x5 : start=12288, size=8192, type=7\n"
                              "x6 : start=22528, size=8192, type=6\n") &&
                    MakeFat(raw_, 2048, 8192, "SYSTEM") && MakeFat(raw_, 22528, 8192, "LOGICAL"));
        // The extension says nothing: the format is told by the bytes.
        image_ = folder_.File("disk.img");
        ASSERT_TRUE(RunShell(std::string("qemu-img convert ") + GetParam().qemuImgOptions + " '" +
                             raw_ + "' '" + image_ + "'"));
    }

    ScratchFolder folder_;
    std::string raw_;
    std::string image_;
};

TEST_P(Containers, OpenToTheSamePartitionsAsTheRawImage) {
    DiskContext rawContext;
    ASSERT_TRUE(rawContext.Open(raw_).Ok());
    const std::string expected = Describe(rawContext.Layout());
    EXPECT_EQ(expected,
              "1:06@2048/8192 vfat:SYSTEM 2:07L@12288/8192 3:06L@22528/8192 vfat:LOGICAL");

    DiskContext context;
    const DiskStatus status = context.Open(image_);
    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_EQ(context.Format(), GetParam().format);
    EXPECT_EQ(Describe(context.Layout()), expected);
    EXPECT_EQ(context.Layout().signature, 0x8b467c12u);
    EXPECT_EQ(context.View().size, 64u * 1024 * 1024);
    EXPECT_FALSE(context.View().readOnly);
    const std::string view = context.View().path;
    EXPECT_TRUE(context.Close());
    struct stat info;
    if (view != image_) {
        EXPECT_NE(stat(view.c_str(), &info), 0) << "the view's folder is left behind";
    }
}

TEST_P(Containers, WritesThroughTheViewReachTheImage) {
    DiskContext context;
    ASSERT_TRUE(context.Open(image_).Ok());
    ASSERT_NE(context.Layout().Find(2), nullptr);
    const std::uint64_t start = context.Layout().Find(2)->start;
    {
        std::fstream view(context.View().path, std::ios::in | std::ios::out | std::ios::binary);
        view.seekp(static_cast<std::streamoff>(start));
        view << "written through the view";
        ASSERT_TRUE(view.flush());
    }
    ASSERT_TRUE(context.Close());
    const std::string back = folder_.File("back.raw");
    ASSERT_TRUE(RunShell("qemu-img convert -O raw '" + image_ + "' '" + back + "'"));
    std::ifstream file(back, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(start));
    std::string text(24, '\0');
    file.read(text.data(), 24);
    EXPECT_EQ(text, "written through the view");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Containers,
    ::testing::Values(ContainerCase{"Qcow2", "-O qcow2", ImageFormat::kQcow2},
                      ContainerCase{"Vdi", "-O vdi", ImageFormat::kVdi},
                      ContainerCase{"SparseVmdk", "-O vmdk", ImageFormat::kVmdk},
                      ContainerCase{"DynamicVhd", "-O vpc -o subformat=dynamic,force_size=on",
                                    ImageFormat::kDynamicVhd},
                      ContainerCase{"FixedVhd", "-O vpc -o subformat=fixed,force_size=on",
                                    ImageFormat::kFixedVhd},
                      ContainerCase{"Vhdx", "-O vhdx", ImageFormat::kVhdx}),
    [](const ::testing::TestParamInfo<ContainerCase>& param) { return param.param.name; });

class QemuDaemon : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = folder_.File("disk.qcow2");
        ASSERT_TRUE(MakeImage(folder_.File("disk.raw"), 16,
                              "label: dos\nstart=2048, size=8192, type=6\n") &&
                    RunShell("qemu-img convert -O qcow2 '" + folder_.File("disk.raw") + "' '" +
                             image_ + "'"));
    }
    ScratchFolder folder_;
    std::string image_;
};

TEST_F(QemuDaemon, MissingProgramsAreNamedWithTheirPackage) {
    DiskOpenOptions options;
    options.programs.storageDaemon = folder_.File("no-such-qemu-storage-daemon");
    DiskContext context;
    DiskStatus status = context.Open(image_, options);
    EXPECT_EQ(status.error, DiskError::kMissingProgram);
    EXPECT_NE(status.message.find("qcow2 images are opened through qemu-storage-daemon (Debian "
                                  "package qemu-system-common), which is not installed."),
              std::string::npos)
        << status.message;

    options = DiskOpenOptions();
    options.programs.fuseDevice = folder_.File("no-fuse");
    status = context.Open(image_, options);
    EXPECT_EQ(status.error, DiskError::kMissingProgram);
    EXPECT_NE(status.message.find("does not exist on this machine"), std::string::npos)
        << status.message;
}

TEST_F(QemuDaemon, ReadOnlyImageGetsAReadOnlyView) {
    DiskOpenOptions options;
    options.readOnly = true;
    DiskContext context;
    ASSERT_TRUE(context.Open(image_, options).Ok());
    EXPECT_TRUE(context.View().readOnly);
    const int view = open(context.View().path.c_str(), O_RDWR);
    const bool wrote = view >= 0 && pwrite(view, "x", 1, 0) == 1 && fsync(view) == 0;
    if (view >= 0)
        close(view);
    EXPECT_FALSE(wrote) << "a read-only view took a write";
}

// However the program dies, even by SIGKILL, the daemon stops and its folder goes.
TEST_F(QemuDaemon, SignalsStopTheDaemon) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            DiskContext context;
            if (!context.Open(image_).Ok())
                _exit(1);
            const std::string report = std::to_string(getpid()) + " " + context.View().path + "\n";
            if (write(ready[1], report.data(), report.size()) < 0)
                _exit(2);
            pause();
            _exit(0);
        }
        close(ready[1]);
        char buffer[1024] = {};
        const ssize_t got = read(ready[0], buffer, sizeof buffer - 1);
        close(ready[0]);
        ASSERT_GT(got, 0) << "the child could not open the image";
        const std::string view = std::string(buffer).substr(std::string(buffer).find(' ') + 1);
        const std::string viewPath = view.substr(0, view.size() - 1);
        const std::string folder = viewPath.substr(0, viewPath.rfind('/'));

        // The daemon is the only process holding the image open besides the child.
        ASSERT_TRUE(ProcessWithArgument("mountpoint=" + viewPath));
        kill(child, signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "signal " << signalNumber;
        // Its lock died with it: nothing it left running holds the next Tarnwick off.
        DiskOpenOptions reading;
        reading.readOnly = true;
        EXPECT_NE(DiskContext().Open(image_, reading).error, DiskError::kLockedByTarnwick)
            << "signal " << signalNumber;
        bool stopped = false;
        for (int i = 0; i < 400 && !stopped; ++i) {
            stopped = !ProcessWithArgument("mountpoint=" + viewPath);
            if (!stopped)
                usleep(10000);
        }
        EXPECT_TRUE(stopped) << "daemon left running after signal " << signalNumber;
        struct stat info;
        bool removed = false;
        for (int i = 0; i < 400 && !removed; ++i) {
            removed = stat(folder.c_str(), &info) != 0;
            if (!removed)
                usleep(10000);
        }
        EXPECT_TRUE(removed) << "folder left after signal " << signalNumber;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

}  // namespace
}  // namespace disk
