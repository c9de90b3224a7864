#pragma once
// A program's output as frames: every frame is one synchronized update.

#include <string>
#include <vector>

constexpr char kSyncBegin[] = "\x1b[?2026h";
constexpr char kSyncEnd[] = "\x1b[?2026l";
constexpr char kEmptyFrame[] = "\x1b[?2026h\x1b[?2026l";  // a frame with nothing new

// Where each frame of an output begins.
inline std::vector<size_t> writeStarts(const std::string& output)
{
    std::vector<size_t> starts;
    for (size_t at = output.find(kSyncBegin); at != std::string::npos; at = output.find(kSyncBegin, at + 1))
        starts.push_back(at);
    return starts;
}

inline int countWrites(const std::string& output) { return static_cast<int>(writeStarts(output).size()); }

// The frames of an output, each up to the next.
inline std::vector<std::string> splitWrites(const std::string& output)
{
    const std::vector<size_t> starts = writeStarts(output);
    std::vector<std::string> writes;
    for (size_t i = 0; i < starts.size(); ++i)
        writes.push_back(
            output.substr(starts[i], i + 1 < starts.size() ? starts[i + 1] - starts[i] : std::string::npos));
    return writes;
}
