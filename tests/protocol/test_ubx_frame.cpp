#include "protocol/UbxFrame.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

namespace {

// Fletcher pair in closed form: CK_A is the sum of the covered bytes and
// CK_B weights each byte by the number of running sums it enters.
TUbxChecksum ReferenceChecksum(const TBufToSend& covered) {
    unsigned a = 0, b = 0;
    const std::size_t n = covered.size();
    for (std::size_t i = 0; i < n; ++i) {
        a += covered[i];
        b += static_cast<unsigned>((n - i) * covered[i]);
    }
    return {static_cast<std::uint8_t>(a % 256), static_cast<std::uint8_t>(b % 256)};
}

// Frame laid out field by field, independently of the packing code.
TBufToSend ReferenceFrame(std::uint8_t cls, std::uint8_t id, const TPayload& payload) {
    TBufToSend covered = {cls, id, static_cast<std::uint8_t>(payload.size() % 256),
                          static_cast<std::uint8_t>(payload.size() / 256)};
    covered.insert(covered.end(), payload.begin(), payload.end());
    const TUbxChecksum sum = ReferenceChecksum(covered);
    TBufToSend frame(covered.size() + 4);
    frame[0] = 0xB5;
    frame[1] = 0x62;
    std::copy(covered.begin(), covered.end(), frame.begin() + 2);
    frame[frame.size() - 2] = sum.CK_A;
    frame[frame.size() - 1] = sum.CK_B;
    return frame;
}

TPayload CountingPayload(std::size_t size) {
    TPayload payload(size);
    std::iota(payload.begin(), payload.end(), std::uint8_t{0x37});
    return payload;
}

} // namespace

TEST(UbxFrame, TransmittedCfgAntFramesAreExact) {
    EXPECT_EQ(CfgAntPollFrame(), (TBufToSend{0xB5, 0x62, 0x06, 0x13, 0x00, 0x00, 0x19, 0x51}));
    EXPECT_EQ(CfgAntSetFrame(),
              (TBufToSend{0xB5, 0x62, 0x06, 0x13, 0x04, 0x00, 0x0B, 0x00, 0x0F, 0x64, 0x9B, 0x7B}));
    EXPECT_EQ(ToByteString(CfgAntPollFrame()), std::string("\xB5\x62\x06\x13\x00\x00\x19\x51", 8));
}

TEST(UbxFrame, CallerChecksumFieldsAreNeitherReadNorChanged) {
    TUBXPacket packet = CfgAntSetPacket();
    EXPECT_EQ(packet.CK_A, 0xFF);
    EXPECT_EQ(packet.CK_B, 0xFF);
    packet.CK_A = 0x12;
    packet.CK_B = 0x34;
    const TUBXPacket before = packet;
    EXPECT_EQ(BuildUbxFrame(packet), CfgAntSetFrame());
    EXPECT_EQ(packet.CK_A, before.CK_A);
    EXPECT_EQ(packet.PayLoad, before.PayLoad);
}

TEST(UbxFrame, HandComputedFramesOfOtherMessages) {
    struct Case {
        const char* legend;
        std::uint8_t cls, id;
        TPayload payload;
        TBufToSend frame;
    };
    const Case cases[] = {
        {"NAV-PVT poll", 0x01, 0x07, {}, {0xB5, 0x62, 0x01, 0x07, 0x00, 0x00, 0x08, 0x19}},
        {"MON-VER poll", 0x0A, 0x04, {}, {0xB5, 0x62, 0x0A, 0x04, 0x00, 0x00, 0x0E, 0x34}},
        {"CFG-PRT poll of port 1",
         0x06,
         0x00,
         {0x01},
         {0xB5, 0x62, 0x06, 0x00, 0x01, 0x00, 0x01, 0x08, 0x22}},
        {"CFG-RATE 1 Hz",
         0x06,
         0x08,
         {0xE8, 0x03, 0x01, 0x00, 0x01, 0x00},
         {0xB5, 0x62, 0x06, 0x08, 0x06, 0x00, 0xE8, 0x03, 0x01, 0x00, 0x01, 0x00, 0x01, 0x39}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.legend);
        EXPECT_EQ(BuildUbxFrame(MakeUbxPacket(c.cls, c.id, c.payload)), c.frame);
        EXPECT_EQ(ReferenceFrame(c.cls, c.id, c.payload), c.frame);
    }
}

TEST(UbxFrame, AgreesWithReferenceOverPayloadSizes) {
    for (std::size_t size : {0u, 1u, 2u, 7u, 64u, 249u, 250u, 251u, 256u, 300u, 1000u}) {
        SCOPED_TRACE(size);
        const TPayload payload = CountingPayload(size);
        const TBufToSend frame = BuildUbxFrame(MakeUbxPacket(0x0B, 0x31, payload));
        EXPECT_EQ(frame, ReferenceFrame(0x0B, 0x31, payload));
    }
}

TEST(UbxFrame, LargestWindowPayloadPutsChecksumAtOffsets256And257) {
    const TPayload payload = CountingPayload(250);
    const TBufToSend frame = BuildUbxFrame(MakeUbxPacket(0x06, 0x13, payload));
    ASSERT_EQ(frame.size(), 258u);
    EXPECT_EQ(frame[4], 250);
    EXPECT_EQ(frame[5], 0);
    EXPECT_EQ(frame[255], payload.back());
    const TBufToSend covered(frame.begin() + 2, frame.begin() + 256);
    EXPECT_EQ(covered.size(), 254u);
    const TUbxChecksum expected = ReferenceChecksum(covered);
    EXPECT_EQ(frame[256], expected.CK_A);
    EXPECT_EQ(frame[257], expected.CK_B);
    EXPECT_EQ(UbxChecksum(covered), expected);
}

TEST(UbxFrame, LengthFieldThatDisagreesWithPayloadIsRefused) {
    TUBXPacket longer = MakeUbxPacket(0x06, 0x13, {1, 2, 3, 4});
    longer.PayloadLengthLSB = 5;
    EXPECT_THROW(BuildUbxFrame(longer), EUbxFrameError);
    TUBXPacket shorter = MakeUbxPacket(0x06, 0x13, {1, 2, 3, 4});
    shorter.PayloadLengthLSB = 0;
    EXPECT_THROW(BuildUbxFrame(shorter), EUbxFrameError);
    EXPECT_THROW(MakeUbxPacket(0x06, 0x13, TPayload(65536)), EUbxFrameError);
}

TEST(UbxFrame, ChecksumMatchesTheClosedFormForEveryLengthAndExtremeBytes) {
    // Lengths around the eight-byte steps; bytes at 0xFF load every lane fully.
    for (const std::uint8_t fill : {std::uint8_t{0xFF}, std::uint8_t{0x00}, std::uint8_t{0x5A}})
        for (std::size_t size = 0; size <= 70; ++size) {
            TBufToSend covered(size, fill);
            for (std::size_t i = 0; i < size; i += 3)
                covered[i] = static_cast<std::uint8_t>(i * 37 + 11);
            ASSERT_EQ(UbxChecksum(covered), ReferenceChecksum(covered)) << size;
        }
    const TBufToSend large(1 << 20, 0xFF); // sums far past 32 bits
    EXPECT_EQ(UbxChecksum(large), ReferenceChecksum(large));
}
