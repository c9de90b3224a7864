// The capture program on the whole show: how many times faster than real
// time it renders, what it writes (size and bitrate of each stream) and the
// peak resident memory it needs.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

void BM_CaptureWholeShow(benchmark::State& state)
{
    char folder[] = "/tmp/textdemo-capture-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string video = std::string(folder) + "/show.mp4";
    double wallSeconds = 0, cpuSeconds = 0;
    long peakKilobytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t child = fork();
        if (child == 0) {
            int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDERR_FILENO);
            if (chdir(SHOW_FOLDER) != 0)
                _exit(126);
            execl(CAPTURE_BINARY, CAPTURE_BINARY, video.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage = {};
        wait4(child, &status, 0, &usage);
        wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                     usage.ru_stime.tv_usec / 1e6;
        peakKilobytes = usage.ru_maxrss;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the capture failed");
    }
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, video.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format, nullptr) < 0) {
        state.SkipWithError("the video does not open");
        return;
    }
    const double showSeconds = static_cast<double>(format->duration) / AV_TIME_BASE;
    struct stat file = {};
    stat(video.c_str(), &file);
    state.counters["show_s"] = showSeconds;
    state.counters["x_real_time"] = showSeconds / wallSeconds;
    state.counters["cpu_s"] = cpuSeconds;
    state.counters["peak_resident_MB"] = peakKilobytes / 1024.0;
    state.counters["file_MB"] = file.st_size / 1e6;
    state.counters["kbit_per_s"] = file.st_size * 8 / showSeconds / 1000;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* stream = format->streams[i]->codecpar;
        const std::string kind = stream->codec_type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
        state.counters[kind + "_kbit_per_s"] = stream->bit_rate / 1000.0;
    }
    avformat_close_input(&format);
    unlink(video.c_str());
    rmdir(folder);
}
BENCHMARK(BM_CaptureWholeShow)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
