// Network sources on the port page: typed through "Network source...",
// checked and remembered, the line settings that do not apply disabled, and a
// TCP source opened against a test socket, its peer closing and coming back.

#include "tests/support/LoopbackSocket.h"
#include "tests/support/NamedControl.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/parts/AutoReconnect.h"
#include "window/parts/RecentNetworkSources.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

class NetworkSourcePageTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    std::unique_ptr<TMainForm> form_;
    TComPortPage* page_ = nullptr;

    QListWidget* ports() const { return Named<QListWidget>(*page_, "lstPorts"); }
    QStringList log() const { return PaneLines(Named<QPlainTextEdit>(*page_, "moComPort")); }

    // Clicks "Network source..." and types text into the box it opens.
    void TypeNetworkSource(const QString& text) {
        auto* answer = new QTimer(this);
        connect(answer, &QTimer::timeout, answer, [answer, text] {
            if (auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                box->setTextValue(text);
                box->accept();
                answer->deleteLater();
            }
        });
        answer->start(10);
        QVERIFY(ClickListItem(ports(), "Network source..."));
    }

private slots:
    void init() {
        form_ = ShowFreshWindow();
        QVERIFY(form_);
        page_ = Named<TComPortPage>(*form_, "tabComPort");
    }

    void cleanup() { form_.reset(); }

    void networkRetriesWaitTwiceAsLongUpToHalfAMinute() {
        const std::pair<int, int> waits[] = {{0, 1000},  {1, 2000},  {2, 4000},  {3, 8000},
                                             {4, 16000}, {5, 30000}, {40, 30000}};
        for (const auto& [failures, ms] : waits)
            QCOMPARE(NetworkRetryMs(failures), ms);
    }

    void typedSourceIsCheckedRememberedAndTurnsOffLineSettings() {
        auto* rates = Named<QListWidget>(*page_, "lstBaudRate");
        {
            ModalBoxCatcher catcher;
            TypeNetworkSource("tcp://gps");
            QVERIFY(catcher.waitFor(1));
            QVERIFY2(catcher.boxes()[0].text.startsWith("tcp://gps: expected HOST:PORT"),
                     qPrintable(catcher.boxes()[0].text));
        }
        QVERIFY(rates->isEnabled());
        const QString name = "tcp://127.0.0.1:4001";
        TypeNetworkSource(name);
        QCOMPARE(ports()->currentItem()->text(), name);
        QCOMPARE(form_->StatusPanel(1)->text(), name);
        QVERIFY(!rates->isEnabled());
        QVERIFY(rates->toolTip().startsWith("Line settings do not apply to this network source"));

        // Listed again once the list is refilled; a serial port gives the
        // settings back.
        page_->RefreshPortList();
        QCOMPARE(ports()->findItems(name, Qt::MatchExactly).value(0)->toolTip(), name);
        QCOMPARE(RecentNetworkSources(), QStringList{name});
        form_->ChoosePort("ttyUSB0");
        QVERIFY(rates->isEnabled());
        QCOMPARE(rates->toolTip(), QString("Baud Rate"));
    }

    void tcpSourceReportsThePeerClosingAndReconnects() {
        LoopbackSocket server(SOCK_STREAM);
        const QString name = "tcp://127.0.0.1:" + QString::number(server.BindLoopback());
        QCOMPARE(listen(server.fd(), 1), 0);
        form_->ChoosePort(name);
        Named<QCheckBox>(*page_, "cbAutoReconnect")->setChecked(true);
        Click(Named<QPushButton>(*page_, "btnOpen"));
        LoopbackSocket bridge = server.Accept();
        QTRY_COMPARE(log().constLast(), "Connected to " + name);
        QCOMPARE(log().mid(log().size() - 2, 1), QStringList{"Connecting to " + name});
        bridge.SendAll("$GPGGA,1\r\n");
        QTRY_VERIFY(
            PaneLines(Named<QPlainTextEdit>(*form_, "moData")).first().startsWith("$GPGGA,1"));

        bridge.Close();
        QTRY_COMPARE(form_->PortState()->text(), name + ": closed by the peer");
        // The bridge is still there: the source is opened again by itself.
        QTRY_VERIFY_WITH_TIMEOUT(server.WaitReadable(0), 10000);
        LoopbackSocket again = server.Accept();
        QTRY_COMPARE(form_->PortState()->text(), "Reconnected to " + name);
    }
};

QTEST_MAIN(NetworkSourcePageTest)
#include "test_network_source_page.moc"
