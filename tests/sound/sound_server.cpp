#include "tests/sound/sound_server.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/clock.h"

namespace {

constexpr char kSink[] = "heard";
constexpr int kRate = 44100;

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

}  // namespace

void useSoundServer(const SoundServer& server)
{
    const std::string& d = server.folder;
    setenv("HOME", (d + "/home").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (d + "/run").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
    setenv("PULSE_RUNTIME_PATH", (d + "/run").c_str(), 1);
    setenv("PULSE_STATE_PATH", (d + "/state").c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + d + "/run/native").c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", (d + "/client.conf").c_str(), 1);
    unsetenv("ALSA_CONFIG_PATH");
}

bool startSoundServer(SoundServer& server)
{
    char name[] = "/tmp/sound-server-XXXXXX";
    if (!mkdtemp(name)) {
        server.failure = "no temporary folder";
        return false;
    }
    server.folder = name;
    for (const char* sub : {"/run", "/state", "/home", "/config"})
        mkdir((server.folder + sub).c_str(), 0700);
    writeFile(server.folder + "/startup.pa",
              std::string("load-module module-null-sink sink_name=") + kSink +
                  " rate=44100 channels=2 format=s16le\n"
                  "load-module module-native-protocol-unix auth-anonymous=1 socket=" +
                  server.folder + "/run/native\nset-default-sink " + kSink + "\n");
    writeFile(server.folder + "/client.conf", "autospawn = no\n");
    // ALSA's default device is the pulse plugin, whatever the system says.
    writeFile(server.folder + "/home/.asoundrc", "pcm.!default { type pulse }\nctl.!default { type pulse }\n");
    useSoundServer(server);
    server.pid = fork();
    if (server.pid == 0) {
        int log = open((server.folder + "/server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "-F",
               (server.folder + "/startup.pa").c_str(), "--use-pid-file=no", "--disallow-exit",
               "--realtime=yes", "--high-priority=yes",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int tries = 0; tries < 100; ++tries) {
        if (system("pactl info >/dev/null 2>&1") == 0)  // it answers
            return true;
        int status;
        if (waitpid(server.pid, &status, WNOHANG) == server.pid) {
            server.pid = -1;
            std::ifstream log(server.folder + "/server.log");
            server.failure = "pulseaudio exited: " + std::string(std::istreambuf_iterator<char>(log), {});
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    server.failure = "pulseaudio did not answer within 10 s";
    stopSoundServer(server);
    return false;
}

void stopSoundServer(SoundServer& server)
{
    if (server.pid > 0) {
        kill(server.pid, SIGTERM);
        waitpid(server.pid, nullptr, 0);
        server.pid = -1;
    }
    if (!server.folder.empty())
        std::filesystem::remove_all(server.folder);
}

// Every read is stamped on the monotonic clock. The sink's clock need not
// run at exactly 44,100 frames a second of ours (a server's often runs a
// little fast or slow), so its rate is fitted to the reads; then the
// earliest moment a read's last frame can have been handed out is the
// read's time, and the smallest (time - frames so far / rate) over all reads
// is when frame 0 was (stopRecording adds how far ahead the sink renders).
static void readRecording(Recording* recording)
{
    char buffer[4096];
    std::string data;
    std::vector<std::pair<int64_t, int64_t>> reads;  // time, frames so far
    for (ssize_t n; (n = read(recording->pipe, buffer, sizeof buffer)) > 0;) {
        reads.emplace_back(monotonicNanos(), 0);
        data.append(buffer, static_cast<size_t>(n));
        reads.back().second = static_cast<int64_t>(data.size() / 4);
    }
    double rate = kRate;
    if (reads.size() > 100) {  // the least-squares line of frames over seconds
        double n = reads.size(), t = 0, f = 0, tt = 0, tf = 0;
        for (const auto& [time, frames] : reads) {
            const double seconds = static_cast<double>(time - reads[0].first) / kNanosPerSecond;
            t += seconds, f += frames, tt += seconds * seconds, tf += seconds * frames;
        }
        rate = (n * tf - t * f) / (n * tt - t * t);
    }
    int64_t earliest = INT64_MAX;
    for (const auto& [time, frames] : reads)
        earliest = std::min(earliest, time - static_cast<int64_t>(frames * kNanosPerSecond / rate));
    recording->samples.resize(data.size() / 2);
    std::copy(data.data(), data.data() + recording->samples.size() * 2,
              reinterpret_cast<char*>(recording->samples.data()));
    recording->firstFrameNanos = earliest;
    recording->framesPerSecond = rate;
}

bool startRecording(const SoundServer&, Recording& recording)
{
    int channel[2];
    if (pipe(channel) != 0)
        return false;
    recording.recorder = fork();
    if (recording.recorder == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        // Reads every few milliseconds must not wait behind a busy machine:
        // a real-time priority, where the system grants one.
        const sched_param priority = {sched_get_priority_min(SCHED_FIFO)};
        sched_setscheduler(0, SCHED_FIFO, &priority);
        execlp("parec", "parec", (std::string("--device=") + kSink + ".monitor").c_str(), "--raw",
               "--format=s16le", "--rate=44100", "--channels=2", "--latency-msec=5",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    recording.pipe = channel[0];
    recording.reader = std::thread(readRecording, &recording);
    return recording.recorder > 0;
}

// The latency the sink is configured with, while the recorder runs: a null
// sink renders that far ahead of its clock, so its monitor hands out frames
// up to that long before they are played.
static int64_t sinkLatencyNanos()
{
    FILE* listing = popen("pactl list sinks 2>/dev/null", "r");
    if (listing == nullptr)
        return 0;
    long long configured = 0;
    char line[512];
    while (fgets(line, sizeof line, listing) != nullptr) {
        const char* at = strstr(line, "configured ");
        if (strstr(line, "Latency:") != nullptr && at != nullptr)
            configured = atoll(at + strlen("configured "));
    }
    pclose(listing);
    return configured * 1000;
}

void stopRecording(Recording& recording)
{
    const int64_t renderedAhead = recording.recorder > 0 ? sinkLatencyNanos() : 0;
    if (recording.recorder > 0) {
        kill(recording.recorder, SIGTERM);
        waitpid(recording.recorder, nullptr, 0);
        recording.recorder = -1;
    }
    if (recording.reader.joinable())
        recording.reader.join();
    if (recording.pipe >= 0)
        close(recording.pipe);
    recording.pipe = -1;
    recording.firstFrameNanos += renderedAhead;
}
