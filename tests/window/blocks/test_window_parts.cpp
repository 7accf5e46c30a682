// The window's building blocks: the error box text and its behaviour around a
// failing handler, the line-capped panes, the data pane's part of an
// over-large chunk, the notice of device events and the settings store file.

#include "protocol/UbxFrame.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/blocks/ChunkExcerpt.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/TextPane.h"
#include "window/parts/PortWatcher.h"
#include "window/parts/SettingsStore.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>
#include <unistd.h>

namespace {
// Device events as a pipe carries them: "t" for a serial device, anything
// else for another kind.
class FakeDeviceEvents : public TDeviceEventSource {
public:
    FakeDeviceEvents() {
        if (pipe(ends_) != 0)
            ends_[0] = ends_[1] = -1;
    }
    ~FakeDeviceEvents() override {
        close(ends_[0]);
        close(ends_[1]);
    }
    int Descriptor() const override { return ends_[0]; }
    bool TakeEvents() override {
        char events[64];
        const ssize_t got = read(ends_[0], events, sizeof events);
        return got > 0 &&
               std::string_view(events, std::size_t(got)).find('t') != std::string_view::npos;
    }
    void Send(std::string_view events) {
        QCOMPARE(write(ends_[1], events.data(), events.size()), ssize_t(events.size()));
    }

private:
    int ends_[2] = {-1, -1};
};
} // namespace

class WindowPartsTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;

private slots:
    void errorTextGetsFullStopAfterLettersOnly_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "No such file or directory"
                                << "No such file or directory.";
        QTest::newRow("full stop") << "Invalid combination."
                                   << "Invalid combination.";
        QTest::newRow("code below full stop") << "Port busy!"
                                              << "Port busy!";
        QTest::newRow("slash is above") << "/dev/"
                                        << "/dev/.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorTextGetsFullStopAfterLettersOnly() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(message), shown);
    }

    void guardedHandlerStopsAtTheErrorAndShowsTheBox() {
        ModalBoxCatcher catcher;
        bool secondStepRan = false;
        RunGuarded(nullptr, [&] {
            throw std::runtime_error("Cannot connect to COM13 . No such file or directory");
            secondStepRan = true;
        });
        QCOMPARE(catcher.boxes().size(), size_t(1));
        const CaughtBox& box = catcher.boxes().front();
        QCOMPARE(box.title, QString("ZEPO Monitor"));
        QCOMPARE(box.text, QString("Cannot connect to COM13 . No such file or directory."));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttonCount, 1);
        QVERIFY(!secondStepRan);
    }

    void appendedLinesFollowTheFirstEmptyLine() {
        QPlainTextEdit* pane = MakeLogPane(nullptr, "log");
        AppendLine(pane, "Connected to COM3");
        AppendLine(pane, "Disconnected from COM3");
        QCOMPARE(PaneLines(pane), QStringList({"", "Connected to COM3", "Disconnected from COM3"}));
        QCOMPARE(pane->maximumBlockCount(), MaxPaneLines);
        delete pane;
    }

    void logViewFollowsNewLinesUnlessScrolledBack() {
        QPlainTextEdit* pane = MakeLogPane(nullptr, "log");
        pane->resize(300, 120);
        pane->show();
        QScrollBar* scroll = pane->verticalScrollBar();
        for (int index = 0; index < 100; ++index)
            AppendLine(pane, QString("Sent(Hex): %1 ").arg(index));
        QVERIFY(scroll->maximum() > 0);
        QCOMPARE(scroll->value(), scroll->maximum());

        scroll->setValue(10); // the user reads older lines
        AppendLine(pane, "Sent(Hex): 0D 0A ");
        QCOMPARE(scroll->value(), 10);
        delete pane;
    }

    void insertedLinesGoOnTopAndTheOldestFallOffTheBottom() {
        QPlainTextEdit* pane = MakeTextPane(nullptr, "watch");
        for (int index = 1; index <= 5; ++index)
            InsertFirstLine(pane, QString("line %1").arg(index), 3);
        QCOMPARE(PaneLines(pane), QStringList({"line 5", "line 4", "line 3"}));
        delete pane;
    }

    void overLargeChunkShowsItsLastPart_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("withUbx");
        QTest::addColumn<bool>("cut");
        const int whole = int(kLargestWholeChunk);
        QTest::newRow("ASCII at the bound") << int(ViewMode::vmASCII) << whole << false << false;
        QTest::newRow("ASCII") << int(ViewMode::vmASCII) << whole + 1 << false << true;
        QTest::newRow("Decimal") << int(ViewMode::vmDecimal) << (1 << 20) << false << true;
        QTest::newRow("Hexa") << int(ViewMode::vmHexa) << (1 << 20) << false << true;
        QTest::newRow("NMEA at the bound") << int(ViewMode::vmNMEA) << whole << true << false;
        QTest::newRow("NMEA") << int(ViewMode::vmNMEA) << (1 << 20) << false << true;
        QTest::newRow("NMEA with UBX frames") << int(ViewMode::vmNMEA) << (1 << 20) << true << true;
    }
    void overLargeChunkShowsItsLastPart() {
        QFETCH(int, mode);
        QFETCH(int, size);
        QFETCH(bool, withUbx);
        QFETCH(bool, cut);
        const std::string frame = ToByteString(CfgAntPollFrame());
        std::string chunk;
        for (int n = 0; chunk.size() < std::size_t(size); ++n)
            chunk += (n % 2 ? "$PUBX,00," : "$GPGGA,") + std::to_string(n % 100000) + "\r\n" +
                     (withUbx && n % 7 == 0 ? frame : "");
        chunk.resize(std::size_t(size));
        const auto view = static_cast<ViewMode>(mode);
        TReceiveTextFilter filter;
        const TChunkDisplay shown = DecodeShownChunk(chunk, view, "GGA", "$PUBX,00", filter);
        TReceiveTextFilter fullFilter;
        const TChunkDisplay full = DecodeChunk(chunk, view, "GGA", "$PUBX,00", fullFilter);
        // The watches see every line, whatever the pane shows.
        QCOMPARE(shown.PubxWatchLines, full.PubxWatchLines);
        QCOMPARE(shown.NmeaWatchLines, full.NmeaWatchLines);
        if (!cut) {
            QCOMPARE(shown.DataLines, full.DataLines);
            return;
        }
        const std::string& first = shown.DataLines->front();
        const std::size_t leftOut = std::stoul(first.substr(1));
        QCOMPARE(first, LeftOutLine(leftOut));
        // The NMEA view counts the bytes of its text, which has no UBX frames.
        if (view != ViewMode::vmNMEA)
            QVERIFY(chunk.size() - leftOut <= kShownChunkPart);
        // The part shown starts with a whole line: the last lines of the whole view.
        const TLines& all = *full.DataLines;
        const TLines tail(shown.DataLines->begin() + 1, shown.DataLines->end());
        QVERIFY(tail.size() > 1000);
        QCOMPARE(tail, TLines(all.end() - std::ptrdiff_t(tail.size()), all.end()));
        // No UBX byte passes into the NMEA view's text.
        for (const std::string& line : tail)
            QVERIFY(line.find('\xB5') == std::string::npos);
    }

    void serialDeviceEventsGiveOneNoticePerBurst() {
        auto owned = std::make_unique<FakeDeviceEvents>();
        FakeDeviceEvents* events = owned.get();
        TPortWatcher watcher(nullptr, std::move(owned));
        QSignalSpy notices(&watcher, &TPortWatcher::PortsChanged);
        events->Send("b"); // another kind of device
        QTest::qWait(150);
        QCOMPARE(notices.size(), 0);
        events->Send("ttt"); // one adapter brings several
        QTRY_COMPARE(notices.size(), 1);
        QTest::qWait(150);
        QCOMPARE(notices.size(), 1);
    }

    void storeReadsStringsAndRefusesOtherTypes() {
        WriteStore(R"({"\\K": {"Text": "COM3", "Number": 3}, "\\Other": {"Kept": "yes"}})");
        SettingsStore store;
        QVERIFY(store.KeyExists("\\K"));
        QVERIFY(!store.KeyExists("\\Missing"));
        QVERIFY(!store.OpenKey("\\Missing", false));
        QVERIFY(store.OpenKey("\\K", false));
        QCOMPARE(store.ReadString("Text"), QString("COM3"));
        QCOMPARE(store.ReadString("Absent"), QString());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.ReadString("Number"));

        store.DeleteKey("\\K");
        QVERIFY(store.OpenKey("\\K", true));
        store.WriteString("Text", "COM4");
        SettingsStore reread;
        QVERIFY(reread.OpenKey("\\K", false));
        QCOMPARE(reread.ReadString("Text"), QString("COM4"));
        QCOMPARE(reread.ReadString("Number"), QString()); // deleted with its key
        QVERIFY(reread.OpenKey("\\Other", false));
        QCOMPARE(reread.ReadString("Kept"), QString("yes"));
    }

    void brokenFileIsKeptAsideAndTheStoreStartsEmpty() {
        WriteStore("{ not json");
        SettingsStore store;
        QVERIFY(!store.KeyExists("\\K"));
        QVERIFY(!QFile::exists(SettingsStore::FilePath()));
        QFile aside(SettingsStore::FilePath() + ".bad");
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), QByteArray("{ not json"));
        QVERIFY(store.OpenKey("\\K", true));
        QVERIFY(QFile::exists(SettingsStore::FilePath()));
    }
};

QTEST_MAIN(WindowPartsTest)
#include "test_window_parts.moc"
