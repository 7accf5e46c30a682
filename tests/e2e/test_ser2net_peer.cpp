// ser2net, the common serial-to-network bridge, between a pseudo-terminal
// (the receiver's line) and TCP on 127.0.0.1: the headless recorder reads
// the receiver through it as tcp://127.0.0.1:PORT and keeps every byte in
// order. Skipped where ser2net is not installed.

#include "tests/receiver-sim/Ser2netBridge.h"
#include "tests/support/FileContents.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace {
bool WaitUntil(const std::function<bool()>& condition) {
    for (int round = 0; round < 500; ++round) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
} // namespace

TEST(Ser2netPeer, RecorderReadsTheReceiverThroughTheBridge) {
    ScratchEnvironment scratch;
    PtyPeer receiver;
    const auto ser2net =
        Ser2netBridge::Start(scratch, receiver.devicePath(), Ser2netBridge::Accepter::Tcp);
    if (!ser2net)
        GTEST_SKIP() << "ser2net is not installed";
    ChildProcess& bridge = ser2net->process();
    const std::string port = std::to_string(ser2net->port());
    ASSERT_TRUE(ser2net->Listening()) << bridge.Errors();

    const std::string file = scratch.root() + "/bridge.ubx";
    ChildProcess recorder(scratch, ZEPO_MONITOR,
                          {"--record", file, "--port", "tcp://127.0.0.1:" + port});
    // What the receiver says before the bridge opened its line may be lost:
    // it speaks until its words arrive, then sends the traffic.
    const std::string hello = "$GPTXT,hello*00\r\n";
    ASSERT_TRUE(WaitUntil([&] {
        receiver.write(hello);
        return FileContents(file).find(hello) != std::string::npos;
    })) << recorder.Errors()
        << bridge.Errors();
    std::string traffic;
    for (int index = 0; index < 2000; ++index)
        traffic += "$GPGSV,3,1,12," + std::to_string(index) + "*7C\r\n" +
                   std::string("\xB5\x62\x01\x03\x04\x00\x03\x00\x00\x00\xE4\x0C", 12);
    receiver.write(traffic);
    ASSERT_TRUE(WaitUntil([&] { return FileContents(file).ends_with(traffic); }))
        << recorder.Errors();
    // The bridge going away is told.
    bridge.Signal(SIGTERM);
    EXPECT_GE(bridge.WaitForExit(), 0);
    EXPECT_TRUE(WaitUntil([&] {
        return recorder.Errors().find("tcp://127.0.0.1:" + port + ": closed by the peer") !=
               std::string::npos;
    })) << recorder.Errors();
    recorder.Signal(SIGTERM);
    EXPECT_EQ(recorder.WaitForExit(), 0) << recorder.Errors();
}
