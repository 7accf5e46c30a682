#pragma once
// Waiting on a descriptor that can be called off: by any of a few cancel
// descriptors becoming readable, or by a deadline passing.

#include <chrono>
#include <optional>
#include <vector>

enum class WaitOutcome { Ready, Cancelled, TimedOut };

using WaitDeadline = std::optional<std::chrono::steady_clock::time_point>;

// Waits until fd reports one of events (or an error), a cancel descriptor
// becomes readable (Cancelled wins over Ready) or the deadline, if any, passes.
WaitOutcome WaitForDescriptor(int fd, short events, const std::vector<int>& cancelFds,
                              WaitDeadline deadline);
