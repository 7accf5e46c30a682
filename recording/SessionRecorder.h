#pragma once
// Records a session: every received byte, exactly as received, into a raw
// file any tool reads (no header), and optionally a text log beside it with
// one timed line per received message and per command sent. Received bytes
// come from the port's reader thread, sent ones from the window's thread.
//
// A failed write (a full disk, an I/O error) stops the recording and keeps
// what was written a valid file: the raw file holds a prefix of the bytes,
// and the text log is cut back to its last whole line. A file removed while
// it is written (the file, or its folder) takes every byte with it while the
// writes still succeed: CheckFilesKept finds that out and stops the recording
// too, saying how much was lost.

#include "recording/MessageSplitter.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class SessionRecorder {
public:
    using UtcClock = std::function<std::int64_t()>; // ms since 1970 UTC

    // Creates (or empties) the raw file, and the text log when textLogPath is
    // not empty. Throws std::runtime_error "Cannot record to <path>: <reason>".
    SessionRecorder(const std::string& rawPath, const std::string& textLogPath,
                    UtcClock now = SystemUtcMs);
    ~SessionRecorder(); // Stop()
    SessionRecorder(const SessionRecorder&) = delete;
    SessionRecorder& operator=(const SessionRecorder&) = delete;

    void Received(const char* data, std::size_t size);
    void Sent(const std::string& bytes);
    // Writes what the text log still holds and closes the files.
    void Stop();
    // Stops the recording when a file was removed (its link count went to
    // 0); false then, or once the recording stopped.
    bool CheckFilesKept();

    struct Status {
        bool recording = false;
        std::uint64_t bytes = 0; // received bytes in the raw file
        std::int64_t startedMs = 0;
        std::string error; // why the recording stopped by itself
    };
    Status CurrentStatus() const;

    static std::int64_t SystemUtcMs();

private:
    struct File {
        int fd = -1;
        std::string path;
        std::uint64_t size = 0;
    };
    void OpenFile(File& file, const std::string& path);
    void Append(File& file, std::string_view bytes);
    void LogMessages(const std::vector<std::string>& messages, bool received);
    void Fail(const File& file, int error);
    void CloseFiles();

    UtcClock now_;
    mutable std::mutex mutex_;
    File raw_;
    File log_;
    MessageSplitter splitter_;
    Status status_;
};
