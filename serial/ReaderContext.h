#pragma once
// What one open connection shares between the component, on its owner's
// thread, and the connection's reader threads. The readers work on this
// alone and never touch the component: the component hands them the live
// settings, its handlers bound to itself and the receive tap, and learns
// from them through the handlers and the receive state kept here.

#include "serial/ReceiveBuffer.h"
#include "serial/SerialTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class PosixDevice;

// The settings the reader reads anew on every cycle; the owner writes them
// at any time.
class ReaderSettings {
public:
    std::atomic<std::uint32_t> delay = 100;
    std::atomic<bool> synchronised = true;
    std::atomic<bool> logInput = false;
    std::atomic<bool> logDateTime = false;

    std::string LogFile() const;
    void SetLogFile(const std::string& path);

private:
    mutable std::mutex mutex_;
    std::string logFile_;
};

// Where the reader hands every byte it reads, in order, before anything else
// sees it (the session recorder). Set and removed at any time.
class ReceiveTap {
public:
    using Function = std::function<void(const char* data, std::size_t size)>;

    void Set(Function tap);
    // Calls the tap, if any; what it throws is dropped, as the reader cannot
    // stop for it.
    void Call(const char* data, std::size_t size);

private:
    std::mutex mutex_;
    Function tap_;
};

// The component's events as the reader raises them, bound to the component
// (the end of the connection to the port that was connected).
struct ConnectionEvents {
    std::function<void(const std::string& chunk, const std::vector<ReadMark>& marks)> receive;
    std::function<void(TLineStatusSet lines)> lineStatusChange;
    std::function<void(std::uint64_t droppedBytes)> overflow;
    std::function<void()> deviceLost;
    // A network source's link stands.
    std::function<void()> linkUp;
    std::function<void()> disconnect;
    // The last call of a reader, after the device was released: tells the
    // owner the connection has ended. Runs on the reader's thread.
    std::function<void()> ended;
};

struct ReaderContext {
    ReaderContext(std::uint64_t connectionNumber, std::shared_ptr<PosixDevice> openDevice,
                  std::shared_ptr<ReaderSettings> liveSettings, std::shared_ptr<ReceiveTap> tap,
                  std::size_t bufferLimit, bool pacedByReader, TLineStatusSet lastLineStatus)
        : number(connectionNumber), device(std::move(openDevice)),
          settings(std::move(liveSettings)), receiveTap(std::move(tap)),
          received(bufferLimit, pacedByReader), lineStatus(lastLineStatus) {}

    const std::uint64_t number;
    const std::shared_ptr<PosixDevice> device;
    const std::shared_ptr<ReaderSettings> settings;
    const std::shared_ptr<ReceiveTap> receiveTap;
    ConnectionEvents events; // set before the reader starts
    ReceiveBuffer received;
    // The modem lines as last reported.
    std::atomic<TLineStatusSet> lineStatus;
    // True while a chunk is being delivered.
    std::atomic<bool> receiving = false;
    // Set by the owner once this connection is no longer its current one:
    // chunks and line changes still on their way are then dropped.
    std::atomic<bool> retired = false;
};
