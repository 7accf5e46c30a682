#include "widgets/FlashBase.h"

#include <QCoreApplication>
#include <QEvent>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace {

// The event that carries a tick from the worker to the owner's thread.
const QEvent::Type kTickEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Linux gives an unprivileged program no higher priorities than normal; the
// lower ones map onto the batch and idle scheduling classes.
void ApplyPriority(std::thread& thread, TThreadPriority priority) {
    const int policy = priority == tpIdle                            ? SCHED_IDLE
                       : priority == tpLowest || priority == tpLower ? SCHED_BATCH
                                                                     : SCHED_OTHER;
    const sched_param parameters{};
    pthread_setschedparam(thread.native_handle(), policy, &parameters);
}

} // namespace

// The worker: sleeps tInterval, then posts a tick to the owner and waits
// until the owner's thread has run it. Suspending makes the loop (and the
// thread) end at its next check; resuming starts a fresh thread.
class TTimerThread {
public:
    explicit TTimerThread(TFlashBase* owner) : tOwner(owner) {}
    ~TTimerThread() { Terminate(); }

    void Resume(std::uint32_t interval, TThreadPriority priority) {
        {
            std::lock_guard lock(FMutex);
            tInterval = interval;
            FSuspended = false;
            if (!FLooping) {
                if (FThread.joinable())
                    FThread.join(); // a previous run has left its loop and is only returning
                FLooping = true;
                FThread = std::thread(&TTimerThread::Run, this);
            }
        }
        ApplyPriority(FThread, priority);
    }

    void Suspend() {
        {
            std::lock_guard lock(FMutex);
            FSuspended = true;
        }
        FWake.notify_all();
    }

    // Ends the thread for good; a tick posted and not yet run is abandoned.
    void Terminate() {
        {
            std::lock_guard lock(FMutex);
            FTerminated = true;
        }
        FWake.notify_all();
        if (FThread.joinable())
            FThread.join();
    }

    bool Looping() {
        std::lock_guard lock(FMutex);
        return FLooping;
    }

    // Called on the owner's thread once the posted tick has run.
    void TickDone() {
        {
            std::lock_guard lock(FMutex);
            FTickPending = false;
        }
        FWake.notify_all();
    }

private:
    void Run() {
        std::unique_lock lock(FMutex);
        const auto told = [this] { return FTerminated || FSuspended; };
        while (!told()) {
            // A sleep cut short means "stop" or "suspend": no tick then.
            if (FWake.wait_for(lock, std::chrono::milliseconds(tInterval), told))
                break;
            FTickPending = true;
            QCoreApplication::postEvent(tOwner, new QEvent(kTickEvent));
            FWake.wait(lock, [this] { return !FTickPending || FTerminated; });
        }
        FLooping = false;
    }

    TFlashBase* const tOwner;
    std::thread FThread;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::uint32_t tInterval = 16;
    bool FSuspended = true;
    bool FTerminated = false;
    bool FLooping = false;
    bool FTickPending = false;
};

TFlashBase::TFlashBase(QObject* owner)
    : QObject(owner), FTimerThread(std::make_unique<TTimerThread>(this)) {}

TFlashBase::~TFlashBase() {
    FEnabled = false;
    FOnTimer = nullptr;
    FDestroying = true;
    FTimerThread->Terminate();
}

void TFlashBase::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TFlashBase::SetThreadPriority(TThreadPriority value) {
    if (value == FThreadPriority)
        return;
    FThreadPriority = value;
    UpdateTimer();
}

void TFlashBase::SetOnTimer(TNotifyEvent value) {
    const bool wasSet = static_cast<bool>(FOnTimer);
    FOnTimer = std::move(value);
    if (wasSet != static_cast<bool>(FOnTimer))
        UpdateTimer();
}

bool TFlashBase::IsTicking() const {
    return FTimerThread->Looping();
}

void TFlashBase::DoTimer() {
    if (FEnabled && !FDestroying && FOnTimer)
        FOnTimer(this);
}

bool TFlashBase::event(QEvent* event) {
    if (event->type() != kTickEvent)
        return QObject::event(event);
    struct ReleaseWorker {
        TTimerThread& worker;
        ~ReleaseWorker() { worker.TickDone(); }
    } release{*FTimerThread};
    DoTimer();
    return true;
}

void TFlashBase::UpdateTimer() {
    if (FDestroying)
        return;
    if (FInterval != 0 && FEnabled && FOnTimer && TicksWanted())
        FTimerThread->Resume(FInterval, FThreadPriority);
    else
        FTimerThread->Suspend();
}
