#include "window/parts/ReceiverFeed.h"

#include "protocol/decoding/Decoder.h"

#include <QDateTime>

TReceiverFeed::TReceiverFeed(QObject* parent, WallClock wallClock)
    : QObject(parent),
      wallClock_(wallClock ? std::move(wallClock) : &QDateTime::currentMSecsSinceEpoch) {
    steady_.start();
    connect(&redraw_, &QTimer::timeout, this, &TReceiverFeed::Redraw);
    redraw_.start(kRedrawMs);
}

void TReceiverFeed::TFresh::Note(const protocol::Decoded& decoded) {
    Time |= decoded.Utc.has_value();
    Position |= decoded.Position.has_value();
    Fix |= decoded.Fix.has_value();
    Dop |= decoded.Dop.has_value();
    Motion |= decoded.Motion.has_value();
    Accuracy |= decoded.Accuracy.has_value();
    Satellites |= decoded.Satellites || decoded.GsvPart || decoded.Used;
}

namespace {
// Where the decoded part of an over-large chunk begins: its last
// kLargestDecodedChunk bytes, from the first NMEA or UBX start in them.
std::size_t DecodedPartStart(std::string_view chunk) {
    const std::size_t start = chunk.size() - TReceiverFeed::kLargestDecodedChunk;
    const std::size_t messageStart = chunk.find_first_of("$\xB5", start);
    return messageStart == std::string_view::npos ? start : messageStart;
}
} // namespace

void TReceiverFeed::Take(std::string_view chunk) {
    const qint64 receivedMs = wallClock_();
    const auto fold = [&](protocol::Message&& message) { Fold(message, receivedMs); };
    if (chunk.size() > kLargestDecodedChunk) {
        const std::size_t start = DecodedPartStart(chunk);
        notDecodedBytes_ += start;
        notDecodedMs_ = receivedMs;
        // A message begun before the part left out is listed as it stands.
        framer_.Flush(fold);
        chunk.remove_prefix(start);
    }
    framer_.Feed(chunk, fold);
}

void TReceiverFeed::EndOfStream() {
    const qint64 receivedMs = wallClock_();
    framer_.Flush([&](protocol::Message&& message) { Fold(message, receivedMs); });
}

void TReceiverFeed::Fold(const protocol::Message& message, qint64 receivedMs) {
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
    emit MessageListed(receivedMs, message, name);
}

void TReceiverFeed::Redraw() {
    const protocol::ReceiverSnapshot snapshot = state_.Snapshot(steady_.elapsed() / 1000.0);
    emit StateRedrawn(snapshot, fresh_);
    fresh_ = {};
    std::vector<TMessageTypeRow> types;
    types.reserve(snapshot.Messages.size());
    for (const protocol::MessageStatistics& statistics : snapshot.Messages) {
        const auto seen = lastSeenMs_.find(statistics.Name);
        types.push_back({statistics.Name, statistics.Count, statistics.RatePerSecond,
                         seen == lastSeenMs_.end() ? 0 : seen->second, statistics.ChecksumErrors});
    }
    if (notDecodedBytes_ > 0)
        types.push_back({kNotDecodedName, notDecodedBytes_, 0, notDecodedMs_, 0});
    emit TypesCounted(types);
}
