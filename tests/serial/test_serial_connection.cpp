#include "serial/SerialPort.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace {
using Strings = std::vector<std::string>;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class SerialConnection : public ::testing::Test {
protected:
    SerialConnection() {
        peer.announce("COM13");
        port.SetDelay(10);
        port.SetPort(spCOM13);
    }

    ScratchEnvironment scratch;
    PtyPeer peer;
    TSerialPort port;
    EventRecorder recorder{port};
};

TEST_F(SerialConnection, OpenAndCloseReportTheirEventsInOrder) {
    TCommPort connectedDuringConnect = spNone;
    port.OnConnect = [&](TSerialPort* sender, TCommPort p) {
        EXPECT_EQ(sender, &port);
        EXPECT_EQ(p, spCOM13);
        connectedDuringConnect = sender->IsConnected();
        // The connection is not usable yet from inside its connect event.
        EXPECT_THROW(sender->SendString("x"), ESerialPortException);
        EXPECT_FALSE(sender->SetDTR(true));
    };
    port.Open();
    EXPECT_EQ(connectedDuringConnect, spCOM13);
    EXPECT_EQ(port.IsConnected(), spCOM13);
    port.Open(); // same port: nothing happens
    port.Close();
    EXPECT_EQ(port.IsConnected(), spNone);
    EXPECT_EQ(recorder.Events(), Strings{"disconnect COM13"});
    port.Close(); // closed already: nothing happens
    EXPECT_EQ(recorder.Events(), Strings{"disconnect COM13"});
}

TEST_F(SerialConnection, SamePortTwiceConnectsOnce) {
    port.Open();
    port.Open();
    port.Close();
    EXPECT_EQ(recorder.Events(), (Strings{"connect COM13", "disconnect COM13"}));
}

TEST_F(SerialConnection, OpenWithoutPortDoesNothing) {
    port.SetPort(spNone);
    EXPECT_NO_THROW(port.Open());
    EXPECT_EQ(port.IsConnected(), spNone);
    EXPECT_TRUE(recorder.Events().empty());
}

TEST_F(SerialConnection, SwitchingPortsDisconnectsTheOldFirst) {
    PtyPeer other;
    other.announce("COM2");
    port.Open();
    port.SetPort(MakeCommPort(2));
    EXPECT_EQ(port.IsConnected(), spCOM13); // a new Port waits for Open
    port.Open();
    EXPECT_EQ(port.IsConnected(), MakeCommPort(2));
    other.write("on two");
    ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "on two"; }));
    port.Close();
    EXPECT_EQ(recorder.Events(),
              (Strings{"connect COM13", "disconnect COM13", "connect COM2", "disconnect COM2"}));
}

TEST_F(SerialConnection, MissingPortIsReportedWithTheOsText) {
    peer.withdraw();
    try {
        port.Open();
        FAIL() << "Open of a missing port succeeded";
    } catch (const ESerialPortException& error) {
        EXPECT_STREQ(error.what(), "Cannot connect to COM13 . No such file or directory");
    }
    EXPECT_EQ(port.IsConnected(), spNone);
    EXPECT_TRUE(recorder.Events().empty());
}

TEST_F(SerialConnection, BusyPortIsRefusedToASecondComponent) {
    port.Open();
    TSerialPort second;
    second.SetPort(spCOM13);
    try {
        second.Open();
        FAIL() << "a port held by another component opened again";
    } catch (const ESerialPortException& error) {
        EXPECT_STREQ(error.what(), "Cannot connect to COM13 . Device or resource busy");
    }
    port.Close();
    EXPECT_NO_THROW(second.Open()); // free again once released
    EXPECT_EQ(second.IsConnected(), spCOM13);
}

TEST_F(SerialConnection, CustomPortNameOpensThatDevice) {
    port.SetCustomPortName(" " + peer.devicePath() + " ");
    port.SetPort(spCustom);
    port.Open();
    EXPECT_EQ(port.IsConnected(), spCustom);
    // Another custom name still reads spCustom: the open device stays.
    port.SetCustomPortName("/dev/null-device-that-is-absent");
    port.Open();
    peer.write("still here");
    ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "still here"; }));
    port.Close();
    EXPECT_EQ(recorder.Events(), (Strings{"connect custom", "disconnect custom"}));
}

TEST_F(SerialConnection, ChunksCarryEveryByteInOrder) {
    port.Open();
    const std::string withZeros("\x00$GPGGA\x00\r\n\xb5\x62", 12);
    peer.write(withZeros);
    ASSERT_TRUE(WaitFor([&] { return recorder.Received().size() == withZeros.size(); }));
    EXPECT_EQ(recorder.Received(), withZeros);
    port.Close();
}

TEST_F(SerialConnection, EverythingQueuedArrivesAsOneChunk) {
    port.SetDelay(1000);
    port.Open();
    // Once the marker's chunk is in, the reader sleeps for a second: the block
    // is queued whole, more than the 4095 bytes the queue reports at a time.
    peer.write("<");
    ASSERT_TRUE(WaitFor([&] { return recorder.Chunks().size() == 1; }));
    std::string block;
    for (int i = 0; i < 6000; ++i)
        block += static_cast<char>(i % 251);
    peer.write(block);
    ASSERT_TRUE(WaitFor([&] { return recorder.Received().size() >= block.size() + 1; }));
    const Strings chunks = recorder.Chunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_TRUE(chunks[1] == block) << "the block arrived changed";
    port.Close();
}

TEST_F(SerialConnection, HandlersRunOnTheMainThreadWhenSynchronised) {
    for (const bool synchronised : {true, false}) {
        SCOPED_TRACE(synchronised);
        EventRecorder recorder(port);
        port.SetNeedSynchronization(synchronised);
        port.Open();
        peer.write("abc");
        ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "abc"; }));
        port.Close();
        EXPECT_EQ(recorder.Events(), (Strings{"connect COM13", "disconnect COM13"}));
        // Connect always runs in Open's thread; reads and disconnects follow the rule.
        EXPECT_EQ(recorder.AllOnMainThread(), synchronised);
    }
}

TEST_F(SerialConnection, FailingHandlerLeavesTheReaderRunning) {
    for (const bool synchronised : {true, false}) {
        SCOPED_TRACE(synchronised);
        port.SetNeedSynchronization(synchronised);
        std::atomic<int> calls = 0;
        port.OnReceive = [&](TSerialPort*, const std::string&) {
            ++calls;
            throw std::runtime_error("handler failed");
        };
        port.OnLineStatusChange = [](TSerialPort*, TLineStatusSet) {
            throw std::runtime_error("handler failed");
        };
        port.Open();
        peer.write("one");
        ASSERT_TRUE(WaitFor([&] { return calls == 1; }));
        peer.write("two");
        ASSERT_TRUE(WaitFor([&] { return calls == 2; }));
        EXPECT_EQ(port.IsConnected(), spCOM13);
        port.Close();
    }
}

TEST_F(SerialConnection, ReceiveLogWithAndWithoutDateAndTime) {
    const std::string plain = scratch.root() + "/plain.log";
    const std::string dated = scratch.root() + "/dated.log";
    port.SetLogInput(true);
    port.SetLogFile(plain);
    port.Open();
    peer.write(std::string("A\x00", 2));
    ASSERT_TRUE(WaitFor([&] { return recorder.Received().size() == 2; }));
    peer.write("B\r\n");
    ASSERT_TRUE(WaitFor([&] { return ReadFile(plain).size() == 5; }));
    EXPECT_EQ(ReadFile(plain), std::string("A\x00"
                                           "B\r\n",
                                           5));

    port.SetLogDateTime(true);
    port.SetLogFile(dated);
    peer.write("$GPGGA");
    ASSERT_TRUE(WaitFor([&] { return recorder.Received().size() == 11; }));
    peer.write("next");
    ASSERT_TRUE(WaitFor([&] { return recorder.Received().size() == 15; }));
    port.Close();
    const std::regex line(".+ [0-9]{1,2}:[0-9]{2}:[0-9]{2}[^ ]* (\\$GPGGA|next)\r\n");
    std::istringstream lines(ReadFile(dated));
    std::string text;
    int count = 0;
    while (std::getline(lines, text)) {
        EXPECT_TRUE(std::regex_match(text + "\n", line)) << text;
        ++count;
    }
    EXPECT_EQ(count, 2);
}

TEST_F(SerialConnection, FailingLogLosesOnlyTheLog) {
    port.SetLogInput(true);
    port.SetLogFile(scratch.root() + "/no-such-dir/x.log");
    port.Open();
    peer.write("kept");
    ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "kept"; }));
    EXPECT_EQ(port.IsConnected(), spCOM13);
    port.Close();
}

TEST_F(SerialConnection, SettingWritesWhileOpenReApplyAndDiscardUndeliveredInput) {
    const struct {
        const char* what;
        std::function<void(TSerialPort&)> write;
        bool reApplies;
    } cases[] = {
        {"same bit rate", [](TSerialPort& p) { p.SetBaudRate(p.BaudRate()); }, true},
        {"parity", [](TSerialPort& p) { p.SetParity(pbEven); }, true},
        {"same DTR setting", [](TSerialPort& p) { p.SetEnableDTROnOpen(true); }, false},
        {"new DTR setting", [](TSerialPort& p) { p.SetEnableDTROnOpen(false); }, true},
        {"poll interval", [](TSerialPort& p) { p.SetDelay(1000); }, false},
    };
    std::atomic<std::size_t> read = 0;
    port.SetReceiveTap([&](const char*, std::size_t size) { read += size; });
    port.SetDelay(1000);
    port.Open();
    // Right after a chunk the reader sleeps a second: "stale" waits undelivered.
    peer.write("<");
    ASSERT_TRUE(WaitFor([&] { return recorder.Chunks().size() == 1; }));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t chunks = recorder.Chunks().size();
        const std::size_t before = read;
        peer.write("stale");
        ASSERT_TRUE(WaitFor([&] { return read == before + 5; }));
        c.write(port);
        peer.write("fresh");
        ASSERT_TRUE(WaitFor([&] { return recorder.Chunks().size() == chunks + 1; }));
        EXPECT_EQ(recorder.Chunks().back(), c.reApplies ? "fresh" : "stalefresh");
    }
    port.Close();
}

TEST_F(SerialConnection, RefusedRateClosesTheOpenPort) {
    port.Open();
    port.SetCustomBaudRate(-5);
    EXPECT_EQ(port.IsConnected(), spCOM13); // brCustom is not selected
    port.SetBaudRate(brCustom);
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_EQ(port.IsConnected(), spNone);
    EXPECT_EQ(recorder.Events(), (Strings{"connect COM13", "disconnect COM13"}));
}

TEST_F(SerialConnection, ConnectionOpenedWhileCloseWaitsIsLeftOpen) {
    PtyPeer other;
    other.announce("COM2");
    port.Open();
    // Runs among the GUI events that Close serves while it waits, as a click
    // on Open would.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            port.SetPort(MakeCommPort(2));
            port.Open();
        },
        Qt::QueuedConnection);
    port.Close();
    EXPECT_EQ(port.IsConnected(), MakeCommPort(2));
    EXPECT_EQ(port.SendString("on two"), 6u);
    EXPECT_EQ(other.read(6), "on two");
    port.Close();
    EXPECT_EQ(port.IsConnected(), spNone);
    EXPECT_EQ(recorder.Events(),
              (Strings{"connect COM13", "disconnect COM13", "connect COM2", "disconnect COM2"}));
}

TEST_F(SerialConnection, OpenWhileOpenClosesTheOldPortConnectsOnce) {
    PtyPeer other;
    other.announce("COM2");
    port.Open();
    port.SetPort(MakeCommPort(2));
    // A second Open among the GUI events that the first one's Close serves,
    // as a second click on Open would.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { port.Open(); }, Qt::QueuedConnection);
    EXPECT_NO_THROW(port.Open());
    EXPECT_EQ(port.IsConnected(), MakeCommPort(2));
    EXPECT_EQ(port.SendString("on two"), 6u);
    EXPECT_EQ(other.read(6), "on two");
    port.Close();
    EXPECT_EQ(recorder.Events(),
              (Strings{"connect COM13", "disconnect COM13", "connect COM2", "disconnect COM2"}));
}

// The reader waits for the receive handler, so the Close inside its Open
// gives up waiting for the reader: the old port still disconnects, once and
// before the new connect, and the reader ends by the component's end.
TEST(SerialLifetime, OpenFromInsideAReceiveHandlerDisconnectsTheOldPortFirst) {
    ScratchEnvironment scratch;
    PtyPeer peer;
    peer.announce("COM13");
    PtyPeer other;
    other.announce("COM2");
    auto port = std::make_unique<TSerialPort>();
    EventRecorder recorder(*port);
    port->SetDelay(10);
    port->SetPort(spCOM13);
    port->OnReceive = [](TSerialPort* sender, const std::string&) {
        sender->SetPort(MakeCommPort(2));
        sender->Open();
    };
    port->Open();
    peer.write("x");
    ASSERT_TRUE(WaitFor([&] { return port->IsConnected() == MakeCommPort(2); }, 20000));
    port->OnReceive = nullptr;
    port->SetPort(spCOM13);
    EXPECT_NO_THROW(port->Open()); // the old port is free again
    port.reset();
    EXPECT_EQ(recorder.Events(), (Strings{"connect COM13", "disconnect COM13", "connect COM2",
                                          "disconnect COM2", "connect COM13", "disconnect COM13"}));
}

TEST(SerialLifetime, DestroyingAnOpenComponentStopsItsReader) {
    ScratchEnvironment scratch;
    PtyPeer peer;
    peer.announce("COM5");
    int disconnects = 0;
    {
        TSerialPort port;
        port.SetDelay(1000);
        port.SetPort(MakeCommPort(5));
        port.OnDisconnect = [&](TSerialPort*, TCommPort) { ++disconnects; };
        port.Open();
    }
    EXPECT_EQ(disconnects, 1);
    TSerialPort again;
    again.SetPort(MakeCommPort(5));
    EXPECT_NO_THROW(again.Open());
}
} // namespace
