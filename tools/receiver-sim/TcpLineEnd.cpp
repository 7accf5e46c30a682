#include "tools/receiver-sim/TcpLineEnd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>
#include <utility>

namespace {
constexpr auto kRetryInterval = std::chrono::seconds(1);

int OpenSocket(int family) {
    return socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// Bytes leave in the small pieces the pacing hands out, as from a UART.
int Unbuffered(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}
} // namespace

std::unique_ptr<TcpLineEnd> TcpLineEnd::Listen(const std::string& port) {
    std::unique_ptr<TcpLineEnd> end(new TcpLineEnd);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port)));
    end->listening_ = OpenSocket(AF_INET);
    const int on = 1;
    // A simulator started again at once finds its port free.
    if (end->listening_ < 0 ||
        setsockopt(end->listening_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(end->listening_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(end->listening_, 1) != 0)
        throw std::runtime_error("Cannot listen on 127.0.0.1:" + port + ": " +
                                 std::strerror(errno));
    return end;
}

std::unique_ptr<TcpLineEnd> TcpLineEnd::ConnectTo(const std::string& host,
                                                  const std::string& port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int failure = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    if (failure != 0)
        throw std::runtime_error("Cannot find " + host + ": " + gai_strerror(failure));
    std::unique_ptr<TcpLineEnd> end(new TcpLineEnd);
    std::memcpy(&end->peer_, found->ai_addr, found->ai_addrlen);
    end->peerLength_ = found->ai_addrlen;
    freeaddrinfo(found);
    return end;
}

TcpLineEnd::~TcpLineEnd() {
    for (const int fd : {listening_, connecting_, connection_})
        if (fd >= 0)
            close(fd);
}

bool TcpLineEnd::CheckUp() {
    if (connection_ >= 0) {
        // The far end closing its side, or the connection failing, ends the line.
        pollfd line{connection_, POLLRDHUP, 0};
        if (poll(&line, 1, 0) >= 0 && !(line.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)))
            return true;
        close(std::exchange(connection_, -1));
        nextAttempt_ = Clock::now() + kRetryInterval;
        return false;
    }
    if (listening_ >= 0)
        Accept();
    else
        Connect();
    return connection_ >= 0;
}

void TcpLineEnd::Accept() {
    const int fd = accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0)
        connection_ = Unbuffered(fd);
}

void TcpLineEnd::Connect() {
    if (connecting_ < 0) {
        if (Clock::now() < nextAttempt_)
            return;
        nextAttempt_ = Clock::now() + kRetryInterval;
        connecting_ = OpenSocket(peer_.ss_family);
        if (connecting_ < 0)
            return;
        if (connect(connecting_, reinterpret_cast<sockaddr*>(&peer_), peerLength_) == 0) {
            connection_ = Unbuffered(std::exchange(connecting_, -1));
            return;
        }
        if (errno != EINPROGRESS) {
            close(std::exchange(connecting_, -1));
            return;
        }
    }
    pollfd pending{connecting_, POLLOUT, 0};
    if (poll(&pending, 1, 0) <= 0)
        return;
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(connecting_, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error == 0)
        connection_ = Unbuffered(std::exchange(connecting_, -1));
    else
        close(std::exchange(connecting_, -1));
}
