#include "editor/BootEditDlg.h"

#include "bootline/OptionRules.h"

#include "framework/App.h"
#include "framework/Backend.h"
#include "res/resource.h"
#include "store/StagingFile.h"

CBootEditDlg::CBootEditDlg(CDialog* pParent)
    : CDialog(IDD_BOOTEDIT_DIALOG, pParent),
      m_chkFastDetect(0),
      m_chkBaudRate(0),
      m_chkChannel(0),
      m_chkCrashDebug(0),
      m_chkDebugPort(0),
      m_chkHal(0),
      m_chkKernel(0),
      m_chkOneCpu(0),
      m_chkPae(0),
      m_chkSos(0),
      m_chkMaxMem(0),
      m_chkBaseVideo(0),
      m_txtChannel("1"),
      m_chk3GB(0),
      m_chkBootLog(0),
      m_chkBootLogo(0),
      m_chkDebug(0),
      m_chkNoDebug(0),
      m_chkNoPae(0),
      m_chkIntAffinity(0),
      m_chkNoGuiBoot(0),
      m_chkNoLowMem(0),
      m_chkPciLock(0),
      m_bApplied(FALSE),
      m_hIcon(Backend().LoadIconResource(IDR_MAINFRAME)),
      m_bStagingDamaged(FALSE) {}

CBootEditDlg::~CBootEditDlg() = default;

void CBootEditDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UNHANDLED_LIST, m_ctlUnhandledList);
    DDX_Control(pDX, IDC_CHANNEL_SPIN, m_ctlChannelSpin);
    DDX_Control(pDX, IDC_CHANNEL_EDIT, m_ctlChannelEdit);
    DDX_Control(pDX, IDC_LABEL_EDIT, m_ctlLabelEdit);
    DDX_Control(pDX, IDC_APPLY, m_ctlApply);
    DDX_Control(pDX, IDC_DELETE_LINE, m_ctlDeleteLine);
    DDX_Control(pDX, IDC_COPY_LINE, m_ctlCopyLine);
    DDX_Control(pDX, IDC_MAXMEM_EDIT, m_ctlMaxMemEdit);
    DDX_Control(pDX, IDC_KERNEL_EDIT, m_ctlKernelEdit);
    DDX_Control(pDX, IDC_HAL_EDIT, m_ctlHalEdit);
    DDX_Control(pDX, IDC_KERNEL_BROWSE, m_ctlKernelBrowse);
    DDX_Control(pDX, IDC_HAL_BROWSE, m_ctlHalBrowse);
    DDX_Control(pDX, IDC_BAUDRATE_LIST, m_ctlBaudRateList);
    DDX_Control(pDX, IDC_DEBUGPORT_LIST, m_ctlDebugPortList);
    DDX_Control(pDX, IDC_BOOTLINE_LIST, m_ctlBootLineList);
    // Two boot lines often share an ARC path: writing the text must not move the selection.
    DDX_CBEditText(pDX, IDC_BOOTLINE_LIST, m_txtBootLine);
    DDX_Check(pDX, IDC_FASTDETECT, m_chkFastDetect);
    DDX_Check(pDX, IDC_BAUDRATE, m_chkBaudRate);
    DDX_Check(pDX, IDC_CHANNEL, m_chkChannel);
    DDX_Check(pDX, IDC_CRASHDEBUG, m_chkCrashDebug);
    DDX_Check(pDX, IDC_DEBUGPORT, m_chkDebugPort);
    DDX_Check(pDX, IDC_HAL, m_chkHal);
    DDX_Check(pDX, IDC_KERNEL, m_chkKernel);
    DDX_Check(pDX, IDC_ONECPU, m_chkOneCpu);
    DDX_Check(pDX, IDC_PAE, m_chkPae);
    DDX_Check(pDX, IDC_SOS, m_chkSos);
    DDX_Text(pDX, IDC_HAL_EDIT, m_txtHal);
    DDX_Text(pDX, IDC_KERNEL_EDIT, m_txtKernel);
    DDX_Check(pDX, IDC_MAXMEM, m_chkMaxMem);
    DDX_Text(pDX, IDC_MAXMEM_EDIT, m_txtMaxMem);
    DDX_Check(pDX, IDC_BASEVIDEO, m_chkBaseVideo);
    DDX_Text(pDX, IDC_LABEL_EDIT, m_txtLabel);
    DDX_CBString(pDX, IDC_BAUDRATE_LIST, m_txtBaudRate);
    DDX_CBString(pDX, IDC_DEBUGPORT_LIST, m_txtDebugPort);
    DDX_Text(pDX, IDC_CHANNEL_EDIT, m_txtChannel);
    DDX_Check(pDX, IDC_3GB, m_chk3GB);
    DDX_Check(pDX, IDC_BOOTLOG, m_chkBootLog);
    DDX_Check(pDX, IDC_BOOTLOGO, m_chkBootLogo);
    DDX_Check(pDX, IDC_DEBUG, m_chkDebug);
    DDX_Check(pDX, IDC_NODEBUG, m_chkNoDebug);
    DDX_Check(pDX, IDC_NOPAE, m_chkNoPae);
    DDX_Check(pDX, IDC_INTAFFINITY, m_chkIntAffinity);
    DDX_Check(pDX, IDC_NOGUIBOOT, m_chkNoGuiBoot);
    DDX_Check(pDX, IDC_NOLOWMEM, m_chkNoLowMem);
    DDX_Check(pDX, IDC_PCILOCK, m_chkPciLock);
}

BEGIN_MESSAGE_MAP(CBootEditDlg)
ON_WM_SYSCOMMAND(OnSystemCommand)
ON_WM_DESTROY(OnDestroyDialog)
ON_WM_PAINT(OnPaintDialog)
ON_WM_QUERYDRAGICON(OnDragIconQuery)
ON_COMMAND(ID_HELP, OnHelpButton)
ON_WM_HELPINFO(OnHelpRequest)
ON_WM_CONTEXTMENU(OnContextHelp)
ON_CBN_SELCHANGE(IDC_BOOTLINE_LIST, OnSelchangeBootLine)
ON_EN_UPDATE(IDC_LABEL_EDIT, OnOptionChanged)
ON_BN_CLICKED(IDC_FASTDETECT, OnOptionChanged)
ON_BN_CLICKED(IDC_ONECPU, OnOptionChanged)
ON_BN_CLICKED(IDC_SOS, OnOptionChanged)
ON_BN_CLICKED(IDC_CRASHDEBUG, OnOptionChanged)
ON_BN_CLICKED(IDC_BASEVIDEO, OnOptionChanged)
ON_BN_CLICKED(IDC_BOOTLOG, OnOptionChanged)
ON_BN_CLICKED(IDC_BOOTLOGO, OnOptionChanged)
ON_BN_CLICKED(IDC_3GB, OnOptionChanged)
ON_BN_CLICKED(IDC_PCILOCK, OnOptionChanged)
ON_BN_CLICKED(IDC_NOGUIBOOT, OnOptionChanged)
ON_BN_CLICKED(IDC_INTAFFINITY, OnOptionChanged)
ON_BN_CLICKED(IDC_DEBUG, OnDebugBox)
ON_BN_CLICKED(IDC_NODEBUG, OnNoDebugBox)
ON_BN_CLICKED(IDC_PAE, OnPaeBox)
ON_BN_CLICKED(IDC_NOPAE, OnNoPaeBox)
ON_BN_CLICKED(IDC_NOLOWMEM, OnNoLowMemBox)
ON_BN_CLICKED(IDC_MAXMEM, OnMaxMemBox)
ON_BN_CLICKED(IDC_HAL, OnHalBox)
ON_BN_CLICKED(IDC_KERNEL, OnKernelBox)
ON_BN_CLICKED(IDC_DEBUGPORT, OnDebugPortBox)
ON_BN_CLICKED(IDC_BAUDRATE, OnBaudRateBox)
ON_BN_CLICKED(IDC_CHANNEL, OnChannelBox)
ON_CBN_SELCHANGE(IDC_DEBUGPORT_LIST, OnSelchangeDebugPort)
ON_BN_CLICKED(IDC_HAL_BROWSE, OnBrowseHal)
ON_BN_CLICKED(IDC_KERNEL_BROWSE, OnBrowseKernel)
ON_BN_CLICKED(IDC_COPY_LINE, OnCopyLine)
ON_BN_CLICKED(IDC_DELETE_LINE, OnDeleteLine)
ON_BN_CLICKED(IDC_APPLY, OnApply)
END_MESSAGE_MAP()

BOOL CBootEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    InitSystemMenuAndIcons();

    m_pStagingFile = Platform().OpenTextStream(kStagingPath);
    if (!m_pStagingFile) {
        // Said, not left to guess: without it the program would just vanish.
        AfxMessageBox("Unable to open BOOT.TMP. BOOT.INI was not changed.", MB_OK | MB_ICONSTOP);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    FillDebugPortList();
    if (!LoadBootLines()) {
        // Lines missing from the editor would be missing from every rewrite, and from BOOT.INI.
        AfxMessageBox("Unable to read BOOT.TMP. BOOT.INI was not changed.", MB_OK | MB_ICONSTOP);
        CloseStagingFile();
        EndDialog(IDCANCEL);
        return FALSE;
    }
    if (m_ctlBootLineList.GetCount() > 0) {
        PresentListEntry(0);
    } else {
        PresentNoLine();
    }
    WarnIfNoDefaultLine();
    const std::string viewOnly = Platform().ViewOnlyReason();
    if (!viewOnly.empty()) {
        // Edits are still shown as Apply makes them, in the copy kept in memory.
        AfxMessageBox(("BOOT.INI is shown for viewing only: " + viewOnly).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    }
    return TRUE;
}

void CBootEditDlg::FillDebugPortList() {
    for (int port = 0; port < kDebugPortCount; ++port)
        m_ctlDebugPortList.AddString(kDebugPortNames[port]);
    SelectListEntry(m_ctlDebugPortList, m_txtDebugPort, kDebugPortCom1);
    SelectListEntry(m_ctlBaudRateList, m_txtBaudRate, 0);
    UpdateData(FALSE);
}

void CBootEditDlg::SelectListEntry(CComboBox& list, CString& text, int index) {
    list.SetCurSel(index);
    list.GetLBText(index, text);
}

BOOL CBootEditDlg::GetSelectedLine(int& position, int& lineIndex) {
    position = m_ctlBootLineList.GetCurSel();
    if (position < 0)
        return FALSE;
    lineIndex = static_cast<int>(m_ctlBootLineList.GetItemData(position));
    return lineIndex >= 0 && lineIndex < m_arrLines.GetSize();
}

void CBootEditDlg::PresentListEntry(int position) {
    m_ctlBootLineList.SetCurSel(position);
    int selected = 0;
    int lineIndex = 0;
    if (GetSelectedLine(selected, lineIndex)) {
        m_bootLine.ParseLine(m_arrLines[lineIndex]);
        PresentLine();
    }
}

void CBootEditDlg::MarkUnchanged() {
    m_ctlApply.EnableWindow(FALSE);
    m_ctlCopyLine.EnableWindow(TRUE);
    m_ctlDeleteLine.EnableWindow(TRUE);
}
