#include "bootcheck/CheckCommand.h"

#include "bootcheck/CheckJson.h"

namespace bootcheck {

int PrintCheck(const CStringArray& lines, const Machine& machine,
               const IWindowsVersionReader* versions, bool json, std::ostream& out) {
    const BootIniCheck check = CheckBootIni(lines, machine, versions);
    if (json) {
        out << CheckJson(check, lines).dump(2) << "\n";
    } else {
        out << CheckText(check, lines);
    }
    bool fails = check.defaultVerdict.outcome == Outcome::Fails;
    for (const CheckedLine& line : check.lines)
        fails = fails || line.verdict.outcome == Outcome::Fails;
    return fails ? 1 : 0;
}

}  // namespace bootcheck
