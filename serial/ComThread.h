#pragma once
// TComThread: the reader of one open connection. A receive pump takes the
// bytes off the device as they arrive; this thread wakes every Delay ms,
// reports modem-line changes and hands everything received since the last
// chunk to the component's handlers as one chunk, then any overflow of the
// receive buffer. A flood (more than the largest chunk waits) goes out in
// largest chunks one after the other, without waiting for the Delay. When asked to stop, or when
// the device is gone, it reports the end (the device's loss first, then the disconnection), purges
// the queues and releases the device. It reports a network link standing once, when the pump
// has made it. It works on the connection's context only.

#include "serial/ReceivePump.h"
#include "serial/WorkerThread.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

struct ReaderContext;

class TComThread : public WorkerThread {
public:
    explicit TComThread(std::shared_ptr<ReaderContext> context);
    ~TComThread() override;

    const ReaderContext& Context() const { return *context_; }

    // Starts the pump and this thread's loop.
    void StartReading(TThreadPriority priority);
    // Asks the loop to end; it wakes from its sleep at once.
    void RequestStop();
    void SetPriority(TThreadPriority priority);

protected:
    void Run() override;

private:
    bool StopRequested();
    bool DeviceGone();
    // Sets one of the flags below and wakes the loop.
    void Raise(bool& flag);
    void NotifyDeviceGone();
    void NotifyChunkReady();
    void NotifyLinkUp();
    void TellLinkUp();
    void Dispatch(const std::function<void()>& call);
    void PollLineStatus();
    // True when more bytes wait after the chunk delivered.
    bool DeliverReceived();
    void SleepDelay();
    void Release();

    const std::shared_ptr<ReaderContext> context_;
    ReceivePump pump_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;
    bool deviceGone_ = false;
    bool chunkReady_ = false;
    bool linkUp_ = false; // the pump made the link
    bool linkUpTold_ = false;
};
