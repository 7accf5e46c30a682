#include "serial/WorkerThread.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// The seven levels as Linux knows them: the idle class below everything,
// then nice values; raising above normal needs privileges and is otherwise
// left as it is.
void ApplyPriority(int threadId, TThreadPriority priority) {
    static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
    sched_param none{};
    sched_setscheduler(threadId, priority == tpIdle ? SCHED_IDLE : SCHED_OTHER, &none);
    setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), kNice[priority]);
}
} // namespace

WorkerThread::~WorkerThread() {
    Join();
}

void WorkerThread::Start(TThreadPriority priority) {
    thread_ = std::thread([this, priority] {
        threadId_ = static_cast<int>(gettid());
        if (priority != tpNormal)
            ApplyPriority(threadId_, priority);
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
    if (threadId_ != 0 && !IsFinished())
        ApplyPriority(threadId_, priority);
}
