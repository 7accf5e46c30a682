#include "window/app/StartupOptions.h"

#include "serial/NetworkSource.h"
#include "serial/PortNames.h"
#include "serial/ShareServer.h"
#include "window/app/MainForm.h"
#include "window/blocks/ErrorBox.h"

#include <QCommandLineParser>

namespace {
const QString PortOption = QStringLiteral("port");
const QString BaudOption = QStringLiteral("baud");
const QString OpenOption = QStringLiteral("open");
const QString ServeOption = QStringLiteral("serve");
} // namespace

bool AsksForHelpOrVersion(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1))
        if (argument == "-h" || argument == "--help" || argument == "--help-all" ||
            argument == "-v" || argument == "--version")
            return true;
    return false;
}

void DescribeStartupOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "A monitor and terminal for u-blox GPS receivers on a serial port.\n"
        "Without options the window starts with the port last used, closed.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({PortOption,
                      "Choose port NAME at start-up: COM1 to COM254 as the port list shows "
                      "them, a device such as ttyUSB0 or /dev/ttyACM0, or a network source: "
                      "tcp://HOST:PORT, tcp-listen://:PORT, udp://:PORT or rfc2217://HOST:PORT.",
                      "NAME"});
    parser.addOption({BaudOption,
                      "Choose baud rate N (one of the Baud Rate list, 75 to 921600) instead "
                      "of 9600.",
                      "N"});
    parser.addOption({OpenOption, "Open the port at start-up, as the Open button does."});
    parser.addOption({ServeOption,
                      "Share the received data with other programs over TCP at [ADDR:]PORT "
                      "(127.0.0.1 when no address is named), as the Share button does. Without a "
                      "display it runs without a window on the port named by --port, until "
                      "Ctrl+C.",
                      "[ADDR:]PORT"});
    // Read before the window starts (HeadlessRecorder.h); listed here for the help.
    parser.addOption({"record",
                      "Record the port named by --port to FILE without a window, at --baud, "
                      "until Ctrl+C or --duration.",
                      "FILE"});
    parser.addOption({"duration", "With --record: stop after S seconds.", "S"});
    // Read before the window starts (TrackExportRun.h); listed here for the help.
    parser.addOption({"export-track",
                      "Write the fixes of the recording named after the options to FILE, a GPX "
                      "(.gpx) or KML (.kml) track, without a window.",
                      "FILE"});
}

TStartupOptions ReadStartupOptions(QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.parse(arguments))
        throw EStartupUsage(parser.errorText().toStdString());
    if (!parser.positionalArguments().isEmpty())
        throw EStartupUsage("unexpected argument \"" +
                            parser.positionalArguments().first().toStdString() +
                            "\"; a port is chosen with --port NAME");
    TStartupOptions options;
    options.open = parser.isSet(OpenOption);
    if (parser.isSet(PortOption)) {
        options.port = parser.value(PortOption).trimmed();
        if (options.port.isEmpty())
            throw EStartupUsage("--port needs a port name, such as COM3 or ttyUSB0");
        std::string error;
        const std::string name = options.port.toStdString();
        if (IsNetworkSourceName(name) && !ParseNetworkSource(name, error))
            throw EStartupUsage("--port " + error);
    }
    if (parser.isSet(BaudOption)) {
        const QString rate = parser.value(BaudOption);
        bool number = false;
        const int value = rate.toInt(&number);
        // The Baud Rate list offers exactly the standard rates.
        if (!number || IntToBaudRate(value) == brCustom)
            throw EStartupUsage("--baud needs a rate of the Baud Rate list (75 to 921600), "
                                "not \"" +
                                rate.toStdString() + "\"");
        options.baudRate = QString::number(value);
    }
    if (parser.isSet(ServeOption)) {
        options.serve = parser.value(ServeOption).trimmed();
        try {
            ParseShareAddress(options.serve.toStdString());
        } catch (const EShareAddress& error) {
            throw EStartupUsage(std::string("--serve ") + error.what());
        }
    }
    return options;
}

void ApplyStartupOptions(TMainForm& window, const TStartupOptions& options) {
    if (!options.port.isEmpty())
        window.ChoosePort(options.port);
    if (!options.baudRate.isEmpty())
        window.ChooseBaudRate(options.baudRate);
    if (!options.serve.isEmpty())
        window.ShareAt(options.serve);
    if (options.open)
        RunGuarded(&window, [&window] { window.OpenPort(); });
}
