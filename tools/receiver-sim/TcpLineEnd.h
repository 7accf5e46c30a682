#pragma once
// The simulated receiver's line as a TCP connection. Listening on
// 127.0.0.1:PORT, the line is up while one program is connected; the next
// is taken once it has left. Connecting out to HOST:PORT (to a monitor that
// waits for its receiver), the line is up while the connection stands, and a
// connection is tried every second until one is made. TCP carries no line
// rate: the far end always hears the receiver at the rate it talks at.

#include "tools/receiver-sim/LineEnd.h"

#include <chrono>
#include <memory>
#include <string>
#include <sys/socket.h>

class TcpLineEnd : public LineEnd {
public:
    // Throw std::runtime_error with a message for the user when the port
    // cannot be listened on or the host is not found.
    static std::unique_ptr<TcpLineEnd> Listen(const std::string& port);
    static std::unique_ptr<TcpLineEnd> ConnectTo(const std::string& host, const std::string& port);
    ~TcpLineEnd() override;
    TcpLineEnd(const TcpLineEnd&) = delete;
    TcpLineEnd& operator=(const TcpLineEnd&) = delete;

    bool CheckUp() override;
    int Fd() const override { return connection_; }

private:
    using Clock = std::chrono::steady_clock;

    TcpLineEnd() = default;
    void Accept();
    void Connect();

    int listening_ = -1;
    int connecting_ = -1; // a connect in progress
    int connection_ = -1;
    // Where a connecting end connects to.
    sockaddr_storage peer_{};
    socklen_t peerLength_ = 0;
    Clock::time_point nextAttempt_{};
};
