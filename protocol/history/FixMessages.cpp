#include "protocol/history/FixMessages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace protocol {
namespace {

// GSV (satellites in view) and TXT tell nothing of the fix.
constexpr std::array<std::string_view, 8> kNmeaTypes = {"GGA", "RMC", "GSA", "GNS",
                                                        "GLL", "VTG", "ZDA", "GST"};
// PUBX,00 the position, PUBX,04 the time; PUBX,03 lists satellites.
constexpr std::array<std::string_view, 2> kPubxTypes = {"00", "04"};

constexpr std::uint8_t kNavClass = 0x01;
// NAV-POSECEF, POSLLH, STATUS, DOP, SOL, PVT, VELNED, TIMEGPS and TIMEUTC;
// NAV-SAT, SVINFO, SIG and CLOCK do not count.
constexpr std::array<std::uint8_t, 9> kNavIds = {0x01, 0x02, 0x03, 0x04, 0x06,
                                                 0x07, 0x12, 0x20, 0x21};

// Compared by hand: a memcmp call for each of these short names would cost
// more than the rest of the check.
template <std::size_t N>
bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(), [name](std::string_view known) {
        if (known.size() != name.size())
            return false;
        for (std::size_t i = 0; i < known.size(); ++i)
            if (known[i] != name[i])
                return false;
        return true;
    });
}

bool FieldEnds(char c) {
    return c == ',' || c == '*' || c == '\r' || c == '\n';
}

// The sentence's address as the decoder reads it: "$GPGGA," is talker GP and
// type GGA; "$PUBX,00," names its type in the next field. Read in place:
// the check runs for every message of a recording.
bool SentenceTellsOfFix(std::string_view sentence) {
    constexpr std::size_t kAddressEnd = 6; // "$" and five letters
    if (sentence.size() < kAddressEnd + 3)
        return false;
    if (sentence.starts_with("$PUBX,"))
        return Among(kPubxTypes, sentence.substr(kAddressEnd, 2)) &&
               FieldEnds(sentence[kAddressEnd + 2]);
    return sentence[1] != 'P' && FieldEnds(sentence[kAddressEnd]) &&
           std::none_of(sentence.begin() + 1, sentence.begin() + kAddressEnd, FieldEnds) &&
           Among(kNmeaTypes, sentence.substr(3, 3));
}

} // namespace

bool TellsOfFix(const Message& message) {
    switch (message.Kind) {
    case MessageKind::Nmea:
        return SentenceTellsOfFix(message.Bytes);
    case MessageKind::Ubx:
        return message.Bytes.size() >= 4 &&
               static_cast<std::uint8_t>(message.Bytes[2]) == kNavClass &&
               std::find(kNavIds.begin(), kNavIds.end(),
                         static_cast<std::uint8_t>(message.Bytes[3])) != kNavIds.end();
    case MessageKind::Rtcm3:
    case MessageKind::Unframed:
        break;
    }
    return false;
}

} // namespace protocol
