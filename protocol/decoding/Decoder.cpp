#include "protocol/decoding/Decoder.h"

#include "protocol/UbxVocabulary.h"
#include "protocol/decoding/FieldText.h"

namespace protocol {

Decoded Decode(const Message& message) {
    if (message.Kind == MessageKind::Unframed) {
        Decoded decoded;
        decoded.Name = "unframed";
        decoded.Fields.push_back({"bytes", HexBytes(message.Bytes), ""});
        return decoded;
    }
    if (message.Checksum != ChecksumState::Wrong)
        return message.Kind == MessageKind::Nmea ? DecodeNmea(message.Bytes)
                                                 : DecodeUbx(message.Bytes);
    // Only the name: nothing of a damaged message is trusted.
    Decoded named = message.Kind == MessageKind::Nmea ? DecodeNmea(message.Bytes) : Decoded{};
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
