#pragma once
// Runs a shell command to its end, with no standard input, and takes what it printed.

#include <string>

struct Invocation {
    std::string output; // standard output and error
    int status;         // the exit status, -1 when it did not exit normally or did not start
};

Invocation RunCommand(const std::string& command);
