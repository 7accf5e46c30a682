#include "serial/SerialPort.h"

#include <gtest/gtest.h>

namespace {
TEST(PortNames, StringToCommPortAcceptsOnlyExactComNames) {
    const struct {
        std::string name;
        TCommPort port;
    } cases[] = {
        {"COM1", spCOM1},
        {" COM7 ", MakeCommPort(7)},
        {"\tCOM254\r\n", spCOM254},
        {"COM13", spCOM13},
        {"", spNone},
        {" \t ", spNone},
        {"com7", spCustom},
        {"COM07", spCustom},
        {"COM0", spCustom},
        {"COM255", spCustom},
        {"COM1000", spCustom},
        {"COM", spCustom},
        {"COM1 x", spCustom},
        {"COM-1", spCustom},
        {"/dev/ttyUSB0", spCustom},
        {"ttyACM0", spCustom},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringToCommPort(c.name), c.port) << '"' << c.name << '"';
}

TEST(PortNames, EveryComPortNameRoundTrips) {
    for (int n = 1; n <= 254; ++n)
        ASSERT_EQ(StringToCommPort(CommPortToString(MakeCommPort(n))), MakeCommPort(n));
    EXPECT_EQ(CommPortToString(spNone, "ABC"), "");
    EXPECT_EQ(CommPortToString(spCustom, "ABC"), "ABC");
    EXPECT_EQ(CommPortToString(MakeCommPort(42)), "COM42");
}

TEST(PortNames, BitRatesMapBothWays) {
    const std::int32_t rates[] = {75,     110,    134,    150,    300,    600,   1200,  1800,
                                  2400,   4800,   7200,   9600,   14400,  19200, 38400, 57600,
                                  115200, 128000, 230400, 256000, 460800, 921600};
    for (int ordinal = 0; ordinal < brCustom; ++ordinal) {
        const auto member = static_cast<TBaudRate>(ordinal);
        EXPECT_EQ(BaudRateToInt(member), rates[ordinal]);
        EXPECT_EQ(IntToBaudRate(rates[ordinal]), member);
    }
    EXPECT_EQ(BaudRateToInt(brCustom, 31250), 31250);
    for (std::int32_t other : {0, -9600, 28800, 135, 1})
        EXPECT_EQ(IntToBaudRate(other), brCustom) << other;
}

TEST(SerialSettings, CustomPortFollowsItsName) {
    TSerialPort port;
    port.SetPort(spCustom); // no name yet: stays without a port
    EXPECT_EQ(port.Port(), spNone);

    port.SetCustomPortName("ABC");
    port.SetPort(spCustom);
    EXPECT_EQ(port.Port(), spCustom);
    EXPECT_EQ(port.CommPortToString(spCustom), "ABC");
    port.SetCustomPortName(" XYZ ");
    EXPECT_EQ(port.CustomPortName(), "XYZ");
    EXPECT_EQ(port.CommPortToString(port.Port()), "XYZ");

    port.SetPort(spCOM13);
    port.SetCustomPortName("Other");
    EXPECT_EQ(port.Port(), spCOM13);
}

TEST(SerialSettings, CustomRateFollowsOnlyWhenSelected) {
    TSerialPort port;
    port.SetBaudRate(brCustom); // custom rate 0
    EXPECT_EQ(port.BaudRate(), brCustom);
    port.SetCustomBaudRate(9600);
    EXPECT_EQ(port.BaudRate(), br009600);
    port.SetCustomBaudRate(31250);
    EXPECT_EQ(port.BaudRate(), br009600);
    EXPECT_EQ(port.CustomBaudRate(), 31250);
    port.SetBaudRate(brCustom);
    EXPECT_EQ(port.BaudRateToInt(port.BaudRate()), 31250);
}

// Each step: the write, whether it is refused, and the width and stop bits after.
TEST(SerialSettings, DataWidthAndStopBitsGoTogether) {
    struct Step {
        const char* what;
        std::function<void(TSerialPort&)> write;
        bool refused;
        TDataWidth width;
        TStopBits stop;
    };
    const Step steps[] = {
        {"1.5 with 8 bits", [](TSerialPort& p) { p.SetStopBits(sb1_5Bits); }, true, dw8Bits,
         sb1Bit},
        {"2 with 8 bits", [](TSerialPort& p) { p.SetStopBits(sb2Bits); }, false, dw8Bits, sb2Bits},
        {"5 bits with 2", [](TSerialPort& p) { p.SetDataWidth(dw5Bits); }, true, dw8Bits, sb2Bits},
        {"back to 1", [](TSerialPort& p) { p.SetStopBits(sb1Bit); }, false, dw8Bits, sb1Bit},
        {"5 bits with 1", [](TSerialPort& p) { p.SetDataWidth(dw5Bits); }, false, dw5Bits, sb1Bit},
        {"1.5 with 5 bits", [](TSerialPort& p) { p.SetStopBits(sb1_5Bits); }, false, dw5Bits,
         sb1_5Bits},
        {"8 bits with 1.5", [](TSerialPort& p) { p.SetDataWidth(dw8Bits); }, true, dw5Bits,
         sb1_5Bits},
        {"6 bits with 1.5", [](TSerialPort& p) { p.SetDataWidth(dw6Bits); }, true, dw5Bits,
         sb1_5Bits},
        {"2 with 5 bits", [](TSerialPort& p) { p.SetStopBits(sb2Bits); }, true, dw5Bits, sb1_5Bits},
        {"5 bits again", [](TSerialPort& p) { p.SetDataWidth(dw5Bits); }, false, dw5Bits,
         sb1_5Bits},
        {"1 with 5 bits", [](TSerialPort& p) { p.SetStopBits(sb1Bit); }, false, dw5Bits, sb1Bit},
        {"7 bits", [](TSerialPort& p) { p.SetDataWidth(dw7Bits); }, false, dw7Bits, sb1Bit},
    };
    TSerialPort port;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.refused) {
            try {
                step.write(port);
                ADD_FAILURE() << "accepted";
            } catch (const ESerialPortException& error) {
                EXPECT_STREQ(error.what(), "Invalid data-width and stop-bits combination.");
            }
        } else {
            EXPECT_NO_THROW(step.write(port));
        }
        EXPECT_EQ(port.DataWidth(), step.width);
        EXPECT_EQ(port.StopBits(), step.stop);
    }
}
} // namespace
