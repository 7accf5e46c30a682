#include "recording/SessionRecorder.h"

#include "recording/TextLog.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

SessionRecorder::SessionRecorder(const std::string& rawPath, const std::string& textLogPath,
                                 UtcClock now)
    : now_(std::move(now)) {
    OpenFile(raw_, rawPath);
    if (!textLogPath.empty()) {
        try {
            OpenFile(log_, textLogPath);
        } catch (...) {
            CloseFiles();
            throw;
        }
    }
    status_.recording = true;
    status_.startedMs = now_();
}

SessionRecorder::~SessionRecorder() {
    Stop();
}

std::int64_t SessionRecorder::SystemUtcMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void SessionRecorder::OpenFile(File& file, const std::string& path) {
    file.path = path;
    file.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file.fd < 0)
        throw std::runtime_error("Cannot record to " + path + ": " + std::strerror(errno));
}

void SessionRecorder::Received(const char* data, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (!status_.recording)
        return;
    Append(raw_, std::string_view(data, size));
    if (!status_.recording)
        return;
    status_.bytes = raw_.size;
    if (log_.fd >= 0)
        LogMessages(splitter_.Feed(std::string_view(data, size)), true);
}

void SessionRecorder::Sent(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    if (status_.recording && log_.fd >= 0)
        LogMessages({bytes}, false);
}

void SessionRecorder::LogMessages(const std::vector<std::string>& messages, bool received) {
    if (messages.empty())
        return;
    const std::int64_t time = now_();
    std::string lines;
    for (const std::string& message : messages)
        lines +=
            FormatLogLine({time, received ? LogDirection::Received : LogDirection::Sent, message});
    Append(log_, lines);
}

void SessionRecorder::Append(File& file, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(file.fd, bytes.data() + written, bytes.size() - written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return Fail(file, done < 0 ? errno : ENOSPC);
        written += static_cast<std::size_t>(done);
        // The raw file counts every byte that reached it: a prefix of the
        // stream is a valid recording.
        if (&file == &raw_)
            file.size += static_cast<std::size_t>(done);
    }
    if (&file == &log_)
        file.size += bytes.size();
}

void SessionRecorder::Fail(const File& file, int error) {
    status_.error = "Recording stopped: cannot write " +
                    std::filesystem::path(file.path).filename().string() + ": " +
                    std::strerror(error) + ". What was recorded so far is kept.";
    // The text log keeps only whole lines.
    if (log_.fd >= 0)
        (void)::ftruncate(log_.fd, static_cast<off_t>(log_.size));
    status_.bytes = raw_.size;
    CloseFiles();
}

bool SessionRecorder::CheckFilesKept() {
    std::lock_guard lock(mutex_);
    if (!status_.recording)
        return false;
    std::vector<const File*> removed;
    for (const File* file : {&raw_, &log_}) {
        struct stat facts {};
        if (file->fd >= 0 && ::fstat(file->fd, &facts) == 0 && facts.st_nlink == 0)
            removed.push_back(file);
    }
    if (removed.empty())
        return true;
    std::string names;
    for (const File* file : removed)
        names += (names.empty() ? "" : " and ") +
                 std::filesystem::path(file->path).filename().string() + " (" +
                 std::to_string(file->size) + " bytes written)";
    const bool one = removed.size() == 1;
    status_.error = "Recording stopped: " + names + (one ? " was" : " were") +
                    " removed while recording; what was written to " + (one ? "it" : "them") +
                    " is lost.";
    status_.bytes = raw_.size;
    CloseFiles();
    return false;
}

void SessionRecorder::Stop() {
    std::lock_guard lock(mutex_);
    if (!status_.recording)
        return;
    if (log_.fd >= 0) {
        const std::string rest = splitter_.TakeRest();
        if (!rest.empty())
            LogMessages({rest}, true);
    }
    CloseFiles();
}

void SessionRecorder::CloseFiles() {
    for (File* file : {&raw_, &log_})
        if (file->fd >= 0) {
            ::close(file->fd);
            file->fd = -1;
        }
    status_.recording = false;
}

SessionRecorder::Status SessionRecorder::CurrentStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}
