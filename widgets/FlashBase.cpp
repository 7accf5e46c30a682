#include "widgets/FlashBase.h"

#include <QSocketNotifier>
#include <QtGlobal>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace {

struct EventFd {
    const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ~EventFd() {
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

// The worker: sleeps tInterval, then signals a tick through an event counter
// that the owner's thread watches, and waits until that thread has run it.
// Nothing but the counter and the flags under FMutex passes between the two
// threads. Suspending makes the loop (and the thread) end at its next check;
// resuming starts a fresh thread.
class TTimerThread {
public:
    explicit TTimerThread(TFlashBase* owner)
        : tOwner(owner), FTickNotifier(FTickSignal.fd, QSocketNotifier::Read) {
        if (FTickSignal.fd < 0)
            qWarning("Flash timer: no event counter (%s); it will not tick", strerror(errno));
        FTickNotifier.setEnabled(FTickSignal.fd >= 0);
        QObject::connect(&FTickNotifier, &QSocketNotifier::activated, owner, [this] { RunTick(); });
    }
    ~TTimerThread() { Terminate(); }

    void Resume(std::uint32_t interval, TThreadPriority priority) {
        if (FTickSignal.fd < 0)
            return;
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
        ApplyThreadPriority(FThread.native_handle(), priority);
    }

    void Suspend() {
        {
            std::lock_guard lock(FMutex);
            FSuspended = true;
        }
        FWake.notify_all();
    }

    // Ends the thread for good; a tick signalled and not yet run is abandoned.
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

private:
    void Run() {
        std::unique_lock lock(FMutex);
        const auto told = [this] { return FTerminated || FSuspended; };
        while (!told()) {
            // A sleep cut short means "stop" or "suspend": no tick then.
            if (FWake.wait_for(lock, std::chrono::milliseconds(tInterval), told))
                break;
            FTickPending = true;
            const std::uint64_t one = 1;
            if (write(FTickSignal.fd, &one, sizeof one) != sizeof one)
                FTickPending = false;
            FWake.wait(lock, [this] { return !FTickPending || FTerminated; });
        }
        FLooping = false;
    }

    // On the owner's thread: run the signalled tick, then release the worker.
    void RunTick() {
        std::uint64_t count = 0;
        if (read(FTickSignal.fd, &count, sizeof count) != sizeof count)
            return;
        struct ReleaseWorker {
            TTimerThread& worker;
            ~ReleaseWorker() {
                {
                    std::lock_guard lock(worker.FMutex);
                    worker.FTickPending = false;
                }
                worker.FWake.notify_all();
            }
        } release{*this};
        tOwner->DoTimer();
    }

    TFlashBase* const tOwner;
    EventFd FTickSignal;
    QSocketNotifier FTickNotifier;
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

void TFlashBase::UpdateTimer() {
    if (FDestroying)
        return;
    if (FInterval != 0 && FEnabled && FOnTimer && TicksWanted())
        FTimerThread->Resume(FInterval, FThreadPriority);
    else
        FTimerThread->Suspend();
}
