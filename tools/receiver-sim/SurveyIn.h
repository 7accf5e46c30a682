#pragma once
// A base station's survey-in: it averages its fixes until it has done so for
// the time asked for and the mean position is as accurate as asked for;
// from then on the mean is the station's position (RTCM 1005). NAV-SVIN
// reports the progress.

#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/UbxEcefOutput.h"

#include <chrono>
#include <cstdint>
#include <string>

struct SurveyInSettings {
    std::chrono::seconds minDuration{60};
    double accuracyLimitM = 2.0;
    friend bool operator==(const SurveyInSettings&, const SurveyInSettings&) = default;
};

class SurveyIn {
public:
    explicit SurveyIn(SurveyInSettings settings = {}) : settings_(settings) {}

    // Starts afresh: the mean is forgotten.
    void Restart(SurveyInSettings settings);
    // Takes the epoch's solution in, while the survey is active.
    void Observe(const NavigationSolution& solution);

    bool Valid() const { return valid_; }
    bool Active() const { return !valid_ && observations_ > 0; }
    std::uint32_t DurationS() const { return static_cast<std::uint32_t>(durationMs_ / 1000); }
    std::uint32_t Observations() const { return observations_; }
    double MeanAccuracyM() const; // 0 before the first observation
    EcefVector Mean() const;
    const SurveyInSettings& Settings() const { return settings_; }

private:
    SurveyInSettings settings_;
    std::int64_t firstMs_ = 0, durationMs_ = 0;
    std::uint32_t observations_ = 0;
    EcefVector sum_{};
    bool valid_ = false;
};

inline constexpr std::uint8_t kUbxIdNavSvin = 0x3B;

std::string NavSvinFrame(const SurveyIn& survey, const NavigationSolution& solution);
