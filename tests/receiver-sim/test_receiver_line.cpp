// The simulated receiver on a real pseudo-terminal, run in-process: what a
// program that opens the port receives, how its commands are answered, the
// pacing to the line rate, and the line going down and up again.

#include "protocol/NmeaSentence.h"
#include "protocol/UbxFrame.h"
#include "tests/receiver-sim/PortEnd.h"
#include "tests/receiver-sim/ReceivedTraffic.h"
#include "tests/support/PtyPeer.h"
#include "tools/receiver-sim/ReceiverLine.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <pthread.h>
#include <thread>

using namespace std::chrono_literals;

namespace {
size_t Count(const std::string& text, std::string_view what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Runs the receiver on the device side of a PtyPeer until destroyed.
class RunningReceiver {
public:
    RunningReceiver(const LineSettings& line, bool mixed = false,
                    std::chrono::milliseconds epochPeriod = 100ms)
        : receiver_({1039422959, 2, mixed, mixed, false, 9600, epochPeriod}), thread_([this, line] {
              PtyLineEnd end(peer_.masterFd());
              ReceiverLine(end, receiver_, line)
                  .Run({[this] { return stop_.load(); },
                        [this](bool up) {
                            std::lock_guard lock(mutex_);
                            changes_.push_back(up);
                        }});
          }) {}
    ~RunningReceiver() {
        stop_ = true;
        thread_.join();
    }

    PtyPeer& peer() { return peer_; }
    std::chrono::nanoseconds cpuTime() {
        clockid_t clock;
        timespec used{};
        pthread_getcpuclockid(thread_.native_handle(), &clock);
        clock_gettime(clock, &used);
        return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
    }
    std::vector<bool> lineChanges() {
        std::lock_guard lock(mutex_);
        return changes_;
    }

private:
    PtyPeer peer_;
    SimulatedReceiver receiver_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<bool> changes_;
    std::thread thread_;
};

LineSettings Fast() {
    return {1e6, false};
}
} // namespace

TEST(ReceiverLine, BannerThenEpochsEveryByteIntact) {
    RunningReceiver running(Fast());
    PortEnd port(running.peer().devicePath());
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 5; }));
    const ReceivedTraffic traffic = SplitTraffic(port.Received());
    EXPECT_TRUE(traffic.faults.empty()) << traffic.faults.front();
    ASSERT_GE(traffic.sentences.size(), 5u);
    EXPECT_TRUE(traffic.sentences.front().starts_with("$GPTXT,01,01,02,u-blox ag"));
    EXPECT_EQ(traffic.SentencesStartingWith("$GPTXT").size(), 7u);
}

TEST(ReceiverLine, EachCommandIsAnsweredOnTheLine) {
    RunningReceiver running(Fast());
    PortEnd port(running.peer().devicePath());
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 1; }));
    port.Write(std::string(kPubxPollLatLon) + "$PUBX,03*31\r\n" + std::string(kPubxPollSatStat));
    port.Write(ToByteString(CfgAntPollFrame()));
    port.Write(std::string(kPubxPollTime));
    port.Write(ToByteString(CfgAntSetFrame()) + ToByteString(CfgAntPollFrame()));
    const std::string ack("\xB5\x62\x05\x01\x02\x00\x06\x13\x21\x4A", 10);
    ASSERT_TRUE(port.ReadUntil([&](const std::string& r) {
        return Count(r, "$PUBX,04") == 1 && Count(r, ack) == 3;
    })) << port.Received();
    port.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 4; });
    const ReceivedTraffic traffic = SplitTraffic(port.Received());
    EXPECT_TRUE(traffic.faults.empty()) << traffic.faults.front();
    EXPECT_EQ(traffic.SentencesStartingWith("$PUBX,00").size(), 1u);
    EXPECT_EQ(traffic.SentencesStartingWith("$PUBX,03").size(), 1u); // the broken poll got nothing
    EXPECT_EQ(traffic.SentencesStartingWith("$PUBX,04").size(), 1u);
    std::vector<std::string> frames;
    for (const std::string& frame : traffic.frames)
        frames.push_back(Hex(frame));
    EXPECT_EQ(frames,
              (std::vector<std::string>{"B5 62 06 13 04 00 1B 00 51 82 0B 5D", Hex(ack), Hex(ack),
                                        "B5 62 06 13 04 00 0B 00 0F 64 9B 7B", Hex(ack)}));
}

TEST(ReceiverLine, RateCommandChangesWhatIsEmitted) {
    RunningReceiver running(Fast());
    PortEnd port(running.peer().devicePath());
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPGSV") >= 3; }));
    port.Write(BuildPubx40("GSV", 0, 0, 0, 0, 0) + BuildPubx40("ZDA", 1, 1, 1, 1, 1));
    // The command is taken before the next epoch; epochs after it carry no GSV.
    port.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 3; });
    port.Clear();
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 3; }));
    EXPECT_EQ(Count(port.Received(), "$GPGSV"), 0u);
    EXPECT_GE(Count(port.Received(), "$GPGGA"), 2u);

    port.Write(BuildPubx40("GSV", 0, 1, 0, 0, 0));
    EXPECT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPGSV,3,3") >= 1; }));
}

TEST(ReceiverLine, OutputNeverOutrunsTheLineRate) {
    const double bytesPerSecond = 960; // 9600 baud
    RunningReceiver running({bytesPerSecond, false}, false, 1000ms);
    PortEnd port(running.peer().devicePath());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return r.size() >= 400; }));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The pacer allows a 5 ms burst on top of the rate, and nothing more.
    EXPECT_GE(seconds, (port.Received().size() - bytesPerSecond * 0.005 - 1) / bytesPerSecond);
}

TEST(ReceiverLine, ContinuousModeStreamsMixedTrafficAtTheGivenRate) {
    RunningReceiver running({200000, true}, true);
    PortEnd port(running.peer().devicePath());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return r.size() >= 100000; }));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, (port.Received().size() - 1001) / 200000.0);
    const ReceivedTraffic traffic = SplitTraffic(port.Received());
    EXPECT_TRUE(traffic.faults.empty()) << traffic.faults.front();
    EXPECT_GT(traffic.SentencesStartingWith("$GPGGA").size(), 50u);
    // Each epoch: NMEA with five UBX navigation frames between its sentences, PUBX 00 last;
    // the read may end mid-epoch.
    const double epochs = static_cast<double>(traffic.SentencesStartingWith("$GPGGA").size());
    EXPECT_NEAR(static_cast<double>(traffic.SentencesStartingWith("$PUBX,00").size()), epochs, 1);
    EXPECT_NEAR(static_cast<double>(traffic.frames.size()), 5 * epochs, 5);
}

TEST(ReceiverLine, LineGoesDownWhenThePortIsClosedAndUpWhenReopened) {
    RunningReceiver running(Fast());
    running.peer().closeSlave();
    {
        PortEnd port(running.peer().devicePath());
        ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 1; }));
    }
    ASSERT_TRUE(WaitFor(
        [&] { return running.lineChanges().size() >= 2 && !running.lineChanges().back(); }));
    PortEnd again(running.peer().devicePath());
    ASSERT_TRUE(again.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 1; }));
    EXPECT_TRUE(again.Received().starts_with("$GPTXT")) << again.Received().substr(0, 80);
    EXPECT_TRUE(SplitTraffic(again.Received()).faults.empty());
}

TEST(ReceiverLine, IdlesWhileNobodyHoldsThePort) {
    for (const bool continuous : {false, true}) {
        RunningReceiver running({200000, continuous}, continuous);
        running.peer().closeSlave();
        const auto before = running.cpuTime();
        std::this_thread::sleep_for(1s);
        EXPECT_LT(running.cpuTime() - before, 100ms) << (continuous ? "continuous" : "paced");
    }
}

// A pty carries no rate, but the simulator reads the rate the port end set:
// at any other rate the port end hears noise, never a sentence or a frame,
// and its commands are not understood. CFG-PRT moves the receiver to a new
// rate once its acknowledgement has gone out at the old one.
TEST(ReceiverLine, WrongRateGivesNoiseAndCfgPrtMovesTheRate) {
    RunningReceiver running(Fast()); // a receiver at 9600 baud
    PortEnd port(running.peer().devicePath());
    auto noiseOnly = [&] {
        // What the receiver wrote before it saw the rates disagree is still
        // clean and may wait in the line's queue on a busy machine: drop it.
        port.ReadUntil([](const std::string&) { return false; }, std::chrono::milliseconds(300));
        port.Clear();
        port.ReadUntil([](const std::string& r) { return r.size() >= 500; });
        const ReceivedTraffic traffic = SplitTraffic(port.Received());
        return traffic.sentences.empty() && traffic.frames.empty() &&
               port.Received().find_first_of("$\xB5") == std::string::npos;
    };
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPGGA") >= 2; }));

    port.SetBaud(115200);
    EXPECT_TRUE(noiseOnly());
    port.Write(ToByteString(CfgAntPollFrame())); // sent at the wrong rate: not understood
    EXPECT_TRUE(noiseOnly());

    port.SetBaud(9600);
    const std::string portSet = ToByteString(BuildUbxFrame(MakeUbxPacket(
        0x06, 0x00, {1, 0, 0, 0, 0xC0, 0x08, 0, 0, 0x00, 0xC2, 0x01, 0, 7, 0, 3, 0, 0, 0, 0, 0})));
    const std::string ack("\xB5\x62\x05\x01\x02\x00\x06\x00\x0E\x37", 10);
    port.Clear();
    port.Write(portSet);
    ASSERT_TRUE(port.ReadUntil([&](const std::string& r) { return Count(r, ack) == 1; }));
    EXPECT_EQ(Count(port.Received(), "\xB5\x62\x06\x13"), 0u); // the garbled poll got nothing
    EXPECT_TRUE(noiseOnly());                                  // the receiver now talks at 115200

    port.SetBaud(115200);
    port.Clear();
    ASSERT_TRUE(port.ReadUntil([](const std::string& r) { return Count(r, "$GPZDA") >= 2; }));
    const std::string clean = port.Received().substr(port.Received().find("$GPZDA"));
    EXPECT_TRUE(SplitTraffic(clean).faults.empty()) << SplitTraffic(clean).faults.front();
}
