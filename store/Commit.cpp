#include "store/Commit.h"

#include "framework/App.h"
#include "platform/Platform.h"
#include "store/StagingFile.h"

namespace {

// What the boot loader's file normally carries: read-only, hidden and system, set as a whole.
const DWORD kBootIniAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

void ShowError(LPCSTR text) {
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

}  // namespace

BOOL CommitStagingFile() {
    IPlatform& platform = Platform();
    if (!platform.WriteFileAttributes(kBootIniPath, FILE_ATTRIBUTE_NORMAL)) {
        ShowError("Unable to modify BOOT.INI exiting");
        return FALSE;
    }
    // The backup is complete and on disk before the overwrite begins.
    if (!platform.ReplaceFileSafely(kBootIniPath, kBackupPath)) {
        ShowError("Unable to backup BOOT.INI exiting");
        platform.WriteFileAttributes(kBootIniPath, kBootIniAttributes);
        return FALSE;
    }
    if (!platform.ReplaceFileSafely(kStagingPath, kBootIniPath)) {
        ShowError("Unable to overwrite BOOT.INI exiting");
        platform.WriteFileAttributes(kBootIniPath, kBootIniAttributes);
        return FALSE;
    }
    if (!platform.WriteFileAttributes(kBootIniPath, kBootIniAttributes)) {
        ShowError("Unable to restore BOOT.INI attributes after overwrite");
        return FALSE;
    }
    return TRUE;
}
