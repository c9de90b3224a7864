// The show as a viewer hears and sees it: the real program plays the short
// song through a PulseAudio server of the test's own (PortAudio, ALSA's pulse
// plugin) on a pseudo-terminal, while the server's sink is recorded.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/sound/heard_show.h"
#include "tests/support/song_folder.h"

namespace {

TEST(HeardShow, TheSoundIsTheSongWholeAndEveryCutLandsOnItsNote)
{
    SoundServer server;
    ASSERT_TRUE(startSoundServer(server)) << "the sound server did not start: " << server.failure;
    const std::string folder = folderWith(Song::fast);

    ShowRun run;
    runShow(server, TEXTDEMO_BINARY, folder, 60, run);
    const HeardFigures heard = measureShow(run, folder + "/qk17.xm");
    stopSoundServer(server);
    std::filesystem::remove_all(folder);

    EXPECT_EQ(run.shown.exitStatus, 0);
    ASSERT_GT(run.recording.samples.size(), 44100u * 2 * 10) << "the recording is too short";
    EXPECT_GE(heard.correlation, 0.99);
    EXPECT_EQ(heard.gaps, 0);
    for (size_t cut = 0; cut < heard.cutErrorsMs.size(); ++cut) {
        EXPECT_LE(std::abs(heard.cutErrorsMs[cut]), 30.0) << "scene " << cut + 1 << ": picture minus sound";
        std::printf("scene %zu cut: picture %+.1f ms against the sound\n", cut + 1, heard.cutErrorsMs[cut]);
    }
    EXPECT_LT(heard.exitLevelDb, -50.0);
    ASSERT_FALSE(run.shown.writeTimes.empty());
    const double endMs = (run.shown.endedAt - run.shown.writeTimes.back()) * 1000;
    EXPECT_LE(endMs, 500.0) << "the program ended this long after its last logo frame";
    EXPECT_EQ(heard.foreignText, "");
    std::printf("%.1f %% heard, correlation %.4f, %d gaps, exit level %.1f dBFS %.0f ms after the last logo frame, "
                "CPU %.2f s of %.1f s\n", 100 * heard.heardShare, heard.correlation, heard.gaps, heard.exitLevelDb,
                endMs, run.shown.cpuSeconds, run.wallSeconds);
}

}  // namespace
