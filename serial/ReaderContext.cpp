#include "serial/ReaderContext.h"

std::string ReaderSettings::LogFile() const {
    std::lock_guard lock(mutex_);
    return logFile_;
}

void ReaderSettings::SetLogFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    logFile_ = path;
}

void ReceiveTap::Set(Function tap) {
    std::lock_guard lock(mutex_);
    tap_ = std::move(tap);
}

void ReceiveTap::Call(const char* data, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (!tap_)
        return;
    try {
        tap_(data, size);
    } catch (...) {
        // The tap reports its own failures; the reader reads on.
    }
}
