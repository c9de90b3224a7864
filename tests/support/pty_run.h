#pragma once
// Runs a program in a pseudo-terminal, as a person would in a terminal
// window, and records everything it showed. A small job-control shell stands
// between: the program gets a process group of its own in the terminal's
// foreground, so Ctrl-Z really stops it and the shell takes the terminal
// back, as an interactive shell does.

#include <string>
#include <vector>

#include "tests/support/frames.h"

struct PtyResize {
    int afterWrites;  // once this many synchronized writes have arrived
    int rows;
    int columns;
};

// What the shell does when the program stops.
enum class OnStop {
    resume,              // says "Stopped", waits a moment, then `fg`
    killAndContinue,     // `kill %1`: SIGTERM, then SIGCONT, to its group
    killThenForeground,  // `kill` from another shell (a stopped process
                         // cannot act on it), a moment later `fg`
    backgroundThenKill,  // `bg`, and a moment later `kill` while it runs
};

struct PtyOptions {
    int rows = 24;
    int columns = 80;
    int signal = 0;                 // sent once signalAfterWrites synchronized writes arrived,
    int signalAfterWrites = 0;      // or signalAfterSeconds after the start
    double signalAfterSeconds = 0;
    bool signalByKey = false;       // SIGINT typed as Ctrl-C: the whole foreground group gets it
    bool throughCat = false;        // the program's output goes through `| cat`
    OnStop onStop = OnStop::resume;
    bool inputNotTerminal = false;  // standard input from /dev/null
    bool errorsOnTerminal = false;  // standard error the terminal too, not a pipe
    std::vector<PtyResize> resizes;
    std::vector<std::string> arguments;    // after the program's name
    std::vector<std::string> environment;  // "NAME=value" for the program
    int timeoutSeconds = 120;
};

struct PtyRun {
    std::string output;     // everything written to the terminal
    std::string errors;     // everything written to standard error (when a pipe)
    int exitStatus = -1;    // when it exited; -1 otherwise
    int endSignal = 0;      // the signal that ended it; 0 otherwise
    bool echoAfter = false;       // terminal echo on once it ended
    bool canonicalAfter = false;  // line editing (icanon) on once it ended
    std::vector<double> writeTimes;     // when each synchronized write arrived, in s of the monotonic clock
    double endedAt = -1;                // when it ended, likewise
    double cpuSeconds = 0;              // its user and system time
    std::vector<size_t> resizeOffsets;  // the output's length when each resize was made
    int stops = 0;                      // how often it was stopped
    double secondsToEnd = -1;  // after a kill, from the SIGCONT that lets it act (or
                               // the kill of a running one) to the end
    std::string errorsTarget;           // where its descriptor 2 pointed during the show
};

// Runs `program` (found as the shell finds it) in `directory` on a UTF-8
// terminal. Gives up (and kills the program) after options.timeoutSeconds.
PtyRun runInPty(const std::string& program, const std::string& directory, const PtyOptions& options = {});

