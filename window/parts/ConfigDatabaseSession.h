#pragma once
// The configuration database of a generation 9+ receiver as the window sees
// it, read and written through the UBX commander:
// - Read asks the chosen layers for a group's keys or every key, pages of 64
//   values by wildcard CFG-VALGET polls, several at once (ConfigReadPlan.h),
//   and keeps every key the receiver reports, those the table lacks too;
// - Apply writes values into the chosen layers with CFG-VALSET, one
//   transaction when they need more than one message;
// - Revert deletes keys from BBR and flash with CFG-VALDEL and, for RAM,
//   sets their Default values back;
// each write is followed by reading its keys' groups back. One task runs at
// a time; its outcome comes as one line, "CFG-VALSET: ACK-ACK after 84 ms.
// Read 5 keys from RAM, 1 from BBR, 0 from Flash and 5 from Default in 1.1 s".

#include "protocol/commands/ConfigReadPlan.h"
#include "protocol/commands/ConfigValues.h"

#include <QObject>
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class TUbxCommander;
namespace ubx {
struct TCommandOutcome;
}

// RAM, BBR, Flash, Default: the index of each layer's value.
inline constexpr std::array<ubx::TConfigLayer, 4> kConfigLayers = {
    ubx::TConfigLayer::Ram, ubx::TConfigLayer::Bbr, ubx::TConfigLayer::Flash,
    ubx::TConfigLayer::Default};
std::size_t ConfigLayerIndex(ubx::TConfigLayer layer);

// A key's value in each layer, none where the layer does not hold it.
using TLayerValues = std::array<std::optional<std::uint64_t>, 4>;

// What the last read took.
struct TConfigReadFigures {
    std::size_t polls = 0;
    std::array<std::size_t, 4> keys{}; // per layer
    std::chrono::milliseconds took{0};
};

class TConfigDatabaseSession : public QObject {
    Q_OBJECT
public:
    TConfigDatabaseSession(QObject* parent, TUbxCommander& commander);

    // Each throws EConfigError while the port is closed or another task
    // runs, and for a request the messages cannot carry.
    // wildcards: kAllConfigKeys or group wildcards (ConfigReadPlan.h).
    void Read(std::vector<std::uint32_t> wildcards,
              std::vector<ubx::TConfigLayer> layers = {kConfigLayers.begin(), kConfigLayers.end()});
    // layers: a mask of kLayerRam, kLayerBbr and kLayerFlash.
    void Apply(std::uint8_t layers, std::vector<ubx::TConfigValue> values);
    // RAM takes the keys' Default values, which must have been read.
    void Revert(std::uint8_t layers, std::vector<std::uint32_t> keys);

    bool Busy() const { return busy_; }
    const std::map<std::uint32_t, TLayerValues>& Values() const { return values_; }
    const TConfigReadFigures& LastRead() const { return figures_; }

signals:
    void BusyChanged(bool busy);
    // Values() changed.
    void ValuesChanged();
    // A task ended: its report, and whether everything was taken and read.
    void Finished(const QString& report, bool succeeded);

private:
    void Start();
    void StartRead(const std::vector<std::uint32_t>& wildcards,
                   std::vector<ubx::TConfigLayer> layers);
    void SendPages();
    void PageSettled(const ubx::TConfigPage& page, const ubx::TCommandOutcome& outcome);
    void ReadEnded();
    // Sends the messages together; once all have settled, reads the keys'
    // groups back.
    void Write(const std::vector<TUBXPacket>& messages, const std::vector<std::uint32_t>& keys);

    TUbxCommander& commander_;
    bool busy_ = false;
    std::map<std::uint32_t, TLayerValues> values_;
    std::optional<ubx::TConfigReadPlan> plan_;
    std::vector<ubx::TConfigLayer> readLayers_;
    std::chrono::steady_clock::time_point readStart_;
    TConfigReadFigures figures_;
    QString written_; // a write's outcome, ahead of its read-back's
    bool writeTaken_ = true;
    QString readProblem_; // why the read stopped early
};
