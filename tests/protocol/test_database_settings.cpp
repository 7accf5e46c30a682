// Which receiver a MON-VER names and how it is configured, and the daily
// settings as configuration keys: each message's CFG-MSGOUT keys in CFG-MSG's
// port order, and the receiver's answers read back into the legacy records.

#include "protocol/commands/DatabaseSettings.h"
#include "protocol/commands/ReceiverGeneration.h"

#include <gtest/gtest.h>

using namespace ubx;

TEST(ReceiverGeneration, FromModuleElseProtocol) {
    const struct {
        std::vector<std::string> extensions;
        int generation;
        bool database;
    } cases[] = {
        {{"FWVER=SPG 3.01", "PROTVER=18.00", "MOD=NEO-M8N"}, 8, false},
        {{"FWVER=HPG 1.32", "PROTVER=27.31", "MOD=ZED-F9P"}, 9, true},
        {{"FWVER=SPG 4.04", "PROTVER=32.01"}, 9, true},
        {{"FWVER=SPG 5.10", "PROTVER=34.10", "MOD=MAX-M10S"}, 10, true},
        {{"PROTVER=50.00", "MOD=ZED-X20P"}, 20, true},
        {{"PROTVER 14.00", "GPS;SBAS;GLO;QZSS"}, 7, false},
        {{}, 0, false},
    };
    for (const auto& c : cases) {
        const TReceiverGeneration receiver =
            ReceiverGenerationOf({"ROM CORE", "0008", c.extensions});
        EXPECT_EQ(receiver.generation, c.generation) << c.extensions.size();
        EXPECT_EQ(receiver.configurationDatabase, c.database) << receiver.Text();
    }
    EXPECT_EQ(ReceiverGenerationOf({"", "", {"PROTVER=27.31", "MOD=ZED-F9P"}}).Text(),
              "Generation 9 receiver, protocol 27.31: configured through the configuration "
              "database");
    EXPECT_EQ(ReceiverGenerationOf({}).Text(),
              "Receiver of unknown generation: configured through the legacy CFG messages");
}

TEST(DatabaseSettings, MessageRateKeysInPortOrder) {
    const struct {
        const char* message;
        TMessageRateKeys keys;
    } cases[] = {
        {"GGA", {0x209100ba, 0x209100bb, 0x209100bc, 0x209100bd, 0x209100be, 0}},
        {"PUBX,00", {0x209100ec, 0x209100ed, 0x209100ee, 0x209100ef, 0x209100f0, 0}},
        {"NAV-PVT", {0x20910006, 0x20910007, 0x20910008, 0x20910009, 0x2091000a, 0}},
        {"NAV-SOL", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MessageRateKeys(c.message), c.keys) << c.message;
    EXPECT_THROW(MessageRateValGet("NAV-SOL"), EConfigError);
}

TEST(DatabaseSettings, AnswersReadIntoTheLegacyRecords) {
    const auto answer = [](std::vector<TConfigValue> values) {
        return CfgValGetAnswer({TConfigLayer::Ram, 0, std::move(values)}).PayLoad;
    };
    const auto rate = RateOfValGet(answer(ReadCfgValSet(RateValSet({200, 2, 0}).PayLoad)->values));
    ASSERT_TRUE(rate);
    EXPECT_EQ(std::tuple(rate->measRateMs, rate->navRate, rate->timeRef), std::tuple(200, 2, 0));

    const auto gsv = ReadCfgValSet(MessageRateValSet("GSV", {1, 2, 3, 4, 5, 6}).PayLoad);
    ASSERT_TRUE(gsv);
    EXPECT_EQ(gsv->layers, kLayerRam);
    EXPECT_EQ(gsv->values.size(), 5u); // no key for Port 5
    EXPECT_EQ(MessageRatesOfValGet(answer(gsv->values), "GSV"), (TMessageRates{1, 2, 3, 4, 5, 0}));
    const auto span = ReadCfgValSet(MessageRateValSetOn("MON-SPAN", 1, 1).PayLoad); // on UART1
    ASSERT_TRUE(span && span->values.size() == 1);
    EXPECT_EQ(std::pair(span->values[0].key, span->values[0].value),
              std::pair(std::uint32_t{0x2091038c}, std::uint64_t{1}));
    EXPECT_THROW(MessageRateValSetOn("GGA", 5, 1), EConfigError) << "no key on Port 5";

    const auto port = Uart1OfValGet(answer({{ConfigKeyId("CFG-UART1-BAUDRATE"), 38400},
                                            {ConfigKeyId("CFG-UART1INPROT-UBX"), 1},
                                            {ConfigKeyId("CFG-UART1INPROT-RTCM3X"), 1},
                                            {ConfigKeyId("CFG-UART1OUTPROT-NMEA"), 1}}));
    ASSERT_TRUE(port);
    EXPECT_EQ(std::tuple(port->portId, port->baudRate, port->inProtoMask, port->outProtoMask),
              std::tuple(1, 38400u, 0x21, 0x02));
    EXPECT_FALSE(Uart1OfValGet(answer({{ConfigKeyId("CFG-UART1INPROT-UBX"), 1}})));
}

TEST(DatabaseSettings, ValSetReadBackInBothVersions) {
    const TConfigValue values[] = {{0x30210001, 100}, {0x10730001, 1}};
    const auto plain = ReadCfgValSet(CfgValSet(kLayerRam | kLayerFlash, values).PayLoad);
    const auto step =
        ReadCfgValSet(CfgValSet(kLayerBbr, TConfigTransaction::Apply, values).PayLoad);
    ASSERT_TRUE(plain && step);
    EXPECT_EQ(plain->layers, kLayerRam | kLayerFlash);
    EXPECT_EQ(step->transaction, TConfigTransaction::Apply);
    EXPECT_EQ(step->values, std::vector<TConfigValue>(std::begin(values), std::end(values)));
    TPayload cut = CfgValSet(kLayerRam, values).PayLoad;
    cut.pop_back();
    EXPECT_FALSE(ReadCfgValSet(cut));
}
