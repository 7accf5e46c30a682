#include "tools/receiver-sim/LineNoise.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kTolerance = 0.02;
}

std::string LineNoise::Garble(std::string_view sent, std::uint32_t talkRate,
                              std::uint32_t listenRate) {
    const double ratio = std::min(1.0, static_cast<double>(listenRate) / std::max(1u, talkRate));
    const auto count = static_cast<size_t>(std::ceil(static_cast<double>(sent.size()) * ratio));
    std::uniform_int_distribution<int> byte(0, 255);
    std::string noise;
    while (noise.size() < count) {
        const auto value = static_cast<unsigned char>(byte(random_));
        if (value != '$' && value != 0xB5)
            noise.push_back(static_cast<char>(value));
    }
    return noise;
}

bool RatesAgree(std::uint32_t talkRate, std::uint32_t listenRate) {
    return std::fabs(static_cast<double>(listenRate) - talkRate) <= kTolerance * talkRate;
}
