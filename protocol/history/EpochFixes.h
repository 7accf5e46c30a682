#pragma once
// The receiver state's ended epochs as fix records for the position history.

#include "protocol/history/PositionHistory.h"
#include "protocol/state/ReceiverState.h"

#include <cstdint>
#include <optional>

namespace protocol {

// The kind of fix: RTK fixed or float and DGNSS by the correction the
// epoch's messages told (GGA quality, NAV-PVT carrSoln and diffSoln, PUBX
// status), else 2D, 3D or dead reckoning by its type. A fix whose dimension
// no message told (GGA or RMC alone) counts as 3D when it has a height.
FixKind KindOf(const FixStatus& fix, bool hasHeight);

// The record of an epoch with a fix, a position and a time of day; nothing
// for an epoch without.
std::optional<FixRecord> RecordOf(const EpochValues& epoch);

// Adds the fix of each epoch the state ended since the last call.
class EpochFixes {
public:
    // Call after each message folded into the state; true when a fix was added.
    bool TakeEnded(const ReceiverState& state, PositionHistory& history);
    // The state started afresh: its epochs count from 0 again.
    void Restart() { taken_ = 0; }

private:
    std::uint64_t taken_ = 0;
};

} // namespace protocol
