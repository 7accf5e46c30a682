#include "window/parts/ReceiverFeed.h"

#include "protocol/decoding/Decoder.h"

#include <QDateTime>
#include <algorithm>

namespace {
// How much later than the port's usual interval a chunk may come before the
// rates stop waiting for it.
constexpr double kLateSeconds = 0.5;
// The longest pause between chunks still taken for the port's interval.
constexpr double kLongestGapSeconds = 10;
} // namespace

TReceiverFeed::TReceiverFeed(QObject* parent, WallClock wallClock, SteadyClock steadyClock)
    : QObject(parent),
      wallClock_(wallClock ? std::move(wallClock) : &QDateTime::currentMSecsSinceEpoch),
      steadyClock_(steadyClock ? std::move(steadyClock) : &std::chrono::steady_clock::now),
      origin_(steadyClock_()) {
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
    Spectra |= decoded.Spectra.has_value();
    Comms |= decoded.Comms.has_value();
    System |= decoded.System.has_value();
    Signals |= decoded.Signals.has_value();
    Corrections |= decoded.Correction || decoded.Baseline || decoded.CorrectionAgeS;
    Survey |= decoded.Survey.has_value();
}

TReceiverFeed::TStamp TReceiverFeed::Now() const {
    return {wallClock_(), std::chrono::duration<double>(steadyClock_() - origin_).count()};
}

TReceiverFeed::TStamp TReceiverFeed::StampOf(const ReadTime& at) const {
    return {
        std::chrono::duration_cast<std::chrono::milliseconds>(at.wall.time_since_epoch()).count(),
        std::chrono::duration<double>(at.steady - origin_).count()};
}

void TReceiverFeed::NoteReads(std::string_view chunk, std::span<const ReadMark> marks) {
    const TStamp now = Now();
    if (lastTake_)
        deliveryGap_ = std::clamp(now.Seconds - *lastTake_, 0.0, kLongestGapSeconds);
    lastTake_ = now.Seconds;
    const std::uint64_t chunkStart = streamBytes_;
    streamBytes_ += chunk.size();
    if (marks.empty())
        marks_.push_back({streamBytes_, now});
    for (const ReadMark& mark : marks)
        marks_.push_back({chunkStart + mark.end, StampOf(mark.at)});
    newestRead_ = std::max(newestRead_, marks_.back().At.Seconds);
}

TReceiverFeed::TStamp TReceiverFeed::ReadTimeOf(std::uint64_t offset) {
    // The newest mark stays: bytes past it (the end of the stream) were read
    // last.
    while (marks_.size() > 1 && marks_.front().End <= offset)
        marks_.pop_front();
    return marks_.empty() ? Now() : marks_.front().At;
}

void TReceiverFeed::Take(std::string_view chunk, std::span<const ReadMark> marks) {
    NoteReads(chunk, marks);
    framer_.Feed(chunk, [this](protocol::Message&& message) { Fold(message); });
}

void TReceiverFeed::Flush() {
    framer_.Flush([this](protocol::Message&& message) { Fold(message); });
}

void TReceiverFeed::EndOfStream() {
    Flush();
    state_.EndEpoch();
    TakeEndedEpoch(Now().Seconds);
    framerOrigin_ = streamBytes_;
}

void TReceiverFeed::StartAfresh() {
    state_ = protocol::ReceiverState();
    positions_.Clear();
    signals_.Clear();
    epochFixes_.Restart();
    fixesAdded_ = true;
    fresh_ = {};
    everRefreshed_ = {};
    lastSeenMs_.clear();
    Redraw();
}

void TReceiverFeed::Fold(const protocol::Message& message) {
    const std::uint64_t lastByte =
        framerOrigin_ + message.Offset + std::max<std::size_t>(message.Bytes.size(), 1) - 1;
    const TStamp at = ReadTimeOf(lastByte);
    const qint64 receivedMs = at.WallMs;
    emit MessageFramed(message);
    // Values only: the Messages page writes the fields of the rows it shows.
    const protocol::Decoded decoded = protocol::Decode(message, protocol::DecodeDetail::TypedOnly);
    state_.Fold(message, decoded, at.Seconds);
    TakeEndedEpoch(at.Seconds);
    fresh_.Note(decoded);
    everRefreshed_.Note(decoded);
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

void TReceiverFeed::TakeEndedEpoch(double nowSeconds) {
    if (!epochFixes_.TakeEnded(state_, positions_) || positions_.empty())
        return;
    fixesAdded_ = true;
    signals_.Add(positions_[positions_.size() - 1].UtcSeconds, state_.Satellites(nowSeconds));
}

double TReceiverFeed::RateSeconds() const {
    const double now = std::chrono::duration<double>(steadyClock_() - origin_).count();
    return std::max(newestRead_, now - deliveryGap_ - kLateSeconds);
}

void TReceiverFeed::Redraw() {
    const protocol::ReceiverSnapshot snapshot = Snapshot();
    emit StateRedrawn(snapshot, fresh_);
    fresh_ = {};
    emit TypesCounted(TypesOf(snapshot));
    if (fixesAdded_) {
        fixesAdded_ = false;
        emit FixesAdded();
    }
}

protocol::ReceiverSnapshot TReceiverFeed::Snapshot() const {
    return state_.Snapshot(RateSeconds());
}

std::vector<TMessageTypeRow>
TReceiverFeed::TypesOf(const protocol::ReceiverSnapshot& snapshot) const {
    std::vector<TMessageTypeRow> types;
    types.reserve(snapshot.Messages.size());
    for (const protocol::MessageStatistics& statistics : snapshot.Messages) {
        const auto seen = lastSeenMs_.find(statistics.Name);
        types.push_back({statistics.Name, statistics.Count, statistics.RatePerSecond,
                         seen == lastSeenMs_.end() ? 0 : seen->second, statistics.ChecksumErrors});
    }
    return types;
}
