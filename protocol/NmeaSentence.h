#pragma once
// NMEA sentences and the receiver's proprietary PUBX commands: "$", body,
// "*", two upper-case hexadecimal digits of the XOR of the body, CR LF.
// Text is Latin-1, one byte per character, so the checksum covers exactly
// the bytes that go out.

#include <stdexcept>
#include <string>
#include <string_view>

inline constexpr std::string_view kPubxPollLatLon = "$PUBX,00*33\r\n";
inline constexpr std::string_view kPubxPollSatStat = "$PUBX,03*30\r\n";
inline constexpr std::string_view kPubxPollTime = "$PUBX,04*37\r\n";

// Appends the XOR of every character between the first and the last (for
// "$...*": the body between "$" and "*") as two upper-case hex digits.
std::string AppendNmeaChecksum(std::string_view sentence);

// Output rates of one NMEA message on the receiver's five ports.
struct TPubx40Rates {
    int rddc = 1;
    int rus1 = 1;
    int rus2 = 1;
    int rusb = 1;
    int rspi = 1;
};

// A selection text too short to name an NMEA message.
class EPubxCommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "$PUBX,40,<msgId>,<rddc>,<rus1>,<rus2>,<rusb>,<rspi>,0*<cs>\r\n" where
// msgId is the first three characters of selectionText, used as they are.
// Throws EPubxCommandError when selectionText has fewer than three characters.
std::string BuildPubx40(std::string_view selectionText, const TPubx40Rates& rates);
std::string BuildPubx40(std::string_view selectionText, int rddc, int rus1, int rus2, int rusb,
                        int rspi);
