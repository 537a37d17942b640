// tarnwick-scenario: runs the program from a scenario script (see README.md beside this file).
//   tarnwick-scenario [--print] [--keep-drive] SCRIPT
// Exit status: 0 when every expectation held, 1 when one failed, 2 when the script is unusable.
#include <cstring>
#include <fstream>
#include <iostream>

#include "ScenarioRunner.h"
#include "ScenarioScript.h"

int main(int argc, char** argv) {
    bool print = false;
    bool keepDrive = false;
    const char* scriptPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--print") == 0) {
            print = true;
        } else if (std::strcmp(argv[i], "--keep-drive") == 0) {
            keepDrive = true;
        } else if (argv[i][0] != '-' && !scriptPath) {
            scriptPath = argv[i];
        } else {
            scriptPath = nullptr;
            break;
        }
    }
    if (!scriptPath) {
        std::cerr << "usage: tarnwick-scenario [--print] [--keep-drive] SCRIPT\n";
        return 2;
    }
    std::ifstream script(scriptPath);
    if (!script) {
        std::cerr << scriptPath << ": cannot read the script\n";
        return 2;
    }
    std::vector<ScenarioStep> steps;
    try {
        steps = ParseScenario(script);
    } catch (const ScenarioSyntaxError& error) {
        std::cerr << scriptPath << ": " << error.what() << "\n";
        return 2;
    }
    std::string path = scriptPath;
    size_t slash = path.rfind('/');
    ScenarioRunner runner(slash == std::string::npos ? "." : path.substr(0, slash), std::cout);
    runner.SetPrintAtEnd(print);
    runner.SetKeepDrive(keepDrive);
    if (runner.Run(steps)) {
        std::cout << scriptPath << ": passed\n";
        return 0;
    }
    std::cout << scriptPath << ": FAILED\n";
    for (const std::string& failure : runner.Failures())
        std::cout << "  " << failure << "\n";
    return 1;
}
