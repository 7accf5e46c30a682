#pragma once
// A thread of the serial port (the reader, a sender) that can be started with
// a priority, asked whether it has ended, waited for with a timeout and
// joined. Built on std::thread so that every hand-over between threads goes
// through primitives the thread sanitizer sees.

#include "serial/SerialTypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    virtual ~WorkerThread();

    void Start(TThreadPriority priority);
    bool IsFinished();
    // True when the thread has ended within timeout.
    bool WaitFinished(std::chrono::milliseconds timeout);
    // Waits for the end of a started thread; returns at once otherwise.
    void Join();
    // Applies at once to a running thread.
    void SetPriority(TThreadPriority priority);

protected:
    virtual void Run() = 0;

private:
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;
};
