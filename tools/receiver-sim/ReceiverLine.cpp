#include "tools/receiver-sim/ReceiverLine.h"

#include "tools/receiver-sim/LineRate.h"

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

ReceiverLine::ReceiverLine(LineEnd& end, SimulatedReceiver& receiver, const LineSettings& settings)
    : end_(end), receiver_(receiver), settings_(settings), startRate_(receiver.LineBaud()),
      talkRate_(startRate_) {}

void ReceiverLine::Run(const LineHooks& hooks) {
    OutputPacer pacer(settings_.bytesPerSecond, Clock::now());
    if (!settings_.continuous)
        SetPortLineRate(end_.Fd(), talkRate_); // a pseudo-terminal's; a socket has none
    Clock::time_point nextEpoch = Clock::now();
    bool up = false;
    while (!hooks.stopRequested()) {
        const bool nowUp = end_.CheckUp();
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
            nextEpoch += receiver_.EpochPeriod();
            if (nextEpoch < now) // stalled: carry on from now rather than catch up in a burst
                nextEpoch = now + receiver_.EpochPeriod();
        }
        if (!up) {
            poll(nullptr, 0, settings_.continuous ? kMaxWaitMs : CeilMs(nextEpoch - now));
            continue;
        }
        if (settings_.continuous && !HasOutput())
            QueueEpoch(true);
        SendPaced(pacer);
        FollowRateChange(pacer);
        pollfd line{end_.Fd(), static_cast<short>(POLLIN | (blocked_ ? POLLOUT : 0)), 0};
        if (poll(&line, 1, PollTimeoutMs(pacer, nextEpoch)) > 0 && (line.revents & POLLIN))
            TakeInput();
    }
}

void ReceiverLine::TakeInput() {
    char buffer[4096];
    // Commands sent at the wrong rate arrive as noise and are not understood.
    const bool understood = !WrongListenRate();
    for (;;) {
        const ssize_t n = read(end_.Fd(), buffer, sizeof buffer);
        if (n <= 0)
            return;
        if (understood)
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
    const std::optional<std::uint32_t> wrongRate = WrongListenRate();
    while (allowance > 0) {
        if (sent_ == sending_.size() && !NextMessage())
            return;
        std::size_t chunk = std::min(allowance, sending_.size() - sent_);
        const std::string_view bytes(sending_.data() + sent_, chunk);
        // Noise stands for the whole chunk, however much of it the peer takes.
        const std::string noise = wrongRate ? noise_.Garble(bytes, talkRate_, *wrongRate) : "";
        const ssize_t n = wrongRate
                              ? (noise.empty() ? 1 : write(end_.Fd(), noise.data(), noise.size()))
                              : write(end_.Fd(), bytes.data(), bytes.size());
        if (n <= 0) {
            blocked_ = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            return;
        }
        if (!wrongRate)
            chunk = static_cast<std::size_t>(n);
        sent_ += chunk;
        allowance -= chunk;
        pacer.Spend(chunk);
    }
}

void ReceiverLine::FollowRateChange(OutputPacer& pacer) {
    const std::uint32_t wanted = receiver_.LineBaud();
    if (wanted == talkRate_ || !answers_.empty() || sent_ < sending_.size())
        return;
    talkRate_ = wanted;
    if (!settings_.continuous)
        pacer.SetRate(settings_.bytesPerSecond * wanted / startRate_);
}

std::optional<std::uint32_t> ReceiverLine::WrongListenRate() const {
    if (settings_.continuous)
        return std::nullopt;
    const std::optional<std::uint32_t> listening = PortLineRate(end_.Fd());
    if (!listening || RatesAgree(talkRate_, *listening))
        return std::nullopt;
    return listening;
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
