#pragma once
// When each chunk of a recording goes out: at its recorded time from the
// moment playing started (or resumed, or jumped), or as fast as the line
// takes it. Pause, step and jump act on the position. Times come from the
// caller, so the pace is tested with a clock of the test's own.

#include "recording/RecordingFile.h"

#include <cstdint>
#include <string>

class ReplaySchedule {
public:
    explicit ReplaySchedule(Recording recording);

    void SetAsFastAsPossible(bool fast, std::int64_t nowMs);
    void Pause();
    void Resume(std::int64_t nowMs);
    bool Paused() const { return paused_; }
    // Moves to the chunk at this fraction (0 … 1) of the bytes.
    void Seek(double fraction, std::int64_t nowMs);

    // The bytes of the chunks due at nowMs, at most about maxBytes of them;
    // nothing while paused.
    std::string TakeDue(std::int64_t nowMs, std::size_t maxBytes);
    // The next chunk, due or not (one step while paused).
    std::string TakeStep();
    // When the next chunk falls due; -1 when paused or finished.
    std::int64_t NextDueMs() const;

    double Progress() const; // fraction of the bytes sent, 0 … 1
    bool Finished() const { return next_ >= recording_.chunks.size(); }

private:
    std::string Take();
    void RestartClockAt(std::int64_t nowMs);

    Recording recording_;
    std::uint64_t totalBytes_ = 0;
    std::uint64_t sentBytes_ = 0;
    std::size_t next_ = 0;
    std::int64_t originMs_ = 0; // the clock time of recorded time 0
    bool paused_ = true;
    bool fast_ = false;
};
