#include "window/blocks/HealthTexts.h"

#include "protocol/commands/UbxCommands.h"

#include <cmath>

namespace {
using protocol::AntennaStatus;
using protocol::JammingState;

// The bands a block's spectrum may be centred on.
struct TBandCentre {
    const char* Name;
    double MHz;
};
constexpr TBandCentre kBandCentres[] = {{"L1", 1575.42}, {"L2", 1227.60}, {"L5", 1176.45}};
constexpr double kNearBandMHz = 30;

QString AntennaWarning(const protocol::RfBlockStatus& block) {
    if (block.Antenna == AntennaStatus::Short)
        return "Antenna short circuit: the antenna or its cable is shorted; check them";
    if (block.Antenna == AntennaStatus::Open)
        return "Antenna open: no antenna is connected, or its cable is broken";
    return {};
}
} // namespace

QString PortName(int portId) {
    const int number = portId >> 8;
    if (number >= 0 && number < static_cast<int>(ubx::kMsgRatePorts.size()) - 1)
        return ubx::kMsgRatePorts[static_cast<std::size_t>(number)];
    return QString("port 0x%1").arg(portId, 4, 16, QChar('0'));
}

QString RfBlockName(int block, std::optional<double> centerMHz) {
    const QString name = QString("RF block %1").arg(block);
    if (!centerMHz)
        return name;
    for (const TBandCentre& band : kBandCentres)
        if (std::abs(*centerMHz - band.MHz) < kNearBandMHz)
            return name + " (" + band.Name + ")";
    return name;
}

QString AntennaText(const protocol::RfBlockStatus& block) {
    QString status;
    switch (block.Antenna) {
    case AntennaStatus::Init:
        status = "starting";
        break;
    case AntennaStatus::Unknown:
        status = "unknown";
        break;
    case AntennaStatus::Ok:
        status = "OK";
        break;
    case AntennaStatus::Short:
        status = "short";
        break;
    case AntennaStatus::Open:
        status = "open";
        break;
    }
    if (block.Power == protocol::AntennaPower::Off)
        return block.Antenna == AntennaStatus::Ok || block.Antenna == AntennaStatus::Unknown
                   ? QString("off")
                   : status + ", power off";
    return block.Power == protocol::AntennaPower::On ? status + ", power on" : status;
}

QString JammingText(JammingState state) {
    switch (state) {
    case JammingState::Ok:
        return "OK";
    case JammingState::Warning:
        return "warning";
    case JammingState::Critical:
        return "critical";
    default:
        return "unknown";
    }
}

QStringList THealthWarnings::Of(const std::optional<std::vector<protocol::RfBlockStatus>>& blocks,
                                const std::optional<protocol::CommsReport>& comms, bool commsFresh,
                                const std::map<int, double>& centersMHz) {
    QStringList warnings;
    if (blocks) {
        QString antenna;
        for (const protocol::RfBlockStatus& block : *blocks) {
            if (antenna.isEmpty())
                antenna = AntennaWarning(block);
            if (block.Jamming != JammingState::Warning && block.Jamming != JammingState::Critical)
                continue;
            const auto center = centersMHz.find(block.Block);
            warnings << QString("%1 is jammed (%2, indicator %3 of 255): interference near the "
                                "antenna disturbs reception")
                            .arg(RfBlockName(block.Block, center == centersMHz.end()
                                                              ? std::nullopt
                                                              : std::optional(center->second)),
                                 JammingText(block.Jamming))
                            .arg(block.JammingIndicator);
        }
        if (!antenna.isEmpty())
            warnings.prepend(antenna);
    }
    if (!comms)
        commsWarnings_.clear();
    else if (commsFresh) {
        commsWarnings_.clear();
        for (const protocol::PortTraffic& port : comms->Ports) {
            const QString name = PortName(port.PortId);
            if (port.TxUsagePercent >= kTxBufferWarningPercent)
                commsWarnings_ << QString("%1 transmit buffer %2 % full: the receiver is dropping "
                                          "output; lower message rates or raise the baud rate")
                                      .arg(name)
                                      .arg(port.TxUsagePercent);
            const auto before = overruns_.find(port.PortId);
            if (before != overruns_.end() && port.Overruns > before->second)
                commsWarnings_ << QString("%1 receive overruns rose from %2 to %3: the receiver "
                                          "lost bytes sent to it")
                                      .arg(name)
                                      .arg(before->second)
                                      .arg(port.Overruns);
            overruns_[port.PortId] = port.Overruns;
        }
    }
    return warnings + commsWarnings_;
}
