#include "protocol/state/EpochFix.h"

#include <algorithm>
#include <cmath>

namespace protocol {
namespace {

constexpr std::size_t kMaxEpochTypes = 64;
constexpr double kSameTimeSeconds = 1e-3;

int Rank(FixType type) {
    switch (type) {
    case FixType::NoFix:
        return 0;
    case FixType::TimeOnly:
        return 1;
    case FixType::DeadReckoning:
        return 2;
    case FixType::Fix2D:
        return 3;
    case FixType::Fix3D:
        return 4;
    case FixType::GnssDeadReckoning:
        return 5;
    }
    return 0;
}

// True when the message tells there is a fix, false when it tells there is
// none, empty when it does not say (RMC "valid" alone tells neither kind).
std::optional<bool> SaysFix(const FixStatus& fix) {
    if (fix.Type)
        return *fix.Type != FixType::NoFix;
    if (fix.Solution)
        return true;
    return std::nullopt;
}

} // namespace

bool EpochFix::Begins(Type type, const std::optional<double>& timeOfDay) const {
    const bool otherTime =
        timeOfDay && epochTime_ && std::abs(*timeOfDay - *epochTime_) > kSameTimeSeconds;
    return otherTime || (!types_.empty() && types_.back() != type &&
                         std::find(types_.begin(), types_.end(), type) != types_.end());
}

void EpochFix::Begin() {
    types_.clear();
    epochTime_.reset();
    valid_.reset();
    typeTold_ = solutionTold_ = qualityTold_ = false;
}

bool EpochFix::Take(Type type, const std::optional<double>& timeOfDay,
                    const std::optional<FixStatus>& fix) {
    if (timeOfDay)
        epochTime_ = timeOfDay;
    if (types_.size() < kMaxEpochTypes &&
        std::find(types_.begin(), types_.end(), type) == types_.end())
        types_.push_back(type);
    if (!fix)
        return false;
    const std::optional<bool> says = SaysFix(*fix);
    bool lost = false;
    bool betterSolution = false;
    if (says == false) {
        // A fix told earlier in the epoch is the better information.
        if (valid_ == true)
            return false;
        lost = valid_ != false;
        valid_ = false;
        fix_.Type = FixType::NoFix;
        fix_.Solution.reset();
    } else {
        if (says == true)
            valid_ = true;
        if (fix->Type) {
            if (!typeTold_ || !fix_.Type || Rank(*fix->Type) > Rank(*fix_.Type))
                fix_.Type = fix->Type;
            typeTold_ = true;
        } else if (says == true && fix_.Type == FixType::NoFix) {
            fix_.Type.reset(); // a fix, of a kind no message has told yet
        }
        if (fix->Solution) {
            betterSolution = !solutionTold_ || !fix_.Solution || *fix->Solution > *fix_.Solution;
            if (betterSolution)
                fix_.Solution = fix->Solution;
            solutionTold_ = true;
        }
    }
    if (!fix->Quality.empty() && (!qualityTold_ || betterSolution)) {
        fix_.Quality = fix->Quality;
        qualityTold_ = true;
    }
    if (fix->SatellitesUsed)
        fix_.SatellitesUsed = fix->SatellitesUsed;
    return lost;
}

std::string FixText(const FixStatus& fix) {
    if (fix.Type == FixType::NoFix)
        return "no fix";
    if (fix.Solution == Solution::RtkFixed)
        return "RTK fixed";
    if (fix.Solution == Solution::RtkFloat)
        return "RTK float";
    if (fix.Solution == Solution::Differential)
        return "DGNSS";
    if (!fix.Type)
        return fix.Solution ? "fix" : "";
    switch (*fix.Type) {
    case FixType::Fix3D:
        return "3D";
    case FixType::Fix2D:
        return "2D";
    case FixType::DeadReckoning:
        return "dead reckoning";
    case FixType::GnssDeadReckoning:
        return "GNSS + dead reckoning";
    case FixType::TimeOnly:
        return "time only";
    case FixType::NoFix:
        break;
    }
    return "no fix";
}

std::string RtkText(const FixStatus& fix) {
    const bool corrected =
        fix.Type != FixType::NoFix && fix.Solution && *fix.Solution != Solution::Autonomous;
    return corrected ? FixText(fix) : "no corrections";
}

} // namespace protocol
