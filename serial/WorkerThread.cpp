#include "serial/WorkerThread.h"

WorkerThread::~WorkerThread() {
    Join();
}

void WorkerThread::Start(TThreadPriority priority) {
    thread_ = std::thread([this, priority] {
        if (priority != tpNormal)
            ApplyThreadPriority(pthread_self(), priority);
        Run();
        std::lock_guard lock(mutex_);
        finished_ = true;
        ended_.notify_all();
    });
}

bool WorkerThread::IsFinished() {
    std::lock_guard lock(mutex_);
    return finished_ || !thread_.joinable();
}

bool WorkerThread::WaitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, timeout, [this] { return finished_ || !thread_.joinable(); });
}

void WorkerThread::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void WorkerThread::SetPriority(TThreadPriority priority) {
    if (thread_.joinable() && !IsFinished())
        ApplyThreadPriority(thread_.native_handle(), priority);
}
