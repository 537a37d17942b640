// Running the command line in the test process on a drive folder of its own, as the program does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/tests/TestFiles.h"

struct CliOutcome {
    int status;
    std::string out;
    std::string err;
};

// The arguments after the program's name; "DRIVE" stands for the drive's folder.
CliOutcome RunCli(const TemporaryFolder& drive, std::vector<std::string> arguments);

// Names parameterised cases after their name field.
struct CaseNameOf {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& caseInfo) const {
        return caseInfo.param.name;
    }
};

// Three boot lines as a real machine has them, with the loader's section, CR-LF ended.
extern const char kMachineBootIni[];
