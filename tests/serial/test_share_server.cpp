// The share server on loopback: byte-exact copies for every client of what
// the port received, a client that never reads dropped without costing the
// others a byte, the client limit, and clients' bytes handed on only when
// they may send to the receiver; a client done sending still reads.

#include "serial/SerialPort.h"
#include "serial/ShareServer.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {
std::string Pattern(std::size_t size, std::size_t start = 0) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((start + i) * 7 % 251);
    return bytes;
}

class ShareServerTest : public ::testing::Test {
protected:
    std::unique_ptr<ShareServer> Start(ShareServer::Options options) {
        return std::make_unique<ShareServer>(
            options,
            [this](const std::string& line) {
                std::lock_guard lock(mutex_);
                log_.push_back(line);
            },
            [this](const std::string& bytes) {
                std::lock_guard lock(mutex_);
                fromClients_ += bytes;
            });
    }
    LoopbackSocket Client(const ShareServer& server) {
        LoopbackSocket client(SOCK_STREAM);
        EXPECT_TRUE(client.Connect(server.Port()));
        return client;
    }
    bool Logged(const std::string& part) {
        return WaitFor([&] {
            std::lock_guard lock(mutex_);
            for (const auto& line : log_)
                if (line.find(part) != std::string::npos)
                    return true;
            return false;
        });
    }
    std::string FromClients() {
        std::lock_guard lock(mutex_);
        return fromClients_;
    }

    std::mutex mutex_;
    std::vector<std::string> log_;
    std::string fromClients_;
};

TEST_F(ShareServerTest, EveryClientGetsExactlyWhatThePortReceived) {
    ScratchEnvironment scratch;
    PtyPeer peer;
    peer.announce("COM13");
    TSerialPort port;
    port.SetPort(spCOM13);
    EventRecorder window(port);
    ShareServer::Options options;
    options.maxClients = 3;
    auto server = Start(options);
    port.SetReceiveTap([&](const char* data, std::size_t size) { server->Feed(data, size); });
    port.Open();
    std::vector<LoopbackSocket> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(Client(*server));
    ASSERT_TRUE(WaitFor([&] { return server->CurrentCounts().clients == 3; }));
    LoopbackSocket refused = Client(*server);
    EXPECT_TRUE(Logged(" refused: 3 clients connected already"));
    EXPECT_EQ(refused.Read(1), "");

    const std::string sent = Pattern(300000);
    peer.write(sent);
    ASSERT_TRUE(WaitFor([&] { return window.Received().size() == sent.size(); }));
    EXPECT_EQ(window.Received(), sent);
    for (const auto& client : clients)
        EXPECT_EQ(client.Read(sent.size()), sent);
    EXPECT_EQ(server->CurrentCounts().bytesIn, sent.size());
    port.Close();
}

TEST_F(ShareServerTest, ClientThatNeverReadsIsDroppedWithoutCostingOthers) {
    ShareServer::Options options;
    options.behindLimit = std::size_t{1} << 20;
    auto server = Start(options);
    LoopbackSocket stalled(SOCK_STREAM);
    const int small = 4096;
    setsockopt(stalled.fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ASSERT_TRUE(stalled.Connect(server->Port()));
    LoopbackSocket reader = Client(*server);
    ASSERT_TRUE(WaitFor([&] { return server->CurrentCounts().clients == 2; }));

    // The reader keeps up piece by piece until the stalled client is dropped.
    constexpr std::size_t kPiece = 64 * 1024;
    std::size_t offset = 0;
    for (; offset < (std::size_t{64} << 20) && server->CurrentCounts().drops == 0;
         offset += kPiece) {
        const std::string piece = Pattern(kPiece, offset);
        server->Feed(piece.data(), piece.size());
        ASSERT_EQ(reader.Read(kPiece), piece) << "at byte " << offset;
    }
    EXPECT_TRUE(Logged("Share: 127.0.0.1:"));
    EXPECT_TRUE(Logged(" dropped: 1 MB behind"));
    EXPECT_EQ(server->CurrentCounts().clients, 1u);
    const std::string last = Pattern(kPiece, offset);
    server->Feed(last.data(), last.size());
    EXPECT_EQ(reader.Read(kPiece), last);
}

TEST_F(ShareServerTest, ClientBytesReachTheReceiverOnlyWhenAllowed) {
    auto server = Start({});
    LoopbackSocket client = Client(*server);
    ASSERT_TRUE(WaitFor([&] { return server->CurrentCounts().clients == 1; }));
    client.SendAll("refused");
    EXPECT_TRUE(Logged(" sent bytes that were dropped: clients may not send to the receiver"));
    server->SetClientsMaySend(true);
    client.SendAll("$PUBX,00*33\r\n");
    ASSERT_TRUE(WaitFor([&] { return FromClients().size() >= 13; }));
    EXPECT_EQ(FromClients(), "$PUBX,00*33\r\n");

    // A client done sending (nc with its input at an end) still reads.
    shutdown(client.fd(), SHUT_WR);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the server sees the end
    const std::string more = "$GPTXT,01,01,02,ANTSTATUS=OK*3B\r\n";
    server->Feed(more.data(), more.size());
    EXPECT_EQ(client.Read(more.size()), more);
    EXPECT_EQ(server->CurrentCounts().clients, 1u);
}

TEST(ShareAddressText, ReadsAddressAndPort) {
    const struct {
        const char* text;
        const char* host;
        int port;
    } good[] = {{"5000", "127.0.0.1", 5000},
                {"0.0.0.0:2947", "0.0.0.0", 2947},
                {"[::1]:65535", "::1", 65535}};
    for (const auto& row : good) {
        const ShareAddress address = ParseShareAddress(row.text);
        EXPECT_EQ(address.host, row.host) << row.text;
        EXPECT_EQ(address.port, row.port) << row.text;
    }
    for (const char* bad : {"", "0", "65536", "host:", ":5000", "5000x", "[::1]5000"})
        EXPECT_THROW(ParseShareAddress(bad), EShareAddress) << bad;
}
} // namespace
