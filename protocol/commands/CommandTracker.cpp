#include "protocol/commands/CommandTracker.h"

#include "protocol/commands/ConfigValues.h"
#include "protocol/commands/UbxCommands.h"

#include <algorithm>

namespace ubx {
namespace {

// Polls that carry a payload naming what they poll: CFG-PRT (port id),
// CFG-MSG (class and id), CFG-INF (protocol id).
constexpr std::uint8_t kIdCfgInf = 0x02;
bool IsPollWithSelector(std::uint8_t ubxClass, std::uint8_t id, std::size_t size) {
    if (ubxClass != kClassCfg)
        return false;
    return (id == kIdCfgPrt && size == 1) || (id == kIdCfgMsg && size == 2) ||
           (id == kIdCfgInf && size == 1);
}

// CFG-VALGET names the keys it polls, and its answer (a CFG-VALGET of
// another version, with the values) does not start with the poll's payload.
bool IsValGet(std::uint8_t ubxClass, std::uint8_t id) {
    return ubxClass == kClassCfg && id == kIdCfgValGet;
}

// The longest answer of a command other than CFG-VALGET: a MON-VER with
// several extensions.
constexpr std::size_t kLongAnswerBytes = 300;
constexpr std::size_t kFrameBytes = 8;        // sync, class, id, length, checksum
constexpr std::size_t kValGetHeaderBytes = 4; // version, layer, position
constexpr std::size_t kLongestKeyBytes = 4 + 8;
constexpr std::chrono::milliseconds kReceiverAnswerTime{1000};

// A receiver restarts without a word: nothing to wait for.
bool IsReset(std::uint8_t ubxClass, std::uint8_t id) {
    return ubxClass == kClassCfg && id == kIdCfgRst;
}

} // namespace

std::string_view AnswerKindText(TAnswerKind kind) {
    static constexpr std::string_view kWhat[] = {"ACK-ACK",   "ACK-NAK", "answered",
                                                 "no answer", "sent",    "not sent"};
    return kWhat[static_cast<int>(kind)];
}

std::string TCommandOutcome::Text() const {
    if (kind == TAnswerKind::Sent)
        return command + ": sent (receivers do not answer a reset)";
    if (kind == TAnswerKind::NotSent)
        return command + ": not sent (the port closed before its turn)";
    return command + ": " + std::string(AnswerKindText(kind)) + " after " +
           std::to_string(after.count()) + " ms";
}

std::size_t LongestAnswerBytes(const TUBXPacket& command) {
    if (IsValGet(command.pkClass, command.ID))
        return kFrameBytes + kValGetHeaderBytes + kMaxConfigKeysPerMessage * kLongestKeyBytes;
    return kLongAnswerBytes;
}

std::chrono::milliseconds AnswerTimeout(std::int32_t baudRate, std::size_t commandBytes,
                                        std::size_t answerBytes,
                                        std::chrono::milliseconds receivePoll) {
    // Ten bits a byte: start, eight data bits, stop.
    const long long bits = 10LL * static_cast<long long>(commandBytes + answerBytes);
    const long long lineMs = baudRate > 0 ? (bits * 1000 + baudRate - 1) / baudRate : 0;
    return kReceiverAnswerTime + std::chrono::milliseconds(lineMs) + receivePoll;
}

bool IsPoll(const TUBXPacket& command) {
    return command.PayLoad.empty() ||
           IsPollWithSelector(command.pkClass, command.ID, command.PayLoad.size()) ||
           IsValGet(command.pkClass, command.ID);
}

TCommandTracker::TCommandTracker(TClock clock) : clock_(std::move(clock)) {}

std::uint64_t TCommandTracker::Track(std::string name, const TUBXPacket& command,
                                     std::chrono::milliseconds timeout) {
    const auto now = clock_();
    const bool poll = IsPoll(command);
    const bool reset = IsReset(command.pkClass, command.ID);
    const bool selects = poll && !IsValGet(command.pkClass, command.ID);
    pending_.push_back({nextTicket_, std::move(name), command.pkClass, command.ID,
                        selects ? command.PayLoad : TPayload{}, poll, false, now,
                        reset ? now : now + timeout});
    return nextTicket_++;
}

void TCommandTracker::Restart(std::uint64_t ticket) {
    const auto entry =
        std::find_if(pending_.begin(), pending_.end(),
                     [ticket](const Pending& pending) { return pending.ticket == ticket; });
    if (entry == pending_.end())
        return;
    const auto now = clock_();
    entry->deadline = now + (entry->deadline - entry->sent);
    entry->sent = now;
}

TCommandOutcome TCommandTracker::Settle(std::deque<Pending>::iterator entry, TAnswerKind kind) {
    TCommandOutcome outcome;
    outcome.ticket = entry->ticket;
    outcome.command = entry->name;
    outcome.kind = kind;
    outcome.after = std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - entry->sent);
    return outcome;
}

std::vector<TCommandOutcome> TCommandTracker::Receive(std::uint8_t ubxClass, std::uint8_t id,
                                                      std::span<const std::uint8_t> payload) {
    if (ubxClass == kClassAck && (id == kIdAckAck || id == kIdAckNak))
        return ReceiveAck(id == kIdAckAck, payload);
    const auto answers = [&](const Pending& entry) {
        return entry.poll && !entry.answered && entry.ubxClass == ubxClass && entry.id == id &&
               payload.size() >= entry.pollSelector.size() &&
               std::equal(entry.pollSelector.begin(), entry.pollSelector.end(), payload.begin());
    };
    const auto entry = std::find_if(pending_.begin(), pending_.end(), answers);
    if (entry == pending_.end())
        return {};
    TCommandOutcome outcome = Settle(entry, TAnswerKind::Answered);
    outcome.answerClass = ubxClass;
    outcome.answerId = id;
    outcome.answer.assign(payload.begin(), payload.end());
    // A configuration poll is acknowledged after its answer: keep the entry
    // until then so that ACK-ACK settles nothing else.
    if (ubxClass == kClassCfg)
        entry->answered = true;
    else
        pending_.erase(entry);
    return {outcome};
}

std::vector<TCommandOutcome> TCommandTracker::ReceiveAck(bool acknowledged,
                                                         std::span<const std::uint8_t> payload) {
    if (payload.size() != 2)
        return {};
    const auto names = [&](const Pending& entry) {
        return entry.ubxClass == payload[0] && entry.id == payload[1] &&
               // A poll still waiting for its answer is settled only by a NAK.
               (!entry.poll || entry.answered || !acknowledged);
    };
    const auto entry = std::find_if(pending_.begin(), pending_.end(), names);
    if (entry == pending_.end())
        return {};
    std::vector<TCommandOutcome> outcomes;
    if (!entry->answered)
        outcomes.push_back(
            Settle(entry, acknowledged ? TAnswerKind::Acknowledged : TAnswerKind::Rejected));
    pending_.erase(entry);
    return outcomes;
}

std::vector<TCommandOutcome> TCommandTracker::Expire() {
    const auto now = clock_();
    std::vector<TCommandOutcome> outcomes;
    for (auto entry = pending_.begin(); entry != pending_.end();) {
        if (entry->deadline > now) {
            ++entry;
            continue;
        }
        const bool reset = IsReset(entry->ubxClass, entry->id);
        if (!entry->answered)
            outcomes.push_back(Settle(entry, reset ? TAnswerKind::Sent : TAnswerKind::NoAnswer));
        entry = pending_.erase(entry);
    }
    return outcomes;
}

} // namespace ubx
