#include "protocol/history/EpochFixes.h"

#include <chrono>

namespace protocol {
namespace {

template <typename T> std::optional<float> Narrow(const std::optional<T>& value) {
    if (!value)
        return std::nullopt;
    return static_cast<float>(*value);
}

// Seconds since 1970 at the start of the day, when the date is known.
std::optional<double> DayStart(const UtcTime& utc) {
    if (!utc.Year || !utc.Month || !utc.Day)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(*utc.Year),
                                           std::chrono::month(static_cast<unsigned>(*utc.Month)),
                                           std::chrono::day(static_cast<unsigned>(*utc.Day))};
    if (!date.ok())
        return std::nullopt;
    return std::chrono::duration<double>(std::chrono::sys_days(date).time_since_epoch()).count();
}

} // namespace

FixKind KindOf(const FixStatus& fix, bool hasHeight) {
    const bool told = fix.Type || fix.Solution || !fix.Quality.empty();
    if (!told || fix.Type == FixType::NoFix || fix.Type == FixType::TimeOnly)
        return FixKind::NoFix;
    if (fix.Type == FixType::DeadReckoning)
        return FixKind::DeadReckoning;
    if (fix.Solution == Solution::RtkFixed)
        return FixKind::RtkFixed;
    if (fix.Solution == Solution::RtkFloat)
        return FixKind::RtkFloat;
    if (fix.Solution == Solution::Differential)
        return FixKind::Dgnss;
    if (fix.Type == FixType::Fix2D)
        return FixKind::Fix2D;
    if (fix.Type)
        return FixKind::Fix3D; // 3D, or GNSS with dead reckoning
    return hasHeight ? FixKind::Fix3D : FixKind::Fix2D;
}

std::optional<FixRecord> RecordOf(const EpochValues& epoch) {
    if (!epoch.Utc || !epoch.Utc->Hour || !epoch.Utc->Minute || !epoch.Utc->Second ||
        !epoch.Position)
        return std::nullopt;
    const Position& at = *epoch.Position;
    const FixKind kind = KindOf(epoch.Fix, at.HeightMslM || at.HeightEllipsoidM);
    if (kind == FixKind::NoFix)
        return std::nullopt;
    const UtcTime& utc = *epoch.Utc;
    const std::optional<double> day = DayStart(utc);
    FixRecord record;
    record.UtcSeconds = day.value_or(0) + *utc.Hour * 3600.0 + *utc.Minute * 60.0 + *utc.Second;
    record.DateKnown = day.has_value();
    record.Latitude = at.LatitudeDeg;
    record.Longitude = at.LongitudeDeg;
    record.HeightMsl = at.HeightMslM;
    record.HeightEllipsoid = at.HeightEllipsoidM;
    record.Kind = kind;
    record.SatellitesUsed = epoch.Fix.SatellitesUsed.value_or(-1);
    record.Hdop = Narrow(epoch.Dop.Horizontal);
    record.Vdop = Narrow(epoch.Dop.Vertical);
    record.Pdop = Narrow(epoch.Dop.Position);
    record.SpeedMps = Narrow(epoch.Motion.SpeedMps);
    record.HorizontalAccuracyM = Narrow(epoch.Accuracy.HorizontalM);
    return record;
}

bool EpochFixes::TakeEnded(const ReceiverState& state, PositionHistory& history) {
    // Epochs end one message at a time: only the last can be new.
    if (state.EpochsEnded() == taken_)
        return false;
    taken_ = state.EpochsEnded();
    const std::optional<FixRecord> record = RecordOf(state.EndedEpoch());
    if (record)
        history.Add(*record);
    return record.has_value();
}

} // namespace protocol
