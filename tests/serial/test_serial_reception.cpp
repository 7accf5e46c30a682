// Continuous reception and the end of a connection: a line faster than the
// kernel's queue, the time of each read, the receive buffer's bound, the
// receive tap, a device that goes away, re-opening from inside a handler and
// the terminal settings the device gets back.

#include "serial/ReceiveBuffer.h"
#include "serial/SerialPort.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/LossyWriter.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <optional>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

class SerialReception : public ::testing::Test {
protected:
    SerialReception() {
        peer.announce("COM13");
        port.SetPort(spCOM13);
        port.OnDeviceLost = [this](TSerialPort*, TCommPort p) {
            lost.push_back(CommPortToString(p, "custom"));
        };
    }

    ScratchEnvironment scratch;
    PtyPeer peer;
    TSerialPort port;
    EventRecorder recorder{port};
    Strings lost;
};

TEST_F(SerialReception, FastLineLosesNothingAndKeepsOneChunkPerDelay) {
    std::string tapped;
    std::vector<Clock::time_point> deliveries;
    port.SetDelay(1000);
    port.Open();
    // Set while open: it sees every byte, before the delivery does.
    port.SetReceiveTap([&](const char* data, std::size_t size) { tapped.append(data, size); });
    // 60 kB/s (a 600000-baud line) for 1.5 s: a pty queue holds about 20 kB,
    // so a reader that waits a whole Delay between reads would lose most of
    // it, while one that drains as bytes arrive has a third of a second to
    // spare on a busy machine. Higher rates belong to the lossy-line benchmark.
    LossyWriteResult sent;
    std::thread line(
        [&] { sent = WriteLossy(peer.masterFd(), 60000, std::chrono::milliseconds(1500)); });
    const auto start = Clock::now();
    ASSERT_TRUE(WaitFor([&] {
        const Strings chunks = recorder.Chunks();
        if (chunks.size() > deliveries.size())
            deliveries.push_back(Clock::now());
        return Clock::now() - start > std::chrono::milliseconds(3500);
    }));
    line.join();
    EXPECT_EQ(sent.refused, 0u);
    PatternCheck check;
    check.Take(recorder.Received().data(), recorder.Received().size());
    EXPECT_EQ(check.Count(), sent.offered);
    EXPECT_TRUE(check.InOrder());
    EXPECT_EQ(tapped, recorder.Received());
    // Delay 1000 over 3.5 s: the first cycle at once, then one per second.
    EXPECT_LE(recorder.Chunks().size(), 4u);
    for (std::size_t i = 1; i < deliveries.size(); ++i)
        EXPECT_GT(deliveries[i] - deliveries[i - 1], std::chrono::milliseconds(800));
    port.Close();
}

TEST_F(SerialReception, ChunkCarriesTheTimeOfEachRead) {
    const Strings pieces = {"one\r\n", "two\r\n", "three\r\n", "four\r\n", "five\r\n"};
    std::string received;
    std::vector<std::vector<ReadMark>> marks;
    port.OnReceive = [&](TSerialPort* sender, const std::string& chunk) {
        received += chunk;
        marks.push_back(sender->ChunkReadMarks());
    };
    port.SetDelay(2000);
    port.Open();
    // Right after a delivery, five pieces 200 ms apart, well inside one Delay:
    // one chunk.
    peer.write("start");
    ASSERT_TRUE(WaitFor([&] { return received == "start"; }));
    const auto start = std::chrono::system_clock::now();
    for (const std::string& piece : pieces) {
        peer.write(piece);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ASSERT_TRUE(
        WaitFor([&] { return received == "startone\r\ntwo\r\nthree\r\nfour\r\nfive\r\n"; }));
    EXPECT_TRUE(port.ChunkReadMarks().empty()) << "outside a receive handler";
    port.Close();
    ASSERT_EQ(marks.size(), 2u);
    ASSERT_EQ(marks[1].size(), pieces.size()) << "each piece a read of its own";
    std::size_t end = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        end += pieces[i].size();
        const ReadMark& mark = marks[1][i];
        EXPECT_EQ(mark.end, end);
        EXPECT_GE(mark.at.wall, start);
        if (i == 0)
            continue;
        const ReadMark& before = marks[1][i - 1];
        EXPECT_GT(mark.at.steady - before.at.steady, std::chrono::milliseconds(100));
        EXPECT_LT(mark.at.steady - before.at.steady, std::chrono::milliseconds(1000));
        EXPECT_GT(mark.at.wall - before.at.wall, std::chrono::milliseconds(100));
    }
}

TEST(ReadMarksBound, ReadsOfAMillisecondShareAMarkAndTooManyMergeIntoTheLater) {
    ReadMarks marks;
    const ReadTime origin = ReadTime::Now();
    const auto at = [&](double ms) {
        const auto offset = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::duration<double, std::milli>(ms));
        return ReadTime{origin.wall + offset, origin.steady + offset};
    };
    // Reads 0.3 ms apart: about three to a millisecond, one mark each.
    for (std::size_t read = 1; read <= 30; ++read)
        marks.Add(read, at(static_cast<double>(read) * 0.3));
    std::vector<ReadMark> taken = marks.Take(30);
    EXPECT_GE(taken.size(), 9u);
    EXPECT_LE(taken.size(), 11u);
    EXPECT_EQ(taken.back().end, 30u);
    // One read per millisecond past the bound: pairs merge, the later kept,
    // so no byte gets a time before its read.
    for (std::size_t read = 1; read <= ReadMarks::kMaxMarks + 1; ++read)
        marks.Add(read, at(static_cast<double>(read)));
    // Taken in two parts cut inside a read: each part keeps that read's time.
    taken = marks.Take(7);
    EXPECT_EQ(taken.back().end, 7u);
    EXPECT_EQ(taken.back().at.steady, at(8).steady);
    const std::vector<ReadMark> rest = marks.Take(ReadMarks::kMaxMarks + 1 - 7);
    EXPECT_EQ(rest.front().end, 1u);
    taken.insert(taken.end(), rest.begin(), rest.end());
    ASSERT_EQ(taken.size(), ReadMarks::kMaxMarks / 2 + 2);
    taken.erase(taken.begin() + 3); // the cut
    for (std::size_t i = 0; i + 1 < taken.size(); ++i) {
        const std::size_t end = 2 * (i + 1);
        EXPECT_EQ(taken[i].end, i < 3 ? end : end - 7);
        EXPECT_EQ(taken[i].at.steady, at(static_cast<double>(end)).steady);
    }
    EXPECT_TRUE(marks.Take(0).empty());
}

TEST_F(SerialReception, ConsumerHeldBackPastTheBoundIsToldWhatWasDropped) {
    std::atomic<bool> holding = false;
    std::atomic<bool> holdBack = true;
    std::atomic<std::size_t> tapped = 0;
    Strings events;
    std::mutex eventsMutex;
    TSerialPort held; // ends before the state its handlers use
    // Lets the held-back handler go however the test ends.
    const std::unique_ptr<std::atomic<bool>, void (*)(std::atomic<bool>*)> release(
        &holdBack, [](std::atomic<bool>* flag) { *flag = false; });
    held.SetPort(spCOM13);
    held.SetNeedSynchronization(false); // the handler blocks the reader, not the test
    held.SetReceiveBufferLimit(1000);
    held.SetDelay(10);
    held.SetReceiveTap([&](const char*, std::size_t size) { tapped += size; });
    held.OnReceive = [&](TSerialPort*, const std::string& chunk) {
        holding = true;
        while (holdBack)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard lock(eventsMutex);
        events.push_back("chunk " + chunk);
    };
    held.OnOverflow = [&](TSerialPort*, std::uint64_t dropped) {
        std::lock_guard lock(eventsMutex);
        events.push_back("overflow " + std::to_string(dropped));
    };
    held.Open();
    peer.write("first");
    ASSERT_TRUE(WaitFor([&] { return holding.load(); }));
    const std::string kept(1000, 'k');
    peer.write(kept + std::string(1500, 'x'));
    ASSERT_TRUE(WaitFor([&] { return tapped == 2505; })); // read on while held back
    holdBack = false;
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(eventsMutex);
        return events.size() == 3;
    }));
    EXPECT_EQ(events, (Strings{"chunk first", "chunk " + kept, "overflow 1500"}));
    EXPECT_EQ(held.DroppedBytes(), 1500u);
    held.Close();
    EXPECT_EQ(held.DroppedBytes(), 0u);
}

// A flood goes out in largest chunks one after the other, long before the
// Delay is up (what is left below a chunk waits for it); a source paced by
// its reader is read no further than a chunk ahead of a slow consumer, one
// that is not runs ahead into the buffer.
TEST_F(SerialReception, FloodComesInLargestChunksAtOnceAPacedSourceIsHeldBack) {
    constexpr std::size_t kChunk = ReceiveBuffer::kLargestChunk;
    constexpr auto kDelay = std::chrono::milliseconds(6000);
    const std::string flood(4 * kChunk, 'f');
    for (const bool paced : {false, true}) {
        SCOPED_TRACE(paced ? "paced" : "not paced");
        std::atomic<std::size_t> tapped = 0, delivered = 0;
        std::size_t largest = 0, mostAhead = 0;
        std::optional<Clock::duration> threeChunksAfter;
        TSerialPort flooded;
        flooded.SetPort(spCOM13);
        flooded.SetNeedSynchronization(false);
        flooded.SetPacedByReader(paced);
        flooded.SetDelay(static_cast<std::uint32_t>(kDelay.count()));
        flooded.SetReceiveTap([&](const char*, std::size_t size) { tapped += size; });
        const auto start = Clock::now();
        flooded.OnReceive = [&](TSerialPort*, const std::string& chunk) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100)); // a slow window
            mostAhead = std::max(mostAhead, tapped - delivered);
            largest = std::max(largest, chunk.size());
            delivered += chunk.size();
            if (delivered >= 3 * kChunk && !threeChunksAfter)
                threeChunksAfter = Clock::now() - start;
        };
        flooded.Open();
        std::thread writer([&] { peer.write(flood); });
        EXPECT_TRUE(WaitFor([&] { return delivered == flood.size(); }, 3 * kDelay.count()));
        writer.join();
        flooded.Close();
        EXPECT_EQ(largest, kChunk);
        ASSERT_TRUE(threeChunksAfter.has_value());
        EXPECT_LT(*threeChunksAfter, kDelay - std::chrono::seconds(1));
        EXPECT_EQ(flooded.DroppedBytes(), 0u);
        if (paced)
            EXPECT_LE(mostAhead, 2 * kChunk);
        else
            EXPECT_GT(mostAhead, 2 * kChunk);
    }
}

TEST_F(SerialReception, UnplugEndsTheConnectionAtOnceCloseDoesNotReportALoss) {
    const struct {
        const char* what;
        bool unplug;
        Strings events;
        Strings lost;
    } cases[] = {
        {"unplug", true, {"connect COM13", "disconnect COM13"}, {"COM13"}},
        {"close", false, {"connect COM13", "disconnect COM13"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PtyPeer device;
        device.announce("COM13");
        EventRecorder recorder(port);
        lost.clear();
        port.SetDelay(5000);
        port.Open();
        device.write("last words");
        ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "last words"; }));
        // An open, quiet port sleeps in poll.
        const double before = ProcessCpuMs();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_LT(ProcessCpuMs() - before, 100.0);
        if (c.unplug) {
            device.write("tail");
            // Let the tail reach the port's buffer before the cable goes.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            device.unplug();
            // Noticed long before the next poll cycle is due.
            ASSERT_TRUE(WaitFor([&] { return port.IsConnected() == spNone; }, 2000));
            EXPECT_EQ(recorder.Received(), "last wordstail");
        } else {
            port.Close();
        }
        EXPECT_EQ(recorder.Events(), c.events);
        EXPECT_EQ(lost, c.lost);
    }
    // The same name announced again opens afresh.
    PtyPeer replugged;
    replugged.announce("COM13");
    EventRecorder recorder(port);
    port.SetDelay(10);
    port.Open();
    replugged.write("again");
    ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "again"; }));
    port.Close();
}

TEST_F(SerialReception, TerminalSettingsComeBackAtClose) {
    const auto readSettings = [&] {
        const int fd = ::open(peer.devicePath().c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        tcgetattr(fd, &settings);
        ::close(fd);
        return settings;
    };
    // A device left in a cooked mode at 1200 baud by someone else.
    {
        const int fd = ::open(peer.devicePath().c_str(), O_RDWR | O_NOCTTY);
        termios cooked{};
        tcgetattr(fd, &cooked);
        cooked.c_lflag |= ICANON | ECHO;
        cfsetspeed(&cooked, B1200);
        tcsetattr(fd, TCSANOW, &cooked);
        ::close(fd);
    }
    const termios found = readSettings();
    port.SetBaudRate(br115200);
    port.Open();
    const termios whileOpen = readSettings();
    EXPECT_EQ(cfgetospeed(&whileOpen), B115200);
    port.Close();
    const termios after = readSettings();
    EXPECT_EQ(after.c_lflag, found.c_lflag);
    EXPECT_EQ(after.c_cflag, found.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), B1200);
}
} // namespace
