// The buttons of the "NMEA PUBX" and "UBX Protocol" pages and the two
// CFG-ANT buttons on the "ComPort" page, on a pseudo-terminal: the bytes
// each writes, its echo, the bytes-sent label, "Set UBX40" from the rate
// fields as clicked, and the UBX composer.

#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/SendingTestBase.h"
#include "widgets/NumSpin.h"
#include "window/ComPortPage.h"
#include "window/NmeaPubxPage.h"
#include "window/UbxProtocolPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace std::string_literals;

class FrameButtonsTest : public SendingTestBase {
    Q_OBJECT
    TNmeaPubxPage* pubx() const { return form_->tabUBX; }
    TUbxProtocolPage* ubx() const { return form_->ts; }
    QString bytesSent() const { return form_->tabComPort->lblNumSent->text(); }

    static void clickDown(TNumSpin* spin) {
        QTest::mouseClick(spin->Button()->DownButton(), Qt::LeftButton);
    }
    static void chooseItem(QComboBox* box, const QString& item) {
        box->setCurrentIndex(box->findText(item));
    }

private slots:
    void init() { createForm(true); }
    void cleanup() { form_.reset(); }

    void everyButtonWritesItsBytes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("label");
        const QByteArray antPoll("\xB5\x62\x06\x13\x00\x00\x19\x51", 8);
        const QByteArray antSet("\xB5\x62\x06\x13\x04\x00\x0B\x00\x0F\x64\x9B\x7B", 12);
        QTest::newRow("Poll CFG-ANT") << "btnPollCFG_ANT" << antPoll << "Bytes Sent: 8";
        QTest::newRow("Get/Set CFG-ANT") << "btnGetSetCFG_ANT" << antSet << "Bytes Sent: 12";
        QTest::newRow("Poll CFG_PRT sends CFG-ANT set")
            << "btnPollCFG_PRT" << antSet << "Bytes Sent: 12";
        QTest::newRow("Poll Lat/Lon")
            << "btnPollLatLon" << QByteArray("$PUBX,00*33\r\n") << "lblSent";
        QTest::newRow("Poll Sat Stat")
            << "btnPolSatStat" << QByteArray("$PUBX,03*30\r\n") << "lblSent";
        QTest::newRow("Poll Time") << "btnPollTime" << QByteArray("$PUBX,04*37\r\n") << "lblSent";
    }
    void everyButtonWritesItsBytes() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, label);
        for (int press = 0; press < 2; ++press) {
            clickOnPage(button(name.toLatin1()));
            QCOMPARE(written(), bytes.toStdString());
            QCOMPARE(portLog().constLast(),
                     "Sent(Hex): " + QString(bytes.toHex(' ').toUpper()) + ' ');
            QCOMPARE(bytesSent(), label); // the last write's count, not a total
        }
        QCOMPARE(ubx()->lblSent->text(), QString("lblSent"));
        QCOMPARE(pubx()->edCKA_CKB->text(), QString());
    }

    void setUbx40StraightAfterStart() {
        clickOnPage(pubx()->btnSetUBX40);
        QCOMPARE(written(), "$PUBX,40,Sel,1,1,1,1,1,0*40\r\n"s);
        QCOMPARE(pubx()->edCKA_CKB->text(), QString("40"));
        QCOMPARE(bytesSent(), QString("lblSent"));
    }

    void setUbx40TakesTheRatesAsClicked() {
        chooseItem(pubx()->cbSetNMEA, "GGA SysFix      p.49");
        clickDown(pubx()->ns6rusb);
        clickOnPage(pubx()->btnSetUBX40);
        QCOMPARE(written(), "$PUBX,40,GGA,1,1,1,0,1,0*5A\r\n"s);

        for (TNumSpin* spin :
             {pubx()->ns3rddc, pubx()->ns4rus1, pubx()->ns5rus2, pubx()->ns6rusb, pubx()->ns7rspi})
            clickDown(spin); // ns6rusb stays at its lower limit
        clickOnPage(pubx()->btnSetUBX40);
        QCOMPARE(written(), "$PUBX,40,GGA,0,0,0,0,0,0*5A\r\n"s);

        QLineEdit* selection = pubx()->cbSetNMEA->lineEdit();
        selection->selectAll();
        QTest::keyClicks(selection, "rmc");
        QTest::mouseClick(pubx()->ns4rus1->Button()->UpButton(), Qt::LeftButton);
        QTest::mouseClick(pubx()->ns6rusb->Button()->UpButton(), Qt::LeftButton);
        clickOnPage(pubx()->btnSetUBX40);
        QCOMPARE(written(), "$PUBX,40,rmc,0,1,0,1,0,0*67\r\n"s);
        QCOMPARE(pubx()->edCKA_CKB->text(), QString("67"));
        QCOMPARE(portLog().constLast(),
                 QString("Sent(Hex): 24 50 55 42 58 2C 34 30 2C 72 6D 63 2C 30 2C 31 2C 30 2C 31 "
                         "2C 30 2C 30 2A 36 37 0D 0A "));
    }

    void shortSelectionIsRefused() {
        ModalBoxCatcher catcher;
        clickOnPage(pubx()->btnSetUBX40);
        QCOMPARE(written(), "$PUBX,40,Sel,1,1,1,1,1,0*40\r\n"s);
        pubx()->cbSetNMEA->setEditText("GG");
        clickOnPage(pubx()->btnSetUBX40);
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.boxes()[0].text,
                 QString("Choose the NMEA message to set: the first three characters name it."));
        QCOMPARE(written(), ""s);
        QCOMPARE(pubx()->edCKA_CKB->text(), QString("40")); // of the last one sent
    }

    void classChoiceEnablesItsIdList() {
        QVERIFY(!ubx()->cbCFG->isEnabled() && !ubx()->cbAID->isEnabled());
        chooseItem(ubx()->cbClassID, "CFG 06  p.107");
        QVERIFY(ubx()->cbCFG->isEnabled() && !ubx()->cbAID->isEnabled());
        chooseItem(ubx()->cbClassID, "AID 0B  p.95");
        QVERIFY(!ubx()->cbCFG->isEnabled() && ubx()->cbAID->isEnabled());
        chooseItem(ubx()->cbClassID, "NAV 01  p.157");
        QVERIFY(!ubx()->cbCFG->isEnabled() && !ubx()->cbAID->isEnabled());
    }

    void composerSendsThePollOfClassAndId_data() {
        QTest::addColumn<QString>("ubxClass");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("CFG-PRT") << "CFG 06  p.107"
                                 << "PRT   $00 p.129"
                                 << QByteArray("\xB5\x62\x06\x00\x00\x00\x06\x18", 8)
                                 << QStringList{"00", "06", "18"};
        QTest::newRow("AID-INI") << "AID 0B  p.95"
                                 << "INI   $01 p.104"
                                 << QByteArray("\xB5\x62\x0B\x01\x00\x00\x0C\x2F", 8)
                                 << QStringList{"00", "0C", "2F"};
        QTest::newRow("AID initial text") << "AID 0B  p.95"
                                          << "" << QByteArray("\xB5\x62\x0B\x30\x00\x00\x3B\xBC", 8)
                                          << QStringList{"00", "3B", "BC"};
    }
    void composerSendsThePollOfClassAndId() {
        QFETCH(QString, ubxClass);
        QFETCH(QString, id);
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, fields);
        chooseItem(ubx()->cbClassID, ubxClass);
        if (!id.isEmpty())
            chooseItem(ubxClass.startsWith("CFG") ? ubx()->cbCFG : ubx()->cbAID, id);
        clickOnPage(ubx()->btnSend);
        QCOMPARE(written(), frame.toStdString());
        QCOMPARE(
            QStringList({ubx()->neLength->text(), ubx()->neCK_A->text(), ubx()->neCK_B->text()}),
            fields);
        QCOMPARE(bytesSent(), QString("Bytes Sent: 8"));
        QCOMPARE(portLog().constLast(), "Sent(Hex): " + QString(frame.toHex(' ').toUpper()) + ' ');
    }

    void composerWithoutClassOrIdListSendsNothing() {
        ModalBoxCatcher catcher;
        clickOnPage(ubx()->btnSend); // " Class ID" still shown
        chooseItem(ubx()->cbClassID, "NAV 01  p.157");
        clickOnPage(ubx()->btnSend);
        chooseItem(ubx()->cbClassID, "CFG 06  p.107");
        ubx()->cbCFG->setEditText("XYZ");
        clickOnPage(ubx()->btnSend);
        QVERIFY(catcher.waitFor(3));
        QCOMPARE(catcher.boxes()[0].text, QString("Choose a UBX class in the Class ID list."));
        QCOMPARE(catcher.boxes()[1].text,
                 QString("Class NAV has no message id list here: choose class CFG or AID."));
        QCOMPARE(catcher.boxes()[2].text, QString("Choose a message id of class CFG in its list."));
        QCOMPARE(written(), ""s);
        QCOMPARE(bytesSent(), QString("lblSent"));
        QCOMPARE(ubx()->neCK_A->text(), QString("00"));
    }
};

QTEST_MAIN(FrameButtonsTest)
#include "test_frame_buttons.moc"
