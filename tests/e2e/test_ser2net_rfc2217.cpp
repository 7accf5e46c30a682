// ser2net's telnet accepter with RFC 2217 com port control, between a
// pseudo-terminal and the port opened as rfc2217://127.0.0.1:PORT: the
// port's baud rate sets the pseudo-terminal's, at the open and when it
// changes, and every byte value crosses both ways unchanged. Skipped where
// ser2net is not installed.

#include "serial/SerialPort.h"
#include "tests/receiver-sim/Ser2netBridge.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/PtyPeer.h"
#include "tools/receiver-sim/LineRate.h"

#include <atomic>
#include <gtest/gtest.h>

TEST(Ser2netRfc2217, PortSetsTheLineAndEveryByteCrossesUnchanged) {
    ScratchEnvironment scratch;
    PtyPeer line;
    const auto ser2net = Ser2netBridge::Start(scratch, line.devicePath(),
                                              Ser2netBridge::Accepter::Rfc2217, "9600n81");
    if (!ser2net)
        GTEST_SKIP() << "ser2net is not installed";
    ASSERT_TRUE(ser2net->Listening()) << ser2net->process().Errors();

    TSerialPort port;
    EventRecorder recorder(port);
    std::atomic<int> linksUp = 0;
    port.OnLinkUp = [&](TSerialPort*, TCommPort) { ++linksUp; };
    port.SetBaudRate(br115200);
    port.SetCustomPortName("rfc2217://127.0.0.1:" + std::to_string(ser2net->port()));
    port.SetPort(spCustom);
    port.Open();
    ASSERT_TRUE(WaitFor([&] { return linksUp == 1; })) << ser2net->process().Errors();
    // The bridge sets the line as asked; the device side reads its settings.
    EXPECT_TRUE(WaitFor([&] { return PortLineRate(line.masterFd()) == 115200u; }))
        << PortLineRate(line.masterFd()).value_or(0);

    std::string every;
    for (int round = 0; round < 64; ++round)
        for (int value = 0; value < 256; ++value)
            every += static_cast<char>(value);
    line.write(every);
    EXPECT_TRUE(WaitFor([&] { return recorder.Received().size() >= every.size(); }));
    EXPECT_EQ(recorder.Received(), every);
    EXPECT_EQ(port.SendData(every), every.size());
    EXPECT_EQ(line.read(every.size(), 5000), every);

    port.SetBaudRate(br009600);
    EXPECT_TRUE(WaitFor([&] { return PortLineRate(line.masterFd()) == 9600u; }))
        << PortLineRate(line.masterFd()).value_or(0);
    port.Close();
}
