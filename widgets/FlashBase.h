#pragma once
// A periodic tick on the GUI thread: a worker thread sleeps the interval and
// hands every tick to the thread that owns the component, waiting until the
// tick has run there. While the component wants no ticks the worker thread
// does not exist at all, so an idle component costs nothing.

#include "serial/ThreadPriority.h"
#include "widgets/NotifyEvent.h"

#include <QObject>
#include <cstdint>
#include <memory>

class TTimerThread;

class TFlashBase : public QObject {
    Q_OBJECT
public:
    explicit TFlashBase(QObject* owner = nullptr);
    // Stops the worker; a tick already handed over and not yet run is dropped.
    // Must not be called from inside this component's own OnTimer.
    ~TFlashBase() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);

    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority value);

    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent value);

    // The tick period in milliseconds (always 16).
    std::uint32_t Interval() const { return FInterval; }

    // True while the worker thread exists and ticks.
    bool IsTicking() const;

    // The per-tick step the worker hands to the GUI thread.
    void DoTimer();

protected:
    // Whether ticks are wanted beside Enabled and OnTimer; a subclass that has
    // nothing to serve says no, and the worker thread ends until it says yes.
    virtual bool TicksWanted() const { return true; }

    // Starts or stops the worker after a change of what decides its running.
    void UpdateTimer();

private:
    bool FEnabled = true;
    std::uint32_t FInterval = 16;
    TNotifyEvent FOnTimer;
    TThreadPriority FThreadPriority = tpNormal;
    bool FDestroying = false;
    std::unique_ptr<TTimerThread> FTimerThread;
};
