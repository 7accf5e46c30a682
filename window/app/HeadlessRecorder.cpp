#include "window/app/HeadlessRecorder.h"

#include "recording/SessionRecorder.h"
#include "serial/PortNames.h"
#include "serial/SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {
const char* const kUsage =
    "usage: ZEPOMonitor --record FILE --port COMn|PATH [--baud N] [--duration S]";
constexpr int kPollMs = 20; // the reader's poll: little is left unread at a stop

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
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (index + 1 < argc) {
            value = argv[++index];
        } else {
            throw std::invalid_argument(name + " needs a value");
        }
        if (name != "--record" && name != "--port" && name != "--baud" && name != "--duration")
            throw std::invalid_argument("unknown option " + name);
        values[name] = value;
    }
    RecorderOptions options;
    options.file = values["--record"];
    options.port = values["--port"];
    if (options.file.empty() || options.port.empty())
        throw std::invalid_argument("--record and --port are both needed");
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

int Record(int argc, char* argv[], const RecorderOptions& options) {
    QCoreApplication application(argc, argv);
    if (::pipe(signalPipe) != 0)
        throw std::runtime_error("cannot watch for stop signals");
    QSocketNotifier stopSignal(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopSignal, &QSocketNotifier::activated, &application,
                     &QCoreApplication::quit);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);

    SessionRecorder recorder(options.file, "");
    TSerialPort port;
    ChoosePort(port, options);
    port.SetReceiveTap(
        [&recorder](const char* data, std::size_t size) { recorder.Received(data, size); });
    port.Open();

    int exitCode = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        const SessionRecorder::Status status = recorder.CurrentStatus();
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
    if (options.durationSeconds > 0)
        QTimer::singleShot(static_cast<int>(options.durationSeconds * 1000), &application,
                           &QCoreApplication::quit);
    QCoreApplication::exec();

    port.Close(); // the reader's last chunk is recorded before it ends
    port.SetReceiveTap(nullptr);
    recorder.Stop();
    std::cerr << "Recorded " << recorder.CurrentStatus().bytes << " bytes to " << options.file
              << std::endl;
    return exitCode;
}
} // namespace

std::optional<int> RunHeadlessRecorderIfAsked(int argc, char* argv[]) {
    bool asked = false;
    for (int index = 1; index < argc; ++index)
        asked = asked || std::string(argv[index]).rfind("--record", 0) == 0;
    if (!asked)
        return std::nullopt;
    RecorderOptions options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const std::invalid_argument& error) {
        std::cerr << "ZEPOMonitor: " << error.what() << '\n' << kUsage << '\n';
        return 2;
    }
    try {
        return Record(argc, argv, options);
    } catch (const std::exception& error) {
        std::cerr << "ZEPOMonitor: " << error.what() << '\n';
        return 1;
    }
}
