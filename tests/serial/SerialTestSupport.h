#pragma once
// Shared pieces of the serial port tests: waiting with GUI events flowing,
// and a recorder of the component's events.

#include "serial/SerialPort.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Polls condition, processing Qt events between polls, until it holds or
// timeoutMs has passed; returns its last value.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

// Binds every event of a port and records what arrives, from any thread.
class EventRecorder {
public:
    explicit EventRecorder(TSerialPort& port);

    std::vector<std::string> Events() const; // "connect COM13", "disconnect COM13", ...
    std::vector<std::string> Chunks() const; // OnReceive buffers in order
    std::string Received() const;            // all chunks joined
    std::string Sent() const;                // all OnSend buffers joined
    std::vector<TLineStatusSet> LineChanges() const;
    bool AllOnMainThread() const; // every handler ran on the main thread

private:
    void Record(const std::function<void()>& change);

    mutable std::mutex mutex_;
    std::vector<std::string> events_;
    std::vector<std::string> chunks_;
    std::string sent_;
    std::vector<TLineStatusSet> lineChanges_;
    bool allOnMainThread_ = true;
};
