#include "serial/ThreadPriority.h"

#include <sched.h>

void ApplyThreadPriority(pthread_t thread, TThreadPriority priority) {
    const int policy = priority == tpIdle                            ? SCHED_IDLE
                       : priority == tpLowest || priority == tpLower ? SCHED_BATCH
                                                                     : SCHED_OTHER;
    const sched_param parameters{};
    pthread_setschedparam(thread, policy, &parameters);
}
