#include "protocol/NmeaSentence.h"

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kMsgIdLength = 3;
} // namespace

std::string AppendNmeaChecksum(std::string_view sentence) {
    unsigned char sum = 0;
    if (sentence.size() >= 2)
        for (char c : sentence.substr(1, sentence.size() - 2))
            sum ^= static_cast<unsigned char>(c);
    std::string result(sentence);
    result += kHexDigits[sum >> 4];
    result += kHexDigits[sum & 0x0F];
    return result;
}

std::string BuildPubx40(std::string_view selectionText, const TPubx40Rates& rates) {
    if (selectionText.size() < kMsgIdLength)
        throw EPubxCommandError(
            "Choose the NMEA message to set: the first three characters name it.");
    std::string body = "$PUBX,40,";
    body += selectionText.substr(0, kMsgIdLength);
    for (int rate : {rates.rddc, rates.rus1, rates.rus2, rates.rusb, rates.rspi})
        body += ',' + std::to_string(rate);
    body += ",0*";
    return AppendNmeaChecksum(body) + "\r\n";
}

std::string BuildPubx40(std::string_view selectionText, int rddc, int rus1, int rus2, int rusb,
                        int rspi) {
    return BuildPubx40(selectionText, TPubx40Rates{rddc, rus1, rus2, rusb, rspi});
}
