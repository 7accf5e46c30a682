#include "protocol/Crc24q.h"
#include "protocol/Rtcm3Frame.h"

#include <gtest/gtest.h>

using namespace protocol;

// The check value, the standard's 1005 example, and every length up to 40
// (whole and partial eight-byte steps) against the plain bitwise division.
TEST(Rtcm3Frame, Crc24qMatchesItsCheckValueAndTheBitwiseDivision) {
    EXPECT_EQ(Crc24q(""), 0u);
    EXPECT_EQ(Crc24q("123456789"), 0xCDE703u);
    EXPECT_EQ(Crc24q(std::string("\xD3\x00\x13\x3E\xD7\xD3\x02\x02\x98\x0E\xDE\xEF\x34\xB4"
                                 "\xBD\x62\xAC\x09\x41\x98\x6F\x33",
                                 22)),
              0x360B98u);
    std::string bytes;
    for (int length = 0; length <= 40; ++length) {
        std::uint32_t crc = 0;
        for (const char byte : bytes) {
            crc ^= std::uint32_t{static_cast<std::uint8_t>(byte)} << 16;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 0x800000) ? ((crc << 1) ^ 0x1864CFB) & 0xFFFFFF : crc << 1;
        }
        EXPECT_EQ(Crc24q(bytes), crc) << length;
        bytes += static_cast<char>(length * 37 + 11);
    }
}

TEST(Rtcm3Frame, FramesAPayloadWithHeaderAndCrc) {
    const std::string payload = std::string("\x3E\xD0", 2) + std::string(298, 'x');
    const std::string frame = BuildRtcm3Frame(payload);
    ASSERT_EQ(frame.size(), payload.size() + kRtcm3FrameOverhead);
    EXPECT_EQ(frame.substr(0, 3), "\xD3\x01\x2C"); // 300 bytes
    EXPECT_EQ(frame.substr(3, payload.size()), payload);
    const std::uint32_t crc = Crc24q(frame.substr(0, frame.size() - 3));
    EXPECT_EQ(frame.substr(frame.size() - 3),
              std::string({char(crc >> 16), char(crc >> 8 & 0xFF), char(crc & 0xFF)}));
    EXPECT_EQ(Rtcm3MessageType(frame), 1005);
    EXPECT_EQ(Rtcm3MessageType(BuildRtcm3Frame("\x3E")), std::nullopt);
    EXPECT_EQ(BuildRtcm3Frame(std::string(kMaxRtcm3Payload, 'x')).size(), 1029u);
    EXPECT_THROW(BuildRtcm3Frame(std::string(kMaxRtcm3Payload + 1, 'x')), ERtcm3FrameError);
}
