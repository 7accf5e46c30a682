#pragma once
// How long the window's thread was kept from its events: a 20 ms timer on
// it, and the most it fired late, from construction on.

#include <QElapsedTimer>
#include <QTimer>

class TimerLateness {
public:
    static constexpr int kTickMs = 20;
    TimerLateness();
    qint64 WorstMs() const { return worstMs_; }

private:
    QElapsedTimer clock_;
    QTimer tick_;
    qint64 lastTick_ = 0;
    qint64 worstMs_ = 0;
};
