// zepo-receiver-sim: a u-blox GPS receiver on a pseudo-terminal, announced
// as a virtual port so ZEPO Monitor can open it like a real one.

#include "serial/VirtualPorts.h"
#include "tools/receiver-sim/PeerWatch.h"
#include "tools/receiver-sim/ReceiverLine.h"
#include "tools/receiver-sim/SimulatedReceiver.h"
#include "tools/receiver-sim/SimulatorOptions.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
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

int Simulate(const SimulatorOptions& options) {
    if (const auto holder = FindVirtualPort(options.port))
        throw std::runtime_error(options.port + " is already announced by another program (" +
                                 *holder + "); choose another name with --port");
    HandleStopSignals();
    const std::unique_ptr<AnnouncedPty> pty = OpenAndAnnounce(options.port);

    ReceiverSettings receiverSettings;
    receiverSettings.startUtc = std::time(nullptr);
    receiverSettings.seed = std::random_device{}();
    receiverSettings.interleaveUbx = options.ubx || options.rate.has_value();
    receiverSettings.positionEachEpoch = options.rate.has_value();
    receiverSettings.multiGnss = options.gnss;
    receiverSettings.rtk = options.rtk;
    receiverSettings.rover = {std::chrono::seconds(options.rtkFixAfterS),
                              std::chrono::seconds(options.rtkTimeoutS)};
    receiverSettings.lineBaud = static_cast<std::uint32_t>(options.baud);
    receiverSettings.generation = options.generation;
    receiverSettings.rf = options.rf;
    receiverSettings.base = options.base;
    receiverSettings.survey = {std::chrono::seconds(options.surveySeconds),
                               options.surveyAccuracyM};
    SimulatedReceiver receiver(receiverSettings);

    LineSettings lineSettings;
    lineSettings.bytesPerSecond = options.BytesPerSecond();
    lineSettings.continuous = options.rate.has_value();

    std::cout << "Receiver simulator on " << options.port << " (" << pty->devicePath << "), "
              << (options.rate
                      ? std::to_string(*options.rate) + " bytes per second of mixed traffic"
                      : std::to_string(options.baud) + " baud" +
                            (options.ubx ? ", UBX interleaved" : ""))
              << (options.gnss ? ", multi-GNSS" : ", GPS only")
              << (options.base
                      ? ", base station (survey-in " + std::to_string(options.surveySeconds) + " s)"
                      : "")
              << ". Ctrl+C ends it." << std::endl;

    PeerWatch peers(pty->devicePath);
    bool peerExited = false;
    ReceiverLine line(pty->master, receiver, lineSettings);
    line.Run({[&] {
                  peerExited = peers.PeersExited();
                  return stopSignalled || peerExited;
              },
              [&](bool up) {
                  peers.LineChanged(up);
                  std::cout << options.port << (up ? " opened." : " closed.") << std::endl;
              }});

    std::cout << "Receiver simulator ended"
              << (peerExited ? ": the program using its port exited." : ".") << std::endl;
    return 0;
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
