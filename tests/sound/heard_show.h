#pragma once
// The real program played through a sound server and watched on a terminal,
// and what a viewer would make of it: when each scene cut appears on the
// screen, when the song's order change under it is heard, whether the sound
// is the song whole, and what else reached the terminal.

#include <string>
#include <vector>

#include "tests/sound/sound_server.h"
#include "tests/support/pty_run.h"

struct ShowRun {
    PtyRun shown;  // standard error on the terminal too
    double wallSeconds = 0;
    Recording recording;
};

// Runs `program` with `arguments` in `folder` (which holds qk17.xm) on an 80 x 25
// pseudo-terminal, recording the server's sink meanwhile. Gives up after timeoutSeconds.
void runShow(const SoundServer& server, const std::string& program, const std::string& folder,
             int timeoutSeconds, ShowRun& run, const std::vector<std::string>& arguments = {});

struct HeardFigures {
    double correlation = 0;            // recording against the render, once aligned
    int gaps = 0;                      // dropouts: where the song went missing, was delayed or skipped
    double heardShare = 0;             // of the song's sounding 20 ms, how much was heard, each at its lag
    std::vector<double> cutErrorsMs;   // picture minus sound at each scene cut; NaN where not found
    double exitLevelDb = 0;            // the recording's level over the 100 ms before the exit
    std::string foreignText;           // what reached the terminal besides the show
};

// Compares a run with the render of the module it played.
HeardFigures measureShow(const ShowRun& run, const std::string& modulePath);
