// Runs an external program with an argument vector and an environment of the caller's choosing
// (never through a shell), feeding it no input and collecting what it prints.
#pragma once

#include <string>
#include <vector>

struct ChildResult {
    bool started = false;  // false: the program could not be run at all
    int exitCode = -1;     // its exit status; -1 when it was killed by a signal
    std::string output;    // standard output
    std::string errors;    // standard error
};

// arguments[0] is the program, looked up in the folders of the PATH entry of environment.
// Standard input is /dev/null, so a program that asks a question gets no answer and goes on.
ChildResult RunChild(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment);
