#pragma once
// Runs a program in a pseudo-terminal, as a person would in a terminal
// window, and records everything it showed.

#include <string>
#include <vector>

struct PtyRun {
    std::string output;     // everything written to the terminal
    std::string errors;     // everything written to standard error (a pipe)
    int exitStatus = -1;    // -1 when it did not exit normally
    bool echoAfter = false; // terminal echo on once it ended
    std::vector<double> writeTimes;  // when each synchronized write arrived, in s
};

// Runs `program` in `directory` on an 80-column UTF-8 terminal. With
// signalAfterWrites > 0, sends `signal` once that many synchronized writes
// have arrived. Gives up (and kills the program) after timeoutSeconds.
PtyRun runInPty(const std::string& program, const std::string& directory,
                int signalAfterWrites = 0, int signal = 0, int rows = 24,
                int timeoutSeconds = 120);

// The synchronized writes of a run's output, each up to the next.
std::vector<std::string> splitWrites(const std::string& output);

// How many synchronized writes (frames, or logo lines) a run's output holds.
int countWrites(const std::string& output);
