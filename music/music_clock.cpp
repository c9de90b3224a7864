#include <cstdlib>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "platform/sound_output.h"
#include "music/module_file.h"
#include "platform/clock.h"
#include "music/music_clock.h"
#include "music/silent_player.h"

// Held for the whole run and never released; once playing, the module and
// the log it writes to belong to the rendering thread.
static SongRender songRender;
static SongPosition songPosition;
static std::ostringstream* moduleLog = nullptr;
static bool withSound = false;

// At exit the renderer is stopped first, so that it cannot be in the middle
// of the module while the process takes the libraries down.
static void stopMusic()
{
    if (withSound) {
        stopSoundOutput();
    } else {
        stopSilentPlayer();
    }
}

void startMusic(const char* fileName)
{
    withSound = openSoundOutput();
    moduleLog = new std::ostringstream;
    std::unique_ptr<openmpt::module> module = loadModule(fileName, *moduleLog);
    if (!module) {
        exit(1);
    }
    songRender.module = module.release();
    if (withSound) {
        playSoundOutput(songRender, songPosition);
    } else if (!startSilentPlayer(songRender, songPosition)) {
        exit(1);
    }
    atexit(stopMusic);
}

int32_t songOrder()
{
    return heardRowAt(songPosition, monotonicNanos()).order;
}

int32_t songRow()
{
    return heardRowAt(songPosition, monotonicNanos()).row;
}
