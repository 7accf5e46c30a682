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
    d.CorrectionAgeS.reset();
    d.Correction.reset();
    d.Baseline.reset();
    d.Survey.reset();
    d.Station.reset();
}

Decoded DecodeUnframed(const Message& message, DecodeDetail detail) {
    Decoded decoded;
    decoded.Name = "unframed";
    if (detail == DecodeDetail::Fields)
        decoded.Fields.push_back({"bytes", HexBytes(message.Bytes), ""});
    return decoded;
}

// Only the name: nothing of a damaged message is trusted.
Decoded DecodeDamaged(const Message& message) {
    Decoded decoded;
    if (message.Kind == MessageKind::Nmea) {
        Decoded named = DecodeNmea(message.Bytes, DecodeDetail::TypedOnly);
        decoded.Talker = std::move(named.Talker);
        decoded.Name = std::move(named.Name);
    } else if (message.Kind == MessageKind::Rtcm3) {
        decoded.Name = Rtcm3Name(message.Bytes);
    } else {
        decoded.Name = message.Bytes.size() >= 4
                           ? UbxMessageName(static_cast<std::uint8_t>(message.Bytes[2]),
                                            static_cast<std::uint8_t>(message.Bytes[3]))
                           : "UBX";
    }
    decoded.Problem = "checksum wrong";
    return decoded;
}

Decoded DecodeFramed(const Message& message, DecodeDetail detail) {
    switch (message.Kind) {
    case MessageKind::Nmea:
        return DecodeNmea(message.Bytes, detail);
    case MessageKind::Rtcm3:
        return DecodeRtcm3(message.Bytes, detail);
    default:
        return DecodeUbx(message.Bytes, detail);
    }
}

Decoded DecodeChecked(const Message& message, DecodeDetail detail) {
    Decoded decoded = DecodeFramed(message, detail);
    if (decoded.Problem.empty())
        decoded.Problem = OutOfRange(decoded, message.Kind);
    if (!decoded.Problem.empty())
        DropValues(decoded);
    return decoded;
}

} // namespace

// Every path returns a Decoded built in place, never one moved: moving it
// costs as much as decoding a short sentence.
Decoded Decode(const Message& message, DecodeDetail detail) {
    if (message.Kind == MessageKind::Unframed)
        return DecodeUnframed(message, detail);
    if (message.Checksum == ChecksumState::Wrong)
        return DecodeDamaged(message);
    return DecodeChecked(message, detail);
}

} // namespace protocol
