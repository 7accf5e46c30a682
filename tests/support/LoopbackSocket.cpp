#include "tests/support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>
#include <utility>

LoopbackSocket::LoopbackSocket(int type) : fd_(socket(AF_INET, type | SOCK_CLOEXEC, 0)) {}

LoopbackSocket::LoopbackSocket(int fd, bool) : fd_(fd) {}

LoopbackSocket::LoopbackSocket(LoopbackSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

LoopbackSocket::~LoopbackSocket() {
    Close();
}

void LoopbackSocket::Close() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

int LoopbackSocket::BindLoopback() {
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot bind a test socket on 127.0.0.1");
    return ntohs(address.sin_port);
}

bool LoopbackSocket::Connect(int port) {
    const sockaddr_in address = Loopback(port);
    return connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool LoopbackSocket::WaitReadable(int timeoutMs) const {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, timeoutMs) == 1;
}

LoopbackSocket LoopbackSocket::Accept() const {
    if (!WaitReadable())
        return LoopbackSocket(-1, true);
    return LoopbackSocket(accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC), true);
}

void LoopbackSocket::SendAll(const std::string& bytes) const {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            throw std::runtime_error("the test socket's peer took no more bytes");
        done += static_cast<std::size_t>(n);
    }
}

std::string LoopbackSocket::Read(std::size_t count) const {
    std::string got;
    char buffer[4096];
    while (got.size() < count && WaitReadable()) {
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

sockaddr_in LoopbackSocket::Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int UnusedPort() {
    LoopbackSocket probe(SOCK_STREAM);
    return probe.BindLoopback();
}
