#include "protocol/state/ReceiverState.h"

#include "protocol/decoding/Decoder.h"

#include <algorithm>
#include <cmath>

namespace protocol {
namespace {

constexpr const char* kOtherTypes = "other";

template <typename T> void Update(std::optional<T>& value, const std::optional<T>& news) {
    if (news)
        value = news;
}

// Messages count by talker and name ("GNGGA", "NAV-PVT"), bytes outside any
// message as "unframed".
void CountedName(const Message& message, const Decoded& decoded, std::string& name) {
    if (message.Kind == MessageKind::Unframed)
        name.assign("unframed");
    else
        name.assign(decoded.Talker).append(decoded.Name);
}

// Whether text begins with part, compared by hand: these names are a few
// letters long, shorter than a library compare's call.
bool BeginsWith(const char* text, std::string_view part) {
    for (std::size_t i = 0; i < part.size(); ++i)
        if (text[i] != part[i])
            return false;
    return true;
}

// Whether name is the message's counted name, without putting that together.
bool IsCountedName(const std::string& name, const Message& message, const Decoded& decoded) {
    if (message.Kind == MessageKind::Unframed)
        return name == "unframed";
    return name.size() == decoded.Talker.size() + decoded.Name.size() &&
           BeginsWith(name.data(), decoded.Talker) &&
           BeginsWith(name.data() + decoded.Talker.size(), decoded.Name);
}

std::optional<double> TimeOfDay(const std::optional<UtcTime>& utc) {
    if (!utc || !utc->Hour || !utc->Minute || !utc->Second)
        return std::nullopt;
    return *utc->Hour * 3600.0 + *utc->Minute * 60.0 + *utc->Second;
}

} // namespace

void ReceiverState::Fold(const Message& message, double nowSeconds) {
    Fold(message, Decode(message, DecodeDetail::TypedOnly), nowSeconds);
}

void ReceiverState::Fold(const Message& message, const Decoded& decoded, double nowSeconds) {
    const std::size_t type = TypeOf(message, decoded);
    Count(types_[type].Counts, message.Checksum == ChecksumState::Wrong, nowSeconds);
    FoldValues(decoded, type, nowSeconds);
    // Named, not decoded: a damaged GSA of the run does not end it.
    inGsaRun_ = message.Kind != MessageKind::Unframed && decoded.Name.ends_with("GSA");
}

std::size_t ReceiverState::TypeOf(const Message& message, const Decoded& decoded) {
    if (lastType_ != kNoType) {
        MessageType& last = types_[lastType_];
        if (last.Next != kNoType && IsCountedName(types_[last.Next].Name, message, decoded))
            return lastType_ = last.Next;
        // A type sent in parts (GSV) follows itself and then the next type:
        // its successor stays that next type.
        if (IsCountedName(last.Name, message, decoded))
            return lastType_;
    }
    CountedName(message, decoded, name_);
    auto known = typeIndex_.find(name_);
    if (known == typeIndex_.end()) {
        // Past the limit, new types count together as "other".
        const std::string key = types_.size() < kMaxMessageTypes ? name_ : kOtherTypes;
        known = typeIndex_.try_emplace(key, types_.size()).first;
        if (known->second == types_.size())
            types_.push_back({key, {}, kNoType});
    }
    if (lastType_ != kNoType)
        types_[lastType_].Next = known->second;
    return lastType_ = known->second;
}

void ReceiverState::Count(Counter& c, bool checksumWrong, double nowSeconds) {
    ++c.Count;
    c.ChecksumErrors += checksumWrong ? 1 : 0;
    const auto second = static_cast<std::int64_t>(std::floor(nowSeconds));
    const std::int64_t gap = std::min<std::int64_t>(second - c.Second, c.Buckets.size());
    if (gap > 0) {
        // Age the buckets: the oldest fall out, the new seconds start empty.
        std::rotate(c.Buckets.begin(), c.Buckets.begin() + gap, c.Buckets.end());
        std::fill(c.Buckets.end() - gap, c.Buckets.end(), 0);
        c.Second = second;
    }
    if (second >= c.Second - static_cast<std::int64_t>(c.Buckets.size()) + 1)
        ++c.Buckets[c.Buckets.size() - 1 - static_cast<std::size_t>(c.Second - second)];
}

void ReceiverState::EndEpoch() {
    const std::optional<double> time = TimeOfDay(now_.Utc);
    if (!time || time == endedTime_)
        return;
    endedTime_ = time;
    ended_ = now_; // its values alone
    ++epochsEnded_;
}

void ReceiverState::FoldValues(const Decoded& d, std::size_t type, double nowSeconds) {
    const std::optional<double> timeOfDay = TimeOfDay(d.Utc);
    const bool tellsOfEpoch = d.Fix || timeOfDay;
    // A message of the next epoch: the open one ends before it changes anything.
    if (tellsOfEpoch && epoch_.Begins(type, timeOfDay)) {
        EndEpoch();
        epoch_.Begin();
    }
    if (d.Utc) {
        UtcTime& utc = now_.Utc ? *now_.Utc : now_.Utc.emplace();
        if (d.Utc->Year) {
            utc.Year = d.Utc->Year;
            utc.Month = d.Utc->Month;
            utc.Day = d.Utc->Day;
        }
        if (d.Utc->Hour) {
            utc.Hour = d.Utc->Hour;
            utc.Minute = d.Utc->Minute;
            utc.Second = d.Utc->Second;
        }
    }
    if (d.Position) {
        // A message without heights keeps those last sent.
        protocol::Position& position = now_.Position ? *now_.Position : now_.Position.emplace();
        position.LatitudeDeg = d.Position->LatitudeDeg;
        position.LongitudeDeg = d.Position->LongitudeDeg;
        Update(position.HeightEllipsoidM, d.Position->HeightEllipsoidM);
        Update(position.HeightMslM, d.Position->HeightMslM);
    }
    if (tellsOfEpoch) {
        const bool lost = epoch_.Take(type, timeOfDay, d.Fix);
        now_.Fix = epoch_.Current();
        if (lost)
            ClearUsed();
    }
    if (d.Dop) {
        Update(now_.Dop.Geometric, d.Dop->Geometric);
        Update(now_.Dop.Position, d.Dop->Position);
        Update(now_.Dop.Time, d.Dop->Time);
        Update(now_.Dop.Vertical, d.Dop->Vertical);
        Update(now_.Dop.Horizontal, d.Dop->Horizontal);
    }
    if (d.Motion) {
        Update(now_.Motion.SpeedMps, d.Motion->SpeedMps);
        Update(now_.Motion.CourseDeg, d.Motion->CourseDeg);
        Update(now_.Motion.ClimbMps, d.Motion->ClimbMps);
    }
    if (d.Accuracy) {
        Update(now_.Accuracy.HorizontalM, d.Accuracy->HorizontalM);
        Update(now_.Accuracy.VerticalM, d.Accuracy->VerticalM);
        Update(now_.Accuracy.SpeedMps, d.Accuracy->SpeedMps);
        Update(now_.Accuracy.CourseDeg, d.Accuracy->CourseDeg);
        Update(now_.Accuracy.TimeNs, d.Accuracy->TimeNs);
    }
    if (d.Satellites)
        ReplaceSatellites(d.Satellites->Systems, d.Satellites->Satellites, nowSeconds);
    if (d.GsvPart)
        FoldGsvPart(*d.GsvPart, nowSeconds);
    if (d.Used)
        MarkUsed(*d.Used);
    if (d.Station)
        now_.Base = d.Station;
    FoldHealth(d, nowSeconds);
    FoldCorrections(d, nowSeconds);
}

void ReceiverState::FoldHealth(const Decoded& d, double nowSeconds) {
    ReceiverHealth& health = now_.Health;
    if (d.Spectra)
        health.Spectra = d.Spectra;
    if (d.RfBlocks) {
        const bool monHw = d.Name == "MON-HW";
        if (!monHw)
            monRfAt_ = nowSeconds;
        if (!monHw || !monRfAt_ || nowSeconds - *monRfAt_ >= TrackedSatellite::kGoneSeconds) {
            health.RfBlocks = d.RfBlocks;
            ++health.RfBlockReports;
        }
    }
    if (d.Comms)
        health.Comms = d.Comms;
    if (d.System)
        health.System = d.System;
    if (d.Signals)
        health.Signals = d.Signals;
}

void ReceiverState::FoldCorrections(const Decoded& d, double nowSeconds) {
    CorrectionState& corrections = now_.Corrections;
    if (d.CorrectionAgeS)
        NoteCorrectionAt(nowSeconds - *d.CorrectionAgeS);
    if (d.Correction) {
        const CorrectionInput& input = *d.Correction;
        ++corrections.Taken;
        if (input.CrcFailed) {
            ++corrections.CrcFailed;
        } else {
            // A station number of a damaged message may be anything.
            corrections.ReferenceStation = input.ReferenceStation;
            if (input.Used == false)
                ++corrections.NotUsed;
            else
                NoteCorrectionAt(nowSeconds);
            if (input.Used == true)
                ++corrections.Used;
        }
    }
    if (d.Baseline) {
        corrections.Baseline = d.Baseline;
        baselineAt_ = nowSeconds;
    }
    if (d.Survey)
        corrections.Survey = d.Survey;
}

void ReceiverState::NoteCorrectionAt(double seconds) {
    if (!correctionAt_ || seconds > *correctionAt_)
        correctionAt_ = seconds;
}

void ReceiverState::FoldGsvPart(const SatellitePart& part, double nowSeconds) {
    GsvSeries& series = gsv_[part.Talker];
    if (!series.SignalId)
        series.SignalId = part.SignalId;
    if (part.SignalId != series.SignalId)
        return;
    if (part.Index == 1)
        series.Satellites.clear();
    else if (part.Index != series.Expected)
        return; // a part went missing: wait for the next series
    series.Expected = part.Index + 1;
    for (const auto& sv : part.Satellites)
        if (series.Satellites.size() < kMaxSatellites)
            series.Satellites.push_back(sv);
    if (part.Index < part.Count)
        return;
    series.Expected = 0;
    for (auto& sv : series.Satellites)
        sv.Used = IsUsed(sv);
    ReplaceSatellites(part.Systems, series.Satellites, nowSeconds);
    series.Satellites.clear(); // its room serves the next series
}

void ReceiverState::ReplaceSatellites(Coverage systems,
                                      const std::vector<SatelliteInView>& satellites,
                                      double nowSeconds) {
    reportedAt_ = nowSeconds;
    std::erase_if(satellites_,
                  [systems](const HeldSatellite& held) { return systems.Covers(held.Sv.System); });
    for (const auto& sv : satellites) {
        if (!systems.Covers(sv.System) || satellites_.size() >= kMaxSatellites)
            continue;
        // Filled in place: a held satellite put together first and then
        // copied would be read back before its parts are stored.
        HeldSatellite& held = satellites_.emplace_back();
        held.Sv = sv;
        held.ReportedAt = nowSeconds;
    }
}

bool ReceiverState::UsedNumbers::Has(int number) const {
    if (number >= 0 && number < kUsual)
        return Usual[static_cast<std::size_t>(number)];
    return std::find(Others.begin(), Others.end(), number) != Others.end();
}

void ReceiverState::UsedNumbers::Add(int number) {
    if (number >= 0 && number < kUsual)
        Usual[static_cast<std::size_t>(number)] = true;
    else if (Others.size() < kMaxSatellites)
        Others.push_back(number);
}

void ReceiverState::UsedNumbers::Clear() {
    Usual.reset();
    Others.clear();
}

bool ReceiverState::IsUsed(const SatelliteInView& sv) const {
    return used_[static_cast<std::size_t>(sv.System)].Has(sv.Number);
}

// The GSA sentences of one epoch follow each other, one per constellation:
// the first of a run starts the set of used satellites afresh, for all.
void ReceiverState::MarkUsed(const UsedSatellites& used) {
    if (!inGsaRun_)
        for (auto& numbers : used_)
            numbers.Clear();
    for (const auto& sv : used.Satellites)
        used_[static_cast<std::size_t>(sv.System)].Add(sv.Number);
    for (auto& held : satellites_)
        held.Sv.Used = IsUsed(held.Sv);
}

void ReceiverState::ClearUsed() {
    for (auto& numbers : used_)
        numbers.Clear();
    for (auto& held : satellites_)
        held.Sv.Used = false;
}

std::vector<TrackedSatellite> ReceiverState::Satellites(double nowSeconds) const {
    std::vector<TrackedSatellite> satellites;
    for (const HeldSatellite& held : satellites_) {
        const double age = nowSeconds - held.ReportedAt;
        if (age < TrackedSatellite::kGoneSeconds)
            satellites.push_back({held.Sv, age >= TrackedSatellite::kStaleSeconds});
    }
    std::stable_sort(satellites.begin(), satellites.end(),
                     [](const TrackedSatellite& a, const TrackedSatellite& b) {
                         return std::pair(a.System, a.Number) < std::pair(b.System, b.Number);
                     });
    return satellites;
}

ReceiverSnapshot ReceiverState::Snapshot(double nowSeconds) const {
    ReceiverSnapshot snapshot = now_;
    CorrectionState& corrections = snapshot.Corrections;
    if (correctionAt_)
        corrections.AgeS = std::max(0.0, nowSeconds - *correctionAt_);
    if (corrections.Baseline && (!corrections.Baseline->Valid ||
                                 nowSeconds - baselineAt_ >= CorrectionState::kBaselineSeconds))
        corrections.Baseline.reset();
    snapshot.SatellitesReported =
        reportedAt_ && nowSeconds - *reportedAt_ < TrackedSatellite::kGoneSeconds;
    snapshot.Satellites = Satellites(nowSeconds);
    const auto second = static_cast<std::int64_t>(std::floor(nowSeconds));
    for (const MessageType& type : types_) {
        const Counter& c = type.Counts;
        // The whole seconds before the current one, as far as the buckets reach.
        std::uint64_t recent = 0;
        for (std::int64_t s = second - kRateWindowSeconds; s < second; ++s) {
            const std::int64_t age = c.Second - s;
            if (age >= 0 && age < static_cast<std::int64_t>(c.Buckets.size()))
                recent += c.Buckets[c.Buckets.size() - 1 - static_cast<std::size_t>(age)];
        }
        snapshot.Messages.push_back({type.Name, c.Count, c.ChecksumErrors,
                                     static_cast<double>(recent) / kRateWindowSeconds});
    }
    std::sort(
        snapshot.Messages.begin(), snapshot.Messages.end(),
        [](const MessageStatistics& a, const MessageStatistics& b) { return a.Name < b.Name; });
    return snapshot;
}

} // namespace protocol
