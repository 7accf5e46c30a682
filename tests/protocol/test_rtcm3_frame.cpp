#include "protocol/Crc24q.h"
#include "protocol/Rtcm3Frame.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(Rtcm3Frame, Crc24qMatchesItsCheckValue) {
    EXPECT_EQ(Crc24q(""), 0u);
    EXPECT_EQ(Crc24q("123456789"), 0xCDE703u);
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
