#include "widgets/FlashBase.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>

// The worker: sleeps tInterval, then runs the owner's DoTimer on the owner's
// thread and waits for it. Suspending makes the loop (and the thread) end at
// its next check; resuming starts a fresh run.
class TTimerThread : public QThread {
public:
    explicit TTimerThread(TFlashBase* owner) : tOwner(owner) {}

    void Resume(std::uint32_t interval, QThread::Priority priority) {
        {
            std::lock_guard lock(FMutex);
            tInterval = interval;
            FSuspended = false;
            if (FLooping) {
                setPriority(priority);
                return;
            }
        }
        wait(); // a previous run has left its loop and is only returning
        {
            std::lock_guard lock(FMutex);
            FLooping = true;
        }
        start(priority);
    }

    void Suspend() {
        {
            std::lock_guard lock(FMutex);
            FSuspended = true;
        }
        FWake.notify_all();
    }

    // Ends the thread for good. A tick handed to the owner's thread and not yet
    // run is dropped so that the worker cannot wait for it forever.
    void Terminate() {
        {
            std::lock_guard lock(FMutex);
            FTerminated = true;
        }
        FWake.notify_all();
        while (!wait(QDeadlineTimer(5)))
            QCoreApplication::removePostedEvents(tOwner, QEvent::MetaCall);
    }

    bool Looping() {
        std::lock_guard lock(FMutex);
        return FLooping;
    }

protected:
    void run() override {
        std::unique_lock lock(FMutex);
        for (;;) {
            const auto told = [this] { return FTerminated || FSuspended; };
            if (told())
                break;
            // A sleep cut short means "stop" or "suspend": no tick then.
            if (FWake.wait_for(lock, std::chrono::milliseconds(tInterval), told))
                continue;
            lock.unlock();
            TFlashBase* owner = tOwner;
            QMetaObject::invokeMethod(
                owner, [owner] { owner->DoTimer(); }, Qt::BlockingQueuedConnection);
            lock.lock();
        }
        FLooping = false;
    }

private:
    TFlashBase* const tOwner;
    std::uint32_t tInterval = 16;
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FSuspended = true;
    bool FTerminated = false;
    bool FLooping = false;
};

namespace {

QThread::Priority ToQThreadPriority(TThreadPriority priority) {
    switch (priority) {
    case tpIdle:
        return QThread::IdlePriority;
    case tpLowest:
        return QThread::LowestPriority;
    case tpLower:
        return QThread::LowPriority;
    case tpNormal:
        return QThread::NormalPriority;
    case tpHigher:
        return QThread::HighPriority;
    case tpHighest:
        return QThread::HighestPriority;
    case tpTimeCritical:
        return QThread::TimeCriticalPriority;
    }
    return QThread::NormalPriority;
}

} // namespace

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

void TFlashBase::UpdateTimer() {
    if (FDestroying)
        return;
    if (FInterval != 0 && FEnabled && FOnTimer && TicksWanted())
        FTimerThread->Resume(FInterval, ToQThreadPriority(FThreadPriority));
    else
        FTimerThread->Suspend();
}
