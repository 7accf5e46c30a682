#pragma once
// The receiver's health in words: names of its ports and RF blocks, its
// antenna and jamming states, and the warnings that tell the user what to
// do when the cause of trouble lies outside the solution: an antenna
// shorted or open, a jammer, a transmit buffer running full or receive
// overruns growing.

#include "protocol/decoding/Decoded.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

// "UART1", "USB"; "port 0x0501" for one not known.
QString PortName(int portId);
// "RF block 0 (L1)" with the band its spectrum's centre lies in, where known.
QString RfBlockName(int block, std::optional<double> centerMHz);
// "OK, power on", "short, power off"
QString AntennaText(const protocol::RfBlockStatus& block);
QString JammingText(protocol::JammingState state);

// A transmit buffer this full or more is warned of.
inline constexpr int kTxBufferWarningPercent = 80;

// The warnings of the latest reports; overruns are warned of when they grew
// since the report before, so it keeps each port's last count.
class THealthWarnings {
public:
    // Reports that went stale are left out (none). centersMHz: each RF
    // block's spectrum centre, where known.
    QStringList Of(const std::optional<std::vector<protocol::RfBlockStatus>>& blocks,
                   const std::optional<protocol::CommsReport>& comms, bool commsFresh,
                   const std::map<int, double>& centersMHz);

private:
    QStringList commsWarnings_;   // held until the next report
    std::map<int, int> overruns_; // by port id
};
