#include "app/BootEditApp.h"

#include <memory>
#include <string>
#include <vector>

#include "app/WarnUserDlg.h"
#include "editor/BootEditDlg.h"
#include "platform/Platform.h"
#include "platform/WellKnownSids.h"
#include "store/StagingFile.h"

namespace {

const char kProfileSection[] = "Tarnwick";
const char kWarnUserKey[] = "WarnUser";

#ifdef _WIN32
const char kOtherDriveHint[] =
    "\n\nTo edit the BOOT.INI of another Windows, start Tarnwick with the drive that holds it, "
    "for example: tarnwick.exe E:";
#else
const char kOtherDriveHint[] =
    "\n\nTo edit the BOOT.INI of another Windows, start Tarnwick with the folder where its "
    "drive is mounted, for example: tarnwick /mnt/windows";
#endif

void ShowError(LPCSTR text) {
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

}  // namespace

// Without a name, the application takes its title from the executable's file name.
CBootEditApp::CBootEditApp() = default;

BOOL CBootEditApp::IsUserAdmin() {
    // The group list is read whole, however long: administrators often belong to many groups.
    std::vector<TokenGroup> groups;
    if (!Platform().ReadTokenGroups(groups))
        return FALSE;
    const std::vector<unsigned char> administrators = AdministratorsSid();
    // Membership is enough; the group's attributes (enabled, deny-only, ...) are not examined.
    for (const TokenGroup& group : groups) {
        if (group.sid == administrators)
            return TRUE;
    }
    return FALSE;
}

BOOL CBootEditApp::InitInstance() {
    if (!IsUserAdmin()) {
        ShowError("Tarnwick V1.0 needs Administrator Privileges in order to run");
        return FALSE;
    }

    if (GetProfileInt(kProfileSection, kWarnUserKey, 0) == 0) {
        CWarnUserDlg warning;
        if (warning.DoModal() == IDCANCEL)
            return FALSE;
        if (warning.m_bDontShowAgain)
            WriteProfileInt(kProfileSection, kWarnUserKey, 1);
    }

    IPlatform& platform = Platform();
    // Held until the editor ends: a second instance would share the staging file and overwrite
    // this one's edits. The system releases it if this process dies.
    std::unique_ptr<IExclusiveLock> lock;
    switch (platform.LockExclusively(kLockPath, lock)) {
        case LockOutcome::kLocked:
            break;
        case LockOutcome::kHeldElsewhere:
            ShowError(
                "Tarnwick is already editing BOOT.INI on this drive in another window. Only one "
                "Tarnwick may edit it at a time: finish in the other window first. Nothing was "
                "changed.");
            return FALSE;
        case LockOutcome::kFailed:
            ShowError(
                "Tarnwick Unable to create BOOT.LCK, which keeps two copies of Tarnwick from "
                "editing BOOT.INI at the same time. Nothing was changed.");
            return FALSE;
    }
    const struct {
        LPCSTR path;
        LPCSTR name;
    } copiedFiles[] = {{kBootIniPath, "BOOT.INI"}, {kStagingPath, "BOOT.TMP"}};
    for (const auto& file : copiedFiles) {
        if (IsLink(file.path)) {
            std::string message = std::string("Tarnwick will not use ") + file.name +
                                  ": it is a link to another file, and Tarnwick never reads or "
                                  "writes through links. Nothing was changed.";
            ShowError(message.c_str());
            return FALSE;
        }
    }

    // A drive without BOOT.INI may hold a later Windows: say so rather than only that the copy
    // failed.
    if (!platform.FileExists(kBootIniPath)) {
        const std::string found = DescribeDriveWithoutBootIni();
        if (!found.empty()) {
            ShowError((found + kOtherDriveHint).c_str());
            return FALSE;
        }
    }

    const BOOL copied = platform.CopyFileTo(kBootIniPath, kStagingPath, FALSE);
    if (!copied)
        ShowError("Tarnwick Unable to make a copy of boot.ini");
    // The copy carries over the read-only, hidden and system attributes of BOOT.INI.
    if (!platform.WriteFileAttributes(kStagingPath, FILE_ATTRIBUTE_NORMAL)) {
        ShowError("Tarnwick Unable to modify attributes of boot.tmp");
    }
    // A staging file left by an earlier run is not the current BOOT.INI: editing it and
    // committing it would put old lines back into the boot loader's file.
    if (!copied)
        return FALSE;
    // The staging copy is what the edits start from: the commit checks that BOOT.INI still holds
    // it. A copy that can't be read back is no copy.
    std::string bootIniAtStart;
    if (!platform.ReadWholeFile(kStagingPath, bootIniAtStart)) {
        ShowError("Tarnwick Unable to make a copy of boot.ini");
        return FALSE;
    }

    CBootEditDlg editor;
    editor.m_bootIniAtStart = bootIniAtStart;
    m_pMainWnd = &editor;
    editor.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
