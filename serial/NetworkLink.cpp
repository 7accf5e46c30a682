#include "serial/NetworkLink.h"

#include "serial/CancellableWait.h"
#include "serial/NameLookup.h"
#include "serial/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace {
// How long the name lookup and the connect of a TCP client may take together.
constexpr auto kConnectTimeout = std::chrono::seconds(10);
// A datagram's load that crosses an Ethernet path without being split.
constexpr std::size_t kDatagramBytes = 1400;
// The data a telnet send escapes and sends whole at once.
constexpr std::size_t kTelnetChunk = 4096;

std::string CauseOf(int error) {
    return LowerFirst(SystemErrorText(error));
}

int OpenSocket(const addrinfo& address) {
    return socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                  address.ai_protocol);
}

// A socket bound to the first local address that takes it; -1 with cause set.
int BindLocal(const NetworkSource& source, int socketType, std::string& cause) {
    const LookupResult local = LookUpAddresses(source.host, source.port, socketType, true, {}, {});
    cause = local.error;
    for (const addrinfo* a = local.addresses.get(); a != nullptr; a = a->ai_next) {
        const int fd = OpenSocket(*a);
        if (fd < 0) {
            cause = CauseOf(errno);
            continue;
        }
        const int on = 1;
        const int off = 0;
        // A server that reopens at once finds its port free again.
        if (socketType == SOCK_STREAM)
            setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        // The IPv6 wildcard takes IPv4 senders as well.
        if (a->ai_family == AF_INET6)
            setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 &&
            (socketType != SOCK_STREAM || listen(fd, 1) == 0))
            return fd;
        cause = CauseOf(errno);
        ::close(fd);
    }
    return -1;
}

void KeepAlive(int fd) {
    // A peer that vanished without a word is noticed in the end.
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}
} // namespace

std::unique_ptr<NetworkLink> NetworkLink::Prepare(const std::string& name, int cancelFd,
                                                  std::string& error) {
    const std::optional<NetworkSource> source = ParseNetworkSource(name, error);
    if (!source)
        return nullptr;
    int localFd = -1;
    if (source->kind == NetworkSource::Kind::TcpServer ||
        source->kind == NetworkSource::Kind::Udp) {
        std::string cause;
        localFd = BindLocal(
            *source, source->kind == NetworkSource::Kind::Udp ? SOCK_DGRAM : SOCK_STREAM, cause);
        if (localFd < 0) {
            error = cause;
            return nullptr;
        }
    }
    return std::unique_ptr<NetworkLink>(new NetworkLink(name, *source, localFd, cancelFd));
}

NetworkLink::NetworkLink(std::string name, NetworkSource source, int localFd, int cancelFd)
    : name_(std::move(name)), source_(std::move(source)), localFd_(localFd), cancelFd_(cancelFd) {
    if (source_.kind == NetworkSource::Kind::Rfc2217)
        telnet_ = std::make_unique<TelnetComPort>();
}

NetworkLink::~NetworkLink() {
    Release();
}

void NetworkLink::Release() {
    if (localFd_ >= 0)
        ::close(std::exchange(localFd_, -1));
    std::lock_guard lock(sendMutex_);
    telnetFd_ = -1; // its owner closes it
}

int NetworkLink::Establish(const std::vector<int>& cancelFds) {
    switch (source_.kind) {
    case NetworkSource::Kind::TcpClient:
        return Connect(cancelFds);
    case NetworkSource::Kind::TcpServer:
        return Accept(cancelFds);
    case NetworkSource::Kind::Udp:
        return StartReceiving(cancelFds);
    case NetworkSource::Kind::Rfc2217: {
        const int fd = Connect(cancelFds);
        if (fd < 0)
            return -1;
        std::lock_guard lock(sendMutex_);
        telnetFd_ = fd;
        const std::string opening =
            telnet_->Greeting() +
            (lineSettings_ ? TelnetComPort::LineCommands(*lineSettings_) : "");
        if (!SendWhole(fd, opening)) {
            telnetFd_ = -1;
            ::close(fd);
            return -1;
        }
        return fd;
    }
    }
    return -1;
}

int NetworkLink::Connect(const std::vector<int>& cancelFds) {
    const auto deadline = std::chrono::steady_clock::now() + kConnectTimeout;
    const LookupResult found =
        LookUpAddresses(source_.host, source_.port, SOCK_STREAM, false, cancelFds, deadline);
    if (found.outcome == WaitOutcome::TimedOut)
        Fail("host not found (the name lookup timed out)");
    if (found.outcome != WaitOutcome::Ready)
        return -1;
    std::string cause = found.error;
    // Every address of the host in turn, until one takes the connection.
    for (const addrinfo* a = found.addresses.get(); a != nullptr; a = a->ai_next) {
        const int fd = OpenSocket(*a);
        if (fd < 0) {
            cause = CauseOf(errno);
            continue;
        }
        int error = connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        if (error == EINPROGRESS) {
            const WaitOutcome outcome = WaitForDescriptor(fd, POLLOUT, cancelFds, deadline);
            if (outcome == WaitOutcome::Cancelled) {
                ::close(fd);
                return -1;
            }
            socklen_t length = sizeof error;
            if (outcome == WaitOutcome::TimedOut)
                error = ETIMEDOUT;
            else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
        if (error == 0) {
            KeepAlive(fd);
            return fd;
        }
        cause = CauseOf(error);
        ::close(fd);
        if (error == ETIMEDOUT)
            break;
    }
    Fail(cause);
    return -1;
}

int NetworkLink::Accept(const std::vector<int>& cancelFds) {
    for (;;) {
        if (WaitForDescriptor(localFd_, POLLIN, cancelFds, {}) != WaitOutcome::Ready)
            return -1;
        const int fd = accept4(localFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            // One receiver at a time: others are refused while it is connected.
            Release();
            KeepAlive(fd);
            return fd;
        }
        // A client that gave up before it was taken is no fault of the server.
        if (errno != EAGAIN && errno != ECONNABORTED && errno != EINTR) {
            Fail(CauseOf(errno));
            return -1;
        }
    }
}

int NetworkLink::StartReceiving(const std::vector<int>& cancelFds) {
    if (!source_.peerHost.empty()) {
        const LookupResult found =
            LookUpAddresses(source_.peerHost, source_.peerPort, SOCK_DGRAM, false, cancelFds,
                            std::chrono::steady_clock::now() + kConnectTimeout);
        if (found.outcome == WaitOutcome::TimedOut)
            Fail("host not found (the name lookup timed out)");
        if (found.outcome != WaitOutcome::Ready)
            return -1;
        if (!found.addresses) {
            Fail(found.error);
            return -1;
        }
        std::lock_guard lock(mutex_);
        std::memcpy(&target_, found.addresses->ai_addr, found.addresses->ai_addrlen);
        targetLength_ = found.addresses->ai_addrlen;
        fixedTarget_ = true;
    }
    return std::exchange(localFd_, -1);
}

long NetworkLink::Receive(int fd, char* buffer, std::size_t size) {
    if (source_.kind == NetworkSource::Kind::Udp) {
        sockaddr_storage sender{};
        socklen_t length = sizeof sender;
        const ssize_t got =
            recvfrom(fd, buffer, size, 0, reinterpret_cast<sockaddr*>(&sender), &length);
        if (got < 0)
            return 0; // nothing waits; a datagram socket does not hang up
        std::lock_guard lock(mutex_);
        if (!fixedTarget_) {
            target_ = sender;
            targetLength_ = length;
        }
        return static_cast<long>(got);
    }
    const ssize_t got = recv(fd, buffer, size, 0);
    if (got > 0 && telnet_) {
        std::string replies;
        std::size_t kept = 0;
        {
            std::lock_guard lock(mutex_);
            kept = telnet_->Unwrap(buffer, static_cast<std::size_t>(got), replies);
        }
        if (!replies.empty()) {
            std::lock_guard lock(sendMutex_);
            SendWhole(fd, replies);
        }
        return static_cast<long>(kept);
    }
    if (got > 0)
        return static_cast<long>(got);
    if (got == 0) {
        Fail("closed by the peer");
        return -1;
    }
    if (errno == EAGAIN || errno == EINTR)
        return 0;
    Fail(CauseOf(errno));
    return -1;
}

long NetworkLink::Send(int fd, const char* data, std::size_t size) {
    if (telnet_)
        return SendTelnet(fd, data, size);
    if (source_.kind != NetworkSource::Kind::Udp)
        return send(fd, data, size, MSG_NOSIGNAL);
    sockaddr_storage target{};
    socklen_t length = 0;
    {
        std::lock_guard lock(mutex_);
        target = target_;
        length = targetLength_;
    }
    if (length == 0) {
        errno = EDESTADDRREQ; // nobody has sent anything yet
        return -1;
    }
    return sendto(fd, data, std::min(size, kDatagramBytes), MSG_NOSIGNAL,
                  reinterpret_cast<const sockaddr*>(&target), length);
}

long NetworkLink::SendTelnet(int fd, const char* data, std::size_t size) {
    std::lock_guard lock(sendMutex_);
    // Waiting for room is the caller's, within its write timeouts; once a
    // chunk has begun it goes out whole, as a command may follow it.
    pollfd room{fd, POLLOUT, 0};
    if (poll(&room, 1, 0) != 1 || !(room.revents & POLLOUT)) {
        errno = room.revents & (POLLERR | POLLHUP) ? EPIPE : EAGAIN;
        return -1;
    }
    const std::size_t chunk = std::min(size, kTelnetChunk);
    std::string escaped;
    TelnetComPort::Escape(std::string_view(data, chunk), escaped);
    return SendWhole(fd, escaped) ? static_cast<long>(chunk) : -1;
}

bool NetworkLink::SendWhole(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t sent = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (WaitForDescriptor(fd, POLLOUT, {cancelFd_}, {}) != WaitOutcome::Ready) {
            errno = ECANCELED;
            return false;
        }
    }
    return true;
}

void NetworkLink::ApplyLineSettings(const LineSettings& settings) {
    if (!telnet_)
        return;
    std::lock_guard lock(sendMutex_);
    lineSettings_ = settings;
    if (telnetFd_ >= 0)
        SendWhole(telnetFd_, TelnetComPort::LineCommands(settings));
}

TLineStatusSet NetworkLink::ModemLines() const {
    std::lock_guard lock(mutex_);
    return telnet_ ? telnet_->ModemLines() : TLineStatusSet{};
}

void NetworkLink::NoteHangUp(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    Fail(error != 0 ? CauseOf(error) : "closed by the peer");
}

void NetworkLink::Fail(const std::string& cause) {
    std::lock_guard lock(mutex_);
    if (failure_.empty())
        failure_ = name_ + ": " + cause;
}

std::string NetworkLink::Failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}
