// "Send String" and "Send Bytes" on a pseudo-terminal: the typing filter of
// the byte list, the bytes on the line, the echo in the port log, refused
// input that writes nothing, and every send button with the port closed.

#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/SendingTestBase.h"
#include "window/ComPortPage.h"
#include "window/NmeaStandardPage.h"
#include "window/UbxProtocolPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace std::string_literals;

class SendingTest : public SendingTestBase {
    Q_OBJECT
    TNmeaStandardPage* page() const { return form_->tabNMEA; }

private slots:
    void init() {
        createForm(true);
        form_->pcZEPOMonitor->setCurrentWidget(page());
    }
    void cleanup() { form_.reset(); }

    void typingKeepsOnlyDigitsAndHash() {
        QLineEdit* edit = page()->edSentBytes;
        edit->setFocus();
        QTest::keyClicks(edit, "#1a8 1;#-9x8,#");
        QCOMPARE(edit->text(), QString("#181#98#"));

        const std::pair<Qt::Key, Qt::KeyboardModifiers> discarded[] = {
            {Qt::Key_Backspace, {}},
            {Qt::Key_Return, {}},
            {Qt::Key_Enter, {}},
            {Qt::Key_Escape, {}},
            {Qt::Key_H, Qt::ControlModifier}};
        for (const auto& [key, modifiers] : discarded) {
            QTest::keyClick(edit, key, modifiers);
            QCOMPARE(edit->text(), QString("#181#98#"));
        }

        // A wrong digit goes with Delete or by selecting and overtyping.
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Right);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("#81#98#"));
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClicks(edit, "6");
        QCOMPARE(edit->text(), QString("#61#98#"));
    }

    void typedListWritesTheCfgAntPollAndEchoesIt() {
        page()->edSentBytes->setFocus();
        QTest::keyClicks(page()->edSentBytes, "#181#98#6#19#0#0#25#81");
        QTest::mouseClick(page()->btnSendBytes, Qt::LeftButton);
        QCOMPARE(written(), "\xB5\x62\x06\x13\x00\x00\x19\x51"s);
        QCOMPARE(portLog().constLast(), QString("Sent(Hex): B5 62 06 13 00 00 19 51 "));
        QCOMPARE(form_->tabComPort->lblNumSent->text(), QString("lblSent"));
        QCOMPARE(page()->edSentBytes->text(), QString("#181#98#6#19#0#0#25#81"));
    }

    void byteListsAsWritten_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("NUL does not end the write") << "0#65#0" << QByteArray("\0A\0", 3);
        QTest::newRow("empty pieces") << "##65###66#" << QByteArray("AB");
        QTest::newRow("over 32 bits skipped") << "65#99999999999#66" << QByteArray("AB");
        QTest::newRow("top of the range") << "128#255" << QByteArray("\x80\xFF");
        QTest::newRow("pasted blanks and lines") << " 65 \n66" << QByteArray("AB");
    }
    void byteListsAsWritten() {
        QFETCH(QString, list);
        QFETCH(QByteArray, bytes);
        page()->edSentBytes->setText(list);
        QTest::mouseClick(page()->btnSendBytes, Qt::LeftButton);
        QCOMPARE(written(), bytes.toStdString());
        QCOMPARE(portLog().constLast(), "Sent(Hex): " + QString(bytes.toHex(' ').toUpper()) + ' ');
    }

    void listWithNothingToSendWritesNothing() {
        for (const char* list : {"", "#", "##"}) {
            page()->edSentBytes->setText(list);
            QTest::mouseClick(page()->btnSendBytes, Qt::LeftButton);
        }
        QCOMPARE(written(), ""s);
        QCOMPARE(portLog().constLast(), QString("Connected to COM7"));
    }

    void valueOutOfRangeRefusesTheWholeList() {
        ModalBoxCatcher catcher;
        for (const char* list : {"65#256#66", "65#-1"}) {
            page()->edSentBytes->setText(list);
            QTest::mouseClick(page()->btnSendBytes, Qt::LeftButton);
        }
        QVERIFY(catcher.waitFor(2));
        QCOMPARE(catcher.boxes()[0].text, QString("Byte value 256 is out of range 0 to 255."));
        QCOMPARE(catcher.boxes()[1].text, QString("Byte value -1 is out of range 0 to 255."));
        QCOMPARE(written(), ""s);
        QCOMPARE(portLog().constLast(), QString("Connected to COM7"));
        QCOMPARE(page()->edSentBytes->text(), QString("65#-1"));
    }

    void sendStringAddsCrLf_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("echo");
        QTest::newRow("empty") << "" << QByteArray("\r\n") << "Sent(Hex): 0D 0A ";
        QTest::newRow("ABC") << "ABC" << QByteArray("ABC\r\n") << "Sent(Hex): 41 42 43 0D 0A ";
        QTest::newRow("Latin-1") << QString::fromLatin1("\xE9") << QByteArray("\xE9\r\n")
                                 << "Sent(Hex): E9 0D 0A ";
    }
    void sendStringAddsCrLf() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, echo);
        page()->edSentStr->setText(text);
        QTest::mouseClick(page()->btnSendStr, Qt::LeftButton);
        QCOMPARE(written(), bytes.toStdString());
        QCOMPARE(portLog().constLast(), echo);
        QCOMPARE(form_->tabComPort->lblNumSent->text(), QString("lblSent"));
    }

    void textWithoutBytesIsRefusedNotReplaced() {
        ModalBoxCatcher catcher;
        page()->edSentStr->setText(QString::fromUtf8("5 \u20AC"));
        QTest::mouseClick(page()->btnSendStr, Qt::LeftButton);
        page()->edSentStr->setText(QString("A") + QChar(0) + "B");
        QTest::mouseClick(page()->btnSendStr, Qt::LeftButton);
        QVERIFY(catcher.waitFor(2));
        QVERIFY(catcher.boxes()[0].text.contains(QString::fromUtf8("\"\u20AC\" (U+20AC)")));
        QVERIFY(catcher.boxes()[1].text.startsWith("A NUL character cannot be sent as text"));
        QCOMPARE(written(), ""s);
        QCOMPARE(portLog().constLast(), QString("Connected to COM7"));
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
        page()->edSentStr->setText("ABC");
        page()->edSentBytes->setText("#65");
        form_->ts->cbClassID->setCurrentIndex(4); // CFG
        const QStringList logBefore = portLog();

        clickOnPage(button(name.toLatin1()));
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.boxes()[0].text,
                 QString("COM13 is not open. Serial port is not connected."));
        QCOMPARE(written(), ""s);
        QCOMPARE(portLog(), logBefore);
        QCOMPARE(form_->tabComPort->lblNumSent->text(), QString("lblSent"));
        QCOMPARE(page()->edSentStr->text(), QString("ABC"));
        QCOMPARE(page()->edSentBytes->text(), QString("#65"));
    }

    void emptyListWithThePortClosedIsNoError() {
        form_.reset();
        createForm(false);
        ModalBoxCatcher catcher;
        clickOnPage(page()->btnSendBytes); // a box would open inside the click
        QCOMPARE(catcher.boxes().size(), size_t(0));
    }
};

QTEST_MAIN(SendingTest)
#include "test_sending.moc"
