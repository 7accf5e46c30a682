#include "recording/ReplaySchedule.h"

#include <algorithm>

ReplaySchedule::ReplaySchedule(Recording recording) : recording_(std::move(recording)) {
    for (const ReplayChunk& chunk : recording_.chunks)
        totalBytes_ += chunk.bytes.size();
}

void ReplaySchedule::RestartClockAt(std::int64_t nowMs) {
    // The next chunk is due now, the later ones at their recorded distance.
    originMs_ = nowMs - (Finished() ? 0 : recording_.chunks[next_].atMs);
}

void ReplaySchedule::SetAsFastAsPossible(bool fast, std::int64_t nowMs) {
    fast_ = fast;
    RestartClockAt(nowMs);
}

void ReplaySchedule::Pause() {
    paused_ = true;
}

void ReplaySchedule::Resume(std::int64_t nowMs) {
    paused_ = false;
    RestartClockAt(nowMs);
}

void ReplaySchedule::Seek(double fraction, std::int64_t nowMs) {
    const auto target = static_cast<std::uint64_t>(std::clamp(fraction, 0.0, 1.0) *
                                                   static_cast<double>(totalBytes_));
    next_ = 0;
    sentBytes_ = 0;
    while (!Finished() && sentBytes_ + recording_.chunks[next_].bytes.size() <= target)
        sentBytes_ += recording_.chunks[next_++].bytes.size();
    RestartClockAt(nowMs);
}

std::string ReplaySchedule::Take() {
    std::string bytes = recording_.chunks[next_++].bytes; // kept for a jump back
    sentBytes_ += bytes.size();
    return bytes;
}

std::string ReplaySchedule::TakeDue(std::int64_t nowMs, std::size_t maxBytes) {
    std::string due;
    while (!paused_ && !Finished() && due.size() < maxBytes &&
           (fast_ || originMs_ + recording_.chunks[next_].atMs <= nowMs))
        due += Take();
    return due;
}

std::string ReplaySchedule::TakeStep() {
    return Finished() ? std::string() : Take();
}

std::int64_t ReplaySchedule::NextDueMs() const {
    if (paused_ || Finished())
        return -1;
    return fast_ ? originMs_ : originMs_ + recording_.chunks[next_].atMs;
}

double ReplaySchedule::Progress() const {
    return totalBytes_ == 0 ? 1.0
                            : static_cast<double>(sentBytes_) / static_cast<double>(totalBytes_);
}
