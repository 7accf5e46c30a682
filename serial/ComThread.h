#pragma once
// TComThread: the reader of one open connection. Its constructor opens and
// configures the device and reports the connection; once started it polls
// every Delay ms for modem-line changes and received bytes and hands them to
// the component's events; on leaving its loop it reports the disconnection,
// purges the queues and releases the device.

#include "serial/SerialTypes.h"
#include "serial/WorkerThread.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class PosixDevice;
class TSerialPort;

class TComThread : public WorkerThread {
public:
    // Runs on the thread that opens the port. On failure the component stays
    // unconnected and OpenError() tells why.
    explicit TComThread(TSerialPort& owner);
    ~TComThread() override;

    // The open device; null when the open failed.
    std::shared_ptr<PosixDevice> GetPortHandle() const { return ComDevice; }
    const std::string& OpenError() const { return openError_; }

    // Asks the loop to end; it wakes from its sleep at once.
    void RequestStop();

protected:
    void Run() override;

private:
    bool StopRequested();
    void Dispatch(const std::function<void()>& call);
    void PollLineStatus();
    bool PollReceive(); // true when the receive queue was full
    void SleepDelay();
    void Release();

    TSerialPort& Owner;
    std::shared_ptr<PosixDevice> ComDevice;
    std::string openError_;
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopRequested_ = false;
};
