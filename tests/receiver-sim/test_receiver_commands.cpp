// How the simulated receiver takes commands: the byte stream cut into
// sentences and frames whatever the pieces, broken input skipped without
// losing the good command behind it, and each command's answer or effect.

#include "protocol/NmeaSentence.h"
#include "protocol/UbxFrame.h"
#include "tests/receiver-sim/ReceivedTraffic.h"
#include "tools/receiver-sim/CommandScanner.h"
#include "tools/receiver-sim/SimulatedReceiver.h"

#include <gtest/gtest.h>

namespace {
const std::string kCfgAntPoll = ToByteString(CfgAntPollFrame());
const std::string kCfgAntSet = ToByteString(CfgAntSetFrame());
const std::string kCfgMsgPoll =
    ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x01, {0xF0, 0x00})));

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

TEST(SimulatedReceiver, AnswersEachPollAndIgnoresBrokenCommands) {
    struct Case {
        std::string command;
        std::vector<std::string> answers;
    };
    const Case cases[] = {
        {std::string(kPubxPollLatLon), {"$PUBX,00"}},
        {std::string(kPubxPollSatStat), {"$PUBX,03"}},
        {std::string(kPubxPollTime), {"$PUBX,04"}},
        {"$PUBX,00*34\r\n", {}}, // wrong checksum
        {"$PUBX,00\r\n", {}},    // no checksum
        {AppendNmeaChecksum("$PUBX,00,1*") + "\r\n", {}},
        {AppendNmeaChecksum("$GPGGA*") + "\r\n", {}},
        {kCfgAntPoll, {"UBX 06 13", "UBX 05 01"}},
        {kCfgAntSet, {"UBX 05 01"}},
        {kCfgMsgPoll, {"UBX 05 00"}},
        {ToByteString(BuildUbxFrame(MakeUbxPacket(0x06, 0x13, {1, 2}))), {"UBX 05 00"}},
        {Corrupted(kCfgAntPoll), {}},
    };
    for (const Case& c : cases) {
        SimulatedReceiver receiver = NewReceiver();
        EXPECT_EQ(Kinds(receiver.Receive(c.command)), c.answers) << Hex(c.command);
    }
}

TEST(SimulatedReceiver, AcknowledgementsNameTheAcknowledgedMessage) {
    SimulatedReceiver receiver = NewReceiver();
    auto answers = receiver.Receive(kCfgMsgPoll + kCfgAntSet);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(Hex(answers[0]), "B5 62 05 00 02 00 06 01 0E 33");
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
