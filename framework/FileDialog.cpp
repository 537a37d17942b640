#include "framework/FileDialog.h"

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags,
                         LPCSTR filter) {
    m_request.openMode = openFileDialog;
    m_request.defaultExtension = defaultExtension;
    m_request.initialFile = fileName;
    m_request.filter = filter;
    // The framework's own hook, resizable frame and explorer look.
    m_request.flags = flags | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER;
}

int CFileDialog::DoModal() {
    m_request.chosenPath.Empty();
    m_request.chosenTitle.Empty();
    return Backend().RunOpenFileDialog(m_request) ? IDOK : IDCANCEL;
}
