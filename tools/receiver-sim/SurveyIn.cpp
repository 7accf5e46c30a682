#include "tools/receiver-sim/SurveyIn.h"

#include "tools/receiver-sim/UbxOutput.h"

#include <cmath>

namespace {
// The accuracy of one fix; the mean of n independent fixes is sqrt(n) better.
constexpr double kFixAccuracyM = 3.0;

std::int64_t EpochMs(const NavigationSolution& solution) {
    return static_cast<std::int64_t>(solution.utc) * 1000 + solution.millisecond;
}
} // namespace

void SurveyIn::Restart(SurveyInSettings settings) {
    *this = SurveyIn(settings);
}

void SurveyIn::Observe(const NavigationSolution& solution) {
    if (valid_ || !solution.fix)
        return;
    if (observations_ == 0)
        firstMs_ = EpochMs(solution);
    ++observations_;
    durationMs_ = EpochMs(solution) - firstMs_;
    const EcefVector position = EcefPosition(solution);
    for (size_t axis = 0; axis < sum_.size(); ++axis)
        sum_[axis] += position[axis];
    valid_ = durationMs_ >= std::chrono::milliseconds(settings_.minDuration).count() &&
             MeanAccuracyM() <= settings_.accuracyLimitM;
}

double SurveyIn::MeanAccuracyM() const {
    return observations_ == 0 ? 0 : kFixAccuracyM / std::sqrt(observations_);
}

EcefVector SurveyIn::Mean() const {
    EcefVector mean{};
    for (size_t axis = 0; axis < mean.size() && observations_ > 0; ++axis)
        mean[axis] = sum_[axis] / observations_;
    return mean;
}

// Version 0: iTOW, duration, the mean in cm and its remainder in 0.1 mm, its
// accuracy in 0.1 mm, the observations, valid and active.
std::string NavSvinFrame(const SurveyIn& survey, const NavigationSolution& solution) {
    std::string payload(4, '\0');
    PutUnsigned(payload, EpochTimeOfWeekMs(solution), 4);
    PutUnsigned(payload, survey.DurationS(), 4);
    const EcefVector mean = survey.Mean();
    std::string remainders;
    for (const double metres : mean) {
        const double centimetres = std::trunc(metres * 100);
        PutSigned(payload, centimetres);
        PutSigned(remainders, (metres * 100 - centimetres) * 100, 1);
    }
    payload += remainders + '\0';
    PutUnsigned(payload, static_cast<std::uint32_t>(std::lround(survey.MeanAccuracyM() * 1e4)), 4);
    PutUnsigned(payload, survey.Observations(), 4);
    PutUnsigned(payload, survey.Valid() ? 1 : 0, 1);
    PutUnsigned(payload, survey.Active() ? 1 : 0, 1);
    payload += std::string(2, '\0');
    return UbxFrame(kUbxClassNav, kUbxIdNavSvin, payload);
}
