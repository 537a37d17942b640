// The option handlers: they keep related options consistent while the user edits a line, fill in
// defaults, and put the dialog into its changed state, in which Apply is the only way on.
#include "bootline/OptionRules.h"
#include "editor/BootEditDlg.h"

namespace {

const int kPort1394 = kDebugPort1394;
const int kPortCom1 = kDebugPortCom1;

InterlockedFlags DialogFlags(CBootEditDlg& dialog) {
    return {&dialog.m_chkDebug, &dialog.m_chkNoDebug, &dialog.m_chkPae, &dialog.m_chkNoPae,
            &dialog.m_chkNoLowMem};
}

// A checked HAL or kernel box offers its "..." button and field with the default file; an
// unchecked one empties and disables them.
void ShowFileOption(int checked, CButton& browse, CEdit& field, CString& name, LPCSTR defaultName) {
    browse.EnableWindow(checked ? TRUE : FALSE);
    field.EnableWindow(checked ? TRUE : FALSE);
    name = checked ? defaultName : "";
}

}  // namespace

void CBootEditDlg::MarkChanged() {
    m_ctlApply.EnableWindow(TRUE);
    m_ctlCopyLine.EnableWindow(FALSE);
    m_ctlDeleteLine.EnableWindow(FALSE);
}

void CBootEditDlg::ApplyOptionRule(const std::function<void()>& rule) {
    UpdateData(TRUE);
    rule();
    MarkChanged();
    UpdateData(FALSE);
}

void CBootEditDlg::EnableChannelControls(BOOL enable) {
    m_ctlChannelEdit.EnableWindow(enable);
    m_ctlChannelSpin.EnableWindow(enable);
}

void CBootEditDlg::OnOptionChanged() {
    ApplyOptionRule([] {});
}

void CBootEditDlg::OnDebugBox() {
    ApplyOptionRule([this] { ApplyInterlock(InterlockedSwitch::kDebug, DialogFlags(*this)); });
}

void CBootEditDlg::OnNoDebugBox() {
    ApplyOptionRule([this] { ApplyInterlock(InterlockedSwitch::kNoDebug, DialogFlags(*this)); });
}

void CBootEditDlg::OnPaeBox() {
    ApplyOptionRule([this] { ApplyInterlock(InterlockedSwitch::kPae, DialogFlags(*this)); });
}

void CBootEditDlg::OnNoPaeBox() {
    ApplyOptionRule([this] { ApplyInterlock(InterlockedSwitch::kNoPae, DialogFlags(*this)); });
}

void CBootEditDlg::OnNoLowMemBox() {
    ApplyOptionRule([this] { ApplyInterlock(InterlockedSwitch::kNoLowMem, DialogFlags(*this)); });
}

void CBootEditDlg::OnMaxMemBox() {
    ApplyOptionRule([this] {
        m_ctlMaxMemEdit.EnableWindow(m_chkMaxMem ? TRUE : FALSE);
        if (!m_chkMaxMem)
            m_txtMaxMem.Empty();
    });
}

void CBootEditDlg::OnHalBox() {
    ApplyOptionRule(
        [this] { ShowFileOption(m_chkHal, m_ctlHalBrowse, m_ctlHalEdit, m_txtHal, "hal.dll"); });
}

void CBootEditDlg::OnKernelBox() {
    ApplyOptionRule([this] {
        ShowFileOption(m_chkKernel, m_ctlKernelBrowse, m_ctlKernelEdit, m_txtKernel,
                       "ntoskrnl.exe");
    });
}

void CBootEditDlg::OnDebugPortBox() {
    ApplyOptionRule([this] {
        if (!m_chkDebugPort) {
            // The lists keep their selections, so checking DebugPort again brings them back.
            m_ctlDebugPortList.EnableWindow(FALSE);
            m_chkBaudRate = 0;
            m_ctlBaudRateList.EnableWindow(FALSE);
            m_chkChannel = 0;
            EnableChannelControls(FALSE);
            return;
        }
        m_ctlDebugPortList.EnableWindow(TRUE);
        int port = m_ctlDebugPortList.GetCurSel();
        if (port < 0) {
            // No port to read (a text typed that names no entry): start from COM1.
            port = kPortCom1;
            SelectListEntry(m_ctlDebugPortList, m_txtDebugPort, port);
        }
        if (port == kPort1394) {
            m_chkChannel = 1;
            EnableChannelControls(TRUE);
        } else {
            m_ctlDebugPortList.GetLBText(port, m_txtDebugPort);
            int rate = m_ctlBaudRateList.GetCurSel();
            // Without a selected rate the list's text, as read, is kept.
            if (rate >= 0)
                m_ctlBaudRateList.GetLBText(rate, m_txtBaudRate);
            m_chkBaudRate = 1;
            m_ctlBaudRateList.EnableWindow(TRUE);
        }
    });
}

void CBootEditDlg::OnBaudRateBox() {
    ApplyOptionRule([this] {
        if (!m_chkBaudRate) {
            m_ctlBaudRateList.EnableWindow(FALSE);
            if (m_chkDebugPort) {
                m_chkDebugPort = 0;
                m_ctlDebugPortList.EnableWindow(FALSE);
            }
            return;
        }
        m_ctlBaudRateList.EnableWindow(TRUE);
        if (m_chkChannel) {
            m_chkChannel = 0;
            EnableChannelControls(FALSE);
        } else if (!m_chkDebugPort) {
            m_chkDebugPort = 1;
            m_ctlDebugPortList.EnableWindow(TRUE);
            SelectListEntry(m_ctlDebugPortList, m_txtDebugPort, kPortCom1);
            return;
        }
        // A baud rate needs a COM port; a COM port already chosen stays.
        if (m_ctlDebugPortList.GetCurSel() == kPort1394) {
            m_chkDebugPort = 1;
            m_ctlDebugPortList.EnableWindow(TRUE);
            SelectListEntry(m_ctlDebugPortList, m_txtDebugPort, kPortCom1);
        }
    });
}

void CBootEditDlg::OnChannelBox() {
    ApplyOptionRule([this] {
        if (m_chkChannel) {
            EnableChannelControls(TRUE);
            m_txtChannel = "1";
            m_chkBaudRate = 0;
            m_ctlBaudRateList.EnableWindow(FALSE);
            m_chkDebugPort = 1;
            m_ctlDebugPortList.EnableWindow(TRUE);
            SelectListEntry(m_ctlDebugPortList, m_txtDebugPort, kPort1394);
        } else {
            // DebugPort stays checked: the line names COM1 without a rate until BaudRate is
            // checked.
            SelectListEntry(m_ctlDebugPortList, m_txtDebugPort, kPortCom1);
            EnableChannelControls(FALSE);
        }
    });
}

void CBootEditDlg::OnSelchangeDebugPort() {
    // Choosing a port is not a change of the line by itself, and the controls are not read first.
    int port = m_ctlDebugPortList.GetCurSel();
    if (port < 0)
        return;
    m_ctlDebugPortList.GetLBText(port, m_txtDebugPort);
    BOOL is1394 = port == kPort1394;
    m_chkBaudRate = is1394 ? 0 : 1;
    m_ctlBaudRateList.EnableWindow(!is1394);
    m_chkChannel = is1394 ? 1 : 0;
    EnableChannelControls(is1394);
    UpdateData(FALSE);
}
