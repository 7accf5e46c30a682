#pragma once
// A plain socket on 127.0.0.1 for tests: the far end of a network source
// (a bridge the monitor connects to, a receiver that connects in, a UDP
// sender). Closed when it goes; waits are bounded so tests stop by themselves.

#include <netinet/in.h>
#include <string>
#include <sys/socket.h>

class LoopbackSocket {
public:
    // A new socket of type (SOCK_STREAM, SOCK_DGRAM).
    explicit LoopbackSocket(int type);
    // Takes over fd.
    LoopbackSocket(int fd, bool);
    LoopbackSocket(LoopbackSocket&& other) noexcept;
    ~LoopbackSocket();

    int fd() const { return fd_; }
    void Close();
    // Binds to a free port on 127.0.0.1 and returns it.
    int BindLoopback();
    bool Connect(int port);
    bool WaitReadable(int timeoutMs = 5000) const;
    // The next client of a listening socket.
    LoopbackSocket Accept() const;
    void SendAll(const std::string& bytes) const;
    // What arrives until count bytes are there, the peer closes or the line
    // stays quiet for the wait.
    std::string Read(std::size_t count) const;

    static sockaddr_in Loopback(int port);

private:
    int fd_;
};

// A port on 127.0.0.1 that nobody listens on.
int UnusedPort();
