#pragma once
// A recording played on a virtual serial line: a pseudo-terminal whose slave
// side the monitor opens like any port, while a thread of this object writes
// the recording into the master side on its schedule. Whatever reads the
// port cannot tell it from a receiver. Bytes the monitor sends are read and
// dropped, so the line never blocks.
//
// A new port starts paused: Resume once the port is open, so that nothing
// goes out before anyone listens.

#include "recording/ReplaySchedule.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class ReplayPort {
public:
    // Throws std::runtime_error when no pseudo-terminal can be had.
    ReplayPort(Recording recording, bool asFastAsPossible);
    ~ReplayPort();
    ReplayPort(const ReplayPort&) = delete;
    ReplayPort& operator=(const ReplayPort&) = delete;

    // The slave side, "/dev/pts/N": the port to open.
    const std::string& DevicePath() const { return devicePath_; }

    void Pause();
    void Resume();
    void Step();
    void Seek(double fraction);
    void SetAsFastAsPossible(bool fast);

    bool Paused() const;
    bool Finished() const; // everything written
    double Progress() const;

private:
    void Run();
    bool WriteAll(const std::string& bytes); // false when asked to stop
    void DropInput();
    static std::int64_t NowMs();

    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    ReplaySchedule schedule_;
    std::string stepBytes_;
    bool writing_ = false; // bytes taken from the schedule but not yet written
    bool stop_ = false;
    std::thread thread_;
};
