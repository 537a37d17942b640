// Rebuild: a boot line for every Windows installation on the known disks that no line boots,
// labelled with the product name from its registry and carrying the switches its version
// expects. Installations on disks the loader can't start from (GPT, no table) get no line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bootcheck/Installations.h"
#include "bootcheck/KnownDisks.h"
#include "bootcheck/Verdicts.h"

namespace bootcheck {

// What an installation's SOFTWARE hive says of it (Microsoft\Windows NT\CurrentVersion).
struct WindowsVersion {
    std::string productName;     // ProductName: "Microsoft Windows XP"
    std::string csdVersion;      // CSDVersion: "Service Pack 2"; empty before the first one
    std::string currentVersion;  // CurrentVersion: "5.0" 2000, "5.1" XP, "5.2" XP x64 and 2003
};

// Reads an installation's version from its registry. The Linux build reads hives with hivex;
// a build without a reader labels installations by their place on the disk.
class IWindowsVersionReader {
public:
    virtual ~IWindowsVersionReader() = default;
    virtual std::optional<WindowsVersion> Read(const IPartitionFiles& files,
                                               const std::string& folder) const = 0;
};

// The switches a fresh line for that version carries, in the line's normal form: XP from SP2
// and Server 2003 from SP1 on turn on data execution prevention for the system ("/noexecute=optin"
// is what their setup writes); 2000, XP and 2003 all detect hardware fast. NT 4.0 knows neither.
struct StartSwitches {
    bool fastDetect = false;
    bool noExecuteOptIn = false;
};
StartSwitches SwitchesFor(const std::optional<WindowsVersion>& version);

struct ProposedLine {
    Installation installation;
    std::optional<WindowsVersion> version;
    std::string line;  // without a line end
};

// verdicts: one per listed line, telling which installations are booted already.
std::vector<ProposedLine> ProposeLines(const Machine& machine,
                                       const std::vector<Installation>& installations,
                                       const std::vector<LineVerdict>& verdicts,
                                       const IWindowsVersionReader* reader);

}  // namespace bootcheck
