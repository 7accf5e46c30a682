#include "protocol/history/SignalHistory.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace protocol {

namespace {
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
}

void SignalHistory::Add(double utcSeconds, const std::vector<TrackedSatellite>& satellites) {
    if (!epochs_.empty() && utcSeconds < epochs_.back().UtcSeconds)
        Clear();
    if (!epochs_.empty() && utcSeconds == epochs_.back().UtcSeconds) {
        samples_.resize(samples_.size() - epochs_.back().Samples);
        epochs_.pop_back();
    }
    std::size_t added = 0;
    for (const TrackedSatellite& satellite : satellites) {
        if (satellite.Stale || satellite.Number < 0 || satellite.Number > 0xFFFF)
            continue;
        const int cn0 = std::clamp(satellite.Cn0DbHz.value_or(0), 0, 0xFF);
        samples_.push_back({static_cast<std::uint16_t>(satellite.Number),
                            static_cast<std::uint8_t>(satellite.System),
                            static_cast<std::uint8_t>(cn0)});
        ++added;
    }
    epochs_.push_back({utcSeconds, added});
    DropOldest();
}

void SignalHistory::Clear() {
    epochs_.clear();
    samples_.clear();
}

std::optional<double> SignalHistory::Newest() const {
    if (epochs_.empty())
        return std::nullopt;
    return epochs_.back().UtcSeconds;
}

// The newest epoch always stays, however many satellites it holds.
void SignalHistory::DropOldest() {
    const double newest = epochs_.back().UtcSeconds;
    while (epochs_.size() > 1 && (epochs_.size() > kMaxEpochs || samples_.size() > kMaxSamples ||
                                  epochs_.front().UtcSeconds < newest - kKeptSeconds)) {
        samples_.erase(samples_.begin(), samples_.begin() + epochs_.front().Samples);
        epochs_.pop_front();
    }
}

template <typename Visit> void SignalHistory::EachEpochSince(double utcSeconds, Visit visit) const {
    auto epoch =
        std::lower_bound(epochs_.begin(), epochs_.end(), utcSeconds,
                         [](const Epoch& epoch, double time) { return epoch.UtcSeconds < time; });
    std::size_t first = 0;
    for (auto before = epochs_.begin(); before != epoch; ++before)
        first += before->Samples;
    for (; epoch != epochs_.end(); ++epoch) {
        const auto begin = samples_.begin() + static_cast<std::ptrdiff_t>(first);
        first += epoch->Samples;
        visit(epoch->UtcSeconds, begin, samples_.begin() + static_cast<std::ptrdiff_t>(first));
    }
}

std::vector<SatelliteId> SignalHistory::SatellitesSince(double utcSeconds) const {
    std::vector<SatelliteId> satellites;
    EachEpochSince(utcSeconds, [&](double, auto begin, auto end) {
        for (auto sample = begin; sample != end; ++sample)
            satellites.push_back({static_cast<Constellation>(sample->System), sample->Number});
    });
    std::sort(satellites.begin(), satellites.end());
    satellites.erase(std::unique(satellites.begin(), satellites.end()), satellites.end());
    return satellites;
}

std::vector<TimedValue> SignalHistory::Cn0Since(const SatelliteId& satellite,
                                                double utcSeconds) const {
    std::vector<TimedValue> values;
    EachEpochSince(utcSeconds, [&](double time, auto begin, auto end) {
        const auto found = std::find_if(begin, end, [&](const Sample& sample) {
            return sample.Number == satellite.Number &&
                   sample.System == static_cast<std::uint8_t>(satellite.System);
        });
        values.push_back({time, found != end && found->Cn0 > 0 ? found->Cn0 : kNone});
    });
    return values;
}

std::vector<TimedValue> SignalHistory::StrongestMeanSince(std::size_t count,
                                                          double utcSeconds) const {
    std::vector<TimedValue> values;
    std::vector<int> strengths;
    EachEpochSince(utcSeconds, [&](double time, auto begin, auto end) {
        strengths.clear();
        for (auto sample = begin; sample != end; ++sample)
            if (sample->Cn0 > 0)
                strengths.push_back(sample->Cn0);
        const std::size_t taken = std::min(count, strengths.size());
        std::partial_sort(strengths.begin(), strengths.begin() + taken, strengths.end(),
                          std::greater<>());
        double sum = 0;
        for (std::size_t index = 0; index < taken; ++index)
            sum += strengths[index];
        values.push_back({time, taken > 0 ? sum / taken : kNone});
    });
    return values;
}

std::vector<TimedValue> SignalHistory::InViewSince(double utcSeconds) const {
    std::vector<TimedValue> values;
    EachEpochSince(utcSeconds, [&](double time, auto begin, auto end) {
        values.push_back({time, static_cast<double>(end - begin)});
    });
    return values;
}

} // namespace protocol
