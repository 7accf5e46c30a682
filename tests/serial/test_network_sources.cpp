// Network sources opened as ports, against plain sockets on 127.0.0.1.

#include "serial/NetworkSource.h"
#include "serial/SerialPort.h"
#include "serial/TelnetComPort.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/LoopbackSocket.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/socket.h>

namespace {
using Strings = std::vector<std::string>;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class NetworkSources : public ::testing::Test {
protected:
    NetworkSources() {
        port.SetDelay(10);
        port.OnDeviceLost = [this](TSerialPort* sender, TCommPort) {
            lossReason = sender->DeviceLossReason();
        };
        port.OnLinkUp = [this](TSerialPort*, TCommPort) { ++linksUp; };
    }
    // The port's last events reach the recorder while it is still there.
    ~NetworkSources() override { port.Close(); }
    void OpenSource(const std::string& name) {
        port.SetCustomPortName(name);
        port.SetPort(spCustom);
        port.Open();
    }
    // Sends once the link stands: until then the port refuses sends.
    std::uint32_t SendOnceOpen(const std::string& text) {
        std::uint32_t sent = 0;
        WaitFor([&] {
            try {
                sent = port.SendData(text);
                return true;
            } catch (const ESerialPortException&) {
                return false;
            }
        });
        return sent;
    }
    bool Ended() {
        return WaitFor(
            [&] { return recorder.Events().size() == 2 && port.IsConnected() == spNone; });
    }

    TSerialPort port;
    EventRecorder recorder{port};
    std::string lossReason = "(not lost)";
    std::atomic<int> linksUp = 0;
};

TEST(NetworkSourceNames, ParseOrExplain) {
    using Kind = NetworkSource::Kind;
    struct Case {
        std::string name;
        bool valid;
        Kind kind;
        std::string host, port, peerHost;
    };
    const Case cases[] = {
        {"tcp://gps.local:4001", true, Kind::TcpClient, "gps.local", "4001", ""},
        {"tcp://[::1]:4001", true, Kind::TcpClient, "::1", "4001", ""},
        {"tcp://:4001", true, Kind::TcpServer, "", "4001", ""},
        {"tcp-listen://127.0.0.1:4001", true, Kind::TcpServer, "127.0.0.1", "4001", ""},
        {"udp://:5000", true, Kind::Udp, "", "5000", ""},
        {"udp://:5000@10.0.0.9:5001", true, Kind::Udp, "", "5000", "10.0.0.9"},
        {"tcp://host", false, {}, "", "", ""},
        {"tcp://host:0", false, {}, "", "", ""},
        {"tcp://host:65536", false, {}, "", "", ""},
        {"tcp://host:40x1", false, {}, "", "", ""},
        {"tcp-listen://gps.local:4001", false, {}, "", "", ""},
        {"udp://:5000@:5001", false, {}, "", "", ""},
        {"tcp://[::1:4001", false, {}, "", "", ""},
        {"rfc2217://bridge:2217", true, Kind::Rfc2217, "bridge", "2217", ""},
        {"rfc2217://:2217", false, {}, "", "", ""},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<NetworkSource> source = ParseNetworkSource(c.name, error);
        ASSERT_EQ(source.has_value(), c.valid) << c.name << " " << error;
        if (!c.valid) {
            EXPECT_EQ(error.rfind(c.name + ": ", 0), 0u) << error;
            continue;
        }
        EXPECT_EQ(source->kind, c.kind) << c.name;
        EXPECT_EQ(source->host, c.host) << c.name;
        EXPECT_EQ(source->port, c.port) << c.name;
        EXPECT_EQ(source->peerHost, c.peerHost) << c.name;
    }
    EXPECT_TRUE(IsNetworkSourceName("udp://x"));
    EXPECT_FALSE(IsNetworkSourceName("/dev/ttyUSB0"));
    EXPECT_TRUE(CarriesLineSettings("rfc2217://bridge:2217"));
    EXPECT_FALSE(CarriesLineSettings("tcp://bridge:2217"));
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

// Telnet commands leave the data as it was sent, in whatever pieces they
// arrive; each request is answered once, options other than binary, suppress
// go-ahead and the com port refused.
TEST(TelnetComPort, UnwrapsDataAndAnswersTheBridge) {
    const struct {
        const char* what;
        std::vector<std::string> pieces;
        std::string data, replies;
    } cases[] = {
        {"escaped 0xFF", {Bytes({'a', 255, 255, 'b'})}, Bytes({'a', 255, 'b'}), ""},
        {"escape split", {Bytes({'a', 255}), Bytes({255, 'b'})}, Bytes({'a', 255, 'b'}), ""},
        {"no-operation and go-ahead", {Bytes({255, 241, 'x', 255, 249})}, "x", ""},
        {"options asked for", {Bytes({255, 253, 44, 255, 251, 0, 255, 253, 0})}, "", ""},
        {"suppress go-ahead, twice", {Bytes({255, 251, 3, 255, 251, 3})}, "", Bytes({255, 253, 3})},
        {"echo refused",
         {Bytes({'1', 255, 251, 1, '2', 255, 253, 24})},
         "12",
         Bytes({255, 254, 1, 255, 252, 24})},
        {"baud answer split",
         {Bytes({255, 250, 44, 101, 0, 1}), Bytes({194, 0, 255, 240, 'z'})},
         "z",
         ""},
    };
    for (const auto& c : cases) {
        TelnetComPort telnet;
        telnet.Greeting();
        std::string data, replies;
        for (std::string piece : c.pieces) {
            piece.resize(telnet.Unwrap(piece.data(), piece.size(), replies));
            data += piece;
        }
        EXPECT_EQ(data, c.data) << c.what;
        EXPECT_EQ(replies, c.replies) << c.what;
    }
    TelnetComPort telnet;
    std::string notice = Bytes({255, 250, 44, 107, 0x30, 255, 240}), replies;
    EXPECT_EQ(telnet.Unwrap(notice.data(), notice.size(), replies), 0u);
    EXPECT_EQ(telnet.ModemLines(), (TLineStatusSet{lsCTS, lsDSR}));
}

TEST(TelnetComPort, LineCommandsSetTheFarLine) {
    LineSettings settings;
    settings.baudRate = 0x1FF; // a 0xFF among the value's bytes goes doubled
    settings.dataBits = 7;
    settings.parity = pbEven;
    settings.stopBits = sb2Bits;
    settings.hwFlow = hfRTSCTS;
    settings.dtrOn = false;
    const auto command = [](std::initializer_list<int> body) {
        return Bytes({255, 250, 44}) + Bytes(body) + Bytes({255, 240});
    };
    EXPECT_EQ(TelnetComPort::LineCommands(settings),
              command({1, 0, 0, 1, 255, 255}) + command({2, 7}) + command({3, 3}) +
                  command({4, 2}) + command({5, 3}) + command({5, 9}));
}

TEST_F(NetworkSources, TcpClientCarriesBytesBothWaysUntilThePeerCloses) {
    LoopbackSocket server(SOCK_STREAM);
    const int number = server.BindLoopback();
    ASSERT_EQ(listen(server.fd(), 1), 0);
    const std::string name = "tcp://127.0.0.1:" + std::to_string(number);
    OpenSource(name);
    LoopbackSocket peer = server.Accept();
    ASSERT_TRUE(WaitFor([&] { return linksUp == 1; }));
    ASSERT_EQ(SendOnceOpen(Pattern(256)), 256u);
    EXPECT_EQ(peer.Read(256), Pattern(256));
    // A large transfer arrives whole and in order.
    const std::string large = Pattern(3 << 20);
    peer.SendAll(large);
    ASSERT_TRUE(WaitFor([&] { return recorder.Received().size() >= large.size(); }));
    EXPECT_EQ(recorder.Received(), large);
    peer.Close();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(lossReason, name + ": closed by the peer");
    EXPECT_EQ(recorder.Events(), (Strings{"connect custom", "disconnect custom"}));
}

TEST_F(NetworkSources, TcpServerTakesOneReceiver) {
    const int number = UnusedPort();
    OpenSource("tcp-listen://127.0.0.1:" + std::to_string(number));
    LoopbackSocket receiver(SOCK_STREAM);
    ASSERT_TRUE(receiver.Connect(number));
    receiver.SendAll("$GPGGA,1*00\r\n");
    ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "$GPGGA,1*00\r\n"; }));
    EXPECT_EQ(SendOnceOpen("hello"), 5u);
    EXPECT_EQ(receiver.Read(5), "hello");
    // While it is connected, nobody else gets in.
    LoopbackSocket second(SOCK_STREAM);
    EXPECT_FALSE(second.Connect(number));
    port.Close();
    EXPECT_EQ(receiver.Read(1), "");
}

TEST_F(NetworkSources, UdpAnswersTheLastSenderOrTheNamedPeer) {
    LoopbackSocket sender(SOCK_DGRAM);
    const int senderPort = sender.BindLoopback();
    const int number = UnusedPort();
    OpenSource("udp://127.0.0.1:" + std::to_string(number));
    // Nobody to answer yet.
    ASSERT_TRUE(WaitFor([&] { return SendOnceOpen("early") == 0; }));
    const sockaddr_in to = LoopbackSocket::Loopback(number);
    sendto(sender.fd(), "abc", 3, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "abc"; }));
    EXPECT_EQ(port.SendString("reply"), 5u);
    EXPECT_EQ(sender.Read(5), "reply");
    port.Close();

    LoopbackSocket other(SOCK_DGRAM);
    other.BindLoopback();
    OpenSource("udp://127.0.0.1:" + std::to_string(number) +
               "@127.0.0.1:" + std::to_string(senderPort));
    sendto(other.fd(), "x", 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    ASSERT_TRUE(WaitFor([&] { return recorder.Received() == "abcx"; }));
    EXPECT_EQ(SendOnceOpen("fixed"), 5u);
    EXPECT_EQ(sender.Read(5), "fixed");
}

TEST_F(NetworkSources, FailuresNameTheSourceAndTheCause) {
    const struct {
        std::string name;
        std::string reason;
    } cases[] = {
        {"tcp://127.0.0.1:" + std::to_string(UnusedPort()), "connection refused"},
        {"tcp://nosuchhost.invalid:4001", "host not found"},
    };
    for (const auto& c : cases) {
        lossReason.clear();
        OpenSource(c.name);
        ASSERT_TRUE(WaitFor([&] { return port.IsConnected() == spNone; })) << c.name;
        EXPECT_EQ(lossReason.rfind(c.name + ": " + c.reason, 0), 0u) << lossReason;
    }
    EXPECT_EQ(linksUp, 0);
    // A local port in use is refused by the open itself.
    LoopbackSocket taken(SOCK_DGRAM);
    const std::string busy = "udp://127.0.0.1:" + std::to_string(taken.BindLoopback());
    EXPECT_THROW(OpenSource(busy), ESerialPortException);
}

TEST_F(NetworkSources, CloseEndsAConnectThatHangs) {
    // A server whose queue is full leaves the next connect without an answer.
    LoopbackSocket server(SOCK_STREAM);
    const int number = server.BindLoopback();
    ASSERT_EQ(listen(server.fd(), 0), 0);
    std::vector<LoopbackSocket> queued;
    for (int i = 0; i < 2; ++i) {
        queued.emplace_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0), true);
        queued.back().Connect(number);
    }
    OpenSource("tcp://127.0.0.1:" + std::to_string(number));
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(port.IsConnected(), spCustom);
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(lossReason, "(not lost)");
    EXPECT_EQ(linksUp, 0);
    EXPECT_EQ(recorder.Events().size(), 2u);
}
} // namespace

namespace {
// An RFC 2217 source against a bridge played by a test socket: the line
// settings go out when the link stands and again when changed, and the data
// keeps every byte value both ways.
TEST_F(NetworkSources, Rfc2217SetsTheFarLineAndKeepsEveryByte) {
    LoopbackSocket server(SOCK_STREAM);
    const int number = server.BindLoopback();
    ASSERT_EQ(listen(server.fd(), 1), 0);
    port.SetBaudRate(br115200);
    OpenSource("rfc2217://127.0.0.1:" + std::to_string(number));
    LoopbackSocket bridge = server.Accept();
    LineSettings settings; // the port's own, but for the rate
    settings.baudRate = 115200;
    TelnetComPort expected;
    const std::string opening = expected.Greeting() + TelnetComPort::LineCommands(settings);
    EXPECT_EQ(bridge.Read(opening.size()), opening);

    std::string every;
    for (int value = 0; value < 256; ++value)
        every += static_cast<char>(value);
    std::string escaped;
    TelnetComPort::Escape(every, escaped);
    // A request amid the data is answered, not received.
    bridge.SendAll(escaped.substr(0, 100) + Bytes({255, 251, 1}) + escaped.substr(100));
    ASSERT_TRUE(WaitFor([&] { return recorder.Received().size() >= every.size(); }));
    EXPECT_EQ(recorder.Received(), every);
    EXPECT_EQ(bridge.Read(3), Bytes({255, 254, 1}));
    ASSERT_EQ(SendOnceOpen(every), 256u);
    EXPECT_EQ(bridge.Read(escaped.size()), escaped);

    port.SetBaudRate(br009600);
    settings.baudRate = 9600;
    const std::string change = TelnetComPort::LineCommands(settings);
    EXPECT_EQ(bridge.Read(change.size()), change);
}
} // namespace
