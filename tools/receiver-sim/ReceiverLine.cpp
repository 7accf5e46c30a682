#include "tools/receiver-sim/ReceiverLine.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr int kMaxWaitMs = 50;

int CeilMs(std::chrono::steady_clock::duration wait) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, kMaxWaitMs));
}
} // namespace

ReceiverLine::ReceiverLine(int fd, SimulatedReceiver& receiver, const LineSettings& settings)
    : fd_(fd), receiver_(receiver), settings_(settings) {}

void ReceiverLine::Run(const LineHooks& hooks) {
    OutputPacer pacer(settings_.bytesPerSecond, Clock::now());
    Clock::time_point nextEpoch = Clock::now();
    bool up = false;
    while (!hooks.stopRequested()) {
        const bool nowUp = LineIsUp();
        if (nowUp != up) {
            up = nowUp;
            DropOutput();
            if (up)
                std::ranges::move(receiver_.Banner(), std::back_inserter(answers_));
            if (hooks.lineChanged)
                hooks.lineChanged(up);
        }
        const Clock::time_point now = Clock::now();
        if (!settings_.continuous && now >= nextEpoch) {
            QueueEpoch(up);
            nextEpoch += settings_.epochInterval;
            if (nextEpoch < now) // stalled: carry on from now rather than catch up in a burst
                nextEpoch = now + settings_.epochInterval;
        }
        if (!up) {
            poll(nullptr, 0, settings_.continuous ? kMaxWaitMs : CeilMs(nextEpoch - now));
            continue;
        }
        if (settings_.continuous && !HasOutput())
            QueueEpoch(true);
        SendPaced(pacer);
        pollfd line{fd_, static_cast<short>(POLLIN | (blocked_ ? POLLOUT : 0)), 0};
        if (poll(&line, 1, PollTimeoutMs(pacer, nextEpoch)) > 0 && (line.revents & POLLIN))
            TakeInput();
    }
}

bool ReceiverLine::LineIsUp() const {
    pollfd line{fd_, 0, 0};
    return poll(&line, 1, 0) >= 0 && !(line.revents & (POLLHUP | POLLERR | POLLNVAL));
}

void ReceiverLine::TakeInput() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            return;
        std::ranges::move(receiver_.Receive(std::string_view(buffer, static_cast<size_t>(n))),
                          std::back_inserter(answers_));
    }
}

void ReceiverLine::QueueEpoch(bool lineUp) {
    std::vector<std::string> messages = receiver_.NextEpoch();
    // A receiver whose transmit buffer still holds a second of output drops
    // the new epoch rather than fall ever further behind.
    if (!lineUp || static_cast<double>(queuedEpochBytes_) > settings_.bytesPerSecond)
        return;
    for (std::string& message : messages) {
        queuedEpochBytes_ += message.size();
        epochOutput_.push_back(std::move(message));
    }
}

bool ReceiverLine::NextMessage() {
    std::deque<std::string>& queue = answers_.empty() ? epochOutput_ : answers_;
    if (queue.empty())
        return false;
    sending_ = std::move(queue.front());
    queue.pop_front();
    if (&queue == &epochOutput_)
        queuedEpochBytes_ -= sending_.size();
    sent_ = 0;
    return true;
}

void ReceiverLine::SendPaced(OutputPacer& pacer) {
    blocked_ = false;
    std::size_t allowance = pacer.Allowance(Clock::now());
    while (allowance > 0) {
        if (sent_ == sending_.size() && !NextMessage())
            return;
        const std::size_t chunk = std::min(allowance, sending_.size() - sent_);
        const ssize_t n = write(fd_, sending_.data() + sent_, chunk);
        if (n <= 0) {
            blocked_ = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            return;
        }
        sent_ += static_cast<std::size_t>(n);
        allowance -= static_cast<std::size_t>(n);
        pacer.Spend(static_cast<std::size_t>(n));
    }
}

void ReceiverLine::DropOutput() {
    answers_.clear();
    epochOutput_.clear();
    queuedEpochBytes_ = 0;
    sending_.clear();
    sent_ = 0;
    blocked_ = false;
}

int ReceiverLine::PollTimeoutMs(const OutputPacer& pacer, Clock::time_point nextEpoch) const {
    if (blocked_)
        return kMaxWaitMs;
    if (HasOutput())
        return CeilMs(pacer.UntilNextByte());
    if (settings_.continuous)
        return 0;
    return CeilMs(nextEpoch - Clock::now());
}
