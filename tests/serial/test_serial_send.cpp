#include "serial/SerialPort.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <gtest/gtest.h>
#include <thread>

namespace {
class SerialSend : public ::testing::Test {
protected:
    SerialSend() {
        peer.announce("COM13");
        port.SetPort(spCOM13);
        port.SetDelay(10);
    }

    void OpenPort() {
        port.Open();
        ASSERT_EQ(port.IsConnected(), spCOM13);
    }

    ScratchEnvironment scratch;
    PtyPeer peer;
    TSerialPort port;
    EventRecorder recorder{port};
};

const std::string kWithZero("$PUBX\x00tail", 10);

struct SendCase {
    const char* name;
    std::function<std::uint32_t(TSerialPort&)> send;
    std::string written;
};

TEST_F(SerialSend, EverySendFormWritesAndEchoesExactlyWhatThePeerReads) {
    const SendCase cases[] = {
        {"SendString stops at a zero byte", [](TSerialPort& p) { return p.SendString(kWithZero); },
         "$PUBX"},
        {"SendChars sends every byte", [](TSerialPort& p) { return p.SendChars(kWithZero); },
         kWithZero},
        {"SendData from a pointer",
         [](TSerialPort& p) { return p.SendData("\xb5\x62\x06\x13\x00\x00", 6); },
         std::string("\xb5\x62\x06\x13\x00\x00", 6)},
        {"SendData of a string", [](TSerialPort& p) { return p.SendData(kWithZero); }, kWithZero},
        {"SendByte", [](TSerialPort& p) { return p.SendByte(0xFF); }, "\xff"},
        {"SendChar", [](TSerialPort& p) { return p.SendChar('\0'); }, std::string(1, '\0')},
        {"SendWord low byte first", [](TSerialPort& p) { return p.SendWord(0x1234); }, "\x34\x12"},
        {"SendString of nothing", [](TSerialPort& p) { return p.SendString(""); }, ""},
        {"SendString starting with zero",
         [](TSerialPort& p) { return p.SendString(std::string("\0abc", 4)); }, ""},
        {"SendChars of nothing", [](TSerialPort& p) { return p.SendChars(""); }, ""},
    };
    OpenPort();
    for (const SendCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string echoedBefore = recorder.Sent();
        EXPECT_EQ(c.send(port), c.written.size());
        EXPECT_EQ(recorder.Sent(), echoedBefore + c.written);
        EXPECT_EQ(peer.readUntilQuiet(50), c.written);
        EXPECT_FALSE(port.IsSending());
    }
    port.Close();
}

TEST_F(SerialSend, NotOpenNamesThePortAsStored) {
    const struct {
        TCommPort port;
        const char* message;
    } cases[] = {
        {spCOM13, "COM13 is not open. Serial port is not connected."},
        {spNone, " is not open. Serial port is not connected."},
    };
    for (const auto& c : cases) {
        TSerialPort closed;
        closed.SetPort(c.port);
        EventRecorder echoes(closed);
        const std::function<void()> sends[] = {
            [&] { closed.SendString(""); },   [&] { closed.SendChars("x"); },
            [&] { closed.SendData("x", 1); }, [&] { closed.SendData("", 0); },
            [&] { closed.SendByte(1); },      [&] { closed.SendChar('a'); },
            [&] { closed.SendWord(1); },
        };
        for (const auto& send : sends) {
            try {
                send();
                ADD_FAILURE() << "a send on a closed port succeeded";
            } catch (const ESerialPortException& error) {
                EXPECT_STREQ(error.what(), c.message);
            }
        }
        EXPECT_EQ(closed.SendChars(""), 0u); // nothing to send: no check at all
        EXPECT_EQ(echoes.Sent(), "");
    }
}

TEST_F(SerialSend, EmptySendDataIsRefused) {
    OpenPort();
    try {
        port.SendData(kWithZero.data(), 0);
        FAIL() << "an empty SendData succeeded";
    } catch (const ESerialPortException& error) {
        EXPECT_STREQ(error.what(), "No data to send.");
    }
    EXPECT_EQ(peer.readUntilQuiet(50), "");
    port.Close();
}

TEST_F(SerialSend, FailingSendHandlerIsReportedAfterTheWrite) {
    OpenPort();
    port.OnSend = [](TSerialPort* sender, const std::string&) {
        EXPECT_FALSE(sender->IsSending());
        throw std::runtime_error("echo pane gone");
    };
    try {
        port.SendString("$PUBX,00*33\r\n");
        FAIL() << "the handler's failure was swallowed";
    } catch (const ESerialPortException& error) {
        EXPECT_STREQ(error.what(), "Send event handler failed: echo pane gone");
    }
    EXPECT_FALSE(port.IsSending());
    EXPECT_EQ(peer.readUntilQuiet(50), "$PUBX,00*33\r\n");
    port.Close();
}

TEST_F(SerialSend, WriteTimeoutEchoesOnlyWhatWentOut) {
    port.SetWriteTotalTimeoutMultiplier(0);
    port.SetWriteTotalTimeoutConstant(300);
    OpenPort();
    // Nobody reads the line: the write stops when the line's buffers are full.
    const std::string big(4 * 1024 * 1024, 'x');
    const std::uint32_t written = port.SendChars(big);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, big.size());
    EXPECT_EQ(recorder.Sent().size(), written);
    EXPECT_EQ(peer.readUntilQuiet(200, 20000).size(), written);
    port.Close();
}

TEST_F(SerialSend, WithoutOrWithTheLongestWriteTimeoutsAWriteWaitsUntilDone) {
    OpenPort();
    for (const std::uint32_t timeout : {0u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(timeout);
        port.SetWriteTotalTimeoutMultiplier(timeout);
        port.SetWriteTotalTimeoutConstant(timeout);
        port.Close();
        OpenPort();
        const std::string big(1000000, 'y');
        std::uint32_t written = 0;
        std::thread sender([&] { written = port.SendChars(big); });
        // The line fills up long before the megabyte is out; the write waits.
        EXPECT_TRUE(WaitFor([&] { return port.IsSending(); }));
        EXPECT_EQ(peer.read(big.size(), 20000).size(), big.size());
        sender.join();
        EXPECT_EQ(written, big.size());
    }
    port.Close();
}

TEST_F(SerialSend, SenderThreadsWriteAndEchoOnTheirOwnThread) {
    OpenPort();
    port.SendStringOnNewThread(kWithZero);
    EXPECT_EQ(peer.read(5), "$PUBX");
    ASSERT_TRUE(WaitFor([&] { return recorder.Sent() == "$PUBX"; }));
    port.SendCharsOnNewThread(kWithZero);
    EXPECT_EQ(peer.read(kWithZero.size()), kWithZero);
    ASSERT_TRUE(WaitFor([&] { return recorder.Sent() == "$PUBX" + kWithZero; }));
    EXPECT_FALSE(recorder.AllOnMainThread());
    port.Close();
    port.SendCharsOnNewThread("lost"); // fails quietly in its thread
}

TEST_F(SerialSend, LineOperationsNeedAnOpenPort) {
    EXPECT_FALSE(port.SetDTR(true));
    EXPECT_FALSE(port.SetRTS(true));
    EXPECT_FALSE(port.SetBreak(false));
    EXPECT_FALSE(port.SetXonXoff(true));
    EXPECT_FALSE(port.ClearInputBuffer());
    EXPECT_FALSE(port.ClearOutputBuffer());
    EXPECT_FALSE(port.GetCTS());
    OpenPort();
    EXPECT_TRUE(port.ClearInputBuffer());
    EXPECT_TRUE(port.ClearOutputBuffer());
    // A pseudo-terminal has no modem lines: they read as off.
    EXPECT_FALSE(port.GetCTS());
    EXPECT_FALSE(port.GetDSR());
    EXPECT_FALSE(port.GetRING());
    EXPECT_FALSE(port.GetCD());
    EXPECT_FALSE(port.SetDTR(true));
    port.Close();
    EXPECT_FALSE(port.ClearInputBuffer());
}

TEST_F(SerialSend, XoffHoldsTheTransmitterUntilXon) {
    OpenPort();
    ASSERT_TRUE(port.SetXonXoff(false));
    std::thread sender([&] { port.SendString("held"); });
    EXPECT_EQ(peer.readUntilQuiet(200), "");
    ASSERT_TRUE(port.SetXonXoff(true));
    EXPECT_EQ(peer.read(4), "held");
    sender.join();
    port.Close();
}
} // namespace
