#pragma once
// Reads a recording for replay: a text log (its received lines, timed by
// their stamps), or raw bytes (a recording, or a capture with '#' comment
// lines at its head, which are skipped), cut into messages that go out at a
// chosen message rate. A text log's lines that cannot be read (an impossible
// time, a broken escape) are left out and named, so one bad line never
// holds up or ends the replay.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ReplayChunk {
    std::int64_t atMs = 0; // from the start of the replay
    std::string bytes;
};

struct Recording {
    std::vector<ReplayChunk> chunks;
    bool isTextLog = false;
    // The lines of a text log left out, each with its number and why:
    // "Line 3 skipped: impossible time 2024-13-45T99:99:99.999Z".
    std::vector<std::string> skipped;
};

Recording ParseRecording(std::string_view content, double messagesPerSecond);

// Throws std::runtime_error "Cannot open recording <path>: <reason>".
Recording LoadRecording(const std::string& path, double messagesPerSecond);

// What a recording received, as one stream: a text log's received lines, or
// the raw bytes after a capture's '#' lines; a text log's unreadable lines
// are named in skipped, as for replay.
struct ReceivedStream {
    std::string bytes;
    std::vector<std::string> skipped;
};

// Throws as LoadRecording does.
ReceivedStream LoadReceivedStream(const std::string& path);
