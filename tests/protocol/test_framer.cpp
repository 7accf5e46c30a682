#include "protocol/Crc24q.h"
#include "protocol/Rtcm3Frame.h"
#include "protocol/framing/Framer.h"
#include "tests/protocol/StreamBytes.h"

#include <gtest/gtest.h>
#include <random>

using protocol::ChecksumState;
using protocol::Framer;
using protocol::Message;
using protocol::MessageKind;

namespace {

using Messages = std::vector<Message>;

Messages FrameAll(std::string_view stream, const std::vector<std::size_t>& cuts) {
    Framer framer;
    Messages out;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        for (auto& m : framer.Feed(stream.substr(from, cut - from)))
            out.push_back(std::move(m));
        from = cut;
    }
    for (auto& m : framer.Feed(stream.substr(from)))
        out.push_back(std::move(m));
    for (auto& m : framer.Flush())
        out.push_back(std::move(m));
    return out;
}

// Every byte is reported once, in order, at its own offset.
void ExpectStreamCovered(const Messages& messages, std::string_view stream) {
    std::string joined;
    for (const auto& m : messages) {
        EXPECT_EQ(m.Offset, joined.size());
        joined += m.Bytes;
    }
    EXPECT_EQ(joined, stream);
}

struct Expected {
    MessageKind kind;
    std::string bytes;
    ChecksumState checksum = ChecksumState::None;
};

const std::string kGga = NmeaLine("GPGGA,120000.00,4807.03,N,01131.00,E,1,08,0.9,545.4,M,46.9,M,,");
const std::string kTxt = NmeaLine("GNTXT,01,01,02,u-blox AG");
const std::string kPubx = NmeaLine("PUBX,00,120000.00,4807.03,N");
const std::string kAck = UbxBytes(0x05, 0x01, "\x06\x13");
// A payload holding what looks like an NMEA line and a sync pair.
const std::string kTricky =
    UbxBytes(0x0A, 0x04, std::string("$GPGGA,1*00\r\n\xB5\x62\x01\x07", 17));

// RTCM 1005 of a station (type 1005 in the first 12 bits), and an MSM4.
const std::string k1005 =
    protocol::BuildRtcm3Frame(std::string("\x3E\xD0\x07", 3) + std::string(16, '\x11'));
const std::string kMsm = protocol::BuildRtcm3Frame("\x43\x20" + std::string(60, '\xD3'));

std::string WithByte(std::string bytes, std::size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

} // namespace

TEST(Framer, CutsMessagesAndNoiseWhereverThePiecesEnd) {
    const std::string badUbx = WithByte(kAck, kAck.size() - 1, 0x00);
    const std::string badNmea = WithByte(kGga, 7, '9');
    // A frame whose length byte grew by two: it would reach into the next sentence.
    const std::string longerUbx = WithByte(kAck, 4, 0x04);
    const std::string overLong = "\xB5\x62\x01\x07\xFF\xFF";
    const std::string maxFrame = UbxBytes(0x01, 0x35, std::string(Framer::kMaxUbxPayload, '$'));
    const std::string maxRtcm =
        protocol::BuildRtcm3Frame(std::string(protocol::kMaxRtcm3Payload, '\xB5'));
    const std::string emptyRtcm = protocol::BuildRtcm3Frame("");
    // A frame cut off after five bytes: what its length takes in fails the CRC.
    const std::string cutRtcm = kMsm.substr(0, 5);
    // A 0xD3 with zero reserved bits and a length reaching over the next sentence.
    const std::string strayRtcm("\xD3\x00\x40", 3);
    // A length grown from 19 to 127 bytes: it would reach over the messages behind.
    const std::string longerRtcm = WithByte(k1005, 2, 0x7F);
    struct Case {
        const char* legend;
        std::string stream;
        std::vector<Expected> out;
    };
    const std::vector<Case> cases = {
        {"noise between messages",
         "ab" + kGga + "\r\n\x01" + kAck + "zz",
         {{MessageKind::Unframed, "ab"},
          {MessageKind::Nmea, kGga, ChecksumState::Right},
          {MessageKind::Unframed, "\r\n\x01"},
          {MessageKind::Ubx, kAck, ChecksumState::Right},
          {MessageKind::Unframed, "zz"}}},
        {"NMEA without checksum, lone LF, PUBX",
         "$GPZDA,1,2\r\n$GPZDA,3\n" + kPubx,
         {{MessageKind::Nmea, "$GPZDA,1,2\r\n"},
          {MessageKind::Nmea, "$GPZDA,3\n"},
          {MessageKind::Nmea, kPubx, ChecksumState::Right}}},
        {"bad checksums, then good messages",
         badNmea + badUbx + kTxt + kAck,
         {{MessageKind::Nmea, badNmea, ChecksumState::Wrong},
          {MessageKind::Ubx, badUbx, ChecksumState::Wrong},
          {MessageKind::Nmea, kTxt, ChecksumState::Right},
          {MessageKind::Ubx, kAck, ChecksumState::Right}}},
        {"malformed checksum field",
         "$GPZDA,1*4\r\n$GPZDA,1*XY\r\n",
         {{MessageKind::Nmea, "$GPZDA,1*4\r\n", ChecksumState::Wrong},
          {MessageKind::Nmea, "$GPZDA,1*XY\r\n", ChecksumState::Wrong}}},
        {"damaged length does not swallow the next sentence",
         longerUbx.substr(0, 8) + kGga + kAck,
         {{MessageKind::Ubx, longerUbx.substr(0, 8), ChecksumState::Wrong},
          {MessageKind::Nmea, kGga, ChecksumState::Right},
          {MessageKind::Ubx, kAck, ChecksumState::Right}}},
        {"sentence cut off by the next one",
         "$GPGGA,12" + kTxt + "$GNR" + kAck,
         {{MessageKind::Unframed, "$GPGGA,12"},
          {MessageKind::Nmea, kTxt, ChecksumState::Right},
          {MessageKind::Unframed, "$GNR"},
          {MessageKind::Ubx, kAck, ChecksumState::Right}}},
        {"stray sync pair right before a frame",
         "\xB5\x62" + kAck + std::string(300, 'x'),
         {{MessageKind::Ubx, "\xB5\x62", ChecksumState::Wrong},
          {MessageKind::Ubx, kAck, ChecksumState::Right},
          {MessageKind::Unframed, std::string(300, 'x')}}},
        {"over-long length is noise at once",
         overLong + kGga,
         {{MessageKind::Unframed, overLong}, {MessageKind::Nmea, kGga, ChecksumState::Right}}},
        {"truncated frame at the end of the stream",
         kTxt + kAck.substr(0, 7),
         {{MessageKind::Nmea, kTxt, ChecksumState::Right},
          {MessageKind::Unframed, kAck.substr(0, 7)}}},
        {"largest frame; payload with $, CR LF and sync",
         maxFrame + kTricky + kGga,
         {{MessageKind::Ubx, maxFrame, ChecksumState::Right},
          {MessageKind::Ubx, kTricky, ChecksumState::Right},
          {MessageKind::Nmea, kGga, ChecksumState::Right}}},
        {"RTCM 3 among NMEA and UBX",
         k1005 + kGga + kMsm + kAck + k1005,
         {{MessageKind::Rtcm3, k1005, ChecksumState::Right},
          {MessageKind::Nmea, kGga, ChecksumState::Right},
          {MessageKind::Rtcm3, kMsm, ChecksumState::Right},
          {MessageKind::Ubx, kAck, ChecksumState::Right},
          {MessageKind::Rtcm3, k1005, ChecksumState::Right}}},
        {"largest RTCM 3 frame and an empty one",
         maxRtcm + emptyRtcm,
         {{MessageKind::Rtcm3, maxRtcm, ChecksumState::Right},
          {MessageKind::Rtcm3, emptyRtcm, ChecksumState::Right}}},
        {"bad CRC: scanning goes on after the 0xD3",
         cutRtcm + kTxt + longerRtcm + kAck + kGga + kTxt,
         {{MessageKind::Rtcm3, cutRtcm, ChecksumState::Wrong},
          {MessageKind::Nmea, kTxt, ChecksumState::Right},
          {MessageKind::Rtcm3, longerRtcm, ChecksumState::Wrong},
          {MessageKind::Ubx, kAck, ChecksumState::Right},
          {MessageKind::Nmea, kGga, ChecksumState::Right},
          {MessageKind::Nmea, kTxt, ChecksumState::Right}}},
        {"a stray 0xD3 before a sentence does not swallow it",
         strayRtcm + kGga + kMsm,
         {{MessageKind::Rtcm3, strayRtcm, ChecksumState::Wrong},
          {MessageKind::Nmea, kGga, ChecksumState::Right},
          {MessageKind::Rtcm3, kMsm, ChecksumState::Right}}},
        {"0xD3 with reserved bits set is noise; in a sentence it breaks only that line",
         "\xD3\x40\x01" + kAck + "$GPTXT," + std::string("\xD3\x00\x10\r\n", 5) + kTxt,
         {{MessageKind::Unframed, "\xD3\x40\x01"},
          {MessageKind::Ubx, kAck, ChecksumState::Right},
          {MessageKind::Unframed, "$GPTXT,"},
          {MessageKind::Rtcm3, std::string("\xD3\x00\x10\r\n", 5), ChecksumState::Wrong},
          {MessageKind::Nmea, kTxt, ChecksumState::Right}}},
        {"line longer than any sentence",
         "$" + std::string(Framer::kMaxNmeaLength, 'A') + "\r\n" + kTxt,
         {{MessageKind::Unframed, "$" + std::string(Framer::kMaxNmeaLength, 'A') + "\r\n"},
          {MessageKind::Nmea, kTxt, ChecksumState::Right}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.legend);
        const Messages whole = FrameAll(c.stream, {});
        ASSERT_EQ(whole.size(), c.out.size());
        for (std::size_t i = 0; i < whole.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(whole[i].Kind, c.out[i].kind);
            EXPECT_EQ(whole[i].Bytes, c.out[i].bytes);
            EXPECT_EQ(whole[i].Checksum, c.out[i].checksum);
        }
        ExpectStreamCovered(whole, c.stream);
        // Every two-piece split, and one byte at a time, give the same messages.
        const std::size_t step = c.stream.size() > 2000 ? 97 : 1;
        for (std::size_t cut = 1; cut < c.stream.size(); cut += step)
            ASSERT_EQ(FrameAll(c.stream, {cut}), whole) << "cut at " << cut;
        std::vector<std::size_t> everyByte;
        for (std::size_t cut = 1; cut < c.stream.size(); ++cut)
            everyByte.push_back(cut);
        EXPECT_EQ(FrameAll(c.stream, everyByte), whole);
    }
}

TEST(Framer, MessagesComeOutBeforeTheStreamEndsAndStateStaysBounded) {
    Framer framer;
    EXPECT_TRUE(framer.Feed(kGga.substr(0, 10)).empty());
    const Messages done = framer.Feed(kGga.substr(10) + "\xB5");
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Bytes, kGga);
    // Noise without a message start is reported in bounded runs.
    const Messages noise = framer.Feed(std::string(3 * Framer::kMaxUnframedRun, 'x'));
    ASSERT_EQ(noise.size(), 3u);
    EXPECT_EQ(noise[0].Bytes, "\xB5" + std::string(Framer::kMaxUnframedRun - 1, 'x'));
    EXPECT_LT(framer.Pending(), Framer::kMaxUnframedRun);
}

// Random streams of known messages and noise: every message comes out once,
// intact, in order and at its offset, whatever the piece sizes.
TEST(Framer, RandomStreamsKeepEveryMessage) {
    std::mt19937 random(20261207);
    auto below = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    auto randomBytes = [&](std::size_t n, bool allowLf) {
        std::string bytes;
        while (bytes.size() < n) {
            const char byte = static_cast<char>(below(256));
            if (allowLf || byte != '\n')
                bytes += byte;
        }
        return bytes;
    };
    const char* kStarts[] = {"", "$G", "\xB5\x62", "\xD3\x00"};
    const char* talkers[] = {"GP", "GN", "GL", "GA", "GB", "GQ", "BD"};
    for (int round = 0; round < 200; ++round) {
        std::string stream;
        Messages known;
        for (int item = 0; item < 30; ++item) {
            std::string bytes;
            ChecksumState checksum = ChecksumState::Right;
            MessageKind kind = MessageKind::Ubx;
            switch (below(5)) {
            case 0: // noise never ends a line, so it never completes a sentence;
                    // it often holds what looks like the start of a message
                stream += std::string(kStarts[below(4)]) + randomBytes(1 + below(12), false);
                continue;
            case 1:
                bytes = NmeaLine(std::string(talkers[below(7)]) + "GSV,3,1,12," +
                                 std::to_string(below(100000)));
                break;
            case 2:
                bytes = "$GPRMC," + std::to_string(below(1000)) + ",A\r\n";
                checksum = ChecksumState::None;
                break;
            case 3:
                bytes = protocol::BuildRtcm3Frame(randomBytes(below(300), true));
                kind = MessageKind::Rtcm3;
                break;
            default:
                bytes =
                    UbxBytes(static_cast<std::uint8_t>(below(256)),
                             static_cast<std::uint8_t>(below(256)), randomBytes(below(120), true));
            }
            known.push_back(
                {bytes[0] == '$' ? MessageKind::Nmea : kind, bytes, stream.size(), checksum});
            stream += bytes;
        }
        std::vector<std::size_t> cuts;
        for (std::size_t at = below(40); at < stream.size(); at += 1 + below(40))
            cuts.push_back(at);
        const Messages out = FrameAll(stream, cuts);
        ExpectStreamCovered(out, stream);
        Messages framed;
        for (const auto& m : out)
            if (m.Kind != MessageKind::Unframed && m.Checksum != ChecksumState::Wrong)
                framed.push_back(m);
        ASSERT_EQ(framed, known) << "round " << round;
    }
}
