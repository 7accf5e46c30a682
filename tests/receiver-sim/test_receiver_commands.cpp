// How the simulated receiver takes commands: the byte stream cut into
// sentences and frames whatever the pieces, broken input skipped without
// losing the good command behind it, and each command's answer or effect.

#include "protocol/NmeaSentence.h"
#include "protocol/UbxFrame.h"
#include "protocol/commands/ConfigValues.h"
#include "tests/receiver-sim/ReceivedTraffic.h"
#include "tools/receiver-sim/CommandScanner.h"
#include "tools/receiver-sim/SimulatedReceiver.h"

#include <gtest/gtest.h>

namespace {
const std::string kCfgAntPoll = ToByteString(CfgAntPollFrame());
const std::string kCfgAntSet = ToByteString(CfgAntSetFrame());
const std::string kCfgMsgPoll =
    ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x01, {0xF0, 0x00})));

std::string Ubx(std::uint8_t ubxClass, std::uint8_t id, TPayload payload = {}) {
    return ToByteString(BuildUbxFrame(MakeUbxPacket(ubxClass, id, std::move(payload))));
}

// A CFG-PRT set for UART1: 8N1, the given rate and protocol masks.
std::string PortSet(std::uint32_t baud, std::uint8_t in = 0x07, std::uint8_t out = 0x03) {
    return Ubx(0x06, 0x00,
               {0x01,
                0,
                0,
                0,
                0xC0,
                0x08,
                0,
                0,
                std::uint8_t(baud),
                std::uint8_t(baud >> 8),
                std::uint8_t(baud >> 16),
                0,
                in,
                0,
                out,
                0,
                0,
                0,
                0,
                0});
}

std::string Corrupted(std::string frame) {
    frame.back() ^= 0x01;
    return frame;
}

// What the scanner found, sentences as text and frames as "class id: payload".
std::vector<std::string> Scan(const std::vector<std::string>& pieces) {
    std::vector<std::string> found;
    CommandScanner scanner({[&](std::string_view s) { found.emplace_back(s); },
                            [&](const UbxMessage& m) {
                                found.push_back("UBX " +
                                                Hex(std::string{char(m.ubxClass), char(m.id)}) +
                                                ": " + Hex(m.payload));
                            }});
    for (const std::string& piece : pieces)
        scanner.Feed(piece);
    return found;
}

SimulatedReceiver NewReceiver() {
    return SimulatedReceiver({1039422959, 1, false, false});
}

std::vector<std::string> Kinds(const std::vector<std::string>& messages) {
    std::vector<std::string> kinds;
    for (const std::string& m : messages)
        kinds.push_back(m.starts_with("$") ? m.substr(0, m.find_first_of(",*", 6))
                                           : "UBX " + Hex(m.substr(2, 2)));
    return kinds;
}

// The answers of one command, then those of the next.
std::vector<std::string> Then(std::vector<std::string> first,
                              const std::vector<std::string>& next) {
    first.insert(first.end(), next.begin(), next.end());
    return first;
}

} // namespace

TEST(CommandScanner, FindsEveryIntactCommandWhateverThePiecesAndTheNoise) {
    struct Case {
        const char* legend;
        std::string input;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"sentence ended by CR LF", "$PUBX,00*33\r\n", {"$PUBX,00*33"}},
        {"sentence ended by LF alone", "$PUBX,03*30\n", {"$PUBX,03*30"}},
        {"noise around commands",
         "xx\xff$PUBX,04*37\r\n\x01" + kCfgAntPoll + "zz",
         {"$PUBX,04*37", "UBX 06 13: "}},
        {"frame with payload", kCfgAntSet, {"UBX 06 13: 0B 00 0F 64"}},
        {"bad checksum skipped, next frame kept",
         Corrupted(kCfgAntSet) + kCfgAntPoll,
         {"UBX 06 13: "}},
        {"good frame inside a broken frame's length",
         std::string("\xB5\x62\x06\x13\x04\x00", 6) + kCfgAntPoll + kCfgMsgPoll,
         {"UBX 06 13: ", "UBX 06 01: F0 00"}},
        {"absurd length skipped",
         std::string("\xB5\x62\x06\x13\xFF\xFF", 6) + kCfgAntPoll,
         {"UBX 06 13: "}},
        {"sentence broken off by a frame", "$PUBX,0" + kCfgAntPoll + "0*33\r\n", {"UBX 06 13: "}},
        {"sentence broken off by a new start", "$PUBX,0$PUBX,00*33\r\n", {"$PUBX,00*33"}},
        {"overlong line dropped",
         "$" + std::string(200, 'A') + "\r\n$PUBX,03*30\r\n",
         {"$PUBX,03*30"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Scan({c.input}), c.expected) << c.legend;
        std::vector<std::string> bytes;
        for (char b : c.input)
            bytes.emplace_back(1, b);
        EXPECT_EQ(Scan(bytes), c.expected) << c.legend << ", a byte at a time";
    }
}

namespace {
// An answer as the tables below expect it: a sentence by its kind, a UBX
// frame as "UBX class id: payload" or, when long, by its payload length.
std::string Describe(const std::string& answer) {
    if (answer.starts_with("$"))
        return answer.substr(0, answer.find_first_of(",*", 6));
    const std::string payload = FramePayload(answer);
    return "UBX " + Hex(answer.substr(2, 2)) +
           (payload.size() <= 20 ? ": " + Hex(payload)
                                 : " (" + std::to_string(payload.size()) + " bytes)");
}
} // namespace

TEST(SimulatedReceiver, AnswersEachCommandAsAReceiverDoes) {
    const std::string ack = "UBX 05 01: ", nak = "UBX 05 00: ";
    const std::string rate1s = "UBX 06 08: E8 03 01 00 01 00";
    const std::string rate200ms = "UBX 06 08: C8 00 01 00 01 00";
    const std::string uart9600 =
        "UBX 06 00: 01 00 00 00 C0 08 00 00 80 25 00 00 07 00 03 00 00 00 00 00";
    const std::string cfgSaveNav = Ubx(0x06, 0x09, {0, 0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0});
    const std::string cfgLoadAll =
        Ubx(0x06, 0x09, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0x17});
    const std::string cfgRevert = Ubx(0x06, 0x09, {0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0});
    const std::string ratePoll = Ubx(0x06, 0x08), prtPoll = Ubx(0x06, 0x00);
    const std::string rate200 = Ubx(0x06, 0x08, {200, 0, 1, 0, 1, 0});
    const std::string rate500 = Ubx(0x06, 0x08, {0xF4, 1, 1, 0, 1, 0});
    const std::vector<std::string> banner(7, "$GPTXT");
    struct Case {
        const char* legend;
        std::string commands;
        std::vector<std::string> answers;
    };
    const Case cases[] = {
        {"PUBX polls",
         std::string(kPubxPollLatLon) + std::string(kPubxPollSatStat) + std::string(kPubxPollTime),
         {"$PUBX,00", "$PUBX,03", "$PUBX,04"}},
        {"wrong checksum", "$PUBX,00*34\r\n", {}},
        {"no checksum", "$PUBX,00\r\n", {}},
        {"unknown sentences",
         AppendNmeaChecksum("$PUBX,00,1*") + "\r\n" + AppendNmeaChecksum("$GPGGA*") + "\r\n",
         {}},
        {"broken frame", Corrupted(kCfgAntPoll), {}},
        {"CFG-ANT poll", kCfgAntPoll, {"UBX 06 13: 1B 00 51 82", ack + "06 13"}},
        {"CFG-ANT set, poll",
         kCfgAntSet + kCfgAntPoll,
         {ack + "06 13", "UBX 06 13: 0B 00 0F 64", ack + "06 13"}},
        {"CFG-ANT of two bytes", Ubx(0x06, 0x13, {1, 2}), {nak + "06 13"}},
        {"CFG-PRT poll of the line", prtPoll, {uart9600, ack + "06 00"}},
        {"CFG-PRT poll of USB",
         Ubx(0x06, 0x00, {3}),
         {"UBX 06 00: 03 00 00 00 00 00 00 00 00 00 00 00 07 00 03 00 00 00 00 00", ack + "06 00"}},
        {"CFG-PRT poll of no port", Ubx(0x06, 0x00, {7}), {nak + "06 00"}},
        {"CFG-PRT set 115200, poll",
         PortSet(115200) + prtPoll,
         {ack + "06 00", "UBX 06 00: 01 00 00 00 C0 08 00 00 00 C2 01 00 07 00 03 00 00 00 00 00",
          ack + "06 00"}},
        {"CFG-PRT set 300 baud refused",
         PortSet(300) + prtPoll,
         {nak + "06 00", uart9600, ack + "06 00"}},
        {"CFG-PRT of five bytes", Ubx(0x06, 0x00, {1, 0, 0, 0, 0}), {nak + "06 00"}},
        {"NMEA output off",
         PortSet(9600, 0x07, 0x01) + std::string(kPubxPollLatLon) + ratePoll,
         {ack + "06 00", rate1s, ack + "06 08"}},
        {"UBX input off",
         PortSet(9600, 0x02) + ratePoll + std::string(kPubxPollLatLon),
         {ack + "06 00", "$PUBX,00"}},
        {"CFG-MSG poll",
         Ubx(0x06, 0x01, {0x01, 0x07}),
         {"UBX 06 01: 01 07 00 00 00 00 00 00", ack + "06 01"}},
        {"CFG-MSG set for the line, poll",
         Ubx(0x06, 0x01, {0xF0, 0x00, 0}) + Ubx(0x06, 0x01, {0xF0, 0x00}),
         {ack + "06 01", "UBX 06 01: F0 00 00 00 00 00 00 00", ack + "06 01"}},
        {"CFG-MSG set for every port, poll",
         Ubx(0x06, 0x01, {0x01, 0x07, 0, 2, 0, 1, 0, 0}) + Ubx(0x06, 0x01, {0x01, 0x07}),
         {ack + "06 01", "UBX 06 01: 01 07 00 02 00 01 00 00", ack + "06 01"}},
        {"CFG-MSG of a message not sent: poll, keep off, turn on",
         Ubx(0x06, 0x01, {0x01, 0x99}) + Ubx(0x06, 0x01, {0xF0, 0x09, 0}) +
             Ubx(0x06, 0x01, {0xF0, 0x09, 0, 1, 0, 0, 0, 0}),
         {"UBX 06 01: 01 99 00 00 00 00 00 00", ack + "06 01", ack + "06 01", nak + "06 01"}},
        {"CFG-RATE poll", ratePoll, {rate1s, ack + "06 08"}},
        {"CFG-RATE set, poll", rate200 + ratePoll, {ack + "06 08", rate200ms, ack + "06 08"}},
        {"CFG-RATE of 10 ms refused", Ubx(0x06, 0x08, {10, 0, 1, 0, 1, 0}), {nak + "06 08"}},
        {"CFG-CFG save, change, load",
         rate200 + cfgSaveNav + rate500 + cfgLoadAll + ratePoll,
         {ack + "06 08", ack + "06 09", ack + "06 08", ack + "06 09", rate200ms, ack + "06 08"}},
        {"CFG-CFG revert to defaults",
         rate200 + cfgSaveNav + cfgRevert + ratePoll,
         {ack + "06 08", ack + "06 09", ack + "06 09", rate1s, ack + "06 08"}},
        {"CFG-CFG of four bytes", Ubx(0x06, 0x09, {0, 0, 0, 0}), {nak + "06 09"}},
        {"software reset: banner, unsaved changes lost",
         rate200 + Ubx(0x06, 0x04, {0xFF, 0xFF, 1, 0}) + ratePoll,
         Then(Then({ack + "06 08"}, banner), {rate1s, ack + "06 08"})},
        {"reset after save keeps the saved setting",
         rate200 + cfgSaveNav + Ubx(0x06, 0x04, {0, 0, 1, 0}) + ratePoll,
         Then(Then({ack + "06 08", ack + "06 09"}, banner), {rate200ms, ack + "06 08"})},
        {"GNSS-only reset: no answer", Ubx(0x06, 0x04, {1, 0, 2, 0}), {}},
        {"CFG-RST of two bytes", Ubx(0x06, 0x04, {0, 0}), {nak + "06 04"}},
        {"MON-VER poll", Ubx(0x0A, 0x04), {"UBX 0A 04 (190 bytes)"}},
        {"NAV-PVT and NAV-SAT polls",
         Ubx(0x01, 0x07) + Ubx(0x01, 0x35),
         {"UBX 01 07 (92 bytes)", "UBX 01 35 (152 bytes)"}},
        {"NAV-TIMELS, NAV-SOL and NAV-SVINFO polls",
         Ubx(0x01, 0x26) + Ubx(0x01, 0x06) + Ubx(0x01, 0x30),
         {"UBX 01 26 (24 bytes)", "UBX 01 06 (52 bytes)", "UBX 01 30 (152 bytes)"}},
        {"NAV-PVT with a payload: silence", Ubx(0x01, 0x07, {0}), {}},
        {"unknown message: silence", Ubx(0x02, 0x15) + Ubx(0x0A, 0x04, {1}), {}},
        {"unknown CFG message", Ubx(0x06, 0x3E), {nak + "06 3E"}},
    };
    for (const Case& c : cases) {
        SimulatedReceiver receiver = NewReceiver();
        std::vector<std::string> answers;
        for (const std::string& answer : receiver.Receive(c.commands))
            answers.push_back(Describe(answer));
        EXPECT_EQ(answers, c.answers) << c.legend;
    }
}

TEST(SimulatedReceiver, AcknowledgementsInTheReceiversLayout) {
    SimulatedReceiver receiver = NewReceiver();
    auto answers = receiver.Receive(Ubx(0x06, 0x3E) + kCfgAntSet);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(Hex(answers[0]), "B5 62 05 00 02 00 06 3E 4B 70");
    EXPECT_EQ(Hex(answers[1]), "B5 62 05 01 02 00 06 13 21 4A");
}

TEST(SimulatedReceiver, RateCommandSetsSerialPortOneRate) {
    struct Case {
        std::string command;
        std::string message;
        int rate;
    };
    const Case cases[] = {
        {BuildPubx40("GSV", 1, 0, 1, 1, 1), "GSV", 0},
        {BuildPubx40("GGA", 0, 3, 0, 0, 0), "GGA", 3},
        {AppendNmeaChecksum("$PUBX,40,ZDA,0,0,0,0,0*") + "\r\n", "ZDA",
         0},                                           // without the reserved field
        {BuildPubx40("gga", 0, 0, 0, 0, 0), "GGA", 1}, // not a message name
        {BuildPubx40("Select Target Message", 0, 0, 0, 0, 0), "GGA", 1},
        {"$PUBX,40,GSV,0,0,0,0,0,0*5A\r\n", "GSV", 1}, // wrong checksum
        {AppendNmeaChecksum("$PUBX,40,GLL,0,x,0,0,0,0*") + "\r\n", "GLL", 1},
        {AppendNmeaChecksum("$PUBX,40,GLL,0,256,0,0,0,0*") + "\r\n", "GLL", 1},
        {AppendNmeaChecksum("$PUBX,40,GLL,-1,0,0,0,0,0*") + "\r\n", "GLL", 1},
    };
    for (const Case& c : cases) {
        SimulatedReceiver receiver = NewReceiver();
        EXPECT_TRUE(receiver.Receive(c.command).empty()) << c.command;
        EXPECT_EQ(receiver.MessageRate(c.message), c.rate) << c.command;
    }
}

TEST(SimulatedReceiver, RatesDecideWhichEpochsCarryAMessage) {
    SimulatedReceiver receiver = NewReceiver();
    receiver.Receive(BuildPubx40("GSV", 0, 0, 0, 0, 0) + BuildPubx40("RMC", 0, 2, 0, 0, 0));
    std::vector<std::string> epochs;
    for (int k = 0; k < 4; ++k) {
        std::string kinds;
        for (const std::string& kind : Kinds(receiver.NextEpoch()))
            kinds += kind.substr(3) + " ";
        epochs.push_back(kinds);
    }
    EXPECT_EQ(epochs,
              (std::vector<std::string>{"RMC VTG GGA GSA GLL ZDA ", "VTG GGA GSA GLL ZDA ",
                                        "RMC VTG GGA GSA GLL ZDA ", "VTG GGA GSA GLL ZDA "}));
}

TEST(SimulatedReceiver, ConfigurationAndRestartsShapeTheEpochs) {
    SimulatedReceiver receiver = NewReceiver();
    std::vector<std::string> messages;
    auto epoch = [&] {
        messages = receiver.NextEpoch();
        std::string kinds;
        for (const std::string& message : messages)
            kinds += Describe(message).substr(0, 9) + " ";
        return kinds;
    };
    EXPECT_EQ(epoch(), "$GPRMC $GPVTG $GPGGA $GPGSA $GPGSV $GPGSV $GPGSV $GPGLL $GPZDA ");
    // Five epochs a second; NAV-PVT on, GSV and RMC off.
    receiver.Receive(Ubx(0x06, 0x08, {200, 0, 1, 0, 1, 0}) + Ubx(0x06, 0x01, {0x01, 0x07, 1}) +
                     Ubx(0x06, 0x01, {0xF0, 0x03, 0}) + Ubx(0x06, 0x01, {0xF0, 0x04, 0}));
    EXPECT_EQ(epoch(), "UBX 01 07 $GPVTG $GPGGA $GPGSA $GPGLL $GPZDA ");
    EXPECT_TRUE(messages[2].starts_with("$GPGGA,083559.20,")) << messages[2];

    // A cold start loses the fix for some seconds; GGA and NAV-PVT agree on it.
    receiver.Receive(Ubx(0x06, 0x04, {0xFF, 0xFF, 2, 0}));
    int epochsWithoutFix = 0;
    bool regained = false;
    for (int k = 0; k < 100; ++k) {
        epoch();
        const bool pvtFix = FramePayload(messages.at(0))[20] == 3;
        EXPECT_EQ(pvtFix, messages.at(2).find(",,,,,0,00,") == std::string::npos) << messages[2];
        EXPECT_FALSE(regained && !pvtFix) << "the fix came back and went again";
        regained = regained || pvtFix;
        epochsWithoutFix += !pvtFix;
    }
    EXPECT_GE(epochsWithoutFix, 25); // at least 5 s
    EXPECT_TRUE(regained);

    receiver.Receive(Ubx(0x06, 0x04, {0, 0, 8, 0})); // GNSS stop
    EXPECT_EQ(epoch(), "");
    receiver.Receive(Ubx(0x06, 0x04, {0, 0, 9, 0})); // GNSS start
    EXPECT_NE(epoch(), "");
}

namespace {
constexpr std::uint32_t kRateMeas = 0x30210001, kRateNav = 0x30210002, kUart1Baud = 0x40520001,
                        kGgaUart1 = 0x209100BB, kPvtUart1 = 0x20910007, kNoSuchKey = 0x30210099;

std::string Bytes(const TUBXPacket& packet) {
    return ToByteString(BuildUbxFrame(packet));
}

std::string ValGet(ubx::TConfigLayer layer, std::uint32_t key, std::uint16_t position = 0) {
    return Bytes(ubx::CfgValGetPoll(layer, std::array{key}, position));
}

std::string ValSet(std::uint8_t layers, std::uint32_t key, std::uint64_t value,
                   std::optional<ubx::TConfigTransaction> step = {}) {
    const std::array values{ubx::TConfigValue{key, value}};
    return Bytes(step ? ubx::CfgValSet(layers, *step, values) : ubx::CfgValSet(layers, values));
}

SimulatedReceiver ReceiverOfGeneration(int generation) {
    ReceiverSettings settings{1039422959, 1, false, false};
    settings.generation = generation;
    return SimulatedReceiver(settings);
}
} // namespace

TEST(SimulatedReceiver, LaterGenerationsKeepAConfigurationDatabase) {
    using enum ubx::TConfigLayer;
    using ubx::kLayerBbr, ubx::kLayerRam;
    const std::string ack = "UBX 05 01: ", nak = "UBX 05 00: ";
    const std::string measRam1000 = "UBX 06 8B: 01 00 00 00 01 00 21 30 E8 03";
    const std::string measRam200 = "UBX 06 8B: 01 00 00 00 01 00 21 30 C8 00";
    const std::string ratePoll = Ubx(0x06, 0x08), prtPoll = Ubx(0x06, 0x00);
    const std::string reset = Ubx(0x06, 0x04, {0, 0, 1, 0});
    const std::string saveAll = Ubx(0x06, 0x09, {0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0});
    const std::string clearAll = Ubx(0x06, 0x09, {0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::vector<std::string> banner(7, "$GPTXT");
    struct Case {
        const char* legend;
        int generation;
        std::string commands;
        std::vector<std::string> answers;
    };
    const Case cases[] = {
        {"RATE-MEAS in RAM", 9, ValGet(Ram, kRateMeas), {measRam1000, ack + "06 8B"}},
        {"defaults: RATE-MEAS, GGA on UART1, UART1 rate",
         9,
         ValGet(Default, kRateMeas) + ValGet(Default, kGgaUart1) + ValGet(Default, kUart1Baud),
         {"UBX 06 8B: 01 07 00 00 01 00 21 30 E8 03", ack + "06 8B",
          "UBX 06 8B: 01 07 00 00 BB 00 91 20 01", ack + "06 8B",
          "UBX 06 8B: 01 07 00 00 01 00 52 40 80 25 00 00", ack + "06 8B"}},
        {"group wildcard: the four RATE keys",
         9,
         ValGet(Default, 0x00210FFF),
         {"UBX 06 8B (26 bytes)", ack + "06 8B"}},
        {"nothing stored in BBR", 9, ValGet(Bbr, kRateMeas), {nak + "06 8B"}},
        {"unknown key",
         9,
         ValGet(Ram, kNoSuchKey) + ValSet(kLayerRam, kNoSuchKey, 1),
         {nak + "06 8B", nak + "06 8A"}},
        {"RATE-MEAS set in RAM acts at once",
         9,
         ValSet(kLayerRam, kRateMeas, 200) + ratePoll,
         {ack + "06 8A", "UBX 06 08: C8 00 01 00 01 00", ack + "06 08"}},
        {"RATE-MEAS of 10 ms refused",
         9,
         ValSet(kLayerRam, kRateMeas, 10) + ValGet(Ram, kRateMeas),
         {nak + "06 8A", measRam1000, ack + "06 8B"}},
        {"UART1 rate set",
         9,
         ValSet(kLayerRam, kUart1Baud, 115200) + prtPoll,
         {ack + "06 8A", "UBX 06 00: 01 00 00 00 C0 08 00 00 00 C2 01 00 07 00 03 00 00 00 00 00",
          ack + "06 00"}},
        {"CFG-MSG and MSGOUT keys set the same rate",
         9,
         Ubx(0x06, 0x01, {0xF0, 0x00, 0}) + ValGet(Ram, kGgaUart1) +
             ValSet(kLayerRam, kPvtUart1, 2) + Ubx(0x06, 0x01, {0x01, 0x07}),
         {ack + "06 01", "UBX 06 8B: 01 00 00 00 BB 00 91 20 00", ack + "06 8B", ack + "06 8A",
          "UBX 06 01: 01 07 00 02 00 00 00 00", ack + "06 01"}},
        {"set in BBR acts after a reset, deleted no more", 9,
         ValSet(kLayerBbr, kRateMeas, 200) + ValGet(Ram, kRateMeas) + reset +
             ValGet(Ram, kRateMeas) + Bytes(ubx::CfgValDel(kLayerBbr, std::array{kRateMeas})) +
             reset + ValGet(Ram, kRateMeas),
         Then(Then(Then(Then({ack + "06 8A", measRam1000, ack + "06 8B"}, banner),
                        {measRam200, ack + "06 8B", ack + "06 8C"}),
                   banner),
              {measRam1000, ack + "06 8B"})},
        {"CFG-CFG saves RAM to BBR and clears it",
         9,
         ValSet(kLayerRam, kRateMeas, 200) + saveAll + ValGet(Bbr, kRateMeas) + clearAll +
             ValGet(Bbr, kRateMeas),
         {ack + "06 8A", ack + "06 09", "UBX 06 8B: 01 01 00 00 01 00 21 30 C8 00", ack + "06 8B",
          ack + "06 09", nak + "06 8B"}},
        {"another CFG message cancels a transaction",
         9,
         ValSet(kLayerRam, kRateMeas, 200, ubx::TConfigTransaction::Start) + ratePoll +
             ValSet(kLayerRam, kRateNav, 2, ubx::TConfigTransaction::Apply) + ratePoll,
         {ack + "06 8A", "UBX 06 08: E8 03 01 00 01 00", ack + "06 08", nak + "06 8A",
          "UBX 06 08: E8 03 01 00 01 00", ack + "06 08"}},
        {"generation 8 has no database", 8, ValGet(Ram, kRateMeas), {nak + "06 8B"}},
        {"generation 10 refuses the legacy messages",
         10,
         ratePoll + prtPoll + Ubx(0x06, 0x01, {0xF0, 0x00, 0}) + ValGet(Ram, kRateMeas),
         {nak + "06 08", nak + "06 00", nak + "06 01", measRam1000, ack + "06 8B"}},
    };
    for (const Case& c : cases) {
        SimulatedReceiver receiver = ReceiverOfGeneration(c.generation);
        std::vector<std::string> answers;
        for (const std::string& answer : receiver.Receive(c.commands))
            answers.push_back(Describe(answer));
        EXPECT_EQ(answers, c.answers) << c.legend;
    }
}

TEST(SimulatedReceiver, TransactionOverMoreThan64KeysActsAtApplyOnlyAndAllOrNothing) {
    // RATE-MEAS back to 1000 ms after 69 other keys: two messages.
    std::vector<ubx::TConfigValue> values;
    for (const ubx::TConfigKey& key : ubx::ConfigKeys())
        if (key.name.starts_with("CFG-MSGOUT-") && key.name.ends_with("_I2C") && values.size() < 69)
            values.push_back({key.id, 0});
    values.push_back({kRateMeas, 1000});
    const std::vector<TUBXPacket> messages = ubx::CfgValSetMessages(ubx::kLayerRam, values);
    ASSERT_EQ(messages.size(), 2u);

    for (bool refusedValue : {false, true}) {
        SimulatedReceiver receiver = ReceiverOfGeneration(9);
        receiver.Receive(ValSet(ubx::kLayerRam, kRateMeas, 200));
        EXPECT_EQ(receiver.EpochPeriod(), std::chrono::milliseconds(200)); // 5 Hz
        receiver.Receive(Bytes(messages[0]));
        EXPECT_EQ(receiver.EpochPeriod(), std::chrono::milliseconds(200));
        TUBXPacket apply = messages[1];
        if (refusedValue) // the last key, RATE-MEAS, asks for 10 ms
            apply = ubx::CfgValSet(ubx::kLayerRam, ubx::TConfigTransaction::Apply,
                                   std::array{values[64], values[65], values[66], values[67],
                                              values[68], ubx::TConfigValue{kRateMeas, 10}});
        const std::vector<std::string> answers = receiver.Receive(Bytes(apply));
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(Describe(answers[0]), refusedValue ? "UBX 05 00: 06 8A" : "UBX 05 01: 06 8A");
        EXPECT_EQ(receiver.EpochPeriod(), std::chrono::milliseconds(refusedValue ? 200 : 1000));
        EXPECT_EQ(receiver.MessageRate("GGA"), 1);
    }
}

TEST(SimulatedReceiver, AllKeysWildcardAnswersInPagesOf64) {
    SimulatedReceiver receiver = ReceiverOfGeneration(9);
    const auto keys = ubx::ConfigKeys();
    for (std::uint16_t position : {0, 64}) {
        const std::vector<std::string> answers =
            receiver.Receive(ValGet(ubx::TConfigLayer::Default, 0x0FFF0FFF, position));
        ASSERT_EQ(answers.size(), 2u);
        const std::string payload = FramePayload(answers[0]);
        const auto answer =
            ubx::ReadCfgValGet(std::vector<std::uint8_t>(payload.begin(), payload.end()));
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->position, position);
        ASSERT_EQ(answer->values.size(), 64u);
        EXPECT_EQ(answer->values.front().key, keys[position].id);
        EXPECT_EQ(answer->values.back().key, keys[position + 63u].id);
    }
}

TEST(SimulatedReceiver, VersionNamesTheGenerationsReceiver) {
    struct Case {
        int generation;
        std::vector<std::string> fields; // software, hardware, then the extensions
    };
    const Case cases[] = {
        {8,
         {"ROM CORE 3.01 (107888)", "00080000", "FWVER=SPG 3.01", "PROTVER=18.00", "MOD=NEO-M8N",
          "GPS;GLO;GAL;BDS", "SBAS;IMES;QZSS"}},
        {9,
         {"EXT CORE 1.00 (0fa0ae)", "00190000", "ROM BASE 0x118B2060", "FWVER=HPG 1.32",
          "PROTVER=27.31", "MOD=ZED-F9P", "GPS;GLO;GAL;BDS", "SBAS;QZSS"}},
        {10,
         {"ROM SPG 5.10 (7b202e)", "000A0000", "FWVER=SPG 5.10", "PROTVER=34.10", "MOD=MAX-M10S",
          "GPS;GLO;GAL;BDS", "SBAS;QZSS"}},
    };
    for (const Case& c : cases) {
        SimulatedReceiver receiver = ReceiverOfGeneration(c.generation);
        const std::vector<std::string> answers = receiver.Receive(Ubx(0x0A, 0x04));
        ASSERT_EQ(answers.size(), 1u);
        const std::string payload = FramePayload(answers[0]);
        std::vector<std::string> fields;
        for (size_t at = 0; at < payload.size(); at += fields.size() == 2 ? 10 : 30)
            fields.push_back(payload.substr(at, payload.find('\0', at) - at));
        EXPECT_EQ(fields, c.fields) << c.generation;
    }
}
