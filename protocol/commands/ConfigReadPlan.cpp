#include "protocol/commands/ConfigReadPlan.h"

#include "protocol/configkeys/ConfigKeyId.h"

#include <algorithm>

namespace ubx {
namespace {

constexpr std::uint32_t kItemWildcard = 0xFFF;

std::size_t TableKeys(std::uint32_t wildcard) {
    return static_cast<std::size_t>(
        std::count_if(ConfigKeys().begin(), ConfigKeys().end(), [&](const TConfigKey& key) {
            return ConfigWildcardNames(wildcard, key.id);
        }));
}

} // namespace

bool ConfigWildcardNames(std::uint32_t wildcard, std::uint32_t key) {
    if ((wildcard & kItemWildcard) != kItemWildcard)
        return wildcard == key;
    return wildcard == kAllConfigKeys || ConfigKeyGroupId(wildcard) == ConfigKeyGroupId(key);
}

TConfigReadPlan::TConfigReadPlan(std::span<const TConfigLayer> layers,
                                 std::span<const std::uint32_t> wildcards, std::size_t maxInFlight)
    : maxInFlight_(std::max<std::size_t>(maxInFlight, 1)) {
    for (const std::uint32_t wildcard : wildcards) {
        const std::size_t tablePages =
            (TableKeys(wildcard) + kMaxConfigKeysPerMessage - 1) / kMaxConfigKeysPerMessage;
        for (const TConfigLayer layer : layers) {
            const bool holdsEveryKey = layer == TConfigLayer::Ram || layer == TConfigLayer::Default;
            streams_.push_back({layer, wildcard, holdsEveryKey ? tablePages : 1});
        }
    }
}

bool TConfigReadPlan::MaySend(const Stream& stream) const {
    if (stream.ended)
        return false;
    return stream.sent < stream.togetherPages || stream.out == 0;
}

std::vector<TConfigPage> TConfigReadPlan::Next() {
    std::vector<TConfigPage> pages;
    while (inFlight_ < maxInFlight_) {
        // The stream with the fewest pages out goes next, so every layer moves on.
        Stream* next = nullptr;
        for (Stream& stream : streams_)
            if (MaySend(stream) && (!next || stream.out < next->out))
                next = &stream;
        if (!next)
            break;
        const std::size_t position = next->sent * kMaxConfigKeysPerMessage;
        if (position > UINT16_MAX) {
            next->ended = true;
            continue;
        }
        pages.push_back({next->layer, next->wildcard, static_cast<std::uint16_t>(position)});
        ++next->sent;
        ++next->out;
        ++inFlight_;
    }
    return pages;
}

void TConfigReadPlan::Answered(const TConfigPage& page, std::size_t values) {
    for (Stream& stream : streams_) {
        if (stream.layer != page.layer || stream.wildcard != page.wildcard || stream.out == 0)
            continue;
        --stream.out;
        --inFlight_;
        if (values < kMaxConfigKeysPerMessage)
            stream.ended = true;
        return;
    }
}

bool TConfigReadPlan::Done() const {
    return inFlight_ == 0 && std::all_of(streams_.begin(), streams_.end(),
                                         [](const Stream& stream) { return stream.ended; });
}

} // namespace ubx
