#include "serial/ShareServer.h"

#include "serial/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// One send takes at most this much of a queue, so the reader's lock is short.
constexpr std::size_t kSendPiece = 256 * 1024;
// A queue's sent part is cut off once it is this long.
constexpr std::size_t kCompactAt = 1 << 20;

std::string Joined(const std::string& host, std::uint16_t port) {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string PeerName(const sockaddr_storage& address, socklen_t length) {
    char host[NI_MAXHOST] = "";
    char port[NI_MAXSERV] = "";
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, port,
                    sizeof port, NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "a client";
    return Joined(host, static_cast<std::uint16_t>(std::stoi(port)));
}

std::string Megabytes(std::size_t bytes) {
    return std::to_string(bytes >> 20) + " MB";
}
} // namespace

ShareAddress ParseShareAddress(const std::string& text) {
    ShareAddress address;
    std::string port = text;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find("]:");
        if (close == std::string::npos)
            throw EShareAddress("\"" + text + "\" is not [ADDRESS]:PORT");
        address.host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        address.host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || value == 0 ||
        value > 65535 || address.host.empty())
        throw EShareAddress("\"" + text + "\" is not [ADDRESS:]PORT with a port of 1 to 65535");
    address.port = static_cast<std::uint16_t>(value);
    return address;
}

struct ShareServer::Client {
    int fd = -1;
    std::string name;
    std::string queue;
    std::size_t sent = 0; // of queue
    bool tooFarBehind = false;
    bool toldReadOnly = false;
    // The client closed its sending side (nc with its input at an end): it
    // is still sent to until the connection fails.
    bool sendingEnded = false;
};

ShareServer::ShareServer(const Options& options, LogLine log, ClientBytes fromClients)
    : options_(options), log_(std::move(log)), fromClients_(std::move(fromClients)) {
    const std::string where = Joined(options.address.host, options.address.port);
    const auto fail = [&](const std::string& reason) {
        if (listenFd_ >= 0)
            close(listenFd_);
        throw EShareAddress("Share: cannot listen on " + where + ": " + reason);
    };
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(options.address.host.c_str(),
                                   std::to_string(options.address.port).c_str(), &hints, &found);
    if (lookup != 0)
        fail(LowerFirst(gai_strerror(lookup)));
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> list(found, freeaddrinfo);
    listenFd_ = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        fail(LowerFirst(SystemErrorText(errno)));
    const int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(listenFd_, found->ai_addr, found->ai_addrlen) != 0 || listen(listenFd_, 16) != 0)
        fail(LowerFirst(SystemErrorText(errno)));
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &length);
    char port[NI_MAXSERV] = "0";
    getnameinfo(reinterpret_cast<sockaddr*>(&bound), length, nullptr, 0, port, sizeof port,
                NI_NUMERICSERV);
    boundPort_ = static_cast<std::uint16_t>(std::stoi(port));
    int wake[2];
    if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0)
        fail(LowerFirst(SystemErrorText(errno)));
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    thread_ = std::thread([this] { Run(); });
}

ShareServer::~ShareServer() {
    stopping_ = true;
    // Written whatever woken_ says: the server may be about to clear it.
    const char byte = 0;
    [[maybe_unused]] const auto written = write(wakeWrite_, &byte, 1);
    thread_.join();
    for (const auto& client : clients_)
        close(client->fd);
    close(listenFd_);
    close(wakeRead_);
    close(wakeWrite_);
}

std::string ShareServer::Address() const {
    return Joined(options_.address.host, boundPort_);
}

ShareServer::Counts ShareServer::CurrentCounts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

void ShareServer::Feed(const char* data, std::size_t size) {
    {
        std::lock_guard lock(mutex_);
        counts_.bytesIn += size;
        for (const auto& client : clients_) {
            if (client->tooFarBehind)
                continue;
            if (client->queue.size() - client->sent + size > options_.behindLimit) {
                client->tooFarBehind = true;
                std::string().swap(client->queue);
                client->sent = 0;
            } else {
                client->queue.append(data, size);
            }
        }
    }
    Wake();
}

void ShareServer::Wake() {
    if (!woken_.exchange(true)) {
        const char byte = 0;
        [[maybe_unused]] const auto written = write(wakeWrite_, &byte, 1);
    }
}

void ShareServer::Run() {
    std::vector<pollfd> watched;
    while (!stopping_) {
        woken_ = false;
        watched.assign({{wakeRead_, POLLIN, 0}, {listenFd_, POLLIN, 0}});
        {
            std::lock_guard lock(mutex_);
            for (const auto& client : clients_) {
                const bool waiting = client->sent < client->queue.size();
                watched.push_back({client->fd,
                                   static_cast<short>((client->sendingEnded ? 0 : POLLIN) |
                                                      (waiting ? POLLOUT : 0)),
                                   0});
            }
        }
        if (poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[0].revents != 0) {
            char drained[64];
            while (read(wakeRead_, drained, sizeof drained) > 0) {
            }
        }
        // Clients are added only below, so watched[2 + i] is clients_[i].
        for (std::size_t i = clients_.size(); i-- > 0;) {
            Client& client = *clients_[i];
            const short events = watched[2 + i].revents;
            bool behind = false;
            {
                std::lock_guard lock(mutex_);
                behind = client.tooFarBehind;
            }
            if (behind)
                Remove(i, "dropped: " + Megabytes(options_.behindLimit) + " behind");
            else if ((events & (POLLHUP | POLLERR)) || ((events & POLLIN) && !ReadFrom(client)))
                Remove(i, "disconnected");
            else if ((events & POLLOUT) && !SendTo(client))
                Remove(i, "disconnected");
        }
        if (watched[1].revents & POLLIN)
            Accept();
    }
}

void ShareServer::Accept() {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    auto client = std::make_unique<Client>();
    client->fd = fd;
    client->name = PeerName(peer, length);
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        count = clients_.size();
        if (count < options_.maxClients) {
            clients_.push_back(std::move(client));
            counts_.clients = clients_.size();
        }
    }
    if (client) {
        close(fd);
        log_("Share: " + client->name + " refused: " + std::to_string(count) +
             " clients connected already");
        return;
    }
    log_("Share: " + clients_.back()->name + " connected");
}

bool ShareServer::ReadFrom(Client& client) {
    char buffer[4096];
    const ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
    if (got < 0)
        return errno == EAGAIN || errno == EINTR;
    if (got == 0) {
        client.sendingEnded = true;
        return true;
    }
    if (clientsMaySend_) {
        fromClients_(std::string(buffer, static_cast<std::size_t>(got)));
    } else if (!client.toldReadOnly) {
        client.toldReadOnly = true;
        log_("Share: " + client.name +
             " sent bytes that were dropped: clients may not send to the receiver");
    }
    return true;
}

bool ShareServer::SendTo(Client& client) {
    std::lock_guard lock(mutex_);
    const std::size_t piece = std::min(kSendPiece, client.queue.size() - client.sent);
    const ssize_t sent = send(client.fd, client.queue.data() + client.sent, piece, MSG_NOSIGNAL);
    if (sent < 0)
        return errno == EAGAIN || errno == EINTR;
    client.sent += static_cast<std::size_t>(sent);
    if (client.sent == client.queue.size()) {
        client.queue.clear();
        client.sent = 0;
    } else if (client.sent >= kCompactAt) {
        client.queue.erase(0, client.sent);
        client.sent = 0;
    }
    return true;
}

void ShareServer::Remove(std::size_t index, const std::string& why) {
    std::string name;
    {
        std::lock_guard lock(mutex_);
        name = clients_[index]->name;
        close(clients_[index]->fd);
        if (clients_[index]->tooFarBehind)
            ++counts_.drops;
        clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(index));
        counts_.clients = clients_.size();
    }
    log_("Share: " + name + " " + why);
}
