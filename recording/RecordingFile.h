#pragma once
// Reads a recording for replay: a text log (its received lines, timed by
// their stamps), or raw bytes (a recording, or a capture with '#' comment
// lines at its head, which are skipped), cut into messages that go out at a
// chosen message rate.

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
};

Recording ParseRecording(std::string_view content, double messagesPerSecond);

// Throws std::runtime_error "Cannot open recording <path>: <reason>".
Recording LoadRecording(const std::string& path, double messagesPerSecond);
