#pragma once
// The receive feed of the Receiver and Messages pages: the chunks the port
// delivers (the same the receive display shows) go through one framer and
// decoder into the receiver state, and each message goes out to be listed.
// A message carries the time its last byte was read from the device, and the
// rates per message type count by those times: the port hands over a
// second's reads at once, and they still show apart.
// Work per chunk is in proportion to the chunk; the state and the table of
// message types go out on a timer about ten times a second, so a fast stream
// never queues drawing on the GUI thread. It is the
// window's only framer: each message it cuts also goes out as MessageFramed,
// for the parts of the window that wait on the receiver's answers.
//
// The port hands over a flood in bounded chunks, so every chunk is decoded
// whole.
//
// The feed keeps the session's fixes, one per navigation epoch (the state's
// ended epochs, timed by the receiver), and with each fix the C/N0 of the
// satellites in view: they go when the picture starts afresh (a replay, or
// the port after one), not when the port reconnects, so a drive's track
// outlasts a lost cable.

#include "protocol/framing/Framer.h"
#include "protocol/history/EpochFixes.h"
#include "protocol/history/PositionHistory.h"
#include "protocol/history/SignalHistory.h"
#include "protocol/state/ReceiverState.h"
#include "serial/ReadMarks.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One line of the table per message type.
struct TMessageTypeRow {
    std::string Name;
    std::uint64_t Count = 0;
    double RateHz = 0;
    qint64 LastSeenMs = 0; // milliseconds since the epoch
    std::uint64_t ChecksumErrors = 0;
};

class TReceiverFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int kRedrawMs = 100;
    // Milliseconds since the epoch, and the steady clock the rates run on,
    // for chunks that come without the times of their reads.
    using WallClock = std::function<qint64()>;
    using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

    explicit TReceiverFeed(QObject* parent, WallClock wallClock = {}, SteadyClock steadyClock = {});

    // Which values messages refreshed since the last redraw.
    struct TFresh {
        bool Time = false, Position = false, Fix = false, Dop = false, Motion = false,
             Accuracy = false, Satellites = false, Corrections = false, Survey = false;
        // The receiver's health reports; RF blocks are counted in the snapshot.
        bool Spectra = false, Comms = false, System = false, Signals = false;
        void Note(const protocol::Decoded& decoded);
    };

    // A chunk with the times its bytes were read (the port's read marks):
    // each message gets the time of the read that brought its last byte.
    // Without marks the whole chunk counts as read now.
    void Take(std::string_view chunk, std::span<const ReadMark> marks = {});
    // The port closed: bytes still waiting for the rest of a message are
    // listed as they are, and the next connection starts afresh.
    void EndOfStream();
    // A new connection: the framer starts afresh at offset 0. Bytes the last
    // connection left half-received are listed as unframed, as at its end.
    void Restart() { EndOfStream(); }
    // Forgets the receiver's state and the counts per message type, and
    // redraws: a replay, or the port after one, starts on a clean picture.
    void StartAfresh();
    // Draws what arrived since the last redraw (the timer calls it).
    void Redraw();
    // The receiver's state now, the values any message has given since the
    // feed began or started afresh, and the table of message types: for a
    // page built after they were drawn.
    protocol::ReceiverSnapshot Snapshot() const;
    const TFresh& EverRefreshed() const { return everRefreshed_; }
    std::vector<TMessageTypeRow> TypesOf(const protocol::ReceiverSnapshot& snapshot) const;
    const protocol::PositionHistory& Positions() const { return positions_; }
    const protocol::SignalHistory& Signals() const { return signals_; }

signals:
    // Every message as framed, in stream order, before the pages see it.
    void MessageFramed(const protocol::Message& message);
    // Every message with the time it was received and its name ("GPGGA",
    // "NAV-PVT", "unframed"), for the message list.
    void MessageListed(qint64 receivedMs, const protocol::Message& message,
                       const std::string& name);
    // At each redraw: the receiver's state with the values messages refreshed
    // since the last one, then the table of message types.
    void StateRedrawn(const protocol::ReceiverSnapshot& snapshot,
                      const TReceiverFeed::TFresh& fresh);
    void TypesCounted(const std::vector<TMessageTypeRow>& types);
    // At a redraw when fixes were added to Positions() (and Signals()) since
    // the last one, and when they were cleared.
    void FixesAdded();

private:
    // When a byte of the stream was read: wall clock for the list, steady
    // seconds since the feed began for the rates.
    struct TStamp {
        qint64 WallMs = 0;
        double Seconds = 0;
    };
    struct TStreamMark {
        std::uint64_t End; // the stream's bytes up to this read
        TStamp At;
    };
    TStamp Now() const;
    TStamp StampOf(const ReadTime& at) const;
    void NoteReads(std::string_view chunk, std::span<const ReadMark> marks);
    // The time of the read that held the stream's byte at offset; marks of
    // earlier bytes are dropped (messages come in stream order).
    TStamp ReadTimeOf(std::uint64_t offset);
    void Flush();
    void Fold(const protocol::Message& message);
    // Keeps the fix of an epoch that just ended, with the satellites then.
    void TakeEndedEpoch(double nowSeconds);
    // The time the rates are measured at: the newest read, so that the
    // seconds counted are those whose bytes have all come; once reads stop
    // for longer than the port delivers, the clock goes on without them.
    double RateSeconds() const;

    WallClock wallClock_;
    SteadyClock steadyClock_;
    std::chrono::steady_clock::time_point origin_;
    std::deque<TStreamMark> marks_;
    std::uint64_t streamBytes_ = 0;  // bytes taken since the feed began
    std::uint64_t framerOrigin_ = 0; // the stream offset of the framer's offset 0
    double newestRead_ = 0;          // steady seconds
    std::optional<double> lastTake_; // steady seconds
    double deliveryGap_ = 1;         // seconds between the last two chunks
    protocol::Framer framer_;
    protocol::ReceiverState state_;
    protocol::PositionHistory positions_;
    protocol::EpochFixes epochFixes_;
    protocol::SignalHistory signals_;
    bool fixesAdded_ = false;
    TFresh fresh_;
    TFresh everRefreshed_;
    std::map<std::string, qint64> lastSeenMs_; // bounded as the state's types are
    QTimer redraw_;
};
