// Recording and replay in the window: a recording holds exactly the bytes
// received (also while output is stopped) and the text log the commands
// sent; a full disk or a removed folder stops it with a message and leaves
// the port open; a recording replayed through the window reaches its views
// (on a Messages page of its own), a second recording byte for byte and the
// History page, says when it finished and goes back to the port before it; a
// text log line with an impossible time is skipped and named. The file
// dialogs open in the folder last used, suggest the extension that fits the
// traffic and keep what is typed; the text log choice is kept between runs.
// The status bar counts the bytes each way. The session's fixes go out as a
// track, the name typed getting the chosen kind's extension.

#include "tests/protocol/StreamBytes.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/HistoryPage.h"
#include "window/pages/MessagesPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/pages/RecordPage.h"
#include "window/parts/SessionControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstring>
#include <functional>
#include <sys/mount.h>
#include <thread>

namespace {
QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray MixedTraffic(int sentences) {
    QByteArray bytes;
    for (int index = 0; index < sentences; ++index) {
        bytes +=
            "$GPGGA,0920" + QByteArray::number(index % 60) + ",4717.11,N,00833.91,E,1,08*4B\r\n";
        bytes += QByteArray("\xB5\x62\x01\x03\x04\x00\x03\xDD\x00\x00\xE4\x0C", 12);
    }
    return bytes;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

class SessionTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;

    QString path(const QString& name) const {
        return QString::fromStdString(scratch_.root()) + "/" + name;
    }
    TSessionControl* session() const { return PartOf<TSessionControl>(*form_); }
    int listedMessages() const {
        return Named<TMessagesPage>(*form_, "tabMessages")->Messages().rowCount();
    }
    // Writes from a thread of its own: the window's reader waits for the
    // window, which must go on handling events meanwhile.
    void send(const QByteArray& bytes) {
        std::atomic<bool> done = false;
        std::thread writer([&] {
            peer_.write(bytes.toStdString());
            done = true;
        });
        const bool written = QTest::qWaitFor([&] { return done.load(); }, 30000);
        writer.join();
        QVERIFY(written);
    }
    bool receivedCountIs(int count) {
        return QTest::qWaitFor([&] {
            return form_->StatusPanel(5)->text().startsWith(QString("RX: %1 ").arg(count));
        });
    }

private slots:
    void initTestCase() {
        peer_.announce("COM7");
        // The file dialogs start in the home folder: one of the test's own.
        qputenv("HOME", QByteArray::fromStdString(scratch_.root()));
    }

    void init() {
        form_ = ShowFreshWindow();
        QVERIFY(form_);
        form_->portSerial.SetDelay(20);
        QVERIFY(ClickListItem(Named<QListWidget>(*form_, "lstPorts"), "COM7"));
        Click(Named<QPushButton>(*form_, "btnOpen"));
        QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
    }

    void cleanup() { form_.reset(); }

    void recordsEveryByteAndTheCommandsSent() {
        Click(Named<QCheckBox>(*form_, "cbSkip")); // output stopped: the recording goes on
        session()->StartRecording(path("drive.ubx"), true);
        const QByteArray traffic = MixedTraffic(40);
        send(traffic.left(1000));
        QVERIFY(receivedCountIs(1000));
        form_->portSerial.SendString("$PUBX,00*33\r\n");
        send(traffic.mid(1000));
        QVERIFY(receivedCountIs(traffic.size()));
        QVERIFY(form_->StatusPanel(5)->text().endsWith("TX: 13"));
        session()->StopRecording();
        QCOMPARE(Contents(path("drive.ubx")), traffic);
        const QByteArray log = Contents(path("drive.log"));
        QVERIFY(log.contains(" TX $PUBX,00*33\\r\\n\n"));
        QCOMPARE(log.count(" RX "), 80);

        Click(Named<QPushButton>(*form_, "btnClose"));
        Click(Named<QPushButton>(*form_, "btnOpen"));
        QCOMPARE(form_->StatusPanel(5)->text(), QString("RX: 0  TX: 0"));
    }

    void fullDiskStopsTheRecordingNotThePort() {
        const QByteArray folder = path("small").toLocal8Bit();
        QDir().mkpath(folder);
        if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("no small disk can be mounted here");
        ModalBoxCatcher boxes;
        session()->StartRecording(path("small/full.ubx"), false);
        const QByteArray traffic = MixedTraffic(2000);
        send(traffic);
        QVERIFY(boxes.waitFor(1));
        QVERIFY(boxes.boxes()[0].text.startsWith("Recording stopped: cannot write full.ubx: "));
        QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
        const QByteArray kept = Contents(path("small/full.ubx"));
        QVERIFY(!kept.isEmpty());
        QCOMPARE(kept, traffic.left(kept.size()));
        QVERIFY(PaneLines(Named<QPlainTextEdit>(*form_, "moComPort"))
                    .join('\n')
                    .contains("Recording stopped"));
        umount(folder.constData());
    }

    void replayReachesTheViewsAndARecording() {
        const QByteArray traffic = "# a capture's header\n" + MixedTraffic(300);
        QFile file(path("drive.nmea"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(traffic);
        file.close();
        send(MixedTraffic(5)); // live messages, not to be mixed with the replayed ones
        QTRY_COMPARE(listedMessages(), 10);
        Named<QComboBox>(*form_, "cbReplayPace")->setCurrentIndex(1);
        session()->StartRecording(path("again.nmea"), false);
        Named<TRecordPage>(*form_, "tabRecord")->OpenRecording(path("drive.nmea"));
        QTRY_COMPARE_WITH_TIMEOUT(form_->StatusPanel(4)->text(), QString("Replay finished"), 10000);
        QCOMPARE(Named<QLabel>(*form_, "lblReplay")->text(), QString("Replay finished"));
        const int body = traffic.size() - int(strlen("# a capture's header\n"));
        QVERIFY(receivedCountIs(body));
        QTRY_COMPARE(listedMessages(), 600);
        session()->StopRecording();
        QCOMPARE(Contents(path("again.nmea")), traffic.mid(traffic.size() - body));
        const SessionHistory& history = Named<THistoryPage>(*form_, "tabHistory")->History();
        QCOMPARE(QByteArray::fromStdString(
                     std::string(history.BytesFrom(history.EndOffset() - body, body))),
                 traffic.mid(traffic.size() - body));
        QVERIFY(
            PaneLines(Named<QPlainTextEdit>(*form_, "moComPort")).contains("Replaying drive.nmea"));

        auto* back = Named<QPushButton>(*form_, "btnBackToPort");
        QVERIFY(!back->isHidden());
        QCOMPARE(back->text(), QString("Back to COM7"));
        Click(back);
        QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
        QVERIFY(back->isHidden());
        QCOMPARE(Named<QLabel>(*form_, "lblReplay")->text(), QString("No recording open"));
        QTRY_COMPARE(listedMessages(), 0);
        send(MixedTraffic(1));
        QTRY_COMPARE(listedMessages(), 2);
    }

    void removedFolderStopsTheRecordingSayingWhatWasLost() {
        QVERIFY(QDir().mkpath(path("gone")));
        ModalBoxCatcher boxes;
        session()->StartRecording(path("gone/rec.ubx"), false);
        const QByteArray traffic = MixedTraffic(10);
        send(traffic);
        QVERIFY(receivedCountIs(traffic.size()));
        QVERIFY(QDir(path("gone")).removeRecursively());
        QVERIFY(boxes.waitFor(1));
        const QString said = QString("Recording stopped: rec.ubx (%1 bytes written) was removed "
                                     "while recording; what was written to it is lost.")
                                 .arg(traffic.size());
        QCOMPARE(boxes.boxes()[0].text, said);
        QCOMPARE(Named<QLabel>(*form_, "lblRecording")->text(), said);
        QVERIFY(!Named<QPushButton>(*form_, "btnStopRecording")->isEnabled());
        QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
    }

    void textLogLineWithAnImpossibleTimeIsSkippedAndNamed() {
        WriteFile(path("drive.log"), "2024-05-01T12:00:00.000Z RX $GPA\\r\\n\n"
                                     "2024-13-45T99:99:99.999Z RX $GPB\\r\\n\n"
                                     "2024-05-01T12:00:00.100Z RX $GPC\\r\\n\n");
        Named<TRecordPage>(*form_, "tabRecord")->OpenRecording(path("drive.log"));
        const QString skipped("Line 2 skipped: impossible time 2024-13-45T99:99:99.999Z");
        QCOMPARE(Named<QLabel>(*form_, "lblReplaySkipped")->text(), skipped);
        QVERIFY(PaneLines(Named<QPlainTextEdit>(*form_, "moComPort")).contains(skipped));
        QTRY_COMPARE(Named<QLabel>(*form_, "lblReplay")->text(), QString("Replay finished"));
        QVERIFY(receivedCountIs(12));
    }

    void fileDialogsKeepTheFolderAndFitTheTraffic() {
        const QByteArray sentence = "$GPGGA,092000,4717.11,N,00833.91,E,1,08*4B\r\n";
        send(sentence);
        QVERIFY(receivedCountIs(sentence.size()));
        Click(Named<QCheckBox>(*form_, "cbTextLog"));
        QVERIFY(QDir().mkpath(path("chosen")));
        auto* record = Named<QPushButton>(*form_, "btnRecord");
        QString folder, suggested, filter;
        const auto look = [&](QFileDialog& dialog) {
            folder = dialog.directory().absolutePath();
            suggested = QFileInfo(dialog.selectedFiles().value(0)).fileName();
            filter = dialog.selectedNameFilter();
        };
        AnswerFileDialog(record, look, path("chosen/mine.txt"));
        QCOMPARE(folder, QDir::homePath());
        QVERIFY2(QRegularExpression(R"(^zepo-\d{8}-\d{6}\.nmea$)").match(suggested).hasMatch(),
                 qPrintable(suggested));
        QCOMPARE(filter, QString("NMEA recordings (*.nmea)"));
        QVERIFY2(Named<QLabel>(*form_, "lblRecording")->text().startsWith("Recording mine.txt: "),
                 qPrintable(Named<QLabel>(*form_, "lblRecording")->text()));
        session()->StopRecording();
        QVERIFY(QFile::exists(path("chosen/mine.log")));

        send(MixedTraffic(1)); // a UBX frame too
        QVERIFY(receivedCountIs(sentence.size() + MixedTraffic(1).size()));
        AnswerFileDialog(record, look, {});
        QCOMPARE(folder, path("chosen"));
        QVERIFY(suggested.endsWith(".ubx"));
        QCOMPARE(filter, QString("UBX recordings (*.ubx)"));

        // The next run keeps the folder and the text log choice.
        form_.reset();
        form_ = std::make_unique<TMainForm>();
        form_->show();
        QVERIFY(Named<QCheckBox>(*form_, "cbTextLog")->isChecked());
        AnswerFileDialog(Named<QPushButton>(*form_, "btnOpenRecording"), look, {});
        QCOMPARE(folder, path("chosen"));
    }

    void exportsTheSessionsFixesAsATrack() {
        auto* exportTrack = Named<QPushButton>(*form_, "btnExportTrack");
        {
            ModalBoxCatcher boxes;
            Click(exportTrack);
            QVERIFY(boxes.waitFor(1));
            QVERIFY(boxes.boxes()[0].text.startsWith("No fixes to export"));
        }
        for (const char* time : {"092001", "092002", "092003"})
            send(QByteArray::fromStdString(NmeaLine(
                std::string("GPGGA,") + time + ",4717.11,N,00833.91,E,1,08,0.9,500,M,48,M,,")));
        auto* shown = Named<QLabel>(*form_, "lblTrack");
        QTRY_COMPARE(shown->text(), QString("2 fixes in this session.")); // the third epoch is open
        QString suggested, filter;
        AnswerFileDialog(
            exportTrack,
            [&](QFileDialog& dialog) {
                suggested = QFileInfo(dialog.selectedFiles().value(0)).fileName();
                dialog.selectNameFilter("KML tracks (*.kml)");
            },
            path("trip"));
        QVERIFY2(QRegularExpression(R"(^zepo-track-\d{8}-\d{6}\.gpx$)").match(suggested).hasMatch(),
                 qPrintable(suggested));
        QCOMPARE(shown->text(),
                 "2 fixes in this session. Wrote 2 fixes to " + path("trip.kml") + ".");
        QCOMPARE(Contents(path("trip.kml")).count("8.56516667,47.28516667,500.000"), 4);
    }
};

QTEST_MAIN(SessionTest)
#include "test_session.moc"
