// Silencing standard error around the audio set-up hides what is written in
// between and nothing after.

#include "music/quiet_stderr.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

TEST(QuietStderrTest, HidesOnlyWhatIsWrittenWhileSilenced)
{
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    int original = dup(STDERR_FILENO);
    dup2(pipeEnds[1], STDERR_FILENO);
    close(pipeEnds[1]);

    ASSERT_EQ(write(STDERR_FILENO, "before ", 7), 7);
    int saved = silenceStderr();
    ASSERT_EQ(write(STDERR_FILENO, "ALSA lib noise ", 15), 15);
    fputs("library chatter ", stderr);
    restoreStderr(saved);
    fputs("after", stderr);
    fflush(stderr);

    dup2(original, STDERR_FILENO);
    close(original);
    std::string seen;
    char chunk[256];
    ssize_t got;
    while ((got = read(pipeEnds[0], chunk, sizeof chunk)) > 0) {
        seen.append(chunk, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    EXPECT_EQ(seen, "before after");
}

}  // namespace
