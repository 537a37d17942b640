// "Check Boot Paths" (template 140): the verdict of every boot line against the disks the
// program knows, the default's and which Windows installations no line starts; Repair points the
// selected line at its Windows folder found elsewhere, Rebuild adds a line for each installation
// no line starts. The dialog edits its own copy of the file's lines; the editor takes them back
// after OK and writes them like any other edit, so they reach BOOT.INI only through the commit.
#pragma once

#include <functional>
#include <memory>

#include "bootcheck/BootIniCheck.h"
#include "framework/Dialog.h"

// What each program knows of the machine: the Windows program the running system's ARC names,
// the Linux program the disks it was given. Without a source no disk is known, and the lines
// say so.
struct BootCheckSources {
    std::function<bootcheck::Machine()> machine;
    std::shared_ptr<const bootcheck::IWindowsVersionReader> versions;
};
void SetBootCheckSources(BootCheckSources sources);
const BootCheckSources& GetBootCheckSources();

class CBootCheckDlg : public CDialog {
public:
    CBootCheckDlg(const CStringArray& lines, const bootcheck::Machine& machine,
                  const bootcheck::IWindowsVersionReader* versions, CDialog* parent = nullptr);

    // The lines with the repairs and the rebuild the user chose; Changed() when there were any.
    const CStringArray& Lines() const { return m_arrLines; }
    BOOL Changed() const { return m_bChanged; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnSelchangeLine();
    void OnRepair();
    void OnRebuild();
    // Checks the lines again, lists them and shows the entry at position.
    void Refresh(int position);
    void PresentSelection();

    CComboBox m_ctlLineList;
    CWnd m_ctlVerdict;
    CWnd m_ctlSummary;
    CButton m_ctlRepair;
    CButton m_ctlRebuild;

    CStringArray m_arrLines;
    const bootcheck::Machine& m_machine;
    const bootcheck::IWindowsVersionReader* m_pVersions;
    bootcheck::BootIniCheck m_check;
    BOOL m_bChanged = FALSE;

    DECLARE_MESSAGE_MAP()
};
