#include "protocol/history/StreamFixes.h"

#include "protocol/framing/Framer.h"
#include "protocol/history/EpochFixes.h"
#include "protocol/history/FixMessages.h"

#include <limits>

namespace protocol {

PositionHistory FixesOfStream(std::string_view bytes) {
    PositionHistory history(std::numeric_limits<std::size_t>::max());
    ReceiverState state;
    EpochFixes fixes;
    // Rates are not wanted: every message counts as received at 0 s. Only
    // the messages that tell of the fix are decoded: the others leave every
    // fix record and epoch as it is.
    const Framer::Sink fold = [&](Message&& message) {
        if (!TellsOfFix(message))
            return;
        state.Fold(message, 0);
        fixes.TakeEnded(state, history);
    };
    Framer framer;
    framer.Feed(bytes, fold);
    framer.Flush(fold);
    state.EndEpoch();
    fixes.TakeEnded(state, history);
    return history;
}

} // namespace protocol
