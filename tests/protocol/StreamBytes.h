#pragma once
// Received bytes built by hand for the protocol tests: sentences and frames
// as a receiver sends them, and payloads written field by field.

#include "protocol/NmeaSentence.h"
#include "protocol/UbxFrame.h"

#include <cstdint>
#include <string>
#include <string_view>

// "$body*hh\r\n" with the right checksum.
inline std::string NmeaLine(std::string_view body) {
    return AppendNmeaChecksum("$" + std::string(body) + "*") + "\r\n";
}

// "B5 62 06 8B": frame bytes as the tests write them out.
inline std::string Hex(const TBufToSend& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty())
            text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

inline std::string UbxBytes(std::uint8_t ubxClass, std::uint8_t id, std::string_view payload) {
    return ToByteString(
        BuildUbxFrame(MakeUbxPacket(ubxClass, id, TPayload(payload.begin(), payload.end()))));
}

// A payload written little-endian, field after field.
class PayloadWriter {
public:
    PayloadWriter& U1(std::uint64_t value) { return Put(value, 1); }
    PayloadWriter& U2(std::uint64_t value) { return Put(value, 2); }
    PayloadWriter& U4(std::uint64_t value) { return Put(value, 4); }
    PayloadWriter& I4(std::int64_t value) { return Put(static_cast<std::uint64_t>(value), 4); }
    PayloadWriter& Text(std::string_view text, std::size_t width) {
        std::string field(text);
        field.resize(width, '\0');
        bytes_ += field;
        return *this;
    }
    PayloadWriter& Zeros(std::size_t count) {
        bytes_.append(count, '\0');
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    PayloadWriter& Put(std::uint64_t value, int width) {
        for (int k = 0; k < width; ++k)
            bytes_ += static_cast<char>((value >> (8 * k)) & 0xFF);
        return *this;
    }
    std::string bytes_;
};
