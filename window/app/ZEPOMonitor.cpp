#include "window/app/HeadlessRecorder.h"
#include "window/app/MainForm.h"
#include "window/app/StartupOptions.h"
#include "window/app/TrackExportRun.h"
#include "window/blocks/ErrorBox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <iostream>

namespace {
void NameTheApplication() {
    QCoreApplication::setApplicationName(ApplicationTitle);
    QCoreApplication::setApplicationVersion(ZEPO_VERSION);
}

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}
} // namespace

int main(int argc, char* argv[]) {
    if (AsksForHelpOrVersion(Arguments(argc, argv))) {
        QCoreApplication application(argc, argv);
        NameTheApplication();
        QCommandLineParser parser;
        DescribeStartupOptions(parser);
        parser.process(application); // prints the text and ends the program
        return 0;
    }

    if (const std::optional<int> exported = RunTrackExportIfAsked(argc, argv))
        return *exported;
    if (const std::optional<int> recorded = RunHeadlessRecorderIfAsked(argc, argv))
        return *recorded;
    QApplication application(argc, argv);
    NameTheApplication();
    QGuiApplication::setDesktopFileName("zepo-monitor");
    QCommandLineParser parser;
    DescribeStartupOptions(parser);
    TStartupOptions options;
    try {
        // Qt's own options (-platform …) are gone from the arguments by now.
        options = ReadStartupOptions(parser, QApplication::arguments());
    } catch (const EStartupUsage& error) {
        std::cerr << "zepo-monitor: " << error.what() << "\n\n" << parser.helpText().toStdString();
        return 2;
    }

    TMainForm MainForm;
    MainForm.show();
    // Once the window is up, so an error box of a failing Open stands over it.
    QTimer::singleShot(0, &MainForm, [&] { ApplyStartupOptions(MainForm, options); });
    return QApplication::exec();
}
