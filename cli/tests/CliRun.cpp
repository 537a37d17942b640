#include "cli/tests/CliRun.h"

#include <sstream>

#include "cli/CommandLineInterface.h"
#include "cli/PosixDrive.h"

const char kMachineBootIni[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n"
    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" /fastdetect\r\n"
    "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n";

CliOutcome RunCli(const TemporaryFolder& drive, std::vector<std::string> arguments) {
    for (std::string& argument : arguments) {
        if (argument == "DRIVE")
            argument = drive.Path();
    }
    arguments.insert(arguments.begin(), "tarnwick");
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommandLine(arguments, out, err, OpenPosixDrive);
    return {status, out.str(), err.str()};
}
