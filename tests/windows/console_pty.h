#pragma once
// Runs a program in a pseudo-terminal of 80 columns and records what it
// showed: the terminal side of a Wine console.

#include <string>

struct ConsoleRun {
    std::string output;   // everything written to the terminal
    std::string errors;   // everything written to standard error (a pipe)
    int exitStatus = -1;  // -1 when it did not exit normally
};

// Runs `program` (no arguments) in `directory` on an 80 x rows UTF-8
// terminal; kills it after timeoutSeconds.
ConsoleRun runInConsolePty(const std::string& program, const std::string& directory, int rows,
                           int timeoutSeconds);
