#include "window/app/HeadlessRecorder.h"

#include "recording/SessionRecorder.h"
#include "serial/PortNames.h"
#include "serial/SerialPort.h"
#include "serial/ShareServer.h"
#include "window/app/ConsoleRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {
const char* const kUsage =
    "usage: zepo-monitor --record FILE --port COMn|PATH [--baud N] [--duration S]\n"
    "       zepo-monitor --port COMn|PATH --serve [ADDR:]PORT [--record FILE] [--baud N]";
constexpr int kPollMs = 20; // the reader's poll: little is left unread at a stop
constexpr int kShareStatusMs = 10000;

int signalPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    (void)!::write(signalPipe[1], &byte, 1);
}

struct RecorderOptions {
    std::string file;
    std::string port;
    long baud = 9600;
    double durationSeconds = 0; // 0: until a signal
    std::string serve;          // empty: no sharing
};

long Number(const std::string& name, const std::string& text) {
    std::size_t used = 0;
    long value = 0;
    try {
        value = std::stol(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value <= 0)
        throw std::invalid_argument(name + " needs a positive number, not \"" + text + "\"");
    return value;
}

RecorderOptions ParseOptions(int argc, char* argv[]) {
    std::map<std::string, std::string> values;
    for (int index = 1; index < argc; ++index) {
        std::string name = argv[index];
        std::string value;
        const std::size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        // Known names first: a window option such as --open takes no value.
        if (name != "--record" && name != "--port" && name != "--baud" && name != "--duration" &&
            name != "--serve")
            throw std::invalid_argument(name + " is no option of --record or --serve");
        if (equals == std::string::npos) {
            if (index + 1 >= argc)
                throw std::invalid_argument(name + " needs a value");
            value = argv[++index];
        }
        values[name] = value;
    }
    RecorderOptions options;
    options.file = values["--record"];
    options.port = values["--port"];
    options.serve = values["--serve"];
    if ((options.file.empty() && options.serve.empty()) || options.port.empty())
        throw std::invalid_argument("--port and --record or --serve are needed");
    if (!options.serve.empty())
        ParseShareAddress(options.serve); // refused here, with the usage
    if (values.count("--baud"))
        options.baud = Number("--baud", values["--baud"]);
    if (values.count("--duration"))
        options.durationSeconds = static_cast<double>(Number("--duration", values["--duration"]));
    return options;
}

void ChoosePort(TSerialPort& port, const RecorderOptions& options) {
    const TCommPort comPort = StringToCommPort(options.port);
    if (comPort == spCustom)
        port.SetCustomPortName(options.port);
    port.SetPort(comPort);
    const TBaudRate rate = IntToBaudRate(static_cast<std::int32_t>(options.baud));
    if (rate == brCustom)
        port.SetCustomBaudRate(static_cast<std::int32_t>(options.baud));
    port.SetBaudRate(rate);
    port.SetDelay(kPollMs);
    port.SetNeedSynchronization(false);
}

std::unique_ptr<ShareServer> StartSharing(const std::string& address) {
    if (address.empty())
        return nullptr;
    ShareServer::Options options;
    options.address = ParseShareAddress(address);
    auto server = std::make_unique<ShareServer>(
        options, [](const std::string& line) { std::cerr << line << std::endl; },
        [](const std::string&) {});
    std::cerr << "Share: listening on " << server->Address() << std::endl;
    return server;
}

// No screen to show a window on: neither an X nor a Wayland display, or a
// Qt platform that shows nothing.
bool NoDisplay() {
    const std::string platform =
        std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    if (platform == "offscreen" || platform == "minimal")
        return true;
    return platform.empty() && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
}

int Record(int argc, char* argv[], const RecorderOptions& options) {
    QCoreApplication application(argc, argv);
    if (::pipe(signalPipe) != 0)
        throw std::runtime_error("cannot watch for stop signals");
    QSocketNotifier stopSignal(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopSignal, &QSocketNotifier::activated, &application,
                     &QCoreApplication::quit);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);

    // The file is made once the port is open: a port that cannot be opened
    // leaves no empty recording behind, nor empties an earlier one. What the
    // reader brings before the file exists goes into it first.
    std::mutex tapMutex;
    std::string early;
    std::unique_ptr<SessionRecorder> recorder;
    const std::unique_ptr<ShareServer> share = StartSharing(options.serve);
    TSerialPort port;
    ChoosePort(port, options);
    port.SetReceiveTap([&](const char* data, std::size_t size) {
        if (share)
            share->Feed(data, size);
        if (options.file.empty())
            return;
        std::lock_guard lock(tapMutex);
        if (recorder)
            recorder->Received(data, size);
        else
            early.append(data, size);
    });
    // A link that fails or ends (a network source) is told on the console.
    port.OnDeviceLost = [](TSerialPort* lost, TCommPort) {
        const std::string reason = lost->DeviceLossReason();
        if (!reason.empty())
            std::cerr << reason << std::endl;
    };
    port.Open();
    if (!options.file.empty()) {
        auto made = std::make_unique<SessionRecorder>(options.file, "");
        std::lock_guard lock(tapMutex);
        made->Received(early.data(), early.size());
        recorder = std::move(made);
    }

    int exitCode = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        if (!recorder)
            return;
        recorder->CheckFilesKept();
        const SessionRecorder::Status status = recorder->CurrentStatus();
        if (!status.recording) {
            std::cerr << status.error << '\n';
            exitCode = 1;
            QCoreApplication::quit();
            return;
        }
        std::cerr << "Recording " << options.file << ": " << status.bytes << " bytes, "
                  << elapsed.elapsed() / 1000 << " s" << std::endl;
    });
    progress.start(1000);
    QTimer shareStatus;
    QObject::connect(&shareStatus, &QTimer::timeout, [&] {
        const ShareServer::Counts counts = share->CurrentCounts();
        std::cerr << "Share " << share->Address() << ": " << counts.bytesIn << " bytes in, "
                  << counts.clients << " clients, " << counts.drops << " dropped" << std::endl;
    });
    if (share)
        shareStatus.start(kShareStatusMs);
    if (options.durationSeconds > 0)
        QTimer::singleShot(static_cast<int>(options.durationSeconds * 1000), &application,
                           &QCoreApplication::quit);
    QCoreApplication::exec();

    port.Close(); // the reader's last chunk is recorded before it ends
    port.SetReceiveTap(nullptr);
    if (!recorder)
        return exitCode;
    recorder->Stop();
    std::cerr << "Recorded " << recorder->CurrentStatus().bytes << " bytes to " << options.file
              << std::endl;
    return exitCode;
}
} // namespace

std::optional<int> RunHeadlessRecorderIfAsked(int argc, char* argv[]) {
    // Sharing alone runs here only where no window can be shown.
    const bool noDisplay = NoDisplay();
    bool asked = false;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        asked = asked || argument.rfind("--record", 0) == 0 ||
                (noDisplay && argument.rfind("--serve", 0) == 0);
    }
    if (!asked)
        return std::nullopt;
    return RunOnConsole(
        kUsage, [&] { return ParseOptions(argc, argv); },
        [&](const RecorderOptions& options) { return Record(argc, argv, options); });
}
