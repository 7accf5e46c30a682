#include "tools/receiver-sim/PeerWatch.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr auto kHolderScanInterval = std::chrono::seconds(1);
constexpr auto kExitCheckInterval = std::chrono::milliseconds(100);

bool HoldsDevice(const fs::path& processDir, const std::string& devicePath) {
    std::error_code error;
    for (const auto& fd : fs::directory_iterator(processDir / "fd", error)) {
        std::error_code linkError;
        if (fs::read_symlink(fd.path(), linkError) == devicePath)
            return true;
    }
    return false;
}
} // namespace

void PeerWatch::LineChanged(bool up) {
    up_ = up;
    if (up)
        peers_.clear(); // a new session: whoever opens the port now is the peer
    nextCheck_ = Clock::now();
}

bool PeerWatch::PeersExited() {
    const Clock::time_point now = Clock::now();
    if (now < nextCheck_)
        return false;
    if (up_) {
        NoteHolders();
        nextCheck_ = now + kHolderScanInterval;
        return false;
    }
    nextCheck_ = now + kExitCheckInterval;
    return !peers_.empty() && std::none_of(peers_.begin(), peers_.end(), ProcessIsRunning);
}

void PeerWatch::NoteHolders() {
    const std::set<pid_t> holders = ProcessesHolding(devicePath_);
    peers_.insert(holders.begin(), holders.end());
}

std::set<pid_t> ProcessesHolding(const std::string& devicePath) {
    std::set<pid_t> holders;
    const pid_t self = getpid();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        pid_t pid = 0;
        const auto [end, parseError] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (parseError != std::errc() || end != name.data() + name.size() || pid == self)
            continue;
        if (HoldsDevice(entry.path(), devicePath))
            holders.insert(pid);
    }
    return holders;
}

bool ProcessIsRunning(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    // "pid (command) S ...": the state follows the last ")", as the command may hold one.
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z' &&
           line[close + 2] != 'X';
}
