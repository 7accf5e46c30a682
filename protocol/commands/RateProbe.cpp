#include "protocol/commands/RateProbe.h"

TRateProbe::TRateProbe(std::vector<std::int32_t> rates, std::chrono::milliseconds dwell,
                       Clock clock)
    : rates_(std::move(rates)), dwell_(dwell), clock_(std::move(clock)), since_(clock_()) {}

TRateProbe::TStep TRateProbe::ValidMessage() {
    if (done_)
        return found_ ? TStep::Found : TStep::Exhausted;
    done_ = found_ = true;
    return TStep::Found;
}

TRateProbe::TStep TRateProbe::Tick() {
    if (done_)
        return found_ ? TStep::Found : TStep::Exhausted;
    const auto now = clock_();
    if (now - since_ < dwell_)
        return TStep::Stay;
    if (index_ + 1 == rates_.size()) {
        done_ = true;
        return TStep::Exhausted;
    }
    ++index_;
    since_ = now;
    return TStep::Next;
}

std::string TRateProbe::Tried() const {
    std::string text;
    for (std::size_t index = 0; index <= index_; ++index) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(rates_[index]);
        if (index < index_ || (done_ && !found_))
            text += ": nothing valid";
        else
            text += found_ ? ": valid messages" : ": listening";
    }
    return text;
}

const std::vector<std::int32_t>& LikelyReceiverRates() {
    static const std::vector<std::int32_t> rates = {9600,  38400,  115200, 4800,  57600,
                                                    19200, 230400, 460800, 921600};
    return rates;
}
