// The port page on real pseudo-terminals announced as virtual ports: the port
// list and its live refresh, Open and Close with the line settings seen on
// the line, the refused data-width and stop-bits combinations, a failing
// Open, a device pulled out and plugged in again, and received bytes the
// window fell too far behind to keep.

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
#include "window/pages/NmeaStandardPage.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <memory>
#include <termios.h>

class PortPageTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;
    TComPortPage* page_ = nullptr;

    QListWidget* ports() const { return Named<QListWidget>(*page_, "lstPorts"); }
    QPushButton* openButton() const { return Named<QPushButton>(*page_, "btnOpen"); }
    QStringList log() const { return PaneLines(Named<QPlainTextEdit>(*page_, "moComPort")); }
    QStringList listedPorts() const {
        QStringList names;
        for (int row = 0; row < ports()->count(); ++row)
            names << ports()->item(row)->text();
        return names;
    }
    QString lastLogLine() const { return log().constLast(); }

private slots:
    void initTestCase() { peer_.announce("COM7"); }

    void init() {
        form_ = ShowFreshWindow();
        QVERIFY(form_);
        page_ = Named<TComPortPage>(*form_, "tabComPort");
    }

    void cleanup() { form_.reset(); }

    void portListFollowsThePortsPresent() {
        QVERIFY(listedPorts().contains("COM7"));
        const auto items = ports()->findItems("COM7", Qt::MatchExactly);
        QCOMPARE(items.first()->toolTip(), QString::fromStdString(peer_.devicePath()));

        PtyPeer ninth, tenth;
        tenth.announce("COM10");
        ninth.announce("COM9");
        QVERIFY(ClickListItem(ports(), "COM7"));
        QCOMPARE(form_->StatusPanel(1)->text(), QString("COM7"));

        ShowPage(*form_, "tabNMEA");
        const QStringList listed = listedPorts();
        QVERIFY(listed.indexOf("COM9") >= 0 && listed.indexOf("COM9") < listed.indexOf("COM10"));
        QVERIFY(ports()->selectedItems().isEmpty());
        QCOMPARE(form_->StatusPanel(1)->text(), QString("COM7"));
        QCOMPARE(form_->portSerial.Port(), MakeCommPort(7));

        tenth.withdraw();
        Named<QAction>(*page_, "miRefreshPorts1")->trigger();
        QVERIFY(!listedPorts().contains("COM10"));
        ninth.withdraw();
        Click(Named<QPushButton>(*page_, "btnRefesh"));
        QVERIFY(!listedPorts().contains("COM9"));
    }

    void liveListFollowsAnnouncementsKeepingTheSelection() {
        QVERIFY(ClickListItem(ports(), "COM7"));
        auto ninth = std::make_unique<PtyPeer>();
        ninth->announce("COM9");
        QTRY_VERIFY(listedPorts().contains("COM9"));
        ninth.reset();
        QTRY_VERIFY(!listedPorts().contains("COM9"));
        QCOMPARE(ports()->selectedItems().size(), 1);
        QCOMPARE(ports()->selectedItems().first()->text(), QString("COM7"));
        QCOMPARE(form_->portSerial.Port(), MakeCommPort(7));
    }

    void removedDeviceIsReportedOnceAndReopenedWhenBack_data() {
        QTest::addColumn<bool>("reconnect");
        QTest::newRow("reconnect on") << true;
        QTest::newRow("reconnect off") << false;
    }
    void removedDeviceIsReportedOnceAndReopenedWhenBack() {
        QFETCH(bool, reconnect);
        TSerialPort& port = form_->portSerial;
        const TCommPort com8 = MakeCommPort(8);
        auto device = std::make_unique<PtyPeer>();
        device->announce("COM8");
        QTRY_VERIFY(ClickListItem(ports(), "COM8"));
        Named<QCheckBox>(*page_, "cbAutoReconnect")->setChecked(reconnect);
        port.SetDelay(20);
        Click(openButton());
        QCOMPARE(port.IsConnected(), com8);
        const int linesOpen = log().size();

        device.reset(); // the cable pulled: the device's end closes
        // Until the reader reports a vanished device itself, stand in for it.
        if (!QTest::qWaitFor([&] { return port.IsConnected() == spNone; }, 500)) {
            port.OnDeviceLost(&port, com8);
            port.Close();
        }
        QCOMPARE(log().mid(linesOpen), QStringList{"COM8 removed"});
        QCOMPARE(form_->PortState()->text(), QString("COM8 removed"));
        QVERIFY(!Named<TLedIndicator>(*page_, "ledDataIn")->Checked());
        QVERIFY(openButton()->isEnabled());

        device = std::make_unique<PtyPeer>(); // plugged in again
        device->announce("COM8");
        if (!reconnect) {
            QTest::qWait(500);
            QCOMPARE(port.IsConnected(), spNone);
            QCOMPARE(log().size(), linesOpen + 1);
            return;
        }
        QTRY_COMPARE(port.IsConnected(), com8);
        QCOMPARE(lastLogLine(), QString("Reconnected to COM8"));
        QCOMPARE(form_->PortState()->text(), QString("Reconnected to COM8"));
        device->write("$GPGGA,1\r\n");
        QTRY_VERIFY(
            PaneLines(Named<QPlainTextEdit>(*form_, "moData")).first().startsWith("$GPGGA,1"));
    }

    void openWithThePageDefaultsGives9600EightNoneOne() {
        QVERIFY(ClickListItem(ports(), "COM7"));
        Click(openButton());
        QCOMPARE(lastLogLine(), QString("Connected to COM7"));
        QCOMPARE(log().first(), QString());

        termios line{};
        QCOMPARE(tcgetattr(peer_.masterFd(), &line), 0);
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));

        const int linesWhenOpen = log().size();
        Click(openButton());
        QCOMPARE(log().size(), linesWhenOpen);

        Named<TLedIndicator>(*page_, "ledDataIn")->SetChecked(true);
        Click(Named<QPushButton>(*page_, "btnClose"));
        QCOMPARE(lastLogLine(), QString("Disconnected from COM7"));
        QVERIFY(!Named<TLedIndicator>(*page_, "ledDataIn")->Checked());
        QCOMPARE(form_->portSerial.IsConnected(), spNone);
    }

    void dataWidthIsCheckedAgainstTheStopBitsHeld() {
        ModalBoxCatcher catcher;
        Click(Named<TRadioGroup>(*page_, "rbDataWidth")->Button(0)); // 5 bits
        Click(Named<TRadioGroup>(*page_, "rbStopBits")->Button(1));  // 1.5
        Click(Named<QPushButton>(*page_, "btnApply"));
        QCOMPARE(catcher.boxes().size(), size_t(0));

        Click(Named<TRadioGroup>(*page_, "rbDataWidth")->Button(3)); // 8 bits
        Click(Named<TRadioGroup>(*page_, "rbStopBits")->Button(0));  // 1
        Click(Named<QCheckBox>(*page_, "cbDTR"));
        Click(Named<QPushButton>(*page_, "btnApply"));
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.boxes()[0].text, QString("Invalid data-width and stop-bits combination."));
        QCOMPARE(form_->portSerial.DataWidth(), dw5Bits);
        QCOMPARE(form_->portSerial.StopBits(), sb1_5Bits);
        QVERIFY(!form_->portSerial.EnableDTROnOpen()); // DTR checked since, not applied
    }

    void stopBitsRefusalKeepsTheStepsBeforeIt() {
        ModalBoxCatcher catcher;
        QVERIFY(ClickListItem(Named<QListWidget>(*page_, "lstBaudRate"), "19200"));
        Click(Named<TRadioGroup>(*page_, "rbDataWidth")->Button(0)); // 5 bits
        Click(Named<TRadioGroup>(*page_, "rbParity")->Button(1));    // odd
        Click(Named<TRadioGroup>(*page_, "rbStopBits")->Button(2));  // 2
        QVERIFY(ClickListItem(ports(), "COM7"));
        Click(openButton());
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.boxes()[0].text, QString("Invalid data-width and stop-bits combination."));
        QCOMPARE(form_->portSerial.BaudRate(), br019200);
        QCOMPARE(form_->portSerial.DataWidth(), dw5Bits);
        QCOMPARE(form_->portSerial.Parity(), pbOdd);
        QCOMPARE(form_->portSerial.StopBits(), sb1Bit);
        QCOMPARE(form_->portSerial.IsConnected(), spNone); // not opened
    }

    void applyWithoutABaudRateAsksForOne() {
        ModalBoxCatcher catcher;
        QVERIFY(
            ClickListItem(Named<QListWidget>(*page_, "lstBaudRate"), "9600", Qt::ControlModifier));
        QVERIFY(Named<QListWidget>(*page_, "lstBaudRate")->selectedItems().isEmpty());
        Click(Named<QPushButton>(*page_, "btnApply"));
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.boxes()[0].text, QString("Select a baud rate."));
    }

    void lineChangesAreLoggedWithTheLinesOn() {
        // Pseudo-terminals have no modem lines: the handler is fed directly.
        page_->LineStatusChanged({lsCTS, lsDSR});
        QCOMPARE(lastLogLine(), QString("Line Change: CTS DSR "));
        page_->LineStatusChanged({lsRING, lsCD});
        QCOMPARE(lastLogLine(), QString("Line Change: RING CD "));
        page_->LineStatusChanged({});
        QCOMPARE(lastLogLine(), QString("Line Change: "));
    }

    void bytesTheWindowFellTooFarBehindForAreReported() {
        TSerialPort& port = form_->portSerial;
        port.SetReceiveBufferLimit(1000);
        port.SetDelay(10);
        QVERIFY(ClickListItem(ports(), "COM7"));
        Click(openButton());
        // The GUI thread is held: the reader waits with the first chunk while
        // the line brings 1500 bytes more than the buffer keeps.
        peer_.write("first\r\n");
        QThread::msleep(200);
        peer_.write(std::string(1000, 'k') + std::string(1500, 'x'));
        QThread::msleep(300);
        const QString line("COM7: 1500 received bytes could not be kept (the window fell behind)");
        QTRY_COMPARE(lastLogLine(), line);
        QCOMPARE(form_->PortState()->text(), line);
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form_, "moData")),
                 QStringList{QString(1000, 'k')});
    }

    void failingOpenShowsTheErrorAndTheWindowGoesOn() {
        ModalBoxCatcher catcher;
        const QStringList logBefore = log();
        Click(openButton()); // the design port COM13 is not present
        QVERIFY(catcher.waitFor(1));
        const CaughtBox& box = catcher.boxes()[0];
        QCOMPARE(box.title, QString("ZEPO Monitor"));
        QCOMPARE(box.text, QString("Cannot connect to COM13 . No such file or directory."));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttonCount, 1);
        QCOMPARE(log(), logBefore);

        QVERIFY(ClickListItem(ports(), "COM7"));
        Click(openButton());
        QCOMPARE(lastLogLine(), QString("Connected to COM7"));
    }
};

QTEST_MAIN(PortPageTest)
#include "test_port_page.moc"
