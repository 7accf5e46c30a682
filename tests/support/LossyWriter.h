#pragma once
// The far end of a serial line as a UART drives it: bytes leave at a fixed
// rate whether or not anyone reads them, and whatever the kernel's queue
// cannot take is lost. Writes never wait; refused bytes are counted. The
// stream is a pattern known by position, so a reader can check that what it
// got is every byte, in order.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

// Fills out with the stream's bytes from position on.
using StreamPattern = std::function<void(std::uint64_t position, char* out, std::size_t count)>;

// Bytes 0, 1, … 250, 0, 1, …: any byte value, and a gap or a reordering
// shows at once.
void CountingPattern(std::uint64_t position, char* out, std::size_t count);

struct LossyWriteResult {
    std::uint64_t offered = 0; // what the line sent
    std::uint64_t refused = 0; // what the kernel did not take: lost
};

// Sends at bytesPerSecond into fd (non-blocking) for duration, or until stop
// is set. Accepted bytes continue the pattern without gaps, so the reader's
// stream is the pattern's first offered − refused bytes.
LossyWriteResult WriteLossy(int fd, std::size_t bytesPerSecond, std::chrono::milliseconds duration,
                            const StreamPattern& pattern = CountingPattern,
                            const std::atomic<bool>* stop = nullptr);

// Checks a received stream against the pattern piece by piece.
class PatternCheck {
public:
    explicit PatternCheck(StreamPattern pattern = CountingPattern) : pattern_(std::move(pattern)) {}
    void Take(const char* data, std::size_t size);
    std::uint64_t Count() const { return count_; }
    bool InOrder() const { return inOrder_; }

private:
    StreamPattern pattern_;
    std::string expected_;
    std::uint64_t count_ = 0;
    bool inOrder_ = true;
};

// A plain reader's step: waits up to timeoutMs for bytes on fd and hands
// what one read gets to check.
void PollAndRead(int fd, PatternCheck& check, int timeoutMs);
