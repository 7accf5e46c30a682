#pragma once
// Follows every UBX command sent to the receiver until its answer, so the
// user learns whether the receiver took it:
// - a poll (no payload, the short payload that names what is polled, or a
//   CFG-VALGET naming its keys) waits for the polled message; a CFG poll's
//   trailing ACK-ACK is taken in silently;
// - any other command waits for ACK-ACK or ACK-NAK naming its class and id;
// - what has no answer when its time is up ends as "no answer".
// Received UBX frames (class, id, payload, checksum right) come in one by
// one; several commands of the same class and id are answered in the order
// they were sent. Time comes from an injectable clock so tests need not wait.

#include "protocol/UbxFrame.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ubx {

using TClock = std::function<std::chrono::steady_clock::time_point()>;

// Sent: a command no receiver answers (CFG-RST), settled as soon as it went out.
// NotSent: the port closed while the command waited for its turn to go out.
enum class TAnswerKind { Acknowledged, Rejected, Answered, NoAnswer, Sent, NotSent };

// "ACK-ACK", "ACK-NAK", "answered", "no answer", "sent", "not sent".
std::string_view AnswerKindText(TAnswerKind kind);

struct TCommandOutcome {
    std::uint64_t ticket = 0;
    std::string command; // "CFG-PRT"
    TAnswerKind kind = TAnswerKind::NoAnswer;
    std::chrono::milliseconds after{0};
    std::uint8_t answerClass = 0; // the polled message, for Answered
    std::uint8_t answerId = 0;
    TPayload answer;

    // "CFG-PRT: ACK-ACK after 84 ms", "MON-VER: answered after 120 ms",
    // "CFG-RATE: no answer after 2000 ms", "CFG-RST: sent (receivers do not
    // answer a reset)".
    std::string Text() const;
};

// The most bytes the answer to the command can take on the line, frame
// included: a CFG-VALGET answer carries up to 64 keys of up to 8 bytes each,
// any other answer fits a MON-VER with several extensions.
std::size_t LongestAnswerBytes(const TUBXPacket& command);

// How long to wait for an answer: a second for the receiver, plus the time
// the command and answerBytes take on the line at this baud rate, plus the
// monitor's receive poll interval (answers reach it once per interval). The
// receiver answers in order, so answerBytes holds the longest answers of the
// commands still waiting before this one too.
std::chrono::milliseconds AnswerTimeout(std::int32_t baudRate, std::size_t commandBytes,
                                        std::size_t answerBytes,
                                        std::chrono::milliseconds receivePoll);

// True for a command that asks for a message rather than setting one:
// CFG-VALGET, which names its keys, and every other command whose payload is
// empty or just names what it polls.
bool IsPoll(const TUBXPacket& command);

class TCommandTracker {
public:
    explicit TCommandTracker(TClock clock = std::chrono::steady_clock::now);

    // Starts following a command just sent; name is how outcomes call it.
    // Returns the ticket its outcome will carry.
    std::uint64_t Track(std::string name, const TUBXPacket& command,
                        std::chrono::milliseconds timeout);

    // The command began to go out when tracked and has gone out whole only
    // now: its time, and the time its outcome tells, count from now. Nothing
    // for a command already settled.
    void Restart(std::uint64_t ticket);

    // A received UBX frame with a right checksum; returns the outcomes it
    // settles (none for a frame that answers nothing).
    std::vector<TCommandOutcome> Receive(std::uint8_t ubxClass, std::uint8_t id,
                                         std::span<const std::uint8_t> payload);

    // The commands whose time is up, as "no answer"; a reset at once, as sent.
    std::vector<TCommandOutcome> Expire();

    bool Waiting() const { return !pending_.empty(); }

private:
    struct Pending {
        std::uint64_t ticket;
        std::string name;
        std::uint8_t ubxClass;
        std::uint8_t id;
        TPayload pollSelector; // what a poll's answer starts with
        bool poll;
        bool answered; // a CFG poll answered and waiting for its ACK-ACK
        std::chrono::steady_clock::time_point sent;
        std::chrono::steady_clock::time_point deadline;
    };
    TCommandOutcome Settle(std::deque<Pending>::iterator entry, TAnswerKind kind);
    std::vector<TCommandOutcome> ReceiveAck(bool acknowledged,
                                            std::span<const std::uint8_t> payload);

    TClock clock_;
    std::uint64_t nextTicket_ = 1;
    std::deque<Pending> pending_;
};

} // namespace ubx
