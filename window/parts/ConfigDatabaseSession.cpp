#include "window/parts/ConfigDatabaseSession.h"

#include "protocol/UbxVocabulary.h"
#include "protocol/configkeys/ConfigKeyId.h"
#include "protocol/configkeys/ConfigValueText.h"
#include "window/parts/UbxCommander.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <set>

namespace {

// Pages asked at once: enough to keep the line busy while the window waits
// for its next receive interval, few enough for a receiver's input buffer
// (24 polls are 384 bytes).
constexpr std::size_t kPagesInFlight = 24;

const char* LayerName(std::size_t index) {
    static constexpr const char* kNames[] = {"RAM", "BBR", "Flash", "Default"};
    return kNames[index];
}

// "Read 990 keys from RAM, 0 from BBR, 0 from Flash and 990 from Default in 2.1 s".
QString ReadReport(const std::vector<ubx::TConfigLayer>& layers, const TConfigReadFigures& read) {
    QString text = "Read ";
    for (std::size_t index = 0; index < layers.size(); ++index) {
        const std::size_t layer = ConfigLayerIndex(layers[index]);
        text += index == 0 ? "" : index + 1 == layers.size() ? " and " : ", ";
        const std::size_t count = read.keys[layer];
        const char* what = index > 0 ? "" : count == 1 ? " key" : " keys";
        text += QString::number(count) + what + " from " + LayerName(layer);
    }
    return text + " in " + QString::number(read.took.count() / 1000.0, 'f', 1) + " s";
}

bool Names(const std::vector<std::uint32_t>& wildcards, std::uint32_t key) {
    return std::any_of(wildcards.begin(), wildcards.end(), [key](std::uint32_t wildcard) {
        return ubx::ConfigWildcardNames(wildcard, key);
    });
}

} // namespace

std::size_t ConfigLayerIndex(ubx::TConfigLayer layer) {
    return static_cast<std::size_t>(std::find(kConfigLayers.begin(), kConfigLayers.end(), layer) -
                                    kConfigLayers.begin());
}

TConfigDatabaseSession::TConfigDatabaseSession(QObject* parent, TUbxCommander& commander)
    : QObject(parent), commander_(commander) {}

void TConfigDatabaseSession::Start() {
    if (busy_)
        throw ubx::EConfigError(
            "The configuration is still being read or written: wait for its answer");
    if (!commander_.CanSend())
        throw ubx::EConfigError("Open the port to the receiver first");
    busy_ = true;
    written_.clear();
    writeTaken_ = true;
    emit BusyChanged(true);
}

void TConfigDatabaseSession::Read(std::vector<std::uint32_t> wildcards,
                                  std::vector<ubx::TConfigLayer> layers) {
    Start();
    StartRead(wildcards, std::move(layers));
}

void TConfigDatabaseSession::StartRead(const std::vector<std::uint32_t>& wildcards,
                                       std::vector<ubx::TConfigLayer> layers) {
    // What the layers held before is forgotten, so a deleted value shows as gone.
    for (auto& [key, layerValues] : values_)
        if (Names(wildcards, key))
            for (const ubx::TConfigLayer layer : layers)
                layerValues[ConfigLayerIndex(layer)].reset();
    plan_.emplace(layers, wildcards, kPagesInFlight);
    readLayers_ = std::move(layers);
    readProblem_.clear();
    figures_ = {};
    readStart_ = std::chrono::steady_clock::now();
    SendPages();
}

void TConfigDatabaseSession::SendPages() {
    for (const ubx::TConfigPage& page :
         readProblem_.isEmpty() ? plan_->Next() : std::vector<ubx::TConfigPage>{}) {
        if (!readProblem_.isEmpty()) {
            plan_->Answered(page, 0); // never sent
            continue;
        }
        const std::uint32_t keys[] = {page.wildcard};
        try {
            commander_.Send(
                ubx::CfgValGetPoll(page.layer, keys, page.position),
                [this, page](const ubx::TCommandOutcome& outcome) { PageSettled(page, outcome); });
            ++figures_.polls;
        } catch (const std::exception& error) {
            // The port closed under the read: nothing more goes out.
            readProblem_ = QString::fromStdString(error.what());
            plan_->Answered(page, 0);
        }
    }
    if (plan_->InFlight() == 0 && (!readProblem_.isEmpty() || plan_->Done()))
        ReadEnded();
}

void TConfigDatabaseSession::PageSettled(const ubx::TConfigPage& page,
                                         const ubx::TCommandOutcome& outcome) {
    std::size_t count = 0;
    const std::size_t layer = ConfigLayerIndex(page.layer);
    if (outcome.kind == ubx::TAnswerKind::Answered) {
        const auto answer = ubx::ReadCfgValGet(outcome.answer);
        if (answer && answer->layer == page.layer && answer->position == page.position) {
            for (const ubx::TConfigValue& value : answer->values)
                values_[value.key][layer] = value.value;
            count = answer->values.size();
            figures_.keys[layer] += count;
        } else if (readProblem_.isEmpty()) {
            readProblem_ = QString("CFG-VALGET: the answer for %1 from position %2 does not "
                                   "fit the poll")
                               .arg(LayerName(layer))
                               .arg(page.position);
        }
    } else if (outcome.kind != ubx::TAnswerKind::Rejected && readProblem_.isEmpty()) {
        // A refused page lies past the layer's last key; an unanswered one ends the read.
        readProblem_ = OutcomeText(outcome);
    }
    plan_->Answered(page, count);
    SendPages();
}

void TConfigDatabaseSession::ReadEnded() {
    figures_.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - readStart_);
    QString read = ReadReport(readLayers_, figures_);
    const std::size_t total =
        std::accumulate(figures_.keys.begin(), figures_.keys.end(), std::size_t{0});
    if (total == 0 && readProblem_.isEmpty())
        read += ": the receiver holds none of these keys (receivers before generation 9 have no "
                "configuration database)";
    const QString report =
        written_ + (readProblem_.isEmpty() ? read : readProblem_ + ". " + read + " before that");
    plan_.reset();
    busy_ = false;
    emit ValuesChanged();
    emit BusyChanged(false);
    emit Finished(report, writeTaken_ && readProblem_.isEmpty());
}

void TConfigDatabaseSession::Apply(std::uint8_t layers, std::vector<ubx::TConfigValue> values) {
    if (values.empty())
        throw ubx::EConfigError("No value was changed: edit a value first");
    const std::vector<TUBXPacket> messages = ubx::CfgValSetMessages(layers, values);
    std::vector<std::uint32_t> keys;
    for (const ubx::TConfigValue& value : values)
        keys.push_back(value.key);
    Start();
    Write(messages, keys);
}

void TConfigDatabaseSession::Revert(std::uint8_t layers, std::vector<std::uint32_t> keys) {
    if (keys.empty())
        throw ubx::EConfigError("Choose the keys or the group to revert");
    std::vector<TUBXPacket> messages;
    if (const std::uint8_t stored = layers & (ubx::kLayerBbr | ubx::kLayerFlash); stored != 0)
        messages = ubx::CfgValDelMessages(stored, keys);
    if (layers & ubx::kLayerRam) {
        std::vector<ubx::TConfigValue> defaults;
        const std::size_t index = ConfigLayerIndex(ubx::TConfigLayer::Default);
        for (const std::uint32_t key : keys) {
            const auto found = values_.find(key);
            if (found == values_.end() || !found->second[index])
                throw ubx::EConfigError("The default value of " + ubx::ConfigKeyText(key) +
                                        " is not known: read it first");
            defaults.push_back({key, *found->second[index]});
        }
        const auto set = ubx::CfgValSetMessages(ubx::kLayerRam, defaults);
        messages.insert(messages.end(), set.begin(), set.end());
    }
    if (messages.empty())
        throw ubx::EConfigError("Choose the layers to revert: RAM, BBR or Flash");
    Start();
    Write(messages, keys);
}

void TConfigDatabaseSession::Write(const std::vector<TUBXPacket>& messages,
                                   const std::vector<std::uint32_t>& keys) {
    std::set<std::uint32_t> groups;
    for (const std::uint32_t key : keys)
        groups.insert(ubx::ConfigGroupWildcard(ubx::ConfigKeyGroupId(key)));
    // Each message's outcome in the order sent; the report names the first
    // that was not taken, else the last.
    using TOutcomes = std::vector<std::optional<ubx::TCommandOutcome>>;
    const auto outcomes = std::make_shared<TOutcomes>(messages.size());
    const auto settled = [this, outcomes, groups](std::size_t index,
                                                  const ubx::TCommandOutcome& outcome) {
        (*outcomes)[index] = outcome;
        if (std::any_of(outcomes->begin(), outcomes->end(), [](const auto& each) { return !each; }))
            return;
        const auto refused = std::find_if(outcomes->begin(), outcomes->end(), [](const auto& each) {
            return each->kind != ubx::TAnswerKind::Acknowledged;
        });
        writeTaken_ = refused == outcomes->end();
        written_ = OutcomeText(writeTaken_ ? *outcomes->back() : **refused) + ". ";
        // Read back even after a refusal: the user sees what holds.
        StartRead({groups.begin(), groups.end()}, {kConfigLayers.begin(), kConfigLayers.end()});
    };
    for (std::size_t index = 0; index < messages.size(); ++index) {
        try {
            commander_.Send(messages[index], [settled, index](const ubx::TCommandOutcome& outcome) {
                settled(index, outcome);
            });
        } catch (const std::exception&) {
            if (index == 0) {
                busy_ = false;
                emit BusyChanged(false);
                throw;
            }
            // What went out still settles; the rest counts as unanswered.
            for (std::size_t rest = index; rest < messages.size(); ++rest) {
                ubx::TCommandOutcome unsent;
                unsent.command = UbxMessageName(messages[rest].pkClass, messages[rest].ID);
                settled(rest, unsent);
            }
            throw;
        }
    }
}
