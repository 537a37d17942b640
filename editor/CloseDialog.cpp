// Closing the editor: OK commits the staging file to C:\BOOT.INI after at least one Apply and the
// user's confirmation, unless the drive is shown for viewing only; Cancel never writes it. Either
// way the editor ends.
#include "editor/BootEditDlg.h"
#include "framework/App.h"
#include "platform/Platform.h"
#include "store/Commit.h"

void CBootEditDlg::CloseStagingFile() {
    if (m_pStagingFile) {
        m_pStagingFile->Close();
        m_pStagingFile.reset();
    }
    m_arrLines.RemoveAll();
}

void CBootEditDlg::OnOK() {
    CloseStagingFile();
    const std::string viewOnly = Platform().ViewOnlyReason();
    if (m_bApplied && !viewOnly.empty()) {
        AfxMessageBox(
            ("BOOT.INI is shown for viewing only, so the changes were not committed: " + viewOnly)
                .c_str(),
            MB_OK | MB_ICONEXCLAMATION);
    } else if (m_bApplied) {
        if (m_bStagingDamaged) {
            // The staging file may be torn: it must not become the boot loader's file.
            AfxMessageBox(
                "BOOT.TMP could not be written completely, so the changes were not committed. "
                "BOOT.INI was not changed.",
                MB_OK | MB_ICONSTOP);
        } else if (AfxMessageBox("Do you want to commit your changes to disk?",
                                 MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
            CommitStagingFile(m_bootIniAtStart);
        }
    }
    CDialog::OnOK();
}

void CBootEditDlg::OnCancel() {
    CloseStagingFile();
    CDialog::OnCancel();
}
