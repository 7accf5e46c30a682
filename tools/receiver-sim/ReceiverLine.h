#pragma once
// Runs a simulated receiver on its side of a serial line (the master side of
// a pseudo-terminal, or a TCP connection standing for one): emits an epoch of output every epoch
// period the receiver is configured for, or back to back at the given byte rate in continuous mode,
// paces every byte to that rate, and answers commands as they arrive. An answer goes out after the
// sentence or frame in progress, ahead of queued epoch output.
//
// The line talks at the receiver's UART1 rate: its port end starts set to
// that rate, and when the receiver is told another rate it switches once the
// answers already queued have gone out, pacing scaled to the new rate. While
// the program at the port end listens at a rate more than a couple of per
// cent off, it receives noise instead of the output, and what it sends is not
// understood (not in continuous mode, which has no line rate).
//
// While nobody holds the port open (no TCP connection stands) the line is down: output falls into
// the void, as on a real line with nothing attached, and the receiver's clock runs on. When the
// line comes up the receiver sends its TXT banner.

#include "tools/receiver-sim/LineEnd.h"
#include "tools/receiver-sim/LineNoise.h"
#include "tools/receiver-sim/OutputPacer.h"
#include "tools/receiver-sim/SimulatedReceiver.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

struct LineSettings {
    double bytesPerSecond = 960; // at the receiver's starting rate: 9600 baud, ten bits a byte
    bool continuous = false;     // epochs back to back instead of one per epoch period
};

struct LineHooks {
    std::function<bool()> stopRequested;      // asked at least every 50 ms
    std::function<void(bool up)> lineChanged; // optional
};

class ReceiverLine {
public:
    // end: not owned.
    ReceiverLine(LineEnd& end, SimulatedReceiver& receiver, const LineSettings& settings);

    // Returns when stopRequested() says so.
    void Run(const LineHooks& hooks);

private:
    using Clock = std::chrono::steady_clock;

    void TakeInput();
    // Moves the receiver on by one epoch; its output is queued only while
    // the line is up and not already a second behind.
    void QueueEpoch(bool lineUp);
    void SendPaced(OutputPacer& pacer);
    // Takes up the receiver's new rate once the answers before it are out.
    void FollowRateChange(OutputPacer& pacer);
    // The rate the port end listens at, when it is not the one talked at.
    std::optional<std::uint32_t> WrongListenRate() const;
    bool NextMessage();
    bool HasOutput() const {
        return sent_ < sending_.size() || !answers_.empty() || !epochOutput_.empty();
    }
    void DropOutput();
    int PollTimeoutMs(const OutputPacer& pacer, Clock::time_point nextEpoch) const;

    LineEnd& end_;
    SimulatedReceiver& receiver_;
    LineSettings settings_;
    std::deque<std::string> answers_;
    std::deque<std::string> epochOutput_;
    std::size_t queuedEpochBytes_ = 0;
    std::string sending_;
    std::size_t sent_ = 0;
    bool blocked_ = false; // the peer's input queue is full
    std::uint32_t startRate_;
    std::uint32_t talkRate_;
    LineNoise noise_;
};
