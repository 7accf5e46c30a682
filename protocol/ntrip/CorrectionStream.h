#pragma once
// The corrections a caster sends on their way to the receiver: framed, so
// that only whole messages are released for writing and nothing the window
// sends in between can land inside one, and counted: bytes, bytes per second
// over the last seconds, messages per type and when the last one came.
// Bytes that are no message are released when the next message shows where
// they end, or by Flush; the stream's bytes go out unchanged and in order.
// A caster may pass on more than corrections (a base shared whole sends its
// NMEA and its UBX answers too): NMEA sentences ($PUBX ones change a u-blox
// receiver's rates and baud) and UBX frames other than the input a receiver
// takes from a correction service (RXM, MGA) are held back, never written;
// RTCM 3 and bytes the framer does not know (other correction formats) go out.

#include "protocol/framing/Framer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ntrip {

class CorrectionStream {
public:
    static constexpr int kRateSeconds = 5;

    // Frames the caster's next bytes (at nowSeconds on a steady clock); the
    // messages they complete are appended to ready.
    void Feed(std::string_view bytes, double nowSeconds, std::string& ready);
    // Releases the bytes held for the rest of a message, as they are.
    void Flush(double nowSeconds, std::string& ready);
    std::size_t Held() const { return framer_.Pending(); }

    std::uint64_t Bytes() const { return bytes_; }
    // Over the last whole kRateSeconds seconds.
    double BytesPerSecond(double nowSeconds) const;
    // Messages per type name ("RTCM 1005", "unframed"), and how many had a
    // wrong checksum.
    const std::map<std::string, std::uint64_t>& Types() const { return types_; }
    std::uint64_t ChecksumErrors() const { return checksumErrors_; }
    // Messages held back as no corrections, and their bytes.
    std::uint64_t HeldBack() const { return heldBack_; }
    std::uint64_t HeldBackBytes() const { return heldBackBytes_; }
    // When the last message was released; none yet.
    std::optional<double> LastMessageAt() const { return lastMessageAt_; }

private:
    void Count(std::size_t bytes, double nowSeconds);
    protocol::Framer::Sink Release(double nowSeconds, std::string& ready);

    protocol::Framer framer_;
    std::uint64_t bytes_ = 0;
    std::int64_t second_ = 0; // the second buckets_[second_ % size] counts
    std::array<std::uint64_t, kRateSeconds + 1> buckets_{};
    std::map<std::string, std::uint64_t> types_;
    std::uint64_t checksumErrors_ = 0;
    std::uint64_t heldBack_ = 0;
    std::uint64_t heldBackBytes_ = 0;
    std::optional<double> lastMessageAt_;
};

} // namespace ntrip
