// zepo-receiver-sim: a u-blox GPS receiver on a pseudo-terminal, announced
// as a virtual port so ZEPO Monitor can open it like a real one, or on a TCP
// connection as behind a serial-to-network bridge.

#include "serial/VirtualPorts.h"
#include "tools/receiver-sim/PeerWatch.h"
#include "tools/receiver-sim/ReceiverLine.h"
#include "tools/receiver-sim/SimulatedReceiver.h"
#include "tools/receiver-sim/SimulatorOptions.h"
#include "tools/receiver-sim/TcpLineEnd.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <memory>
#include <pty.h>
#include <random>
#include <termios.h>
#include <unistd.h>

namespace {
std::atomic<bool> stopSignalled{false};

void RequestStop(int) {
    stopSignalled = true;
}

void HandleStopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// The device side of the pseudo-terminal and the port name it is announced
// under; the announcement is withdrawn, if still ours, however the run ends.
class AnnouncedPty {
public:
    AnnouncedPty(int master, std::string devicePath, std::string port)
        : master(master), devicePath(std::move(devicePath)), port_(std::move(port)) {
        AnnounceVirtualPort(port_, this->devicePath);
    }
    ~AnnouncedPty() {
        if (FindVirtualPort(port_) == devicePath)
            WithdrawVirtualPort(port_);
        close(master);
    }
    AnnouncedPty(const AnnouncedPty&) = delete;
    AnnouncedPty& operator=(const AnnouncedPty&) = delete;

    const int master;
    const std::string devicePath;

private:
    std::string port_;
};

// The device side stays with us; the port side is raw so every byte passes
// unchanged, and is closed again: whoever opens the port brings the line up.
std::unique_ptr<AnnouncedPty> OpenAndAnnounce(const std::string& port) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error(std::string("Cannot open a pseudo-terminal: ") +
                                 std::strerror(errno));
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    close(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    try {
        return std::make_unique<AnnouncedPty>(master, name, port);
    } catch (...) {
        close(master);
        throw;
    }
}

ReceiverSettings ReceiverSettingsOf(const SimulatorOptions& options) {
    ReceiverSettings settings;
    settings.startUtc = std::time(nullptr);
    settings.seed = std::random_device{}();
    settings.interleaveUbx = options.ubx || options.rate.has_value();
    settings.positionEachEpoch = options.rate.has_value();
    settings.multiGnss = options.gnss;
    settings.rtk = options.rtk;
    settings.rover = {std::chrono::seconds(options.rtkFixAfterS),
                      std::chrono::seconds(options.rtkTimeoutS)};
    settings.lineBaud = static_cast<std::uint32_t>(options.baud);
    settings.generation = options.generation;
    settings.rf = options.rf;
    settings.base = options.base;
    settings.survey = {std::chrono::seconds(options.surveySeconds), options.surveyAccuracyM};
    return settings;
}

// "9600 baud, UBX interleaved, GPS only" and the like.
std::string TrafficText(const SimulatorOptions& options) {
    return (options.rate ? std::to_string(*options.rate) + " bytes per second of mixed traffic"
                         : std::to_string(options.baud) + " baud" +
                               (options.ubx ? ", UBX interleaved" : "")) +
           (options.gnss ? ", multi-GNSS" : ", GPS only") +
           (options.base
                ? ", base station (survey-in " + std::to_string(options.surveySeconds) + " s)"
                : "");
}

// Runs the receiver on end until a stop is signalled or stopWanted says so;
// lineChanged tells of the line going up and down.
void RunLine(const SimulatorOptions& options, LineEnd& end, const std::function<bool()>& stopWanted,
             const std::function<void(bool up)>& lineChanged) {
    SimulatedReceiver receiver(ReceiverSettingsOf(options));
    LineSettings lineSettings;
    lineSettings.bytesPerSecond = options.BytesPerSecond();
    lineSettings.continuous = options.rate.has_value();
    ReceiverLine(end, receiver, lineSettings)
        .Run({[&] { return stopSignalled || stopWanted(); }, lineChanged});
}

int SimulateOnPty(const SimulatorOptions& options) {
    if (const auto holder = FindVirtualPort(options.port))
        throw std::runtime_error(options.port + " is already announced by another program (" +
                                 *holder + "); choose another name with --port");
    const std::unique_ptr<AnnouncedPty> pty = OpenAndAnnounce(options.port);
    std::cout << "Receiver simulator on " << options.port << " (" << pty->devicePath << "), "
              << TrafficText(options) << ". Ctrl+C ends it." << std::endl;

    PeerWatch peers(pty->devicePath);
    bool peerExited = false;
    PtyLineEnd end(pty->master);
    RunLine(
        options, end,
        [&] {
            peerExited = peers.PeersExited();
            return peerExited;
        },
        [&](bool up) {
            peers.LineChanged(up);
            std::cout << options.port << (up ? " opened." : " closed.") << std::endl;
        });

    std::cout << "Receiver simulator ended"
              << (peerExited ? ": the program using its port exited." : ".") << std::endl;
    return 0;
}

int SimulateOverTcp(const TcpLine& tcp, const SimulatorOptions& options) {
    const bool listening = tcp.host.empty();
    const std::unique_ptr<TcpLineEnd> end =
        listening ? TcpLineEnd::Listen(tcp.port) : TcpLineEnd::ConnectTo(tcp.host, tcp.port);
    const std::string address = (listening ? "127.0.0.1" : tcp.host) + ":" + tcp.port;
    std::cout << "Receiver simulator " << (listening ? "listening on " : "connecting to ")
              << address << " (TCP), " << TrafficText(options) << ". Ctrl+C ends it." << std::endl;
    RunLine(
        options, *end, [] { return false; },
        [&](bool up) {
            std::cout << address << (up ? " connected." : " disconnected.") << std::endl;
        });
    std::cout << "Receiver simulator ended." << std::endl;
    return 0;
}

int Simulate(const SimulatorOptions& options) {
    HandleStopSignals();
    return options.tcp ? SimulateOverTcp(*options.tcp, options) : SimulateOnPty(options);
}
} // namespace

int main(int argc, char** argv) {
    try {
        const SimulatorOptions options =
            ParseSimulatorOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << kSimulatorUsage;
            return 0;
        }
        if (options.version) {
            std::cout << "zepo-receiver-sim " ZEPO_VERSION "\n";
            return 0;
        }
        return Simulate(options);
    } catch (const EUsageError& error) {
        std::cerr << "zepo-receiver-sim: " << error.what() << "\n\n" << kSimulatorUsage;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "zepo-receiver-sim: " << error.what() << std::endl;
        return 1;
    }
}
