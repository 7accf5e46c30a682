// The "Share" panel on a pseudo-terminal announced as COM7: clients get what
// the port receives, the clients label counts them, what they send reaches
// the receiver through the window's sender (echoed in the port log) only
// while "Clients may send to the receiver" is checked, and an address that
// is none is refused in the error box.

#include "tests/support/LoopbackSocket.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class SharePanelTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;

    static QString LogText(TMainForm& form) {
        return PaneLines(Named<QPlainTextEdit>(form, "moComPort")).join('\n');
    }

private slots:
    void clientsReadTheStreamAndSendOnlyWhenAllowed() {
        PtyPeer peer;
        peer.announce("COM7");
        std::unique_ptr<TMainForm> form = ShowFreshWindow();
        QVERIFY(OpenPortAt(*form, "COM7", "9600"));
        const int port = UnusedPort();
        form->ShareAt(QString::number(port));
        QCOMPARE(Named<QPushButton>(*form, "btnShare")->text(), QString("Stop Sharing"));
        QVERIFY(LogText(*form).contains(QString("Share: listening on 127.0.0.1:%1").arg(port)));
        std::vector<LoopbackSocket> clients;
        for (int i = 0; i < 2; ++i) {
            clients.emplace_back(SOCK_STREAM);
            QVERIFY(clients.back().Connect(port));
        }
        QTRY_COMPARE(Named<QLabel>(*form, "lblShareClients")->text(), QString("Clients: 2"));

        const std::string fix =
            "$GNGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,*7A\r\n";
        peer.write(fix);
        for (const auto& client : clients)
            QCOMPARE(client.Read(fix.size()), fix);

        const std::string poll = "$PUBX,00*33\r\n";
        clients[0].SendAll(poll);
        QTRY_VERIFY(LogText(*form).contains("clients may not send to the receiver"));
        QCOMPARE(peer.readUntilQuiet(200), std::string());
        Click(Named<QCheckBox>(*form, "cbShareSend"));
        clients[1].SendAll(poll);
        // The window sends it from its own thread: the echo first, then the line.
        QTRY_VERIFY(LogText(*form).contains("Sent(Hex): 24 50 55 42 58"));
        QCOMPARE(peer.read(poll.size()), poll);

        Click(Named<QPushButton>(*form, "btnShare"));
        QVERIFY(LogText(*form).contains(QString("Share: stopped on 127.0.0.1:%1").arg(port)));
        QCOMPARE(clients[0].Read(1), std::string());
    }

    void anAddressThatIsNoneIsRefused() {
        std::unique_ptr<TMainForm> form = ShowFreshWindow();
        ModalBoxCatcher boxes;
        form->ShareAt("gps");
        QVERIFY(boxes.waitFor(1));
        QVERIFY(boxes.boxes()[0].text.contains("\"gps\" is not [ADDRESS:]PORT"));
        QCOMPARE(Named<QPushButton>(*form, "btnShare")->text(), QString("Share"));
    }
};

QTEST_MAIN(SharePanelTest)
#include "test_share_panel.moc"
