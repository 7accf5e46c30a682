#include "serial/VirtualPorts.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(VirtualPorts, AnnouncedPtyIsListedUntilWithdrawnOrGone) {
    ScratchEnvironment scratch;
    EXPECT_EQ(VirtualPortDirectory(), scratch.runtimeDir() + "/zepo-monitor/ports");
    {
        PtyPeer peer;
        peer.announce("COM13");
        const auto ports = ListVirtualPorts();
        ASSERT_EQ(ports.size(), 1u);
        EXPECT_EQ(ports[0].comName, "COM13");
        EXPECT_EQ(ports[0].devicePath, peer.devicePath());
        EXPECT_EQ(FindVirtualPort("COM13"), peer.devicePath());
    }
    EXPECT_TRUE(ListVirtualPorts().empty());
    EXPECT_FALSE(FindVirtualPort("COM13").has_value());
}

TEST(VirtualPorts, StaleLinkIsNotAPresentPort) {
    ScratchEnvironment scratch;
    AnnounceVirtualPort("COM7", scratch.root() + "/no-such-device");
    EXPECT_TRUE(ListVirtualPorts().empty());
    EXPECT_FALSE(FindVirtualPort("COM7").has_value());
    WithdrawVirtualPort("COM7");
    EXPECT_FALSE(std::filesystem::exists(VirtualPortDirectory() + "/COM7"));
}

TEST(PtyPeer, BytesPassBothWaysUnchanged) {
    PtyPeer peer;
    const int fd = ::open(peer.devicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const std::string bytes("\x00\r\n\xb5\x62\xff", 6);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), 6);
    EXPECT_EQ(peer.read(6), bytes);
    peer.write(bytes);
    char back[6];
    ASSERT_EQ(::read(fd, back, 6), 6);
    EXPECT_EQ(std::string(back, 6), bytes);
    ::close(fd);
}
