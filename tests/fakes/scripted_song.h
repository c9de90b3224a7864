#pragma once
// A song whose position moves with the picture: it starts at startOrder and
// advances a row with every write to the terminal (one write is one frame),
// so a run of the schedule is exact and repeatable. Given msPerRow it moves
// with the scripted clock instead, a row every msPerRow milliseconds, as the
// real song does with the real clock.

#include <cstdint>
#include <string>
#include <vector>

struct SongScript {
    int32_t startOrder = 0;
    int32_t rowsPerOrder = 64;
    int32_t endsAfterRows = -1;  // the song ends after this many rows; -1: never
    uint32_t msPerRow = 0;
};

extern SongScript songScript;
extern std::string startedModule;  // the file name startMusic was given
extern int songStarts;
extern uint32_t songStartTicks;  // the scripted clock when the song started
extern std::vector<size_t> fadeRequests;  // the terminal writes made before each fadeOutMusic
extern std::vector<uint32_t> picturesShown;  // the frame time given with each notePictureShown
