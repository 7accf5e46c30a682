#pragma once
// Whether the serial line carries everything the receiver is asked to send.
// Two conditions, each shown once it has held for kHold and cleared once it
// has been gone as long:
// - the line is full: in each second the bytes read came to at least
//   kFullShare of what the line carries (its baud rate over the bits of one
//   character on the wire). A second with far more than that
//   (kBeyondShare) came over no line at that rate (USB, a pseudo-terminal):
//   it is not full;
// - a message type whose rate the window set comes slower than asked: its
//   measured rate below kSlowShare of the asked one, judged once a whole
//   rate window has passed since the ask or the connection, while bytes
//   arrive at all.
// Seconds are judged by the time their bytes were read: once a later read
// shows a second complete, or once the port's delivery interval has passed
// over it. No widgets; time comes in with each call.

#include "window/parts/ReceiverFeed.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Bits of one character on the wire: start, data, parity and stop bits.
double BitsPerCharacter(int dataBits, bool parity, double stopBits);

class TLineLoad {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr double kFullShare = 0.9;
    static constexpr double kBeyondShare = 1.25;
    static constexpr double kSlowShare = 0.75;
    static constexpr std::chrono::seconds kHold{3};

    // The line as the port is set: its baud rate, the bits of a character
    // and how long bytes may wait in the port before they are handed over.
    void SetLine(std::int32_t baud, double bitsPerCharacter, Clock::duration deliveryInterval);
    // A read of `bytes` bytes; reads come in the order they were made.
    void Received(std::size_t bytes, Clock::time_point readAt);
    // The rates the window has asked, in messages a second by the name the
    // receiver's configuration gives them ("GGA", "NAV-PVT", "PUBX,00"); a
    // type whose rate changes is judged anew.
    void SetAsked(const std::map<std::string, double>& hz, Clock::time_point now);
    // The measured rates (the table of message types) at now: both
    // conditions are judged up to now.
    void Measure(const std::vector<TMessageTypeRow>& types, Clock::time_point now);
    // The warnings in force, the full line first.
    QStringList Warnings() const;
    // A connection opened or ended: nothing measured, nothing shown.
    void Restart(Clock::time_point now);

private:
    // A condition shown once it has held for kHold, hidden once it has been
    // gone as long.
    class THeld {
    public:
        void Observe(bool holds, Clock::time_point at);
        bool Shown() const { return shown_; }

    private:
        bool shown_ = false;
        std::optional<Clock::time_point> turningSince_;
    };
    struct TAsked {
        double Hz = 0;
        Clock::time_point Since;
        double MeasuredHz = 0;
        THeld Slow;
    };
    // Judges the seconds before `second`.
    void CloseSecondsBefore(std::int64_t second);
    bool LineIsLive(Clock::time_point now) const;

    std::int32_t baud_ = 0;
    double bitsPerCharacter_ = 10;
    Clock::duration deliveryInterval_ = std::chrono::seconds(1);
    std::optional<std::int64_t> second_; // the second being counted
    std::size_t secondBytes_ = 0;
    std::optional<Clock::time_point> lastRead_;
    Clock::time_point connectedAt_;
    THeld full_;
    std::map<std::string, TAsked> asked_;
};
