// gpsd's ubxtool, a widely used writer of configuration messages, against
// this monitor's encoders: ubxtool writes CFG-VALSET, CFG-VALGET and
// CFG-VALDEL to a pseudo-terminal and its frames must be, byte for byte,
// those the monitor makes from the same key and value as a KEY=value file
// line (values scaled and with their unit) or by its encoders. ubxtool waits
// for no answer and ends after -w seconds. Skipped where ubxtool is not
// installed.

#include "protocol/commands/ConfigValues.h"
#include "protocol/configfiles/ConfigFileReader.h"
#include "tests/protocol/StreamBytes.h"
#include "tests/receiver-sim/ChildProcess.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <gtest/gtest.h>

using namespace ubx;

namespace {

class UbxtoolPeer : public testing::Test {
protected:
    void SetUp() override {
        ubxtool_ = FindProgram("ubxtool");
        if (!ubxtool_)
            GTEST_SKIP() << "ubxtool (Debian package gpsd-clients) is not installed";
    }

    // What ubxtool wrote to the line for these options, as hex.
    std::string Written(const std::vector<std::string>& options) {
        PtyPeer peer;
        std::vector<std::string> arguments = {"-f", peer.devicePath(), "-P", "27", "-w", "0"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        ChildProcess tool(scratch_, *ubxtool_, arguments);
        EXPECT_EQ(tool.WaitForExit(std::chrono::seconds(20)), 0) << tool.Errors();
        const std::string bytes = peer.readUntilQuiet(100, 2000);
        return Hex(TBufToSend(bytes.begin(), bytes.end()));
    }

    ScratchEnvironment scratch_;
    std::optional<std::string> ubxtool_;
};

std::uint32_t Key(const char* name) {
    return FindConfigKey(std::string_view(name))->id;
}

// The frames of a KEY=value file's text for these layers, as hex.
std::string FromFile(const std::string& text, std::uint8_t layers) {
    const TConfigFilePlan plan = ReadConfigFile(text, layers);
    EXPECT_EQ(plan.errors, std::vector<std::string>{}) << text;
    std::string hex;
    for (const TNamedFrame& frame : plan.frames)
        hex += Hex(BuildUbxFrame(frame.packet));
    return hex;
}

} // namespace

TEST_F(UbxtoolPeer, SetsEachTypeOfValueAsTheMonitorDoes) {
    // ubxtool takes raw integers; the monitor's file takes scaled values.
    const struct {
        const char* key;
        const char* raw;
        std::uint8_t layers;
        const char* value;
    } cases[] = {
        {"CFG-RATE-MEAS", "200", kLayerRam, "200 ms"},                           // U2, unit
        {"CFG-UART1INPROT-UBX", "1", kLayerBbr, "true"},                         // L
        {"CFG-NAVSPG-DYNMODEL", "4", kLayerRam, "AUTOMOT"},                      // E1
        {"CFG-INFMSG-UBX_UART1", "7", kLayerRam, "ERROR|WARNING|NOTICE"},        // X1
        {"CFG-UART1-BAUDRATE", "115200", kLayerRam | kLayerFlash, "115200"},     // U4
        {"CFG-NAVSPG-CONSTR_ALT", "-1234", kLayerRam, "-12.34 m"},               // I4, 0.01
        {"CFG-GEOFENCE-FENCE1_LAT", "-123456789", kLayerRam, "-12.3456789 deg"}, // I4, 1e-7
        {"CFG-TMODE-HEIGHT_HP", "-5", kLayerRam, "-0.5 mm"},                     // I1, 0.1
        {"CFG-NAVSPG-USRDAT_DX", "-1.5", kLayerRam, "-1.5 m"},                   // R4
        {"CFG-NAVSPG-USRDAT_MAJA", "6378137.5", kLayerFlash, "6378137.5"},       // R8
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            Written({"-z", std::string(c.key) + "," + c.raw + "," + std::to_string(c.layers)}),
            FromFile(std::string(c.key) + "=" + c.value + "\n", c.layers))
            << c.key;
    // Several keys at once go as one message.
    EXPECT_EQ(Written({"-z", "CFG-RATE-MEAS,200,1", "-z", "CFG-RATE-NAV,2,1"}),
              FromFile("CFG-RATE-MEAS=200\nCFG-RATE-NAV=2\n", kLayerRam));
}

TEST_F(UbxtoolPeer, PollsAndDeletesAsTheMonitorDoes) {
    const std::uint32_t meas[] = {Key("CFG-RATE-MEAS")};
    const std::uint32_t semiMajorAxis[] = {Key("CFG-NAVSPG-USRDAT_MAJA")};
    EXPECT_EQ(Written({"-g", "CFG-RATE-MEAS,0"}),
              Hex(BuildUbxFrame(CfgValGetPoll(TConfigLayer::Ram, meas))));
    EXPECT_EQ(Written({"-g", "CFG-NAVSPG-USRDAT_MAJA,7,3"}),
              Hex(BuildUbxFrame(CfgValGetPoll(TConfigLayer::Default, semiMajorAxis, 3))));
    EXPECT_EQ(Written({"-x", "CFG-RATE-MEAS"}),
              Hex(BuildUbxFrame(CfgValDel(kLayerBbr | kLayerFlash, meas))));
}
