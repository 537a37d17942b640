#include "shell/BootCheckDlg.h"

#include "bootcheck/Text.h"
#include "bootcheck/VerdictTexts.h"
#include "editor/BootEditDlg.h"
#include "res/resource.h"

using namespace bootcheck;

namespace {

BootCheckSources& Sources() {
    static BootCheckSources sources;
    return sources;
}

}  // namespace

void SetBootCheckSources(BootCheckSources sources) {
    Sources() = std::move(sources);
}

const BootCheckSources& GetBootCheckSources() {
    return Sources();
}

CBootCheckDlg::CBootCheckDlg(const CStringArray& lines, const Machine& machine,
                             const IWindowsVersionReader* versions, CDialog* parent)
    : CDialog(IDD_BOOTCHECK, parent),
      m_arrLines(lines),
      m_machine(machine),
      m_pVersions(versions) {}

void CBootCheckDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_CHECK_LINE_LIST, m_ctlLineList);
    DDX_Control(pDX, IDC_CHECK_VERDICT, m_ctlVerdict);
    DDX_Control(pDX, IDC_CHECK_SUMMARY, m_ctlSummary);
    DDX_Control(pDX, IDC_CHECK_REPAIR, m_ctlRepair);
    DDX_Control(pDX, IDC_CHECK_REBUILD, m_ctlRebuild);
}

BEGIN_MESSAGE_MAP(CBootCheckDlg)
ON_CBN_SELCHANGE(IDC_CHECK_LINE_LIST, OnSelchangeLine)
ON_BN_CLICKED(IDC_CHECK_REPAIR, OnRepair)
ON_BN_CLICKED(IDC_CHECK_REBUILD, OnRebuild)
END_MESSAGE_MAP()

BOOL CBootCheckDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Refresh(0);
    return TRUE;
}

void CBootCheckDlg::Refresh(int position) {
    m_check = CheckBootIni(m_arrLines, m_machine, m_pVersions);
    m_ctlLineList.ResetContent();
    for (const CheckedLine& line : m_check.lines) {
        CBootLine record;
        record.ParseLine(m_arrLines[line.lineIndex]);
        // The ARC path names the line, as in the editor's list; the label is in the verdict.
        std::string entry = std::to_string(line.number) + ". " + NameOf(line.verdict.outcome).word +
                            ": " + record.m_strArcPath.str();
        m_ctlLineList.AddString(entry.c_str());
    }
    if (position >= m_ctlLineList.GetCount())
        position = m_ctlLineList.GetCount() - 1;
    m_ctlLineList.SetCurSel(position);

    std::string summary = m_check.defaultVerdict.text + "\n";
    if (m_check.proposals.empty()) {
        summary += TextOf(Message::EveryInstallationStarted);
    } else {
        std::string names;
        for (const ProposedLine& proposal : m_check.proposals) {
            CBootLine record;
            record.ParseLine(proposal.line.c_str());
            names += (names.empty() ? "" : ", ") + record.m_strLabel.str();
        }
        summary += Fill(TextOf(Message::InstallationsNotStarted), {names});
    }
    m_ctlSummary.SetWindowText(summary.c_str());
    m_ctlRebuild.EnableWindow(m_check.proposals.empty() ? FALSE : TRUE);
    PresentSelection();
}

void CBootCheckDlg::PresentSelection() {
    int position = m_ctlLineList.GetCurSel();
    if (position < 0 || position >= static_cast<int>(m_check.lines.size())) {
        m_ctlVerdict.SetWindowText(TextOf(Message::NoBootLines));
        m_ctlRepair.EnableWindow(FALSE);
        return;
    }
    const CheckedLine& line = m_check.lines[static_cast<size_t>(position)];
    CBootLine record;
    record.ParseLine(m_arrLines[line.lineIndex]);
    std::string text = record.m_bLabel ? "\"" + record.m_strLabel.str() + "\": " : "";
    text += line.verdict.text;
    if (line.repaired)
        text += "\n" + Fill(TextOf(Message::RepairWouldWrite), {*line.repaired});
    m_ctlVerdict.SetWindowText(text.c_str());
    m_ctlRepair.EnableWindow(line.repaired ? TRUE : FALSE);
}

void CBootCheckDlg::OnSelchangeLine() {
    PresentSelection();
}

void CBootCheckDlg::OnRepair() {
    int position = m_ctlLineList.GetCurSel();
    if (position < 0 || position >= static_cast<int>(m_check.lines.size()))
        return;
    if (ApplyRepair(m_arrLines, m_check.lines[static_cast<size_t>(position)]))
        m_bChanged = TRUE;
    Refresh(position);
}

void CBootCheckDlg::OnRebuild() {
    if (m_check.proposals.empty())
        return;
    AddProposedLines(m_arrLines, m_check.proposals);
    m_bChanged = TRUE;
    Refresh(m_ctlLineList.GetCurSel());
}

// The editor's side: the check on its lines, and what the user chose written as an edit.
void CBootEditDlg::CheckBootPaths() {
    const BootCheckSources& sources = GetBootCheckSources();
    const Machine machine = sources.machine ? sources.machine() : Machine{};
    CBootCheckDlg check(m_arrLines, machine, sources.versions.get(), this);
    if (check.DoModal() != IDOK || !check.Changed())
        return;
    int position = 0;
    int lineIndex = 0;
    if (!GetSelectedLine(position, lineIndex))
        position = 0;
    const CStringArray linesBefore = m_arrLines;
    m_arrLines = check.Lines();
    if (!RewriteStagingFile(linesBefore)) {
        PresentListEntry(position);
        MarkUnchanged();
        return;
    }
    PresentListEntry(position);
    MarkUnchanged();
    m_bApplied = TRUE;
}
