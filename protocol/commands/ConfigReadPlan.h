#pragma once
// How the configuration database is read with CFG-VALGET: each layer asked
// for each wildcard key (a group's keys or every key), 64 values a page,
// paged by position. The receiver answers in order and the monitor hears the
// answers only once per receive interval, so several pages are asked at
// once: RAM and Default hold every key the receiver knows, so the pages the
// table's keys would fill go out together; BBR and flash hold only what was
// stored there, so their pages go one at a time, as does every page past
// what the table expects. A page with fewer than 64 values, or refused (as
// a page past the last key is, or one of a layer holding none of the keys),
// ends its layer for that wildcard.

#include "protocol/commands/ConfigValues.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ubx {

// Every key there is, and every key of a group, as CFG-VALGET takes them.
inline constexpr std::uint32_t kAllConfigKeys = 0x0FFFFFFF;
constexpr std::uint32_t ConfigGroupWildcard(std::uint8_t groupId) {
    return std::uint32_t{groupId} << 16 | 0xFFF;
}
// True when the wildcard names the key.
bool ConfigWildcardNames(std::uint32_t wildcard, std::uint32_t key);

struct TConfigPage {
    TConfigLayer layer;
    std::uint32_t wildcard;
    std::uint16_t position;
};

class TConfigReadPlan {
public:
    // maxInFlight: the most pages asked and not yet answered.
    TConfigReadPlan(std::span<const TConfigLayer> layers, std::span<const std::uint32_t> wildcards,
                    std::size_t maxInFlight);

    // The pages to ask for now.
    std::vector<TConfigPage> Next();
    // A page was answered with this many values (0 when refused).
    void Answered(const TConfigPage& page, std::size_t values);
    // Every layer ended for every wildcard and no page is still out.
    bool Done() const;
    std::size_t InFlight() const { return inFlight_; }

private:
    struct Stream {
        TConfigLayer layer;
        std::uint32_t wildcard;
        std::size_t togetherPages; // pages that may go out together
        std::size_t sent = 0;      // pages asked
        std::size_t out = 0;       // of them not yet answered
        bool ended = false;
    };
    bool MaySend(const Stream& stream) const;

    std::vector<Stream> streams_;
    std::size_t maxInFlight_;
    std::size_t inFlight_ = 0;
};

} // namespace ubx
