// Before anything is written: a second Tarnwick, a running virtual machine, another program
// writing, and a user who may not write are each told. The kernel's mounts and loop devices are
// in KernelUseTest.cpp.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

#include "disk/linux/DiskContext.h"
#include "disk/linux/tests/TestImages.h"

namespace disk {
namespace {

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

}  // namespace
}  // namespace disk
