#include "serial/CancellableWait.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>

WaitOutcome WaitForDescriptor(int fd, short events, const std::vector<int>& cancelFds,
                              WaitDeadline deadline) {
    std::vector<pollfd> fds{{fd, events, 0}};
    for (const int cancel : cancelFds)
        fds.push_back({cancel, POLLIN, 0});
    for (;;) {
        int waitMs = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            waitMs = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000));
        }
        const int ready = poll(fds.data(), fds.size(), waitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (std::any_of(fds.begin() + 1, fds.end(), [](const pollfd& p) { return p.revents; }))
            return WaitOutcome::Cancelled;
        if (ready != 0)
            return WaitOutcome::Ready;
        if (deadline && std::chrono::steady_clock::now() >= *deadline)
            return WaitOutcome::TimedOut;
    }
}
