// Recording and replay in the window: a recording holds exactly the bytes
// received (also while output is stopped) and the text log the commands
// sent; a full disk stops it with a message and leaves the port open; a
// recording replayed through the window reaches its views, a second
// recording byte for byte and the History page. The status bar counts the
// bytes each way.

#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/HistoryPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/pages/RecordPage.h"
#include "window/parts/SessionControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <cstring>
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
    void initTestCase() { peer_.announce("COM7"); }

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
        Named<QComboBox>(*form_, "cbReplayPace")->setCurrentIndex(1);
        session()->StartRecording(path("again.nmea"), false);
        Named<TRecordPage>(*form_, "tabRecord")->OpenRecording(path("drive.nmea"));
        QTRY_COMPARE_WITH_TIMEOUT(form_->StatusPanel(4)->text(),
                                  QString("Replaying drive.nmea, 100 %"), 10000);
        const int body = traffic.size() - int(strlen("# a capture's header\n"));
        QVERIFY(receivedCountIs(body));
        session()->StopRecording();
        QCOMPARE(Contents(path("again.nmea")), traffic.mid(traffic.size() - body));
        const SessionHistory& history = Named<THistoryPage>(*form_, "tabHistory")->History();
        QCOMPARE(QByteArray::fromStdString(std::string(history.BytesFrom(0, body))),
                 traffic.mid(traffic.size() - body));
        QVERIFY(
            PaneLines(Named<QPlainTextEdit>(*form_, "moComPort")).contains("Replaying drive.nmea"));
    }
};

QTEST_MAIN(SessionTest)
#include "test_session.moc"
