#include "protocol/ntrip/CorrectionStream.h"

#include "protocol/decoding/Decoder.h"

#include <cmath>

namespace ntrip {
namespace {
// The types counted apart; more are counted together.
constexpr std::size_t kMaxTypes = 64;
constexpr std::uint8_t kUbxClassRxm = 0x02;
constexpr std::uint8_t kUbxClassMga = 0x13;

bool IsCorrection(const protocol::Message& message) {
    switch (message.Kind) {
    case protocol::MessageKind::Nmea:
        return false;
    case protocol::MessageKind::Ubx: {
        const auto ubxClass = static_cast<std::uint8_t>(message.Bytes[2]);
        return ubxClass == kUbxClassRxm || ubxClass == kUbxClassMga;
    }
    default:
        return true;
    }
}
} // namespace

void CorrectionStream::Count(std::size_t bytes, double nowSeconds) {
    bytes_ += bytes;
    const auto second = static_cast<std::int64_t>(std::floor(nowSeconds));
    for (std::int64_t s = second_ + 1; s <= second && s <= second_ + kRateSeconds + 1; ++s)
        buckets_[static_cast<std::size_t>(s) % buckets_.size()] = 0;
    second_ = std::max(second_, second);
    buckets_[static_cast<std::size_t>(second_) % buckets_.size()] += bytes;
}

double CorrectionStream::BytesPerSecond(double nowSeconds) const {
    const auto now = static_cast<std::int64_t>(std::floor(nowSeconds));
    std::uint64_t sum = 0;
    // The whole seconds before the current one that the buckets still hold.
    for (std::int64_t s = now - kRateSeconds; s < now; ++s)
        if (s >= 0 && s <= second_ && second_ - s <= kRateSeconds)
            sum += buckets_[static_cast<std::size_t>(s) % buckets_.size()];
    return static_cast<double>(sum) / kRateSeconds;
}

protocol::Framer::Sink CorrectionStream::Release(double nowSeconds, std::string& ready) {
    return [this, nowSeconds, &ready](protocol::Message&& message) {
        if (IsCorrection(message)) {
            ready += message.Bytes;
        } else {
            ++heldBack_;
            heldBackBytes_ += message.Bytes.size();
        }
        Count(message.Bytes.size(), nowSeconds);
        if (message.Checksum == protocol::ChecksumState::Wrong)
            ++checksumErrors_;
        std::string name = message.Kind == protocol::MessageKind::Unframed
                               ? "unframed"
                               : protocol::Decode(message, protocol::DecodeDetail::TypedOnly).Name;
        if (!types_.contains(name) && types_.size() >= kMaxTypes)
            name = "other";
        ++types_[name];
        lastMessageAt_ = nowSeconds;
    };
}

void CorrectionStream::Feed(std::string_view bytes, double nowSeconds, std::string& ready) {
    framer_.Feed(bytes, Release(nowSeconds, ready));
}

void CorrectionStream::Flush(double nowSeconds, std::string& ready) {
    framer_.Flush(Release(nowSeconds, ready));
}

} // namespace ntrip
