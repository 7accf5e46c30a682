#include "window/ReceiverFeed.h"

#include "protocol/decoding/Decoder.h"
#include "window/MessagesPage.h"

#include <QDateTime>

TReceiverFeed::TReceiverFeed(QObject* parent, TReceiverPage* receiver, TMessagesPage* messages,
                             WallClock wallClock)
    : QObject(parent), receiver_(receiver), messages_(messages),
      wallClock_(wallClock ? std::move(wallClock) : &QDateTime::currentMSecsSinceEpoch) {
    steady_.start();
    connect(&redraw_, &QTimer::timeout, this, &TReceiverFeed::Redraw);
    redraw_.start(kRedrawMs);
}

void TReceiverFeed::Take(std::string_view chunk) {
    const qint64 receivedMs = wallClock_();
    framer_.Feed(chunk, [&](protocol::Message&& message) { Fold(std::move(message), receivedMs); });
}

void TReceiverFeed::EndOfStream() {
    const qint64 receivedMs = wallClock_();
    framer_.Flush([&](protocol::Message&& message) { Fold(std::move(message), receivedMs); });
}

void TReceiverFeed::Fold(protocol::Message&& message, qint64 receivedMs) {
    emit MessageFramed(message);
    const protocol::Decoded decoded = protocol::Decode(message);
    state_.Fold(message, decoded, steady_.elapsed() / 1000.0);
    fresh_.Note(decoded);
    std::string name = message.Kind == protocol::MessageKind::Unframed
                           ? std::string("unframed")
                           : decoded.Talker + decoded.Name;
    if (lastSeenMs_.size() < protocol::ReceiverState::kMaxMessageTypes ||
        lastSeenMs_.contains(name))
        lastSeenMs_[name] = receivedMs;
    else
        lastSeenMs_["other"] = receivedMs;
    messages_->AddMessage(receivedMs, std::move(message), name);
}

void TReceiverFeed::Redraw() {
    const protocol::ReceiverSnapshot snapshot = state_.Snapshot(steady_.elapsed() / 1000.0);
    receiver_->Show(snapshot, fresh_);
    fresh_ = {};
    std::vector<TMessageTypeRow> types;
    types.reserve(snapshot.Messages.size());
    for (const protocol::MessageStatistics& statistics : snapshot.Messages) {
        const auto seen = lastSeenMs_.find(statistics.Name);
        types.push_back({statistics.Name, statistics.Count, statistics.RatePerSecond,
                         seen == lastSeenMs_.end() ? 0 : seen->second, statistics.ChecksumErrors});
    }
    messages_->Refresh(types);
}
