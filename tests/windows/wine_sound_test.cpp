// The Windows program's sound under Wine: waveOut, through Wine's PulseAudio
// driver, into a sound server of the test's own, recorded and compared with
// libopenmpt's render of the song. (Without a server Wine has no sound
// device here, and only the silent player runs.) Dropouts under Wine say
// more about Wine than about the program: they are reported, not judged.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/sound/heard_show.h"
#include "tests/support/song_folder.h"
#include "tests/windows/wine_prefix.h"

namespace {

TEST(WineSound, TheSongIsHeardWholeThroughWaveOut)
{
    SoundServer server;
    ASSERT_TRUE(startSoundServer(server)) << "the sound server did not start: " << server.failure;
    useSoundServer(server);
    WinePrefix prefix = makeWinePrefix();
    ASSERT_EQ(prefix.failure, "") << "Wine cannot start";
    putSong(Song::fast, prefix.runFolder);

    ShowRun run;
    runShow(server, "wine", prefix.runFolder, 120, run, {TEXTDEMO_EXE});
    const HeardFigures heard = measureShow(run, prefix.runFolder + "/qk17.xm");
    stopSoundServer(server);
    removeWinePrefix(prefix);

    EXPECT_EQ(run.shown.exitStatus, 0);
    ASSERT_GT(run.recording.samples.size(), 44100u * 2 * 8) << "the recording is too short";
    EXPECT_GE(heard.heardShare, 0.95);
    std::printf("under Wine: %.1f %% heard, correlation %.4f, %d gaps, exit level %.1f dBFS, %.1f s\n",
                100 * heard.heardShare, heard.correlation, heard.gaps, heard.exitLevelDb, run.wallSeconds);
}

}  // namespace
