#include "bench/window/TimerLateness.h"

#include <algorithm>
#include <ctime>

namespace {
qint64 ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
} // namespace

TimerLateness::TimerLateness() {
    tick_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick_, &QTimer::timeout, [this] {
        const qint64 now = clock_.elapsed();
        const qint64 cpu = ThreadCpuMs();
        const qint64 late = now - lastTick_ - kTickMs;
        worstMs_ = std::max(worstMs_, late);
        worstOwnMs_ = std::max(worstOwnMs_, std::min(late, cpu - lastCpuMs_));
        lastTick_ = now;
        lastCpuMs_ = cpu;
    });
    clock_.start();
    lastCpuMs_ = ThreadCpuMs();
    tick_.start(kTickMs);
}
