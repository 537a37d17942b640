// CBootEditDlg: the program's one working window. It owns the open staging file, every line of
// that file, the record of the boot line on show, and the controls through which the user edits
// that line. Its member functions are spread over the folders by subject:
//   editor/ - construction, data exchange, opening, presenting and taking back a line, the option
//             interlocks, the line edits (Copy Line, Delete Line, Apply) and closing;
//   store/  - reading the staging file and its "[operating systems]" section, rewriting it;
//   shell/  - file browse, context help, the about entry of the system menu, icon and painting;
//   bootmenu/ - the Boot Menu dialog and the default line (the title, the warning at opening,
//             the question before the default line is deleted).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "bootline/BootLine.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/String.h"
#include "platform/Platform.h"

class CBootEditDlg : public CDialog {
public:
    explicit CBootEditDlg(CDialog* pParent = nullptr);
    ~CBootEditDlg() override;

    CBootEditDlg(const CBootEditDlg&) = delete;
    CBootEditDlg& operator=(const CBootEditDlg&) = delete;

    // Control members.
    CListBox m_ctlUnhandledList;
    CSpinButtonCtrl m_ctlChannelSpin;
    CEdit m_ctlChannelEdit;
    CEdit m_ctlLabelEdit;
    CButton m_ctlApply;
    CButton m_ctlDeleteLine;
    CButton m_ctlCopyLine;
    CEdit m_ctlMaxMemEdit;
    CEdit m_ctlKernelEdit;
    CEdit m_ctlHalEdit;
    CButton m_ctlKernelBrowse;
    CButton m_ctlHalBrowse;
    CComboBox m_ctlBaudRateList;
    CComboBox m_ctlDebugPortList;
    CComboBox m_ctlBootLineList;

    // Value members, exchanged with the controls by DoDataExchange.
    CString m_txtBootLine;
    int m_chkFastDetect;
    int m_chkBaudRate;
    int m_chkChannel;
    int m_chkCrashDebug;
    int m_chkDebugPort;
    int m_chkHal;
    int m_chkKernel;
    int m_chkOneCpu;
    int m_chkPae;
    int m_chkSos;
    CString m_txtHal;
    CString m_txtKernel;
    int m_chkMaxMem;
    CString m_txtMaxMem;
    int m_chkBaseVideo;
    CString m_txtLabel;
    CString m_txtBaudRate;
    CString m_txtDebugPort;
    CString m_txtChannel;
    int m_chk3GB;
    int m_chkBootLog;
    int m_chkBootLogo;
    int m_chkDebug;
    int m_chkNoDebug;
    int m_chkNoPae;
    int m_chkIntAffinity;
    int m_chkNoGuiBoot;
    int m_chkNoLowMem;
    int m_chkPciLock;

    // Set by every successful Apply; OK asks to commit only when it is set.
    int m_bApplied;
    // Every line of the staging file, in file order, without line ends. The master copy from
    // which the staging file is rewritten.
    CStringArray m_arrLines;
    // The parse of the line whose entry is selected in the boot-line list.
    CBootLine m_bootLine;
    // The staging file, open for reading and writing from opening until OK or Cancel.
    std::unique_ptr<ITextStream> m_pStagingFile;
    HICON m_hIcon;
    // Set when a rewrite of the staging file failed and the file could not be put back as it was
    // either: the file on disk may then be torn, so OK refuses to commit it.
    BOOL m_bStagingDamaged;
    // What C:\BOOT.INI held when the staging copy was made, set by start-up. The commit compares
    // the file with it, so that changes another program made meanwhile are not overwritten
    // unasked. Unknown (no comparison) when the dialog runs without start-up.
    std::optional<std::string> m_bootIniAtStart;

    // Presenting a line and taking it back (editor/PresentLine.cpp).
    void PresentLine();
    void TakeLine();
    // Clears and disables the option controls when the section holds no boot line.
    void PresentNoLine();

    // The staging file (store/StagingFile.cpp). LoadBootLines reads it into m_arrLines and lists
    // its boot lines; FALSE when reading failed before the end of the file.
    BOOL LoadBootLines();
    // Rewrites the staging file from m_arrLines and reloads it. FALSE, after telling the user,
    // when the file could not be written; m_arrLines and the list are then as they were before
    // the caller changed m_arrLines, given as linesBefore.
    BOOL RewriteStagingFile(const CStringArray& linesBefore);
    // Opens the boot path check on the lines; its repairs and rebuild come back as one edit
    // (shell/BootCheckDlg.cpp).
    void CheckBootPaths();

    // The two lists with fixed entries.
    void FillDebugPortList();

    // Handlers.
    void OnSelchangeBootLine();
    void MarkChanged();
    void OnOptionChanged();
    void OnDebugBox();
    void OnNoDebugBox();
    void OnPaeBox();
    void OnNoPaeBox();
    void OnNoLowMemBox();
    void OnMaxMemBox();
    void OnHalBox();
    void OnKernelBox();
    void OnDebugPortBox();
    void OnBaudRateBox();
    void OnChannelBox();
    void OnSelchangeDebugPort();
    void OnCopyLine();
    void OnDeleteLine();
    void OnApply();
    void OnBrowseHal();
    void OnBrowseKernel();
    void OnHelpButton();
    BOOL OnHelpRequest(const HelpRequest& request);
    void OnContextHelp(CWnd* pWnd, CPoint point);
    void OnDestroyDialog();
    void OnSystemCommand(UINT nID, std::intptr_t lParam);
    void OnPaintDialog();
    HICON OnDragIconQuery();

    // The Boot Menu (bootmenu/EditorBootMenu.cpp). OnBootMenu runs the dialog and takes its
    // changes into the staging file as an Apply does. ShowDefaultLine puts the line the loader
    // starts by default into the title; WarnIfNoDefaultLine tells when default= names none.
    // ChooseNewDefault asks, before the default line is deleted, which line becomes the default,
    // and sets it in linesAfter; FALSE when the user keeps the line.
    void OnBootMenu();
    void ShowDefaultLine();
    void WarnIfNoDefaultLine();
    BOOL ChooseNewDefault(CStringArray& linesAfter);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    DECLARE_MESSAGE_MAP()

private:
    // The about entry of the system menu and the window icons (shell/WindowShell.cpp).
    void InitSystemMenuAndIcons();
    // One browse procedure for both "..." buttons (shell/FileBrowse.cpp).
    void BrowseForFile(LPCSTR initialFile, CString& value);
    // Selects entry index of the debug-port or baud-rate list and takes its text as the member.
    void SelectListEntry(CComboBox& list, CString& text, int index);
    // The selected entry's position in the boot-line list and its line's index in m_arrLines;
    // FALSE when no entry is selected (or its item data names no line).
    BOOL GetSelectedLine(int& position, int& lineIndex);
    // Parses the line of list entry position into m_bootLine and presents it, selecting it.
    void PresentListEntry(int position);
    // Enters the unchanged state: Apply disabled, Copy Line and Delete Line enabled.
    void MarkUnchanged();
    // The common frame of the option handlers: read the controls, apply the rule, mark the line
    // changed, write the controls.
    void ApplyOptionRule(const std::function<void()>& rule);
    void EnableChannelControls(BOOL enable);
    // Closes the staging file and forgets its lines; OK and Cancel both start with this.
    void CloseStagingFile();
    // Lists the boot lines of m_arrLines in the boot-line list (store/StagingFile.cpp).
    void ListBootLines();
};
