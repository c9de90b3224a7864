#include "tests/fakes/scripted_song.h"

#include "music/music_clock.h"
#include "tests/fakes/scripted_clock.h"
#include "tests/fakes/terminal_sink.h"

SongScript songScript;
std::string startedModule;
int songStarts = 0;
uint32_t songStartTicks = 0;
std::vector<size_t> fadeRequests;
std::vector<uint32_t> picturesShown;

namespace {

size_t writesAtStart = 0;

// Rows played since the start of order 0, or -1 once the song has ended.
int64_t rowsPlayed()
{
    int64_t rows = songScript.msPerRow > 0
                       ? static_cast<int64_t>(scriptedTicks - songStartTicks) / songScript.msPerRow
                       : static_cast<int64_t>(sinkWrites.size() - writesAtStart);
    if (songScript.endsAfterRows >= 0 && rows >= songScript.endsAfterRows)
        return -1;
    return rows + static_cast<int64_t>(songScript.startOrder) * songScript.rowsPerOrder;
}

}  // namespace

void startMusic(const char* fileName)
{
    startedModule = fileName;
    ++songStarts;
    writesAtStart = sinkWrites.size();
    songStartTicks = scriptedTicks;
}

int32_t songOrder()
{
    int64_t rows = rowsPlayed();
    return rows < 0 ? 256 : static_cast<int32_t>(rows / songScript.rowsPerOrder);
}

int32_t songRow()
{
    int64_t rows = rowsPlayed();
    return rows < 0 ? 0 : static_cast<int32_t>(rows % songScript.rowsPerOrder);
}

int32_t notePictureShown(uint32_t frameMs)
{
    picturesShown.push_back(frameMs);
    return 0;
}

void fadeOutMusic() { fadeRequests.push_back(sinkWrites.size()); }
