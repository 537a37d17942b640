// tarnwick-cli.exe: the command line for scripts on Windows. PATH is a drive (C:, E:) or a folder
// that holds a Windows drive's files; the Win32 platform stands for it as drive C:.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLineInterface.h"
#include "platform/win32/Win32Platform.h"

namespace {

std::unique_ptr<IPlatform> OpenWin32Drive(const std::string& path, std::string& error) {
    std::string root;
    if (!Win32DriveRoot(path, root, error))
        return nullptr;
    return std::make_unique<Win32Platform>(root);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments(argv, argv + argc);
    if (!arguments.empty())
        arguments.front() = "tarnwick-cli";
    return RunCommandLine(arguments, std::cout, std::cerr, OpenWin32Drive);
}
