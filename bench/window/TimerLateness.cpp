#include "bench/window/TimerLateness.h"

#include <algorithm>

TimerLateness::TimerLateness() {
    tick_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick_, &QTimer::timeout, [this] {
        const qint64 now = clock_.elapsed();
        worstMs_ = std::max(worstMs_, now - lastTick_ - kTickMs);
        lastTick_ = now;
    });
    clock_.start();
    tick_.start(kTickMs);
}
