// Before anything is written: a second Tarnwick, a running virtual machine, another program
// writing, the kernel's mounts and loop devices, and a user who may not write are each told.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "disk/linux/DiskContext.h"
#include "disk/linux/tests/TestImages.h"

namespace disk {
namespace {

using testing::Describe;
using testing::MakeFat;
using testing::MakeImage;
using testing::RunShell;
using testing::RunShellOutput;
using testing::ScratchFolder;

bool MakeDisk(const std::string& image) {
    return MakeImage(image, 16, "label: dos\nstart=2048, size=8192, type=7\n");
}

// A child process that does something to the image, then waits until it is told to end.
class Holder {
public:
    explicit Holder(const std::function<bool()>& hold) {
        int ready[2];
        if (pipe(ready) != 0 || pipe(end_) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(end_[1]);
            const char answer = hold() ? '1' : '0';
            if (write(ready[1], &answer, 1) != 1)
                _exit(1);
            char ignored;
            if (read(end_[0], &ignored, 1) < 0)
                _exit(1);
            _exit(0);
        }
        close(ready[1]);
        close(end_[0]);
        char answer = '0';
        holding_ = read(ready[0], &answer, 1) == 1 && answer == '1';
        close(ready[0]);
    }
    ~Holder() {
        close(end_[1]);
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
    }
    bool Holding() const { return holding_; }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int end_[2] = {-1, -1};
    bool holding_ = false;
};

class Safety : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MakeDisk(image_)); }
    ScratchFolder folder_;
    std::string image_ = folder_.File("disk.img");
};

TEST_F(Safety, SecondTarnwickIsRefusedByTheLock) {
    DiskContext first;
    ASSERT_TRUE(first.Open(image_).Ok());
    DiskContext second;
    const DiskStatus status = second.Open(image_);
    EXPECT_EQ(status.error, DiskError::kLockedByTarnwick);
    EXPECT_NE(status.message.find("is open in another Tarnwick"), std::string::npos);
    {
        Holder other(
            [this] { return DiskContext().Open(image_).error == DiskError::kLockedByTarnwick; });
        EXPECT_TRUE(other.Holding()) << "another process got in";
    }
    first.Close();

    // The lock ends with its holder.
    {
        Holder other([this] {
            static DiskContext context;
            return context.Open(image_).Ok();
        });
        ASSERT_TRUE(other.Holding());
        EXPECT_EQ(second.Open(image_).error, DiskError::kLockedByTarnwick);
    }
    EXPECT_TRUE(second.Open(image_).Ok());
}

TEST_F(Safety, ReadersShareTheLockAndKeepAnEditorOff) {
    DiskOpenOptions reading;
    reading.readOnly = true;
    DiskContext firstReader, secondReader, editor;
    ASSERT_TRUE(firstReader.Open(image_, reading).Ok());
    EXPECT_TRUE(secondReader.Open(image_, reading).Ok());
    EXPECT_EQ(editor.Open(image_).error, DiskError::kLockedByTarnwick);
    firstReader.Close();
    secondReader.Close();
    EXPECT_TRUE(editor.Open(image_).Ok());
}

// The editor locks the image with flock() while the disk is open; the disk's lock must not
// stand in its way, nor give way to a second Tarnwick.
TEST_F(Safety, TheEditorsOwnLockIsNotHeldOff) {
    DiskContext context;
    ASSERT_TRUE(context.Open(image_).Ok());
    const int editorLock = open(image_.c_str(), O_RDONLY);
    EXPECT_EQ(flock(editorLock, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(DiskContext().Open(image_).error, DiskError::kLockedByTarnwick);
    close(editorLock);
}

TEST_F(Safety, ImageLockedAsQemuLocksItIsInUseByAVirtualMachine) {
    // QEMU's file driver takes shared OFD locks on bytes 100 and up and 200 and up.
    for (short type : {F_RDLCK, F_WRLCK}) {
        Holder vm([this, type] {
            const int fd = open(image_.c_str(), type == F_RDLCK ? O_RDONLY : O_RDWR);
            struct flock lock;
            std::memset(&lock, 0, sizeof lock);
            lock.l_type = type;
            lock.l_whence = SEEK_SET;
            lock.l_start = 100;
            lock.l_len = 1;
            return fd >= 0 && fcntl(fd, F_OFD_SETLK, &lock) == 0;
        });
        ASSERT_TRUE(vm.Holding());
        DiskContext context;
        const DiskStatus status = context.Open(image_);
        EXPECT_EQ(status.error, DiskError::kInUseByVm);
        EXPECT_NE(status.message.find("in use by a running virtual machine"), std::string::npos)
            << status.message;
    }
}

TEST_F(Safety, ImageHeldByRealQemuIsInUse) {
    const std::string qcow2 = folder_.File("vm.qcow2");
    ASSERT_TRUE(RunShell("qemu-img convert -O qcow2 '" + image_ + "' '" + qcow2 + "'"));
    QemuView vm;  // QEMU's storage daemon holds the image as a virtual machine would
    ASSERT_TRUE(vm.Start(qcow2, "qcow2", "qcow2", false).Ok());
    DiskContext context;
    const DiskStatus status = context.Open(qcow2);
    EXPECT_EQ(status.error, DiskError::kInUseByVm) << status.message;
}

// A virtual machine started on an image Tarnwick has open for writing does not get to write it.
TEST_F(Safety, VirtualMachineStartedMeanwhileIsKeptOff) {
    const std::string write = "qemu-io -f raw -c 'write 0 512' '" + image_ + "' 2>&1";
    std::string output;
    {
        DiskContext context;
        ASSERT_TRUE(context.Open(image_).Ok());
        EXPECT_FALSE(RunShellOutput(write, output)) << output;
        EXPECT_NE(output.find("Failed to get \"write\" lock"), std::string::npos) << output;
    }
    EXPECT_TRUE(RunShellOutput(write, output)) << output;
}

TEST_F(Safety, ImageOpenForWritingElsewhereIsInUse) {
    Holder writer([this] { return open(image_.c_str(), O_WRONLY) >= 0; });
    ASSERT_TRUE(writer.Holding());
    DiskContext context;
    const DiskStatus status = context.Open(image_);
    EXPECT_EQ(status.error, DiskError::kInUseByVm);
    EXPECT_NE(status.message.find("process " + std::to_string(writer.Pid())), std::string::npos)
        << status.message;
}

TEST_F(Safety, ImageOpenForReadingElsewhereIsFine) {
    Holder reader([this] { return open(image_.c_str(), O_RDONLY) >= 0; });
    ASSERT_TRUE(reader.Holding());
    DiskContext context;
    EXPECT_TRUE(context.Open(image_).Ok());
}

TEST_F(Safety, ReadingOnlyTurnsRefusalsIntoWarnings) {
    Holder writer([this] { return open(image_.c_str(), O_WRONLY) >= 0; });
    ASSERT_TRUE(writer.Holding());
    DiskOpenOptions options;
    options.readOnly = true;
    DiskContext context;
    ASSERT_TRUE(context.Open(image_, options).Ok());
    EXPECT_TRUE(context.View().readOnly);
    EXPECT_EQ(context.ReadOnlyReason(), "");
    ASSERT_FALSE(context.Layout().warnings.empty());
    EXPECT_NE(context.Layout().warnings.front().find("open for writing in another program"),
              std::string::npos);
}

// The user nobody may read the image but not write it: it opens for viewing, and says why.
TEST_F(Safety, ImageTheUserMayNotWriteOpensReadOnly) {
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(image_.c_str(), 0444), 0);
        DiskContext context;
        ASSERT_TRUE(context.Open(image_).Ok());
        EXPECT_TRUE(context.View().readOnly);
        EXPECT_EQ(context.ReadOnlyReason(), "you may not write to it");
        return;
    }
    ASSERT_EQ(chmod(folder_.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(image_.c_str(), 0644), 0);
    const pid_t child = fork();
    if (child == 0) {
        const gid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(3);
        DiskContext context;
        if (!context.Open(image_).Ok())
            _exit(4);
        const bool right = context.View().readOnly &&
                           context.ReadOnlyReason() == "you may not write to it" &&
                           context.Layout().partitions.size() == 1;
        _exit(right ? 0 : 5);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "the machine does not let this test change to user nobody";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit " << WEXITSTATUS(status);
}

// The kernel's tables, written as fixtures: a disk sdb (8:16) with a partition sdb1 (8:17), and
// loop0 (7:0).
class KernelTables : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string root = folder_.Path();
        tables_.mountInfo = root + "/mountinfo";
        tables_.sysBlock = root + "/block";
        tables_.sysDevBlock = root + "/dev-block";
        std::filesystem::create_directories(root + "/devices/sdb/sdb1");
        std::filesystem::create_directories(root + "/devices/loop0/loop");
        std::filesystem::create_directories(tables_.sysBlock);
        std::filesystem::create_directories(tables_.sysDevBlock);
        Write("/devices/sdb/dev", "8:16\n");
        Write("/devices/sdb/sdb1/dev", "8:17\n");
        Write("/devices/sdb/sdb1/partition", "1\n");
        Write("/devices/loop0/dev", "7:0\n");
        std::filesystem::create_directory_symlink(root + "/devices/sdb",
                                                  tables_.sysDevBlock + "/8:16");
        std::filesystem::create_directory_symlink(root + "/devices/sdb/sdb1",
                                                  tables_.sysDevBlock + "/8:17");
        std::filesystem::create_directory_symlink(root + "/devices/loop0",
                                                  tables_.sysDevBlock + "/7:0");
        std::filesystem::create_directory_symlink(root + "/devices/loop0",
                                                  tables_.sysBlock + "/loop0");
        Write("/mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n");
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder_.Path() + name) << text;
    }
    void Mount(const std::string& device, const std::string& mountPoint) {
        std::ofstream(tables_.mountInfo, std::ios::app)
            << "40 1 " << device << " / " << mountPoint << " rw,relatime - vfat /dev/x rw\n";
    }
    static struct stat Device(unsigned minorNumber) {
        struct stat info;
        std::memset(&info, 0, sizeof info);
        info.st_mode = S_IFBLK | 0660;
        info.st_rdev = makedev(8, minorNumber);
        return info;
    }

    ScratchFolder folder_;
    SystemTables tables_;
};

TEST_F(KernelTables, MountedDeviceOrPartitionIsRefused) {
    struct Case {
        const char* mounted;  // MAJ:MIN in the mount table, null for none
        unsigned device;      // minor number of the device opened
        DiskError expected;
    };
    const Case cases[] = {
        {nullptr, 16, DiskError::kNone},
        {"8:16", 16, DiskError::kMounted},  // the whole disk (one file system, no table)
        {"8:17", 16, DiskError::kMounted},  // a partition of the disk
        {"8:17", 17, DiskError::kMounted},  // the partition itself
        {"8:32", 16, DiskError::kNone},     // another disk
    };
    for (const Case& test : cases) {
        Write("/mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n");
        if (test.mounted)
            Mount(test.mounted, "/mnt/windows\\040c");
        const DiskStatus status = CheckKernelUse("/dev/sdb", Device(test.device), tables_);
        EXPECT_EQ(status.error, test.expected) << (test.mounted ? test.mounted : "none");
        if (test.expected == DiskError::kMounted) {
            EXPECT_NE(status.message.find("is mounted at /mnt/windows c"), std::string::npos)
                << status.message;
        }
    }
}

TEST_F(KernelTables, ImageOnALoopDeviceIsRefused) {
    const std::string image = folder_.File("disk.img");
    ASSERT_TRUE(MakeDisk(image));
    struct stat info;
    ASSERT_EQ(stat(image.c_str(), &info), 0);
    EXPECT_TRUE(CheckKernelUse(image, info, tables_).Ok());

    // Attached: the backing file is the image (named through another path, same inode).
    const std::string otherName = folder_.File("same-image");
    ASSERT_EQ(link(image.c_str(), otherName.c_str()), 0);
    Write("/devices/loop0/loop/backing_file", otherName + "\n");
    DiskStatus status = CheckKernelUse(image, info, tables_);
    EXPECT_EQ(status.error, DiskError::kLoopAttached);
    EXPECT_NE(status.message.find("attached to the loop device /dev/loop0"), std::string::npos)
        << status.message;

    Mount("7:0", "/mnt/image");
    status = CheckKernelUse(image, info, tables_);
    EXPECT_EQ(status.error, DiskError::kMounted);
    EXPECT_NE(status.message.find("mounted at /mnt/image through /dev/loop0"), std::string::npos)
        << status.message;

    // Another file on a loop device is none of this image's business.
    Write("/devices/loop0/loop/backing_file", folder_.File("mountinfo") + "\n");
    EXPECT_TRUE(CheckKernelUse(image, info, tables_).Ok());
}

// Shell commands run when the test ends, however it ends: detaching loop devices, unmounting.
class Undo {
public:
    ~Undo() {
        for (auto command = commands_.rbegin(); command != commands_.rend(); ++command)
            RunShell(*command);
    }
    void Add(const std::string& command) { commands_.push_back(command); }

private:
    std::vector<std::string> commands_;
};

// The kernel's own loop devices and a real mount, where the machine allows them (root, loop
// devices, ext2 in the kernel); skipped elsewhere. The disk: partition(1) FAT16, partition(2)
// ext2.
TEST(RealLoopDevices, TheDeviceOpensAndTheImageIsRefusedWhileTheKernelHasIt) {
    if (geteuid() != 0 || access("/dev/loop-control", F_OK) != 0)
        GTEST_SKIP() << "needs root and loop devices";
    ScratchFolder folder;
    const std::string image = folder.File("disk.img");
    ASSERT_TRUE(MakeImage(image, 32,
                          "label: dos\nlabel-id: 0x8b467c12\nstart=2048, size=8192, type=6\n"
                          "start=10240, size=16384, type=83\n") &&
                MakeFat(image, 2048, 8192, "SYSTEM") &&
                RunShell("mkfs.ext2 -q -F -E offset=" + std::to_string(10240 * 512) + " '" + image +
                         "' 8M"));
    Undo undo;
    std::string whole;
    if (!RunShellOutput("losetup -f --show '" + image + "'", whole))
        GTEST_SKIP() << "losetup can't attach the image here";
    undo.Add("losetup -d " + whole);

    DiskContext device;
    DiskStatus status = device.Open(whole);
    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_TRUE(device.IsBlockDevice());
    EXPECT_EQ(device.View().size, 32u * 1024 * 1024);
    EXPECT_EQ(device.Layout().signature, 0x8b467c12u);
    EXPECT_EQ(Describe(device.Layout()), "1:06@2048/8192 vfat:SYSTEM 2:83@10240/16384 ext2");
    device.Close();

    status = DiskContext().Open(image);
    EXPECT_EQ(status.error, DiskError::kLoopAttached);
    EXPECT_NE(status.message.find("attached to the loop device " + whole), std::string::npos)
        << status.message;

    std::string partition;
    ASSERT_TRUE(RunShellOutput("losetup -f --show -o " + std::to_string(10240 * 512) +
                                   " --sizelimit " + std::to_string(16384 * 512) + " '" + image +
                                   "'",
                               partition));
    undo.Add("losetup -d " + partition);
    const std::string mountPoint = folder.File("mnt");
    ASSERT_EQ(mkdir(mountPoint.c_str(), 0700), 0);
    if (!RunShell("mount -t ext2 " + partition + " '" + mountPoint + "'"))
        GTEST_SKIP() << "the kernel does not mount ext2 here";
    undo.Add("umount '" + mountPoint + "'");

    status = DiskContext().Open(image);
    EXPECT_EQ(status.error, DiskError::kMounted);
    EXPECT_NE(status.message.find("is mounted at " + mountPoint + " through " + partition),
              std::string::npos)
        << status.message;
    status = DiskContext().Open(partition);
    EXPECT_EQ(status.error, DiskError::kMounted);
    EXPECT_NE(status.message.find("is mounted at " + mountPoint), std::string::npos)
        << status.message;
}

}  // namespace
}  // namespace disk
