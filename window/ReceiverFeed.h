#pragma once
// The receive feed of the Receiver and Messages pages: the chunks the port
// delivers (the same the receive display shows) go through one framer and
// decoder into the receiver state and the message list. Work per chunk is in
// proportion to the chunk; the pages are redrawn by a timer about ten times a
// second, so a fast stream never queues drawing on the GUI thread. It is the
// window's only framer: each message it cuts also goes out as MessageFramed,
// for the parts of the window that wait on the receiver's answers.
//
// A chunk too large to decode in about a tenth of a second (the window fell
// seconds behind, or a device sends faster than any serial line) is decoded
// by its last part only, from a message start: the pages show the newest
// messages, and the bytes left out are counted in the table of message types
// as "bytes not decoded". Chunks a serial line delivers in a second are
// decoded whole.

#include "protocol/framing/Framer.h"
#include "protocol/state/ReceiverState.h"
#include "window/ReceiverPage.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>

class TMessagesPage;

class TReceiverFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int kRedrawMs = 100;
    // Chunks up to this size are decoded whole; of a larger one, about as
    // much of its end.
    static constexpr std::size_t kLargestDecodedChunk = 1 << 20;
    static constexpr const char* kNotDecodedName = "bytes not decoded";
    // Milliseconds since the epoch, stamped on each message as received.
    using WallClock = std::function<qint64()>;

    TReceiverFeed(QObject* parent, TReceiverPage* receiver, TMessagesPage* messages,
                  WallClock wallClock = {});

    void Take(std::string_view chunk);
    // The port closed: bytes still waiting for the rest of a message are
    // listed as they are, and the next connection starts afresh.
    void EndOfStream();
    // A new connection: the framer starts afresh at offset 0. Bytes the last
    // connection left half-received are listed as unframed, as at its end.
    void Restart() { EndOfStream(); }
    // Draws what arrived since the last redraw (the timer calls it).
    void Redraw();

signals:
    // Every message as framed, in stream order, before the pages see it.
    void MessageFramed(const protocol::Message& message);

private:
    void Fold(protocol::Message&& message, qint64 receivedMs);

    TReceiverPage* receiver_;
    TMessagesPage* messages_;
    WallClock wallClock_;
    protocol::Framer framer_;
    protocol::ReceiverState state_;
    TReceiverPage::TFresh fresh_;
    std::map<std::string, qint64> lastSeenMs_; // bounded as the state's types are
    std::uint64_t notDecodedBytes_ = 0;
    qint64 notDecodedMs_ = 0;
    QElapsedTimer steady_;
    QTimer redraw_;
};
