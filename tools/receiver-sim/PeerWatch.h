#pragma once
// Tells when the programs that opened the simulated port have all exited.
// While the line is up it notes which processes hold the device open; once
// the line is down and every one of them has gone, the peer has exited. A
// peer that merely closes the port and lives on does not count: it may open
// the port again.

#include <chrono>
#include <set>
#include <string>
#include <sys/types.h>

class PeerWatch {
public:
    explicit PeerWatch(std::string devicePath) : devicePath_(std::move(devicePath)) {}

    void LineChanged(bool up);
    // True once the line is down and every process seen holding it has exited.
    bool PeersExited();

private:
    using Clock = std::chrono::steady_clock;

    void NoteHolders();

    std::string devicePath_;
    bool up_ = false;
    std::set<pid_t> peers_;
    Clock::time_point nextCheck_{};
};

// The processes, other than this one, with a descriptor open on devicePath.
std::set<pid_t> ProcessesHolding(const std::string& devicePath);

// False once the process has ended (exited or only waiting to be reaped).
bool ProcessIsRunning(pid_t pid);
