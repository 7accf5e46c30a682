#include "tests/support/LossyWriter.h"

#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

void CountingPattern(std::uint64_t position, char* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<char>((position + i) % 251);
}

LossyWriteResult WriteLossy(int fd, std::size_t bytesPerSecond, std::chrono::milliseconds duration,
                            const StreamPattern& pattern, const std::atomic<bool>* stop) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kTick = std::chrono::milliseconds(1);
    LossyWriteResult result;
    std::uint64_t accepted = 0;
    std::vector<char> block;
    const auto start = Clock::now();
    for (auto next = start + kTick; next <= start + duration; next += kTick) {
        if (stop != nullptr && *stop)
            break;
        std::this_thread::sleep_until(next);
        // What the line has sent by now; a late tick sends the backlog at once,
        // as a UART's shift register would have.
        const auto elapsed = std::chrono::duration<double>(next - start).count();
        const auto due = static_cast<std::uint64_t>(elapsed * static_cast<double>(bytesPerSecond));
        const std::size_t size = static_cast<std::size_t>(due - result.offered);
        if (size == 0)
            continue;
        block.resize(size);
        pattern(accepted, block.data(), size);
        ssize_t written = ::write(fd, block.data(), size);
        if (written < 0)
            written = 0;
        accepted += static_cast<std::uint64_t>(written);
        result.offered += size;
        result.refused += size - static_cast<std::size_t>(written);
    }
    return result;
}

void PatternCheck::Take(const char* data, std::size_t size) {
    expected_.resize(size);
    pattern_(count_, expected_.data(), size);
    if (expected_.compare(0, size, data, size) != 0)
        inOrder_ = false;
    count_ += size;
}

void PollAndRead(int fd, PatternCheck& check, int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, timeoutMs) <= 0)
        return;
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0)
        check.Take(buffer, static_cast<std::size_t>(n));
}
