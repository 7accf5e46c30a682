#include "tools/receiver-sim/RfConditions.h"

std::vector<RfBlockPlan> RfBlocksOf(int generation) {
    // L1: GPS, Galileo E1, BeiDou B1I to GLONASS L1. L2: Galileo E5b and
    // BeiDou B2I to GLONASS L2. L5: GPS L5 and Galileo E5a.
    const RfBlockPlan l1{0, RfBlockBand::L1, 1575.42, 1559, 1610};
    if (generation >= 10)
        return {l1, {1, RfBlockBand::L5, 1176.45, 1164, 1189}};
    return {l1, {1, RfBlockBand::L2, 1227.6, 1197, 1256}};
}

bool Jammed(const RfConditions& rf, const RfBlockPlan& block) {
    return rf.jammerMHz && block.Shows(*rf.jammerMHz);
}
