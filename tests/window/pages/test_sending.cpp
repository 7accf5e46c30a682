// The sending pages on a pseudo-terminal announced as COM7: the typing filter
// of the byte list, the bytes each send button writes, its echo in the port
// log, the bytes-sent label, "Set UBX40" from the rate fields as clicked, the
// UBX composer, refused input, every send with the port closed, and a long
// send to a line that does not take it, going on without holding the window.

#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/NumSpin.h"
#include "window/app/MainForm.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/pages/UbxProtocolPage.h"
#include "window/parts/WindowSender.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

using namespace std::string_literals;

namespace {
QString Echo(const QByteArray& bytes) {
    return "Sent(Hex): " + QString(bytes.toHex(' ').toUpper()) + ' ';
}
const QByteArray AntPoll("\xB5\x62\x06\x13\x00\x00\x19\x51", 8);
const QByteArray AntSet("\xB5\x62\x06\x13\x04\x00\x0B\x00\x0F\x64\x9B\x7B", 12);
} // namespace

class SendingTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;

    TNmeaStandardPage* nmea() const { return Named<TNmeaStandardPage>(*form_, "tabNMEA"); }
    TNmeaPubxPage* pubx() const { return Named<TNmeaPubxPage>(*form_, "tabUBX"); }
    TUbxProtocolPage* ubx() const { return Named<TUbxProtocolPage>(*form_, "ts"); }
    QString bytesSent() const { return Named<QLabel>(*form_, "lblNumSent")->text(); }
    QStringList portLog() const { return PaneLines(Named<QPlainTextEdit>(*form_, "moComPort")); }
    // Writes are synchronous: what a click wrote is on the line when it returns.
    // What the window wrote: a send may go on in the background, so the first
    // byte is waited for patiently, the end by a short quiet.
    std::string written() {
        std::string bytes = peer_.read(1, 1000);
        return bytes.empty() ? bytes : bytes + peer_.readUntilQuiet(100);
    }

    void createForm(bool openPort) {
        WriteStore({});
        form_ = std::make_unique<TMainForm>();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        if (!openPort)
            return;
        QVERIFY(ClickListItem(Named<QListWidget>(*form_, "lstPorts"), "COM7"));
        clickOnPage(Named<QPushButton>(*form_, "btnOpen"));
        QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
    }
    // Shows the button's page and clicks the button.
    void clickOnPage(QPushButton* button) {
        ShowPageOf(*form_, button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QPushButton* button(const QString& name) const { return Named<QPushButton>(*form_, name); }
    static void chooseItem(QComboBox* box, const QString& item) {
        box->setCurrentIndex(box->findText(item));
    }
    static void clickSpin(TNumSpin* spin, bool up) {
        TSpinButton* buttons = spin->Button();
        QTest::mouseClick(up ? buttons->UpButton() : buttons->DownButton(), Qt::LeftButton);
    }

private slots:
    void initTestCase() { peer_.announce("COM7"); }
    void init() { createForm(true); }
    void cleanup() { form_.reset(); }

    void typingKeepsOnlyDigitsAndHash() {
        QLineEdit* edit = Named<QLineEdit>(*nmea(), "edSentBytes");
        ShowPageOf(*form_, nmea());
        edit->setFocus();
        QTest::keyClicks(edit, "#1a8 1;#-9x8,#");
        QCOMPARE(edit->text(), QString("#181#98#"));
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(edit, key);
        QTest::keyClick(edit, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString("#181#98#"));

        // A wrong digit goes with Delete or by selecting and overtyping.
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Right);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("#81#98#"));
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClicks(edit, "6");
        QCOMPARE(edit->text(), QString("#61#98#"));
    }

    void typedListWritesTheCfgAntPoll() {
        ShowPageOf(*form_, nmea());
        Named<QLineEdit>(*nmea(), "edSentBytes")->setFocus();
        QTest::keyClicks(Named<QLineEdit>(*nmea(), "edSentBytes"), "#181#98#6#19#0#0#25#81");
        clickOnPage(Named<QPushButton>(*nmea(), "btnSendBytes"));
        QCOMPARE(written(), AntPoll.toStdString());
        QCOMPARE(portLog().constLast(), QString("Sent(Hex): B5 62 06 13 00 00 19 51 "));
        QCOMPARE(bytesSent(), QString("lblSent"));
    }

    void textAndListsAsWritten_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("NUL does not end the write") << "btnSendBytes"
                                                    << "0#65#0" << QByteArray("\0A\0", 3);
        QTest::newRow("empty pieces") << "btnSendBytes"
                                      << "##65###66#" << QByteArray("AB");
        QTest::newRow("over 32 bits skipped") << "btnSendBytes"
                                              << "65#99999999999#66" << QByteArray("AB");
        QTest::newRow("top of the range") << "btnSendBytes"
                                          << "128#255" << QByteArray("\x80\xFF");
        QTest::newRow("pasted blanks and lines") << "btnSendBytes"
                                                 << " 65 \n66" << QByteArray("AB");
        QTest::newRow("empty string") << "btnSendStr"
                                      << "" << QByteArray("\r\n");
        QTest::newRow("ABC") << "btnSendStr"
                             << "ABC" << QByteArray("ABC\r\n");
        QTest::newRow("Latin-1") << "btnSendStr" << QString::fromLatin1("\xE9")
                                 << QByteArray("\xE9\r\n");
    }
    void textAndListsAsWritten() {
        QFETCH(QString, button);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        (button == "btnSendStr" ? Named<QLineEdit>(*nmea(), "edSentStr")
                                : Named<QLineEdit>(*nmea(), "edSentBytes"))
            ->setText(text);
        clickOnPage(this->button(button));
        QCOMPARE(written(), bytes.toStdString());
        QCOMPARE(portLog().constLast(), Echo(bytes));
        QCOMPARE(bytesSent(), QString("lblSent"));
    }

    void refusedInputWritesNothing() {
        ModalBoxCatcher catcher;
        const auto send = [&](QLineEdit* edit, QPushButton* button, const QString& text) {
            edit->setText(text);
            clickOnPage(button);
        };
        for (const char* list : {"", "#", "65#256#66", "65#-1"})
            send(Named<QLineEdit>(*nmea(), "edSentBytes"),
                 Named<QPushButton>(*nmea(), "btnSendBytes"), list);
        send(Named<QLineEdit>(*nmea(), "edSentStr"), Named<QPushButton>(*nmea(), "btnSendStr"),
             QString::fromUtf8("5 \u20AC"));
        send(Named<QLineEdit>(*nmea(), "edSentStr"), Named<QPushButton>(*nmea(), "btnSendStr"),
             QString("A") + QChar(0) + "B");
        Named<QComboBox>(*pubx(), "cbSetNMEA")->setEditText("GG");
        clickOnPage(Named<QPushButton>(*pubx(), "btnSetUBX40"));
        QVERIFY(catcher.waitFor(5));
        const QStringList expected = {
            "Byte value 256 is out of range 0 to 255.", "Byte value -1 is out of range 0 to 255.",
            QString::fromUtf8("The character \"\u20AC\" (U+20AC) cannot be sent: only characters "
                              "with codes 0 to 255 go out as bytes."),
            "A NUL character cannot be sent as text; send it with Send Bytes as #0.",
            "Choose the NMEA message to set: the first three characters name it."};
        QCOMPARE(catcher.boxes().size(), size_t(expected.size())); // none for the empty lists
        for (int index = 0; index < expected.size(); ++index)
            QCOMPARE(catcher.boxes()[index].text, expected[index]);
        QCOMPARE(peer_.readUntilQuiet(100), ""s); // nothing goes out
        QCOMPARE(portLog().constLast(), QString("Connected to COM7"));
        QCOMPARE(Named<QLineEdit>(*nmea(), "edSentStr")->text(), QString("A") + QChar(0) + "B");
        QCOMPARE(Named<QLineEdit>(*pubx(), "edCKA_CKB")->text(), QString());
    }

    void buttonsWriteTheirBytes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("label");
        QTest::newRow("Poll CFG-ANT") << "btnPollCFG_ANT" << AntPoll << "Bytes Sent: 8";
        QTest::newRow("Get/Set CFG-ANT") << "btnGetSetCFG_ANT" << AntSet << "Bytes Sent: 12";
        QTest::newRow("Poll CFG_PRT sends the CFG-PRT poll")
            << "btnPollCFG_PRT" << QByteArray("\xB5\x62\x06\x00\x00\x00\x06\x18", 8)
            << "Bytes Sent: 8";
        QTest::newRow("Poll Lat/Lon")
            << "btnPollLatLon" << QByteArray("$PUBX,00*33\r\n") << "lblSent";
        QTest::newRow("Poll Sat Stat")
            << "btnPolSatStat" << QByteArray("$PUBX,03*30\r\n") << "lblSent";
        QTest::newRow("Poll Time") << "btnPollTime" << QByteArray("$PUBX,04*37\r\n") << "lblSent";
        QTest::newRow("Set UBX40 after start")
            << "btnSetUBX40" << QByteArray("$PUBX,40,Sel,1,1,1,1,1,0*40\r\n") << "lblSent";
    }
    void buttonsWriteTheirBytes() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, label);
        for (int press = 0; press < 2; ++press) {
            clickOnPage(button(name));
            QCOMPARE(written(), bytes.toStdString());
            QCOMPARE(portLog().constLast(), Echo(bytes));
            QCOMPARE(bytesSent(), label); // the last write's count, not a total
        }
        QCOMPARE(Named<QLabel>(*ubx(), "lblSent")->text(), QString("lblSent"));
    }

    void setUbx40TakesTheRatesAsClicked() {
        chooseItem(Named<QComboBox>(*pubx(), "cbSetNMEA"), "GGA SysFix      p.49");
        clickSpin(Named<TNumSpin>(*pubx(), "ns6rusb"), false);
        clickOnPage(Named<QPushButton>(*pubx(), "btnSetUBX40"));
        QCOMPARE(written(), "$PUBX,40,GGA,1,1,1,0,1,0*5A\r\n"s);

        for (TNumSpin* spin :
             {Named<TNumSpin>(*pubx(), "ns3rddc"), Named<TNumSpin>(*pubx(), "ns4rus1"),
              Named<TNumSpin>(*pubx(), "ns5rus2"), Named<TNumSpin>(*pubx(), "ns6rusb"),
              Named<TNumSpin>(*pubx(), "ns7rspi")})
            clickSpin(spin, false); // ns6rusb stays at its lower limit
        clickOnPage(Named<QPushButton>(*pubx(), "btnSetUBX40"));
        QCOMPARE(written(), "$PUBX,40,GGA,0,0,0,0,0,0*5A\r\n"s);

        QLineEdit* selection = Named<QComboBox>(*pubx(), "cbSetNMEA")->lineEdit();
        selection->selectAll();
        QTest::keyClicks(selection, "rmc");
        clickSpin(Named<TNumSpin>(*pubx(), "ns4rus1"), true);
        clickSpin(Named<TNumSpin>(*pubx(), "ns6rusb"), true);
        clickOnPage(Named<QPushButton>(*pubx(), "btnSetUBX40"));
        QCOMPARE(written(), "$PUBX,40,rmc,0,1,0,1,0,0*67\r\n"s);
        QCOMPARE(Named<QLineEdit>(*pubx(), "edCKA_CKB")->text(), QString("67"));
    }

    void composerSendsTheFrameAsShown_data() {
        QTest::addColumn<QString>("ubxClass");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("CFG-PRT") << "CFG 06  p.107"
                                 << "PRT   $00 p.129"
                                 << "" << QByteArray("\xB5\x62\x06\x00\x00\x00\x06\x18", 8)
                                 << QStringList{"00", "06", "18"};
        QTest::newRow("AID initial text") << "AID 0B  p.95"
                                          << ""
                                          << "" << QByteArray("\xB5\x62\x0B\x30\x00\x00\x3B\xBC", 8)
                                          << QStringList{"00", "3B", "BC"};
        QTest::newRow("NAV-PVT from the vocabulary")
            << "NAV 01  p.157"
            << "PVT"
            << "" << QByteArray("\xB5\x62\x01\x07\x00\x00\x08\x19", 8)
            << QStringList{"00", "08", "19"};
        QTest::newRow("class and id typed in hex, payload")
            << "06"
            << "08"
            << "C8 00 0100 0x0100"
            << QByteArray("\xB5\x62\x06\x08\x06\x00\xC8\x00\x01\x00\x01\x00\xDE\x6A", 14)
            << QStringList{"06", "DE", "6A"};
    }
    void composerSendsTheFrameAsShown() {
        QFETCH(QString, ubxClass);
        QFETCH(QString, id);
        QFETCH(QString, payload);
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, fields);
        QVERIFY(!Named<QComboBox>(*ubx(), "cbCFG")->isEnabled() &&
                !Named<QComboBox>(*ubx(), "cbAID")->isEnabled());
        Named<QComboBox>(*ubx(), "cbClassID")->setEditText(ubxClass);
        const bool cfg = ubxClass.startsWith("CFG"), aid = ubxClass.startsWith("AID");
        QCOMPARE(Named<QComboBox>(*ubx(), "cbCFG")->isEnabled(), cfg);
        QCOMPARE(Named<QComboBox>(*ubx(), "cbAID")->isEnabled(), aid);
        QCOMPARE(Named<QComboBox>(*ubx(), "cbMsgID")->isEnabled(), !cfg && !aid);
        if (!id.isEmpty())
            (cfg   ? Named<QComboBox>(*ubx(), "cbCFG")
             : aid ? Named<QComboBox>(*ubx(), "cbAID")
                   : Named<QComboBox>(*ubx(), "cbMsgID"))
                ->setEditText(id);
        Named<QLineEdit>(*ubx(), "edPayload")->setText(payload);
        const QString shown = Echo(frame).mid(11).trimmed();
        QCOMPARE(Named<QLabel>(*ubx(), "lblFrame")->text(),
                 QString("%1 (%2 bytes)").arg(shown).arg(frame.size()));
        clickOnPage(Named<QPushButton>(*ubx(), "btnSend"));
        QCOMPARE(written(), frame.toStdString());
        QCOMPARE(QStringList({Named<TNumEdit>(*ubx(), "neLength")->text(),
                              Named<TNumEdit>(*ubx(), "neCK_A")->text(),
                              Named<TNumEdit>(*ubx(), "neCK_B")->text()}),
                 fields);
        QCOMPARE(bytesSent(), QString("Bytes Sent: %1").arg(frame.size()));
        QCOMPARE(portLog().constLast(), Echo(frame));
        QCOMPARE(Named<QLabel>(*ubx(), "lblAnswer")->text(), QString("Waiting for the answer…"));
    }

    void composerRefusesWhatItCannotSend() {
        ModalBoxCatcher catcher;
        const auto send = [&](const QString& ubxClass, const QString& id, const QString& payload) {
            Named<QComboBox>(*ubx(), "cbClassID")->setEditText(ubxClass);
            (ubxClass.startsWith("CFG") ? Named<QComboBox>(*ubx(), "cbCFG")
                                        : Named<QComboBox>(*ubx(), "cbMsgID"))
                ->setEditText(id);
            Named<QLineEdit>(*ubx(), "edPayload")->setText(payload);
            clickOnPage(Named<QPushButton>(*ubx(), "btnSend"));
        };
        send(" Class ID", "", "");
        send("NAV 01  p.157", "", "");
        send("CFG 06  p.107", "XYZ", "");
        send("CFG 06  p.107", "RATE", "01 0x1G");
        send("CFG 06  p.107", "RATE", "010");
        send("CFG 06  p.107", "RATE", QString(2 * 65536, 'A'));
        QVERIFY(catcher.waitFor(6));
        const QStringList expected = {
            "Choose a UBX class in the Class ID list or type its byte in hex (\"06\").",
            "Choose a message id of class NAV in its list or type it in hex (\"07\").",
            "Choose a message id of class CFG in its list or type it in hex (\"07\").",
            "\"0x1G\" is not hexadecimal: \"G\" is no hex digit.",
            "\"010\" has an odd number of hex digits: write every byte as two digits (\"0A\", "
            "not \"A\").",
            "The payload holds more than 65535 bytes, the most a UBX frame carries."};
        for (int index = 0; index < expected.size(); ++index)
            QCOMPARE(catcher.boxes()[index].text, expected[index]);
        QCOMPARE(Named<QLabel>(*ubx(), "lblFrame")->text(), expected.constLast());
        QCOMPARE(peer_.readUntilQuiet(100), ""s); // nothing goes out
        QCOMPARE(bytesSent(), QString("lblSent"));
    }

    void everySendWithThePortClosedShowsNotOpen_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"btnSendStr", "btnSendBytes", "btnSetUBX40", "btnPollLatLon", "btnPolSatStat",
              "btnPollTime", "btnPollCFG_ANT", "btnGetSetCFG_ANT", "btnPollCFG_PRT", "btnSend"})
            QTest::newRow(name) << name;
    }
    void everySendWithThePortClosedShowsNotOpen() {
        QFETCH(QString, name);
        form_.reset();
        createForm(false);
        ModalBoxCatcher catcher;
        Named<QLineEdit>(*nmea(), "edSentStr")->setText("ABC");
        Named<QLineEdit>(*nmea(), "edSentBytes")->setText("#65");
        chooseItem(Named<QComboBox>(*ubx(), "cbClassID"), "CFG 06  p.107");
        const QStringList logBefore = portLog();
        const auto composerFields = [this] {
            return QStringList({Named<TNumEdit>(*ubx(), "neLength")->text(),
                                Named<TNumEdit>(*ubx(), "neCK_A")->text(),
                                Named<TNumEdit>(*ubx(), "neCK_B")->text()});
        };
        const QStringList composedBefore = composerFields();

        clickOnPage(button(name));
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.boxes()[0].text,
                 QString("COM13 is not open. Serial port is not connected."));
        QCOMPARE(peer_.readUntilQuiet(100), ""s); // nothing goes out
        QCOMPARE(portLog(), logBefore);
        QCOMPARE(bytesSent(), QString("lblSent"));
        QCOMPARE(Named<QLineEdit>(*nmea(), "edSentStr")->text(), QString("ABC"));
        QCOMPARE(Named<QLineEdit>(*nmea(), "edSentBytes")->text(), QString("#65"));
        // After its own failed Send the composer shows no checksum of a frame
        // that did not go out; other buttons leave it alone.
        QCOMPARE(composerFields(),
                 name == "btnSend" ? QStringList({"00", "00", "00"}) : composedBefore);
    }

    void longSendGoesOnInTheBackgroundUntilCancelled() {
        TWindowSender* sender = PartOf<TWindowSender>(*form_);
        const QString text(1 << 20, 'x');
        Named<QLineEdit>(*nmea(), "edSentStr")->setMaxLength(text.size());
        Named<QLineEdit>(*nmea(), "edSentStr")->setText(text);
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(20);

        // The peer reads nothing: the click returns with the send going on.
        clickOnPage(Named<QPushButton>(*nmea(), "btnSendStr"));
        QVERIFY(sender->IsSending());
        QVERIFY(Named<QPushButton>(*form_, "btnCancelSend")->isVisible() &&
                Named<QProgressBar>(*form_, "pbSending")->isVisible());
        QTRY_VERIFY(ticks >= 10);
        QVERIFY(sender->IsSending());
        {
            ModalBoxCatcher catcher; // one send at a time
            clickOnPage(button("btnPollTime"));
            QVERIFY(catcher.waitFor(1));
            QVERIFY(catcher.boxes()[0].text.startsWith("A send is still going on"));
        }
        const QStringList logBefore = portLog();
        Click(Named<QPushButton>(*form_, "btnCancelSend"));
        QVERIFY(!sender->IsSending());
        QVERIFY(!Named<QPushButton>(*form_, "btnCancelSend")->isVisible());

        // The echo holds exactly what reached the line.
        const std::string arrived = peer_.readUntilQuiet(200, 10000);
        QVERIFY(!arrived.empty() && arrived.size() < std::size_t(text.size()));
        QCOMPARE(arrived, std::string(arrived.size(), 'x'));
        QCOMPARE(portLog().mid(logBefore.size()),
                 QStringList{Echo(QByteArray::fromStdString(arrived))});

        // Closing the port ends a send too, echoing what went out.
        clickOnPage(Named<QPushButton>(*nmea(), "btnSendStr"));
        QVERIFY(sender->IsSending());
        clickOnPage(Named<QPushButton>(*form_, "btnClose"));
        QTRY_VERIFY(!sender->IsSending());
        QVERIFY(portLog().constLast().startsWith("Sent(Hex): 78 "));
    }
};

QTEST_MAIN(SendingTest)
#include "test_sending.moc"
