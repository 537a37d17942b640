#include "bootcheck/Rebuild.h"

#include <cstdint>
#include <cstdlib>

#include "bootcheck/Text.h"
#include "bootcheck/VerdictTexts.h"
#include "bootline/BootLine.h"

namespace bootcheck {
namespace {

// The number of "Service Pack 3", "Service Pack 1a" and the like; 0 without one.
int ServicePack(const std::string& csdVersion) {
    size_t digit = csdVersion.find_first_of("0123456789");
    return digit == std::string::npos ? 0 : std::atoi(csdVersion.c_str() + digit);
}

// "5.1" as 51; a version the registry doesn't give is guessed from the product name.
int VersionNumber(const WindowsVersion& version) {
    const std::string& v = version.currentVersion;
    size_t dot = v.find('.');
    if (dot != std::string::npos && dot > 0)
        return std::atoi(v.c_str()) * 10 + std::atoi(v.c_str() + dot + 1);
    const std::string& name = version.productName;
    if (name.find("2000") != std::string::npos)
        return 50;
    if (name.find("XP") != std::string::npos)
        return 51;
    if (name.find("2003") != std::string::npos)
        return 52;
    return 0;
}

// A label holds no double quote and no "/": the line's grammar ends it at either.
// "Server 2003/R2" reads on as "Server 2003 R2".
std::string LabelText(const std::string& name) {
    std::string label;
    for (char c : name) {
        if (c == '/') {
            label += ' ';
        } else if (c != '"' && c != '\r' && c != '\n') {
            label += c;
        }
    }
    size_t begin = label.find_first_not_of(' ');
    if (begin == std::string::npos)
        return "";
    return label.substr(begin, label.find_last_not_of(' ') + 1 - begin);
}

bool Booted(const Installation& installation, const std::vector<LineVerdict>& verdicts) {
    for (const LineVerdict& verdict : verdicts) {
        if (verdict.booted && verdict.booted->where == installation.where &&
            EqualsNoCase(verdict.booted->folder, installation.folder))
            return true;
    }
    return false;
}

}  // namespace

StartSwitches SwitchesFor(const std::optional<WindowsVersion>& version) {
    StartSwitches switches;
    if (!version) {
        switches.fastDetect = true;
        return switches;
    }
    int number = VersionNumber(*version);
    int servicePack = ServicePack(version->csdVersion);
    switches.fastDetect = number == 0 || number >= 50;
    switches.noExecuteOptIn =
        (number == 51 && servicePack >= 2) || (number == 52 && servicePack >= 1) || number > 52;
    return switches;
}

std::vector<ProposedLine> ProposeLines(const Machine& machine,
                                       const std::vector<Installation>& installations,
                                       const std::vector<LineVerdict>& verdicts,
                                       const IWindowsVersionReader* reader) {
    std::vector<ProposedLine> proposals;
    for (const Installation& installation : installations) {
        if (machine.disks[installation.where.disk].label != LabelType::Mbr)
            continue;
        if (Booted(installation, verdicts))
            continue;
        const KnownPartition* partition = machine.Find(installation.where);
        if (!partition || !partition->files)
            continue;

        ProposedLine proposal;
        proposal.installation = installation;
        if (reader)
            proposal.version = reader->Read(*partition->files, installation.folder);

        CBootLine record;
        std::string arc = "multi(0)disk(0)rdisk(" + std::to_string(installation.where.disk) +
                          ")partition(" + std::to_string(installation.where.partition) + ")\\" +
                          installation.folder;
        std::string label = proposal.version ? LabelText(proposal.version->productName) : "";
        if (label.empty())
            label = Fill(TextOf(Message::UnnamedInstallation), {Location(installation, SIZE_MAX)});
        record.m_strArcPath = arc.c_str();
        record.m_strLabel = label.c_str();
        record.m_bLabel = 1;
        StartSwitches switches = SwitchesFor(proposal.version);
        record.m_bFastDetect = switches.fastDetect;
        if (switches.noExecuteOptIn)
            record.m_arrUnhandled.Add("noexecute=optin");
        CString composed;
        record.ComposeLine(composed);
        proposal.line = composed.str();
        proposals.push_back(std::move(proposal));
    }
    return proposals;
}

}  // namespace bootcheck
