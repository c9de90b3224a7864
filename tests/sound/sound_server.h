#pragma once
// A PulseAudio server of the test's own, with one null sink whose monitor
// records what a listener would hear. It runs in a temporary folder, touches
// nothing of the system's, and is stopped by its pid.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct SoundServer {
    std::string folder;
    pid_t pid = -1;
    std::string failure;  // why it could not start, when it could not
};

// Starts the server and waits until it answers. False (with failure set)
// when it cannot.
bool startSoundServer(SoundServer& server);
void stopSoundServer(SoundServer& server);

// Sets the calling process's environment so that its sound clients (PortAudio
// through ALSA's pulse plugin, parec) reach this server and no other.
void useSoundServer(const SoundServer& server);

// What the null sink played, as the listener heard it: stereo 16-bit frames,
// the monotonic time (ns) at which frame 0 was heard and the rate at which
// the sink played them, in frames per second of the monotonic clock.
struct Recording {
    std::vector<int16_t> samples;
    int64_t firstFrameNanos = 0;
    double framesPerSecond = 44100;
    pid_t recorder = -1;
    int pipe = -1;
    std::thread reader;
};

bool startRecording(const SoundServer& server, Recording& recording);
void stopRecording(Recording& recording);
