#include "serial/DeviceMap.h"
#include "serial/HardwarePorts.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
// A scratch copy of the parts of /sys/class/tty and /dev the map reads.
class FakeTree {
public:
    explicit FakeTree(const std::string& root) {
        tree.sysClassTty = root + "/sys";
        tree.serialById = root + "/by-id";
        tree.devDir = root + "/dev";
        fs::create_directories(tree.sysClassTty + "/console");
        fs::create_directories(tree.serialById);
        fs::create_directories(tree.devDir);
        mapFile = root + "/config/com-ports.json";
    }

    // A tty; withDevice false makes a virtual console-like entry.
    void Add(const std::string& name, bool withDevice = true, const std::string& type = "4") {
        const fs::path dir = fs::path(tree.sysClassTty) / name;
        fs::create_directories(withDevice ? dir / "device" : dir);
        std::ofstream(dir / "type") << type << "\n";
    }
    void Remove(const std::string& name) { fs::remove_all(fs::path(tree.sysClassTty) / name); }
    void SetConsole(const std::string& active) {
        std::ofstream(tree.sysClassTty + "/console/active") << active << "\n";
    }
    void AddById(const std::string& id, const std::string& name) {
        fs::create_symlink("../dev/" + name, fs::path(tree.serialById) / id);
    }
    std::map<int, std::string> Ports() const { return HardwarePorts(tree, mapFile); }
    std::string Dev(const std::string& name) const { return tree.devDir + "/" + name; }

    HardwareTree tree;
    std::string mapFile;
};

TEST(HardwarePorts, LegacyPortsAreNumberedByIndexWithoutConsoleOrEmptySlots) {
    ScratchEnvironment scratch;
    FakeTree fake(scratch.root());
    fake.SetConsole("tty0 ttyS0");
    fake.Add("tty0", false);
    fake.Add("ttyS0");            // the console
    fake.Add("ttyS1", true, "0"); // a slot without a UART
    fake.Add("ttyS2");
    fake.Add("ttyS12");
    EXPECT_EQ(fake.Ports(),
              (std::map<int, std::string>{{3, fake.Dev("ttyS2")}, {13, fake.Dev("ttyS12")}}));
    EXPECT_FALSE(fs::exists(fake.mapFile)); // nothing to remember
}

TEST(HardwarePorts, OtherDevicesKeepTheirFirstFreeNumber) {
    ScratchEnvironment scratch;
    FakeTree fake(scratch.root());
    fake.Add("ttyS0");
    fake.Add("ttyS1");
    fake.Add("ttyUSB0");
    fake.AddById("usb-u-blox_GNSS_receiver-if00", "ttyUSB0");
    fake.Add("ttyACM0");
    EXPECT_EQ(fake.Ports(), (std::map<int, std::string>{{1, fake.Dev("ttyS0")},
                                                        {2, fake.Dev("ttyS1")},
                                                        {3, fake.Dev("ttyACM0")},
                                                        {4, fake.Dev("ttyUSB0")}}));

    // Replugged: the receiver comes back as ttyUSB1 while ttyACM0 is gone.
    fake.Remove("ttyUSB0");
    fake.Remove("ttyACM0");
    fs::remove(fs::path(fake.tree.serialById) / "usb-u-blox_GNSS_receiver-if00");
    fake.Add("ttyUSB1");
    fake.AddById("usb-u-blox_GNSS_receiver-if00", "ttyUSB1");
    fake.Add("ttyUSB2");
    EXPECT_EQ(fake.Ports(), (std::map<int, std::string>{{1, fake.Dev("ttyS0")},
                                                        {2, fake.Dev("ttyS1")},
                                                        {4, fake.Dev("ttyUSB1")},
                                                        {5, fake.Dev("ttyUSB2")}}));
}

TEST(HardwarePorts, RememberedNumberTakenByALegacyPortIsGivenUp) {
    ScratchEnvironment scratch;
    FakeTree fake(scratch.root());
    fake.Add("ttyUSB0");
    EXPECT_EQ(fake.Ports(), (std::map<int, std::string>{{1, fake.Dev("ttyUSB0")}}));
    fake.Add("ttyS0"); // a UART appears and is COM1 by its index
    const std::map<int, std::string> both{{1, fake.Dev("ttyS0")}, {2, fake.Dev("ttyUSB0")}};
    EXPECT_EQ(fake.Ports(), both);
    EXPECT_EQ(fake.Ports(), both);
}

TEST(HardwarePorts, UnreadableMapStartsAfresh) {
    ScratchEnvironment scratch;
    FakeTree fake(scratch.root());
    fs::create_directories(fs::path(fake.mapFile).parent_path());
    std::ofstream(fake.mapFile) << "{not json";
    fake.Add("ttyUSB0");
    EXPECT_EQ(fake.Ports(), (std::map<int, std::string>{{1, fake.Dev("ttyUSB0")}}));
    EXPECT_EQ(fake.Ports(), (std::map<int, std::string>{{1, fake.Dev("ttyUSB0")}}));
}

TEST(DeviceMap, PortNamesBecomeDevicePaths) {
    ScratchEnvironment scratch;
    PtyPeer peer;
    peer.announce("COM13");
    const struct {
        std::string name;
        std::string path;
    } cases[] = {
        {"COM13", peer.devicePath()},
        {" COM13 ", peer.devicePath()},
        {"COM200", ""},
        {"", ""},
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/99", "/dev/pts/99"},
        {"com13", "/dev/com13"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DevicePathOfPort(c.name), c.path) << '"' << c.name << '"';
}

TEST(DeviceMap, AnnouncedPortsArePresent) {
    ScratchEnvironment scratch;
    PtyPeer first;
    PtyPeer second;
    first.announce("COM200");
    second.announce("COM199");
    std::vector<std::string> names{"stale entry"};
    GetExistingCommPortNames(names);
    const auto at = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    ASSERT_LT(at("COM199"), at("COM200"));
    ASSERT_LT(at("COM200"), static_cast<long>(names.size()));
    EXPECT_EQ(at("stale entry"), static_cast<long>(names.size()));
    const TCommPortSet present = GetExistingCommPorts();
    EXPECT_TRUE(present.test(199));
    EXPECT_TRUE(present.test(200));
    EXPECT_FALSE(present.test(spNone));
    second.withdraw();
    EXPECT_FALSE(GetExistingCommPorts().test(199));
}
} // namespace
