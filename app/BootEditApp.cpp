#include "app/BootEditApp.h"

#include <vector>

#include "app/WarnUserDlg.h"
#include "editor/BootEditDlg.h"
#include "platform/Platform.h"
#include "platform/WellKnownSids.h"
#include "store/StagingFile.h"

namespace {

const char kProfileSection[] = "Tarnwick";
const char kWarnUserKey[] = "WarnUser";

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

    CBootEditDlg editor;
    m_pMainWnd = &editor;
    editor.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
