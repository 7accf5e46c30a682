#pragma once
// The monitor's command line: --help, --version, and the port to choose and
// open at start-up, so a launcher (or tools/run-monitor beside the receiver
// simulator) shows live data at once. Without options start-up is unchanged.

#include <QStringList>
#include <stdexcept>

class QCommandLineParser;
class TMainForm;

struct TStartupOptions {
    QString port;     // empty: the port restored from the settings store
    QString baudRate; // empty: the page's 9600; else an item of the Baud Rate list
    bool open = false;
    QString serve; // empty: no sharing; else "[ADDRESS:]PORT" to share at
};

class EStartupUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether the arguments ask for --help or --version: those are answered
// without a display, so they work on a console.
bool AsksForHelpOrVersion(const QStringList& arguments);

// Declares the options, --help and --version on parser.
void DescribeStartupOptions(QCommandLineParser& parser);

// Reads arguments (the program name first). Throws EStartupUsage with a
// message for the user when an option is unknown or its value is unusable;
// --help and --version are left to the caller (parser.isSet).
TStartupOptions ReadStartupOptions(QCommandLineParser& parser, const QStringList& arguments);

// Chooses the port and rate on the "ComPort" page as a click there would, and
// presses "Open" when asked; a failing Open shows the usual error box.
void ApplyStartupOptions(TMainForm& window, const TStartupOptions& options);
