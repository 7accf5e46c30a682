#pragma once
// The share server: a TCP server that hands every byte received from the
// open source, in order, to each connected client, so other programs (gpsd,
// a logger) read the receiver beside the monitor. It is fed on the reader's
// thread and never waits there: each client has its own queue, sent from the
// server's own thread, and a client that falls a bound behind is dropped
// rather than holding the others back. What clients send is handed on only
// while they may send to the receiver; otherwise it is read and dropped.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class EShareAddress : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ShareAddress {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;
};

// Reads "[ADDR:]PORT" ("5000", "0.0.0.0:5000", "[::1]:5000"); throws
// EShareAddress with a message for the user when it is not one.
ShareAddress ParseShareAddress(const std::string& text);

class ShareServer {
public:
    struct Options {
        ShareAddress address;
        std::size_t maxClients = 16;
        std::size_t behindLimit = std::size_t{4} << 20;
    };
    struct Counts {
        std::uint64_t bytesIn = 0;
        std::size_t clients = 0;
        std::uint64_t drops = 0;
    };
    // Both are called on the server's thread.
    using LogLine = std::function<void(const std::string& line)>;
    using ClientBytes = std::function<void(const std::string& bytes)>;

    // Listens at once; throws EShareAddress "Share: cannot listen on
    // ADDR:PORT: reason" when it cannot.
    ShareServer(const Options& options, LogLine log, ClientBytes fromClients);
    // Closes every client and the listening socket.
    ~ShareServer();
    ShareServer(const ShareServer&) = delete;
    ShareServer& operator=(const ShareServer&) = delete;

    // Queues bytes for every client; any thread, never blocks on a client.
    void Feed(const char* data, std::size_t size);
    void SetClientsMaySend(bool allowed) { clientsMaySend_ = allowed; }
    // The port listened on (the one the system chose for port 0).
    std::uint16_t Port() const { return boundPort_; }
    // ADDR:PORT as listened on.
    std::string Address() const;
    Counts CurrentCounts() const;

private:
    struct Client;

    void Run();
    void Wake();
    void Accept();
    // Reads what a client sent; false once it has gone.
    bool ReadFrom(Client& client);
    // Sends what is queued; false when the connection failed.
    bool SendTo(Client& client);
    void Remove(std::size_t index, const std::string& why);

    const Options options_;
    const LogLine log_;
    const ClientBytes fromClients_;
    std::atomic<bool> clientsMaySend_ = false;
    std::atomic<bool> stopping_ = false;
    std::atomic<bool> woken_ = false;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t boundPort_ = 0;
    mutable std::mutex mutex_; // guards clients_' queues and counts_
    std::vector<std::unique_ptr<Client>> clients_;
    Counts counts_;
    std::thread thread_;
};
