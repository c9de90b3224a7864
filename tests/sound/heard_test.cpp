// The show as a viewer hears and sees it: the real program plays the short
// song through a PulseAudio server of the test's own (PortAudio, ALSA's pulse
// plugin) on a pseudo-terminal, while the server's sink is recorded.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cmath>
#include <filesystem>

#include "tests/sound/heard_show.h"

namespace {

constexpr double kFrameMs = 30;

TEST(HeardShow, TheSoundIsTheSongWholeAndEveryCutLandsOnItsNote)
{
    SoundServer server;
    ASSERT_TRUE(startSoundServer(server)) << "the sound server did not start: " << server.failure;
    char name[] = "/tmp/heard-show-XXXXXX";
    const std::string folder = mkdtemp(name);
    ASSERT_EQ(system((std::string(MAKE_MODULE_BINARY) + " --fast " + folder + "/qk17.xm").c_str()), 0);

    ShowRun run;
    runShow(server, TEXTDEMO_BINARY, folder, 60, run);
    const HeardFigures heard = measureShow(run, folder + "/qk17.xm");
    stopSoundServer(server);
    std::filesystem::remove_all(folder);

    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_GT(run.recording.samples.size(), 44100u * 2 * 10) << "the recording is too short";
    EXPECT_GE(heard.correlation, 0.99);
    EXPECT_EQ(heard.gaps, 0);
    for (size_t cut = 0; cut < heard.cutErrorsMs.size(); ++cut) {
        double error = heard.cutErrorsMs[cut];
        EXPECT_TRUE(std::abs(error) <= kFrameMs) << "scene " << cut + 1 << " ended " << error
                                                 << " ms after its end was heard";
        std::printf("scene %zu cut: picture %+.1f ms against the sound\n", cut + 1, error);
    }
    EXPECT_LT(heard.exitLevelDb, -50.0);
    ASSERT_FALSE(run.writeNanos.empty());
    const double endMs = (run.exitNanos - run.writeNanos.back()) / 1e6;
    EXPECT_LE(endMs, 500.0) << "the program ended this long after its last logo frame";
    EXPECT_EQ(heard.foreignText, "");
    std::printf("correlation %.4f, %d gaps, exit level %.1f dBFS %.0f ms after the last logo frame, CPU %.2f s of %.1f s\n",
                heard.correlation, heard.gaps, heard.exitLevelDb, endMs, run.cpuSeconds, run.wallSeconds);
}

}  // namespace
