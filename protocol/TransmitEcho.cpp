#include "protocol/TransmitEcho.h"

std::string FormatHexBytes(std::string_view bytes) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto value = static_cast<unsigned char>(c);
        text += kHexDigits[value >> 4];
        text += kHexDigits[value & 0x0F];
        text += ' ';
    }
    return text;
}

std::string SendEchoLine(std::string_view bytes) {
    return "Sent(Hex): " + FormatHexBytes(bytes);
}

std::string BytesSentCaption(long long count) {
    return "Bytes Sent: " + std::to_string(count);
}
