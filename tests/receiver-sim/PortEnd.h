#pragma once
// The monitor's end of the simulated receiver's line: opens the announced
// port as a program would and reads what arrives, waiting with generous
// timeouts for what a test expects rather than for fixed times.

#include <chrono>
#include <functional>
#include <string>

class PortEnd {
public:
    explicit PortEnd(const std::string& path);
    ~PortEnd();
    PortEnd(const PortEnd&) = delete;
    PortEnd& operator=(const PortEnd&) = delete;

    void Write(const std::string& bytes);
    // Listens and talks at this rate from now on (9600, 38400 or 115200 baud).
    void SetBaud(int baud);
    // Everything received so far, reading what is queued first.
    const std::string& Received();
    // Reads until done(received) holds or the timeout passes; returns done's last verdict.
    bool ReadUntil(const std::function<bool(const std::string&)>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void Clear() { received_.clear(); }

private:
    void ReadFor(int ms);

    int fd_ = -1;
    std::string received_;
};

// Waits until condition() holds, polling; false when it still fails at the timeout.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));
