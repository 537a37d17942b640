// Replacing a file so that a crash at any moment leaves the old or the new file whole.
//
// Steps: create a temporary file beside the target (same folder, so the rename below stays on one
// file system), write the new content into it, give it its attributes, flush it to the disk, rename
// it over the target (atomic on POSIX file systems), then flush the folder so that the rename
// itself is on the disk. On a failure before the rename the temporary file is removed and the
// target is untouched.
//
// The temporary file is named ".tarnwick-<target name>-XXXXXX": a dot file that none of the
// program's own paths (C:\BOOT.INI, C:\BOOT.TMP, ...) can match, even without regard to case.
// One left behind by a crash is removed by the next replacement of the same target.
#pragma once

#include <functional>
#include <string>

enum class ReplaceStep {
    kTemporaryCreated,  // the empty temporary file exists
    kTemporaryWritten,  // it holds the new content
    kTemporarySynced,   // its content and attributes are on the disk
    kRenamed,           // it has replaced the target
    kFolderSynced,      // the rename is on the disk; the replacement is complete
};
constexpr ReplaceStep kAllReplaceSteps[] = {
    ReplaceStep::kTemporaryCreated, ReplaceStep::kTemporaryWritten, ReplaceStep::kTemporarySynced,
    ReplaceStep::kRenamed, ReplaceStep::kFolderSynced};

// "temporary-created", "temporary-written", "temporary-synced", "renamed", "folder-synced".
const char* ReplaceStepName(ReplaceStep step);
// False for an unknown name.
bool ReplaceStepFromName(const std::string& name, ReplaceStep& step);

// Called after each step. Returning false makes the replacement fail at that point, as a failed
// system call would; that is honoured only before the rename, since after it the new file is in
// place. A hook may also throw to simulate a crash: nothing is cleaned up then, as after a real
// one.
using ReplaceStepHook = std::function<bool(ReplaceStep step)>;

struct ReplaceContent {
    // Writes the new content into the temporary file's descriptor.
    std::function<bool(int descriptor)> write;
    // Permission bits of the temporary file.
    unsigned permissions = 0644;
    // Gives the temporary file its attributes once its content is written; may be empty.
    std::function<bool(const std::string& temporaryPath)> finish;
};

// Replaces (or creates) the file targetPath; false on failure, with the target untouched.
bool ReplaceFileContents(const std::string& targetPath, const ReplaceContent& content,
                         const ReplaceStepHook& hook);

// Writes all bytes, retrying after interruptions and short writes.
bool WriteAll(int descriptor, const char* data, size_t size);
// Copies everything from one descriptor to another.
bool CopyDescriptor(int from, int to);
// Flushes a folder's entries to the disk; file systems that can't do that count as done.
bool SyncFolder(const std::string& folder);
