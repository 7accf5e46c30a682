// The connection lifecycle: construction, Open, Close, the end of a
// connection and destruction.

#include "serial/SerialPort.h"

#include "serial/ComThread.h"
#include "serial/GuiThreadCall.h"
#include "serial/PosixDevice.h"
#include "serial/ReaderContext.h"
#include "serial/SenderThread.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <chrono>
#include <utility>

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

// The read marks of the chunk whose OnReceive runs on this thread, and its
// port. Restored afterwards: a handler that serves events may see another
// chunk delivered inside it.
struct DeliveredChunk {
    const TSerialPort* port = nullptr;
    const std::vector<ReadMark>* marks = nullptr;
};
thread_local DeliveredChunk delivering;

// The port whose OnDeviceLost runs on this thread, and why its device went.
struct LossBeingTold {
    const TSerialPort* port = nullptr;
    std::string reason;
};
thread_local LossBeingTold lossBeingTold;

class TellingLoss {
public:
    TellingLoss(const TSerialPort* port, std::string reason)
        : outer_(std::exchange(lossBeingTold, {port, std::move(reason)})) {}
    ~TellingLoss() { lossBeingTold = std::move(outer_); }
    TellingLoss(const TellingLoss&) = delete;
    TellingLoss& operator=(const TellingLoss&) = delete;

private:
    LossBeingTold outer_;
};

class Delivering {
public:
    Delivering(const TSerialPort* port, const std::vector<ReadMark>& marks)
        : outer_(std::exchange(delivering, {port, &marks})) {}
    ~Delivering() { delivering = outer_; }
    Delivering(const Delivering&) = delete;
    Delivering& operator=(const Delivering&) = delete;

private:
    DeliveredChunk outer_;
};
} // namespace

TSerialPort::TSerialPort()
    : readerSettings_(std::make_shared<ReaderSettings>()),
      receiveTap_(std::make_shared<ReceiveTap>()), ownerThread_(std::make_unique<QObject>()) {}

TSerialPort::~TSerialPort() {
    if (ComThread) {
        ComThread->RequestStop();
        retiredReaders_.push_back(std::move(ComThread));
    }
    ReapThreads(true);
}

void TSerialPort::Open() {
    ReapThreads(false);
    // A connection whose device went away may have ended before the owner's
    // thread heard of it: it is over all the same.
    if (ComThread && ComThread->IsFinished())
        EndConnection();
    if (StringToCommPort(FPort) == ConnectedTo)
        return;
    // Close serves GUI events while it waits, which may open a connection of
    // their own: keep it when it is the one wanted, else close it as well.
    while (ComThread) {
        Close();
        if (ComThread && StringToCommPort(FPort) == ConnectedTo)
            return;
    }
    std::string error;
    std::shared_ptr<PosixDevice> device = PosixDevice::Open(DevicePathOfPort(FPort), error);
    if (!device)
        throw ESerialPortException("Cannot connect to " + FPort + " . " + error);
    // A refused setting leaves the port open with what the device kept.
    device->ApplyLineSettings(CurrentLineSettings());
    ApplyTimeouts(device.get());
    ApplyBufferSizes(device.get());
    ConnectedTo = StringToCommPort(FPort);
    try {
        if (OnConnect)
            OnConnect(this, ConnectedTo);
    } catch (...) {
        // A failing connect handler leaves no port open behind the error.
        ConnectedTo = spNone;
        throw;
    }
    StartConnection(std::move(device));
}

void TSerialPort::StartConnection(std::shared_ptr<PosixDevice> device) {
    const std::uint64_t number = ++connectionsOpened_;
    auto context =
        std::make_shared<ReaderContext>(number, device, readerSettings_, receiveTap_,
                                        FReceiveBufferLimit, FPacedByReader, FLineStatus);
    context->events = BindEvents(number, ConnectedTo, *context->device);
    {
        std::lock_guard lock(deviceMutex_);
        device_ = std::move(device);
        connection_ = context;
    }
    ComThread = std::make_unique<TComThread>(std::move(context));
    ComThread->StartReading(FPriority);
}

ConnectionEvents TSerialPort::BindEvents(std::uint64_t connection, TCommPort port,
                                         const PosixDevice& device) {
    ConnectionEvents events;
    events.receive = [this, opened = OnReceive](const std::string& chunk,
                                                const std::vector<ReadMark>& marks) {
        if (const auto& handler = Current(OnReceive, opened)) {
            const Delivering chunkMarks(this, marks);
            handler(this, chunk);
        }
    };
    events.lineStatusChange = [this, opened = OnLineStatusChange](TLineStatusSet lines) {
        if (const auto& handler = Current(OnLineStatusChange, opened))
            handler(this, lines);
    };
    events.linkUp = [this, opened = OnLinkUp, port] {
        if (const auto& handler = Current(OnLinkUp, opened))
            handler(this, port);
    };
    events.overflow = [this, opened = OnOverflow](std::uint64_t dropped) {
        if (const auto& handler = Current(OnOverflow, opened))
            handler(this, dropped);
    };
    // The end of a connection is told once: by its reader, or by a Close
    // that gave up waiting for it; then nothing of the reader's end follows.
    const auto endTold = std::make_shared<std::atomic<bool>>(false);
    // The device belongs to the connection, which outlives its events.
    events.deviceLost = [this, opened = OnDeviceLost, port, endTold, &device] {
        if (endTold->load())
            return;
        const auto& handler = Current(OnDeviceLost, opened);
        if (!handler)
            return;
        const TellingLoss told(this, device.Failure());
        handler(this, port);
    };
    events.disconnect = [this, opened = OnDisconnect, port, endTold] {
        if (endTold->exchange(true))
            return;
        if (const auto& handler = Current(OnDisconnect, opened))
            handler(this, port);
    };
    events.ended = [this, connection, owner = ownerThread_.get()] {
        PostToThreadOf(owner, [this, connection] { ConnectionEnded(connection); });
    };
    return events;
}

void TSerialPort::ConnectionEnded(std::uint64_t connection) {
    if (ComThread && ComThread->Context().number == connection)
        EndConnection();
    ReapThreads(false);
}

void TSerialPort::EndConnection() {
    std::shared_ptr<ReaderContext> ended;
    {
        std::lock_guard lock(deviceMutex_);
        device_.reset();
        ended = std::move(connection_);
    }
    ended->retired = true;
    FLineStatus = ended->lineStatus;
    ConnectedTo = spNone;
    retiredReaders_.push_back(std::move(ComThread));
}

void TSerialPort::Close() {
    if (!ComThread) {
        ConnectedTo = spNone;
        return;
    }
    ComThread->RequestStop();
    // The GUI events served while waiting may end this connection, or end it
    // and open another; either way nothing is left to do here, and a newer
    // connection must stay as it is.
    const std::uint64_t connection = connectionsOpened_;
    const auto stillThisConnection = [&] { return ComThread && connectionsOpened_ == connection; };
    // The reader's disconnect event may need this thread, so keep serving it.
    // A handler that closes from inside a synchronised event cannot see the
    // reader end: give up after the bound and let the reader finish later.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Delay()) +
                          std::chrono::milliseconds(4990);
    while (stillThisConnection() && !ComThread->IsFinished() &&
           std::chrono::steady_clock::now() < deadline) {
        ProcessGuiEvents();
        if (stillThisConnection())
            ComThread->WaitFinished(std::chrono::milliseconds(10));
    }
    if (!stillThisConnection())
        return;
    // Given up: release the device now, so that the port can be opened again
    // at once; the waiting reader finds it closed when it resumes.
    if (!ComThread->IsFinished()) {
        std::lock_guard lock(deviceMutex_);
        device_->PurgeAll();
        device_->Close();
    }
    const std::shared_ptr<ReaderContext> ended = connection_;
    EndConnection();
    // The disconnect comes before anything that follows Close (the connect of
    // an Open), also when the reader could not tell it in time.
    try {
        ended->events.disconnect();
    } catch (...) {
        // As on the reader's side: the connection is over whatever the handler does.
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

bool TSerialPort::IsReceiving() const {
    std::lock_guard lock(deviceMutex_);
    return connection_ && connection_->receiving;
}

std::uint64_t TSerialPort::DroppedBytes() const {
    std::lock_guard lock(deviceMutex_);
    return connection_ ? connection_->received.Dropped() : 0;
}

const std::vector<ReadMark>& TSerialPort::ChunkReadMarks() const {
    static const std::vector<ReadMark> none;
    return delivering.port == this ? *delivering.marks : none;
}

std::string TSerialPort::DeviceLossReason() const {
    return lossBeingTold.port == this ? lossBeingTold.reason : std::string();
}

void TSerialPort::SetReceiveTap(std::function<void(const char* data, std::size_t size)> tap) {
    receiveTap_->Set(std::move(tap));
}
