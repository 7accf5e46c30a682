// Chunks written at the far end of a pseudo-terminal as they show in the
// window: the five views, both watches, status panel 3, the data-in LED, the
// "Found UBX" notice, and Stop Output / Show Current.

#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/LedIndicator.h"
#include "window/app/MainForm.h"
#include "window/blocks/RadioGroup.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/parts/ReceiveDisplay.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {
const QByteArray TwoSentences = "$GPGGA,1\r\n$GPZDA,2\r\n";
enum { Ascii, Decimal, Hexa, Nmea, Ubx };
} // namespace

class ReceiveDisplayTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;

    // Writes a chunk and waits until the window has handled it (the LED
    // changes state once per chunk).
    bool deliver(const QByteArray& chunk) {
        TLedIndicator* led = Named<TLedIndicator>(*form_, "ledDataIn");
        const bool before = led->Checked();
        peer_.write(chunk.toStdString());
        return QTest::qWaitFor([&] { return led->Checked() != before; }, 10000);
    }
    void setView(int mode) { Click(Named<TRadioGroup>(*form_, "rgMode")->Button(mode)); }
    QStringList data() const { return PaneLines(Named<QPlainTextEdit>(*form_, "moData")); }

private slots:
    void initTestCase() { peer_.announce("COM7"); }

    void init() {
        form_ = ShowFreshWindow();
        QVERIFY(form_);
        form_->portSerial.SetDelay(20); // keep the tests quick
        QVERIFY(ClickListItem(Named<QListWidget>(*form_, "lstPorts"), "COM7"));
        Click(Named<QPushButton>(*form_, "btnOpen"));
        QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
        ShowPage(*form_, "tabNMEA");
    }

    void cleanup() { form_.reset(); }

    void chunkShowsInTheChosenView_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("ASCII") << int(Ascii) << TwoSentences
                               << QStringList{"$GPGGA,1<CR><LF>", "$GPZDA,2<CR><LF>", ""};
        QTest::newRow("Decimal") << int(Decimal) << TwoSentences
                                 << QStringList{"36-71-80-71-71-65-44-49",
                                                "36-71-80-90-68-65-44-50", ""};
        QTest::newRow("Hexa") << int(Hexa) << TwoSentences
                              << QStringList{"24-47-50-47-47-41-2C-31", "24-47-50-5A-44-41-2C-32",
                                             ""};
        QTest::newRow("NMEA") << int(Nmea) << TwoSentences << QStringList{"$GPGGA,1", "$GPZDA,2"};
        QTest::newRow("ASCII bar and blank cut lines")
            << int(Ascii) << QByteArray("A|B C\r\n") << QStringList{"A", "B", "C<CR><LF>", ""};
        QTest::newRow("Decimal leading CR LF")
            << int(Decimal) << QByteArray("\r\n$G\r\n") << QStringList{"13-10-36-71", ""};
        QTest::newRow("Hexa NUL and high byte")
            << int(Hexa) << QByteArray("\xB5\x00\x0D\x0A", 4) << QStringList{"B5-0", ""};
        QTest::newRow("NMEA reads past NUL")
            << int(Nmea) << QByteArray("$GPGGA,1\0$GPZDA,2\r\n", 19)
            << QStringList{"$GPGGA,1", "$GPZDA,2"};
    }
    void chunkShowsInTheChosenView() {
        QFETCH(int, mode);
        QFETCH(QByteArray, chunk);
        QFETCH(QStringList, lines);
        setView(mode);
        QVERIFY(deliver(chunk));
        QCOMPARE(data(), lines);
    }

    void ubxViewKeepsThePaneAndNoticesTheSyncByte() {
        ModalBoxCatcher catcher;
        QVERIFY(deliver(TwoSentences));
        const QStringList shown = data();
        setView(Ubx);
        QVERIFY(deliver(QByteArray("\xB5\x62\x06\x13\x00\x00\x19\x51", 8)));
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.boxes()[0].text, QString("Found UBX"));
        QCOMPARE(catcher.boxes()[0].title, QString("ZEPO Monitor"));
        QCOMPARE(data(), shown);
        QVERIFY(deliver("$\xB5\x62"));
        QVERIFY(deliver(QByteArray("\xB5\x00", 2)));
        QVERIFY(catcher.waitFor(2));
        QCOMPARE(catcher.boxes().size(), size_t(2));
    }

    // The notice waits for the user, reception does not: chunks go on being
    // shown while it is up, and it stays the only one.
    void foundUbxNoticeLetsReceptionGoOn() {
        setView(Ubx);
        const QByteArray frame("\xB5\x62\x05\x01\x02\x00\x06\x13\x21\x4A", 10);
        QVERIFY(deliver(frame));
        QVERIFY(deliver(frame));
        setView(Nmea);
        QVERIFY(deliver(TwoSentences));
        QCOMPARE(data(), QStringList({"$GPGGA,1", "$GPZDA,2"}));
        const auto notices = [this] {
            int shown = 0;
            for (const auto* box : form_->findChildren<QMessageBox*>())
                shown += box->isVisible() ? 1 : 0;
            return shown;
        };
        QCOMPARE(notices(), 1);
        ModalBoxCatcher catcher;
        QVERIFY(catcher.waitFor(1));
        setView(Ubx);
        QVERIFY(deliver(frame));
        QVERIFY(catcher.waitFor(2));
    }

    void watchesCollectTheirLines() {
        Named<QComboBox>(*form_, "cbNMEAWatch")->setCurrentIndex(3); // GGA
        Named<QComboBox>(*form_, "cbPUBXWatch")->setCurrentIndex(1); // any $PUBX
        setView(Nmea);
        QVERIFY(deliver("$GPGGA,1\r\n$PUBX,00,a\r\n$PUBX,04,b\r\n$GPGGA,2\r\n"));
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form_, "moNMEAWatch")),
                 QStringList({"$GPGGA,2", "$GPGGA,1"}));
        QCOMPARE(form_->StatusPanel(3)->text(), QString("$GPGGA,2"));
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form_, "moUBXWatch")),
                 QStringList({"$PUBX,04,b", "$PUBX,00,a"}));

        setView(Ascii); // the NMEA watch rests, the PUBX watch goes on
        QVERIFY(deliver("$GPGGA,3\r\n$PUBX,03,c\r\n"));
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form_, "moNMEAWatch")).first(),
                 QString("$GPGGA,2"));
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form_, "moUBXWatch")).first(),
                 QString("$PUBX,03,c"));

        Named<QComboBox>(*form_, "cbPUBXWatch")->setCurrentIndex(0); // "PUBX Message Watch Off"
        QVERIFY(deliver("$PUBX,00,d\r\n"));
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form_, "moUBXWatch")).first(),
                 QString("$PUBX,03,c"));
    }

    // A sentence cut between two chunks reaches the NMEA view and the watch
    // once and whole, from any talker.
    void sentenceCutBetweenChunksShowsWhole() {
        Named<QComboBox>(*form_, "cbNMEAWatch")->setCurrentIndex(3); // GGA
        setView(Nmea);
        QVERIFY(deliver("$GNRMC,1\r\n$GNGG"));
        QCOMPARE(data(), QStringList{"$GNRMC,1"});
        QVERIFY(deliver("A,2\r\n"));
        QCOMPARE(data(), QStringList{"$GNGGA,2"});
        QCOMPARE(form_->StatusPanel(3)->text(), QString("$GNGGA,2"));
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form_, "moNMEAWatch")), QStringList{"$GNGGA,2"});
    }

    void ledChangesWithEveryChunkAndGoesOutOnClose() {
        TLedIndicator* led = Named<TLedIndicator>(*form_, "ledDataIn");
        QVERIFY(!led->Checked());
        QVERIFY(deliver("a"));
        QVERIFY(led->Checked());
        QVERIFY(deliver("b"));
        QVERIFY(!led->Checked());
        QVERIFY(deliver("c"));
        Click(Named<QPushButton>(*form_, "btnClose"));
        QVERIFY(!led->Checked());
    }

    void showCurrentStepsOneChunkInTheNmeaView() {
        setView(Nmea);
        QVERIFY(deliver("A\r\n"));
        Click(Named<QCheckBox>(*form_, "cbSkip")); // Stop Output
        QVERIFY(deliver("B\r\n"));
        QCOMPARE(data(), QStringList{"A"});
        Click(Named<QPushButton>(*form_, "btnStep"));
        QVERIFY(deliver("C\r\n"));
        QCOMPARE(data(), QStringList{"C"});
        QVERIFY(deliver("D\r\n"));
        QCOMPARE(data(), QStringList{"C"});

        Click(Named<QCheckBox>(*form_, "cbSkip")); // output running again
        QVERIFY(deliver("E\r\n"));
        QCOMPARE(data(), QStringList{"E"});
        Click(Named<QPushButton>(*form_, "btnStep")); // skips exactly one chunk
        QVERIFY(deliver("F\r\n"));
        QCOMPARE(data(), QStringList{"E"});
        QVERIFY(deliver("G\r\n"));
        QCOMPARE(data(), QStringList{"G"});
    }

    void showCurrentTogglesOutputInTheAsciiView() {
        setView(Ascii);
        Click(Named<QCheckBox>(*form_, "cbSkip"));
        QVERIFY(deliver("B"));
        QVERIFY(data() != QStringList{"B"});
        Click(Named<QPushButton>(*form_, "btnStep"));
        QVERIFY(deliver("C"));
        QCOMPARE(data(), QStringList{"C"});
        QVERIFY(deliver("D"));
        QCOMPARE(data(), QStringList{"D"});
        Click(Named<QPushButton>(*form_, "btnStep"));
        QVERIFY(deliver("E"));
        QCOMPARE(data(), QStringList{"D"});
    }
};

QTEST_MAIN(ReceiveDisplayTest)
#include "test_receive_display.moc"
