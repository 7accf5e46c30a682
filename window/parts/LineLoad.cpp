#include "window/parts/LineLoad.h"

#include "protocol/state/ReceiverState.h"

#include <algorithm>

namespace {
using Clock = TLineLoad::Clock;

std::int64_t SecondOf(Clock::time_point at) {
    return std::chrono::floor<std::chrono::seconds>(at.time_since_epoch()).count();
}

Clock::time_point StartOf(std::int64_t second) {
    return Clock::time_point(std::chrono::seconds(second));
}

// Whether a row of the table counts for the asked type: "GGA" is sent by
// any talker ("GPGGA", "GNGGA"); other names are the same in both.
bool Counts(const std::string& row, const std::string& asked) {
    const bool nmeaStandard = asked.size() == 3 && asked.find('-') == std::string::npos;
    return row == asked || (nmeaStandard && row.size() == 5 && row.ends_with(asked));
}

QString Hz(double hz) {
    return QString::number(hz, 'f', 1) + " Hz";
}
} // namespace

double BitsPerCharacter(int dataBits, bool parity, double stopBits) {
    return 1 + dataBits + (parity ? 1 : 0) + stopBits;
}

void TLineLoad::THeld::Observe(bool holds, Clock::time_point at) {
    if (holds == shown_) {
        turningSince_.reset();
        return;
    }
    if (!turningSince_)
        turningSince_ = at;
    if (at - *turningSince_ >= kHold) {
        shown_ = holds;
        turningSince_.reset();
    }
}

void TLineLoad::SetLine(std::int32_t baud, double bitsPerCharacter,
                        Clock::duration deliveryInterval) {
    baud_ = baud;
    bitsPerCharacter_ = bitsPerCharacter;
    deliveryInterval_ = deliveryInterval;
}

void TLineLoad::Received(std::size_t bytes, Clock::time_point readAt) {
    const std::int64_t second = SecondOf(readAt);
    if (!second_)
        second_ = second;
    CloseSecondsBefore(second);
    if (second == *second_)
        secondBytes_ += bytes;
    lastRead_ = std::max(lastRead_.value_or(readAt), readAt);
}

void TLineLoad::CloseSecondsBefore(std::int64_t second) {
    if (!second_ || *second_ >= second)
        return;
    const double capacity = baud_ / bitsPerCharacter_;
    // Past a few quiet seconds nothing more changes: skip the rest.
    const std::int64_t quietEnough = kHold.count() + 1;
    while (*second_ < second) {
        const auto bytes = static_cast<double>(secondBytes_);
        const bool full =
            baud_ > 0 && bytes >= kFullShare * capacity && bytes <= kBeyondShare * capacity;
        full_.Observe(full, StartOf(*second_));
        full_.Observe(full, StartOf(*second_ + 1));
        secondBytes_ = 0;
        *second_ = second - *second_ > quietEnough ? second - quietEnough : *second_ + 1;
    }
}

bool TLineLoad::LineIsLive(Clock::time_point now) const {
    return lastRead_ && now - *lastRead_ <= deliveryInterval_ + kHold;
}

void TLineLoad::SetAsked(const std::map<std::string, double>& hz, Clock::time_point now) {
    std::erase_if(asked_, [&](const auto& entry) { return !hz.contains(entry.first); });
    for (const auto& [name, rate] : hz) {
        TAsked& asked = asked_[name];
        if (asked.Hz != rate)
            asked = {rate, now, 0, {}};
    }
}

void TLineLoad::Measure(const std::vector<TMessageTypeRow>& types, Clock::time_point now) {
    // Bytes read this long ago have all been handed over.
    CloseSecondsBefore(SecondOf(now - deliveryInterval_ - std::chrono::seconds(1)));
    constexpr int window = protocol::ReceiverState::kRateWindowSeconds;
    // The rates shown lag the reads by up to the delivery interval.
    const Clock::duration settling = std::chrono::seconds(window + 1) + deliveryInterval_;
    const bool live = LineIsLive(now);
    for (auto& [name, asked] : asked_) {
        asked.MeasuredHz = 0;
        for (const TMessageTypeRow& row : types)
            if (Counts(row.Name, name))
                asked.MeasuredHz += row.RateHz;
        // A rate below two messages a window cannot be told from its jitter.
        const bool judged =
            live && asked.Hz * window >= 2 && now - std::max(asked.Since, connectedAt_) >= settling;
        asked.Slow.Observe(judged && asked.MeasuredHz < kSlowShare * asked.Hz, now);
    }
}

QStringList TLineLoad::Warnings() const {
    QStringList warnings;
    if (full_.Shown())
        warnings << QString("%1 baud is full: the receiver cannot send everything it is asked "
                            "to; raise the baud rate or lower message rates")
                        .arg(baud_);
    for (const auto& [name, asked] : asked_)
        if (asked.Slow.Shown())
            warnings << QString("%1 arrives at %2 though %3 was asked for: the receiver cannot "
                                "send it that often")
                            .arg(QString::fromStdString(name), Hz(asked.MeasuredHz), Hz(asked.Hz));
    return warnings;
}

void TLineLoad::Restart(Clock::time_point now) {
    second_.reset();
    secondBytes_ = 0;
    lastRead_.reset();
    connectedAt_ = now;
    full_ = {};
    for (auto& [name, asked] : asked_) {
        asked.MeasuredHz = 0;
        asked.Slow = {};
    }
}
