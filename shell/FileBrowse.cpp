// The "..." buttons beside the HAL and kernel fields: the system's open-file dialog, opened in the
// Windows system directory with the default file of that kind named, puts the chosen file's name
// into the field. The name reaches the line only when the user applies it.
#include "editor/BootEditDlg.h"
#include "framework/FileDialog.h"
#include "platform/Platform.h"

namespace {

// The Windows folder of a boot line: the part of its ARC path after the last ')'
// ("multi(0)disk(0)rdisk(0)partition(1)\WINDOWS" gives "\WINDOWS").
CString WindowsFolderOf(const CString& arcPath) {
    const std::string& path = arcPath.str();
    const std::string::size_type bracket = path.rfind(')');
    return CString(bracket == std::string::npos ? path : path.substr(bracket + 1));
}

}  // namespace

void CBootEditDlg::OnBrowseHal() {
    BrowseForFile("\\Hal.dll", m_txtHal);
}

void CBootEditDlg::OnBrowseKernel() {
    BrowseForFile("\\ntoskrnl.exe", m_txtKernel);
}

void CBootEditDlg::BrowseForFile(LPCSTR initialFile, CString& value) {
    IPlatform& platform = Platform();
    platform.SetWindowsFolderHint(WindowsFolderOf(m_bootLine.m_strArcPath));
    CString systemDirectory;
    // Without a system directory there is nowhere to start: nothing changes.
    if (!platform.ReadSystemDirectory(systemDirectory))
        return;
    platform.ChangeCurrentDirectory(systemDirectory);

    CFileDialog dialog(
        TRUE, nullptr, systemDirectory + initialFile,
        OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON, nullptr);
    if (dialog.DoModal() != IDOK)
        return;
    // Only the name and extension: the boot loader looks for the file in the system directory.
    value = dialog.GetFileName();
    UpdateData(FALSE);
}
