#include "protocol/decoding/Decoder.h"

#include "protocol/UbxVocabulary.h"
#include "protocol/decoding/FieldText.h"
#include "protocol/decoding/ValueRanges.h"

namespace protocol {
namespace {

// A message with a problem keeps its name and fields to show; none of its
// values reaches the receiver state.
void DropValues(Decoded& d) {
    d.Utc.reset();
    d.Position.reset();
    d.Fix.reset();
    d.Dop.reset();
    d.Motion.reset();
    d.Accuracy.reset();
    d.Satellites.reset();
    d.GsvPart.reset();
    d.Used.reset();
    d.Ack.reset();
    d.Text.reset();
}

} // namespace

Decoded Decode(const Message& message, DecodeDetail detail) {
    if (message.Kind == MessageKind::Unframed) {
        Decoded decoded;
        decoded.Name = "unframed";
        if (detail == DecodeDetail::Fields)
            decoded.Fields.push_back({"bytes", HexBytes(message.Bytes), ""});
        return decoded;
    }
    if (message.Checksum != ChecksumState::Wrong) {
        Decoded decoded = message.Kind == MessageKind::Nmea ? DecodeNmea(message.Bytes, detail)
                                                            : DecodeUbx(message.Bytes, detail);
        if (decoded.Problem.empty())
            decoded.Problem = OutOfRange(decoded, message.Kind);
        if (!decoded.Problem.empty())
            DropValues(decoded);
        return decoded;
    }
    // Only the name: nothing of a damaged message is trusted.
    Decoded named = message.Kind == MessageKind::Nmea
                        ? DecodeNmea(message.Bytes, DecodeDetail::TypedOnly)
                        : Decoded{};
    Decoded decoded;
    decoded.Talker = named.Talker;
    decoded.Name = named.Name;
    if (message.Kind == MessageKind::Ubx)
        decoded.Name = message.Bytes.size() >= 4
                           ? UbxMessageName(static_cast<std::uint8_t>(message.Bytes[2]),
                                            static_cast<std::uint8_t>(message.Bytes[3]))
                           : "UBX";
    decoded.Problem = "checksum wrong";
    return decoded;
}

} // namespace protocol
