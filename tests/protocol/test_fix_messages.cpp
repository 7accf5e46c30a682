// The track's fixes come from the messages that tell of the fix alone: every
// other message decodes to nothing a fix record holds, and leaving them out
// gives the same records as folding them all, on the simulated receiver's
// mixed NMEA, PUBX and UBX output, restarts (lost fixes) included.

#include "protocol/decoding/Decoder.h"
#include "protocol/framing/Framer.h"
#include "protocol/history/EpochFixes.h"
#include "protocol/history/FixMessages.h"
#include "protocol/history/StreamFixes.h"
#include "tools/receiver-sim/NmeaOutput.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <gtest/gtest.h>
#include <limits>

using namespace protocol;

namespace {

std::string Traffic(bool multiGnss, bool rtk) {
    const NmeaDialect dialect = multiGnss ? NmeaDialect::MultiGnss : NmeaDialect::GpsOnly;
    NavigationModel model(1500000000, 7, multiGnss, rtk);
    std::string traffic;
    for (const auto& sentence : BannerSentences(IdentityOf(9), dialect))
        traffic += sentence;
    for (int epoch = 0; epoch < 120; ++epoch) {
        if (epoch == 60)
            model.Restart(StartKind::Cold);
        const NavigationSolution& s = model.Advance(std::chrono::milliseconds(250));
        for (const std::string_view id : kStandardMessages)
            for (const auto& sentence : StandardMessage(id, s, dialect))
                traffic += sentence;
        traffic += Pubx00Position(s) + Pubx03SatelliteStatus(s) + Pubx04TimeOfDay(s);
        traffic += NavPosllhFrame(s) + NavStatusFrame(s) + NavDopFrame(s) + NavPvtFrame(s) +
                   NavSatFrame(s) + NavSvinfoFrame(s) + AckFrame(true, 0x06, 0x01);
        traffic += "noise\r\n";
    }
    return traffic;
}

} // namespace

TEST(FixMessages, LeavingTheOthersOutKeepsEveryRecord) {
    for (const bool multiGnss : {false, true}) {
        for (const bool rtk : {false, true}) {
            SCOPED_TRACE(testing::Message() << "multi-GNSS " << multiGnss << ", RTK " << rtk);
            const std::string traffic = Traffic(multiGnss, rtk);
            // Every message folded, as the window does.
            PositionHistory all(std::numeric_limits<std::size_t>::max());
            ReceiverState state;
            EpochFixes fixes;
            int leftOut = 0;
            const Framer::Sink fold = [&](Message&& message) {
                const Decoded decoded = Decode(message, DecodeDetail::TypedOnly);
                if (!TellsOfFix(message)) {
                    ++leftOut;
                    EXPECT_FALSE(decoded.Utc || decoded.Position || decoded.Fix || decoded.Dop ||
                                 decoded.Motion || decoded.Accuracy)
                        << decoded.Talker << decoded.Name;
                }
                state.Fold(message, decoded, 0);
                fixes.TakeEnded(state, all);
            };
            Framer framer;
            framer.Feed(traffic, fold);
            framer.Flush(fold);
            state.EndEpoch();
            fixes.TakeEnded(state, all);

            const PositionHistory filtered = FixesOfStream(traffic);
            EXPECT_GT(leftOut, 120 * 4);
            EXPECT_GT(all.size(), 60u);
            ASSERT_EQ(filtered.size(), all.size());
            for (std::size_t i = 0; i < all.size(); ++i)
                EXPECT_TRUE(filtered[i] == all[i]) << "fix " << i;
        }
    }
}
