#pragma once
// What the receiver's antenna and RF front end meet: a narrow-band jammer at
// a frequency, and an antenna whose feed is shorted or open. The receiver has
// two RF blocks: L1, and L2 (generations 8 and 9) or L5 (generation 10).

#include <optional>
#include <vector>

enum class AntennaFault { None, Short, Open };

struct RfConditions {
    std::optional<double> jammerMHz; // a continuous-wave jammer there
    AntennaFault antenna = AntennaFault::None;
};

enum class RfBlockBand { L1, L2, L5 };

struct RfBlockPlan {
    int id = 0; // MON-RF blockId, MON-SPAN block order
    RfBlockBand band = RfBlockBand::L1;
    double centerMHz = 0;                   // of the spectrum shown
    double passLowMHz = 0, passHighMHz = 0; // the band the front end passes
    static constexpr double kSpanMHz = 128;
    bool Shows(double MHz) const {
        return MHz >= centerMHz - kSpanMHz / 2 && MHz < centerMHz + kSpanMHz / 2;
    }
};

std::vector<RfBlockPlan> RfBlocksOf(int generation);

// Whether the jammer sits in the block's spectrum.
bool Jammed(const RfConditions& rf, const RfBlockPlan& block);

// The C/N0 a jammer in a block takes from its signals, in dB.
inline constexpr int kJammedCnoLossDb = 8;
