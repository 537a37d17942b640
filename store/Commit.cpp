#include "store/Commit.h"

#include "framework/App.h"
#include "platform/Platform.h"
#include "store/StagingFile.h"

namespace {

// What the boot loader's file normally carries: read-only, hidden and system, set as a whole.
const DWORD kBootIniAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

const char kEditsKept[] = "Your edits remain in BOOT.TMP until Tarnwick starts again.";

// The user decides in message boxes.
class MessageBoxDecisions : public ICommitDecisions {
public:
    BOOL CommitOverChange(const std::string& question, BOOL) override {
        return AfxMessageBox(question.c_str(), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }
    void ReportFailure(const std::string& message) override {
        AfxMessageBox(message.c_str(), MB_OK | MB_ICONSTOP);
    }
};

// FALSE, after telling, when one of the commit's files is a link.
BOOL RefuseLinks(ICommitDecisions& decisions) {
    const struct {
        LPCSTR path;
        LPCSTR name;
    } files[] = {{kBootIniPath, "BOOT.INI"}, {kStagingPath, "BOOT.TMP"}, {kBackupPath, "BOOT.BAK"}};
    for (const auto& file : files) {
        if (IsLink(file.path)) {
            std::string message = file.name;
            message +=
                " is a link to another file, and Tarnwick never writes through links, so "
                "BOOT.INI was not changed.";
            decisions.ReportFailure(message);
            return FALSE;
        }
    }
    return TRUE;
}

enum class DiskState { kAsAtStart, kChanged, kRemoved, kUnreadable };

DiskState CompareWithStart(const std::string& bootIniAtStart) {
    IPlatform& platform = Platform();
    std::string current;
    if (platform.ReadWholeFile(kBootIniPath, current))
        return current == bootIniAtStart ? DiskState::kAsAtStart : DiskState::kChanged;
    return platform.FileExists(kBootIniPath) ? DiskState::kUnreadable : DiskState::kRemoved;
}

// The overwrite and the attributes restored: the end of every commit. A BOOT.INI that can't be
// replaced gets its attributes back.
BOOL OverwriteBootIni(ICommitDecisions& decisions) {
    IPlatform& platform = Platform();
    if (!platform.ReplaceFileSafely(kStagingPath, kBootIniPath)) {
        decisions.ReportFailure("Unable to overwrite BOOT.INI exiting");
        platform.WriteFileAttributes(kBootIniPath, kBootIniAttributes);
        return FALSE;
    }
    if (!platform.WriteFileAttributes(kBootIniPath, kBootIniAttributes)) {
        decisions.ReportFailure("Unable to restore BOOT.INI attributes after overwrite");
        return FALSE;
    }
    return TRUE;
}

}  // namespace

BOOL CommitStagingFile(const std::optional<std::string>& bootIniAtStart) {
    MessageBoxDecisions decisions;
    return CommitStagingFile(bootIniAtStart, decisions);
}

BOOL CommitStagingFile(const std::optional<std::string>& bootIniAtStart,
                       ICommitDecisions& decisions) {
    if (!RefuseLinks(decisions))
        return FALSE;
    if (bootIniAtStart) {
        switch (CompareWithStart(*bootIniAtStart)) {
            case DiskState::kAsAtStart:
                break;
            case DiskState::kChanged:
                if (!decisions.CommitOverChange(
                        std::string("BOOT.INI was changed by another program after Tarnwick "
                                    "started.\n\nPress OK to replace it with your edits (the "
                                    "changed BOOT.INI is kept in BOOT.BAK), or Cancel to leave "
                                    "it as it is now. ") +
                            kEditsKept,
                        FALSE)) {
                    return FALSE;
                }
                break;
            case DiskState::kRemoved:
                if (!decisions.CommitOverChange(
                        std::string("BOOT.INI was removed by another program after Tarnwick "
                                    "started.\n\nPress OK to write your edits as a new "
                                    "BOOT.INI, or Cancel to leave the drive without one. ") +
                            kEditsKept,
                        TRUE)) {
                    return FALSE;
                }
                // Nothing to back up: the staging file becomes a new BOOT.INI.
                return OverwriteBootIni(decisions);
            case DiskState::kUnreadable:
                decisions.ReportFailure(
                    std::string("Unable to read BOOT.INI to check whether another program "
                                "changed it, so it was not changed. ") +
                    kEditsKept);
                return FALSE;
        }
    }

    IPlatform& platform = Platform();
    if (!platform.WriteFileAttributes(kBootIniPath, FILE_ATTRIBUTE_NORMAL)) {
        decisions.ReportFailure("Unable to modify BOOT.INI exiting");
        return FALSE;
    }
    // The backup is complete and on disk before the overwrite begins.
    if (!platform.ReplaceFileSafely(kBootIniPath, kBackupPath)) {
        decisions.ReportFailure("Unable to backup BOOT.INI exiting");
        platform.WriteFileAttributes(kBootIniPath, kBootIniAttributes);
        return FALSE;
    }
    return OverwriteBootIni(decisions);
}
