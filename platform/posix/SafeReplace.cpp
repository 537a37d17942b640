#include "platform/posix/SafeReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr const char* kTemporaryPrefix = ".tarnwick-";
constexpr size_t kTemporarySuffixLength = 7;  // "-XXXXXX"

const struct {
    ReplaceStep step;
    const char* name;
} kStepNames[] = {
    {ReplaceStep::kTemporaryCreated, "temporary-created"},
    {ReplaceStep::kTemporaryWritten, "temporary-written"},
    {ReplaceStep::kTemporarySynced, "temporary-synced"},
    {ReplaceStep::kRenamed, "renamed"},
    {ReplaceStep::kFolderSynced, "folder-synced"},
};

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

// Removes temporary files that an interrupted replacement of the same target left behind.
void RemoveLeftoverTemporaries(const std::string& folder, const std::string& targetName) {
    std::string prefix = std::string(kTemporaryPrefix) + targetName;
    std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(folder.c_str()), closedir);
    if (!directory)
        return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = readdir(directory.get())) {
        std::string name = entry->d_name;
        if (name.size() == prefix.size() + kTemporarySuffixLength &&
            name.compare(0, prefix.size(), prefix) == 0 && name[prefix.size()] == '-') {
            leftovers.push_back(name);
        }
    }
    for (const std::string& name : leftovers)
        unlink((folder + "/" + name).c_str());
}

bool SyncDescriptor(int descriptor) {
    return fsync(descriptor) == 0 || errno == EINVAL;
}

}  // namespace

const char* ReplaceStepName(ReplaceStep step) {
    for (const auto& entry : kStepNames) {
        if (entry.step == step)
            return entry.name;
    }
    return "?";
}

bool ReplaceStepFromName(const std::string& name, ReplaceStep& step) {
    for (const auto& entry : kStepNames) {
        if (name == entry.name) {
            step = entry.step;
            return true;
        }
    }
    return false;
}

bool WriteAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CopyDescriptor(int from, int to) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t got = read(from, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        if (!WriteAll(to, buffer.data(), static_cast<size_t>(got)))
            return false;
    }
}

bool SyncFolder(const std::string& folder) {
    int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    bool synced = SyncDescriptor(descriptor);
    close(descriptor);
    return synced;
}

bool ReplaceFileContents(const std::string& targetPath, const ReplaceContent& content,
                         const ReplaceStepHook& hook) {
    auto stepDone = [&hook](ReplaceStep step) { return !hook || hook(step); };
    std::string folder, name;
    SplitPath(targetPath, folder, name);
    RemoveLeftoverTemporaries(folder, name);

    std::string temporaryPath = folder + "/" + kTemporaryPrefix + name + "-XXXXXX";
    std::vector<char> pathBuffer(temporaryPath.begin(), temporaryPath.end());
    pathBuffer.push_back('\0');
    int descriptor = mkostemp(pathBuffer.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;
    temporaryPath = pathBuffer.data();

    // A descriptor left open by a simulated crash is closed here, as the system would close it.
    struct DescriptorCloser {
        int& descriptor;
        ~DescriptorCloser() {
            if (descriptor >= 0)
                close(descriptor);
        }
    } closer{descriptor};
    auto fail = [&]() {
        if (descriptor >= 0)
            close(descriptor);
        descriptor = -1;
        unlink(temporaryPath.c_str());
        return false;
    };

    if (!stepDone(ReplaceStep::kTemporaryCreated))
        return fail();
    if (fchmod(descriptor, static_cast<mode_t>(content.permissions & 07777)) != 0)
        return fail();
    if (!content.write(descriptor))
        return fail();
    if (!stepDone(ReplaceStep::kTemporaryWritten))
        return fail();
    if (content.finish && !content.finish(temporaryPath))
        return fail();
    if (!SyncDescriptor(descriptor))
        return fail();
    int closed = close(descriptor);
    descriptor = -1;
    if (closed != 0)
        return fail();
    if (!stepDone(ReplaceStep::kTemporarySynced))
        return fail();
    if (rename(temporaryPath.c_str(), targetPath.c_str()) != 0)
        return fail();
    stepDone(ReplaceStep::kRenamed);
    // The new file is in place; a folder that can't be flushed only makes the rename less durable,
    // and reporting failure now would claim the old file is still there.
    SyncFolder(folder);
    stepDone(ReplaceStep::kFolderSynced);
    return true;
}
