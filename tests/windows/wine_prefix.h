#pragma once
// A fresh Wine prefix of the test's own in a temporary folder, set up before
// the program runs, so that Wine's first start prints nothing on the
// program's terminal. Wine is kept quiet and away from any display or sound
// card of the machine.

#include <string>

struct WinePrefix {
    std::string folder;  // holds the prefix, a home and the run folder
    std::string runFolder;
    std::string failure;  // why Wine could not start; empty when it did
};

// Makes the folders, points WINEPREFIX, HOME and Wine's quieting variables
// there (for this process and its children) and runs `wine wineboot --init`.
WinePrefix makeWinePrefix();

// Stops the prefix's wine server and removes the folder (some 700 MB).
void removeWinePrefix(const WinePrefix& prefix);

