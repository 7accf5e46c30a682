#pragma once
// How long the window's thread was kept from its events: a 20 ms timer on
// it, and the most it fired late, from construction on. On a shared machine
// a late tick may be the machine's doing (other processes held the cores) or
// the window's own work; the part of each late tick that the thread spent
// running its own code (its processor time between the ticks) is the
// window's share, kept as the worst own lateness.

#include <QElapsedTimer>
#include <QTimer>

class TimerLateness {
public:
    static constexpr int kTickMs = 20;
    TimerLateness();
    qint64 WorstMs() const { return worstMs_; }
    qint64 WorstOwnMs() const { return worstOwnMs_; }

private:
    QElapsedTimer clock_;
    QTimer tick_;
    qint64 lastTick_ = 0;
    qint64 lastCpuMs_ = 0;
    qint64 worstMs_ = 0;
    qint64 worstOwnMs_ = 0;
};
