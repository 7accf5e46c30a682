// The connection lifecycle: construction, Open, Close and destruction.

#include "serial/SerialPort.h"

#include "serial/ComThread.h"
#include "serial/PosixDevice.h"
#include "serial/SenderThread.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>

namespace {
// Lets synchronised event calls of worker threads run while the main thread
// waits for them.
void ProcessGuiEvents() {
    if (QCoreApplication::instance() != nullptr &&
        QThread::currentThread() == QCoreApplication::instance()->thread())
        QCoreApplication::processEvents();
}

// Waits for a thread to end while keeping GUI events flowing.
void FinishThread(WorkerThread& thread) {
    while (!thread.WaitFinished(std::chrono::milliseconds(10)))
        ProcessGuiEvents();
}
} // namespace

TSerialPort::TSerialPort() = default;

TSerialPort::~TSerialPort() {
    if (ComThread) {
        ComThread->RequestStop();
        retiredReaders_.push_back(std::move(ComThread));
    }
    ReapThreads(true);
}

void TSerialPort::Open() {
    ReapThreads(false);
    if (StringToCommPort(FPort) == ConnectedTo)
        return;
    // Close serves GUI events while it waits, which may open a connection of
    // their own: keep it when it is the one wanted, else close it as well.
    while (ComThread) {
        Close();
        if (ComThread && StringToCommPort(FPort) == ConnectedTo)
            return;
    }
    auto reader = std::make_unique<TComThread>(*this);
    if (ConnectedTo == spNone)
        throw ESerialPortException("Cannot connect to " + FPort + " . " + reader->OpenError());
    {
        std::lock_guard lock(deviceMutex_);
        device_ = reader->GetPortHandle();
    }
    ComThread = std::move(reader);
    ++connectionsOpened_;
    ComThread->Start(FPriority);
}

void TSerialPort::Close() {
    if (!ComThread) {
        ConnectedTo = spNone;
        return;
    }
    ComThread->RequestStop();
    // The GUI events served while waiting may close this connection, or close
    // it and open another; either way nothing is left to do here, and a newer
    // connection must stay as it is.
    const std::uint64_t connection = connectionsOpened_;
    const auto stillThisConnection = [&] { return ComThread && connectionsOpened_ == connection; };
    // The reader's disconnect event may need this thread, so keep serving it.
    // A handler that closes from inside a synchronised event cannot see the
    // reader end: give up after the bound and let the reader finish later.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(FDelay.load()) +
                          std::chrono::milliseconds(4990);
    while (stillThisConnection() && ConnectedTo != spNone &&
           std::chrono::steady_clock::now() < deadline) {
        ProcessGuiEvents();
        if (stillThisConnection())
            ComThread->WaitFinished(std::chrono::milliseconds(10));
    }
    if (!stillThisConnection())
        return;
    retiredReaders_.push_back(std::move(ComThread));
    {
        std::lock_guard lock(deviceMutex_);
        device_.reset();
    }
    ReapThreads(false);
}

namespace {
// Drops the threads that have ended (waiting for all of them first when
// asked); the rest stay for a later round.
template <typename Thread>
void Reap(std::vector<std::unique_ptr<Thread>>& threads, bool waitForAll) {
    for (auto& thread : threads)
        if (waitForAll)
            FinishThread(*thread);
    std::erase_if(threads, [](const auto& thread) { return thread->IsFinished(); });
}
} // namespace

void TSerialPort::ReapThreads(bool waitForAll) {
    // Taken out first: waiting serves GUI events, whose handlers may open,
    // close or start senders again.
    auto readers = std::move(retiredReaders_);
    retiredReaders_.clear();
    Reap(readers, waitForAll);
    std::vector<std::unique_ptr<TSenderThread>> senders;
    {
        std::lock_guard lock(sendersMutex_);
        senders.swap(senders_);
    }
    Reap(senders, waitForAll);
    for (auto& reader : readers)
        retiredReaders_.push_back(std::move(reader));
    std::lock_guard lock(sendersMutex_);
    for (auto& sender : senders)
        senders_.push_back(std::move(sender));
}
