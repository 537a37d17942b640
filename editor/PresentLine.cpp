// Showing the record m_bootLine in the controls, and taking the controls back into it.
#include "editor/BootEditDlg.h"
#include "framework/App.h"
#include "res/resource.h"

namespace {

// The sixteen on/off switches: check box, dialog member, record flag.
struct SwitchBinding {
    int controlId;
    int CBootEditDlg::*check;
    int CBootLine::*flag;
};

const SwitchBinding kSwitches[] = {
    {IDC_FASTDETECT, &CBootEditDlg::m_chkFastDetect, &CBootLine::m_bFastDetect},
    {IDC_ONECPU, &CBootEditDlg::m_chkOneCpu, &CBootLine::m_bOneCpu},
    {IDC_SOS, &CBootEditDlg::m_chkSos, &CBootLine::m_bSos},
    {IDC_CRASHDEBUG, &CBootEditDlg::m_chkCrashDebug, &CBootLine::m_bCrashDebug},
    {IDC_DEBUG, &CBootEditDlg::m_chkDebug, &CBootLine::m_bDebug},
    {IDC_NODEBUG, &CBootEditDlg::m_chkNoDebug, &CBootLine::m_bNoDebug},
    {IDC_BASEVIDEO, &CBootEditDlg::m_chkBaseVideo, &CBootLine::m_bBaseVideo},
    {IDC_BOOTLOG, &CBootEditDlg::m_chkBootLog, &CBootLine::m_bBootLog},
    {IDC_BOOTLOGO, &CBootEditDlg::m_chkBootLogo, &CBootLine::m_bBootLogo},
    {IDC_3GB, &CBootEditDlg::m_chk3GB, &CBootLine::m_b3GB},
    {IDC_NOPAE, &CBootEditDlg::m_chkNoPae, &CBootLine::m_bNoPae},
    {IDC_PAE, &CBootEditDlg::m_chkPae, &CBootLine::m_bPae},
    {IDC_PCILOCK, &CBootEditDlg::m_chkPciLock, &CBootLine::m_bPciLock},
    {IDC_NOLOWMEM, &CBootEditDlg::m_chkNoLowMem, &CBootLine::m_bNoLowMem},
    {IDC_NOGUIBOOT, &CBootEditDlg::m_chkNoGuiBoot, &CBootLine::m_bNoGuiBoot},
    {IDC_INTAFFINITY, &CBootEditDlg::m_chkIntAffinity, &CBootLine::m_bIntAffinity},
};

// The six valued options: check box, value controls whose enabled state follows the box, dialog
// members and record fields. A value control id of 0 is none. Values chosen from a list are
// looked up in it, with the message shown when the list has no entry for them.
struct ValueBinding {
    int controlId;
    int valueControlIds[2];
    int CBootEditDlg::*check;
    CString CBootEditDlg::*text;
    int CBootLine::*marker;
    CString CBootLine::*value;
    CComboBox CBootEditDlg::*list;
    LPCSTR notInListMessage;
};

const ValueBinding kValues[] = {
    {IDC_HAL,
     {IDC_HAL_EDIT, IDC_HAL_BROWSE},
     &CBootEditDlg::m_chkHal,
     &CBootEditDlg::m_txtHal,
     &CBootLine::m_bHal,
     &CBootLine::m_strHal,
     nullptr,
     nullptr},
    {IDC_KERNEL,
     {IDC_KERNEL_EDIT, IDC_KERNEL_BROWSE},
     &CBootEditDlg::m_chkKernel,
     &CBootEditDlg::m_txtKernel,
     &CBootLine::m_bKernel,
     &CBootLine::m_strKernel,
     nullptr,
     nullptr},
    {IDC_MAXMEM,
     {IDC_MAXMEM_EDIT, 0},
     &CBootEditDlg::m_chkMaxMem,
     &CBootEditDlg::m_txtMaxMem,
     &CBootLine::m_bMaxMem,
     &CBootLine::m_strMaxMem,
     nullptr,
     nullptr},
    {IDC_BAUDRATE,
     {IDC_BAUDRATE_LIST, 0},
     &CBootEditDlg::m_chkBaudRate,
     &CBootEditDlg::m_txtBaudRate,
     &CBootLine::m_bBaudRate,
     &CBootLine::m_strBaudRate,
     &CBootEditDlg::m_ctlBaudRateList,
     "Bad BaudRate"},
    {IDC_DEBUGPORT,
     {IDC_DEBUGPORT_LIST, 0},
     &CBootEditDlg::m_chkDebugPort,
     &CBootEditDlg::m_txtDebugPort,
     &CBootLine::m_bDebugPort,
     &CBootLine::m_strDebugPort,
     &CBootEditDlg::m_ctlDebugPortList,
     "Bad DebugPort"},
    {IDC_CHANNEL,
     {IDC_CHANNEL_EDIT, IDC_CHANNEL_SPIN},
     &CBootEditDlg::m_chkChannel,
     &CBootEditDlg::m_txtChannel,
     &CBootLine::m_bChannel,
     &CBootLine::m_strChannel,
     nullptr,
     nullptr},
};

// Every check member and text member back to its cleared state.
void ClearMembers(CBootEditDlg& dialog) {
    for (const SwitchBinding& binding : kSwitches)
        dialog.*binding.check = 0;
    for (const ValueBinding& binding : kValues) {
        dialog.*binding.check = 0;
        (dialog.*binding.text).Empty();
    }
    dialog.m_txtLabel.Empty();
    dialog.m_ctlUnhandledList.ResetContent();
}

}  // namespace

void CBootEditDlg::PresentLine() {
    ClearMembers(*this);

    for (const SwitchBinding& binding : kSwitches) {
        this->*binding.check = m_bootLine.*binding.flag ? 1 : 0;
    }
    if (m_bootLine.m_bLabel)
        m_txtLabel = m_bootLine.m_strLabel;

    for (const ValueBinding& binding : kValues) {
        const BOOL present = m_bootLine.*binding.marker ? TRUE : FALSE;
        this->*binding.check = present ? 1 : 0;
        for (int id : binding.valueControlIds) {
            if (id != 0)
                GetDlgItem(id)->EnableWindow(present);
        }
        if (!present)
            continue;
        const CString& value = m_bootLine.*binding.value;
        if (binding.list) {
            // The list's own spelling of the value is shown and later written ("com2": "COM2").
            CComboBox& list = this->*binding.list;
            int index = list.FindString(-1, value);
            if (index < 0) {
                AfxMessageBox(binding.notInListMessage, MB_OK);
            } else {
                SelectListEntry(list, this->*binding.text, index);
            }
        } else {
            this->*binding.text = value;
        }
    }

    for (int index = 0; index < m_bootLine.m_arrUnhandled.GetSize(); ++index) {
        m_ctlUnhandledList.AddString(m_bootLine.m_arrUnhandled[index]);
    }
    m_ctlChannelSpin.SetRange(1, 62);
    m_ctlChannelSpin.SetBase(10);
    m_ctlChannelSpin.SetPos(1);
    m_txtBootLine = m_bootLine.m_strArcPath;
    UpdateData(FALSE);
}

void CBootEditDlg::PresentNoLine() {
    ClearMembers(*this);
    m_txtBootLine.Empty();
    // With no boot line there is nothing to edit: every option control is cleared and disabled,
    // and so are the line edits; OK and Cancel stay.
    for (const SwitchBinding& binding : kSwitches)
        GetDlgItem(binding.controlId)->EnableWindow(FALSE);
    for (const ValueBinding& binding : kValues) {
        GetDlgItem(binding.controlId)->EnableWindow(FALSE);
        for (int id : binding.valueControlIds) {
            if (id != 0)
                GetDlgItem(id)->EnableWindow(FALSE);
        }
    }
    m_ctlLabelEdit.EnableWindow(FALSE);
    m_ctlApply.EnableWindow(FALSE);
    m_ctlCopyLine.EnableWindow(FALSE);
    m_ctlDeleteLine.EnableWindow(FALSE);
    UpdateData(FALSE);
}

void CBootEditDlg::TakeLine() {
    for (const SwitchBinding& binding : kSwitches) {
        m_bootLine.*binding.flag = this->*binding.check ? 1 : 0;
    }
    m_bootLine.m_strLabel = m_txtLabel;
    // A label typed on a line read without one is written; an empty one stays absent.
    if (!m_txtLabel.IsEmpty())
        m_bootLine.m_bLabel = 1;

    for (const ValueBinding& binding : kValues) {
        m_bootLine.*binding.marker = this->*binding.check ? 1 : 0;
        if (this->*binding.check)
            m_bootLine.*binding.value = this->*binding.text;
    }
}

void CBootEditDlg::OnSelchangeBootLine() {
    UpdateData(TRUE);
    int position = 0;
    int lineIndex = 0;
    if (!GetSelectedLine(position, lineIndex))
        return;
    m_bootLine.ParseLine(m_arrLines[lineIndex]);
    PresentLine();
    MarkUnchanged();
    UpdateData(FALSE);
}
