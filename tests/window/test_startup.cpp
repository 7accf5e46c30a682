// Start-up and closing of the main window with the port kept in the settings
// store: each stored form of the value and what the window makes of it.

#include "tests/support/ScratchEnvironment.h"
#include "tests/window/WindowTestSupport.h"
#include "window/MainForm.h"
#include "window/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>

class StartupTest : public QObject {
    Q_OBJECT
    ScratchEnvironment scratch_;

private slots:
    void storedPortIsRestoredAndWrittenBack_data() {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QByteArray>("keyAfterStart");
        QTest::addColumn<QByteArray>("keyAfterClose");
        const QByteArray key = R"("\\SOFTWARE\\Brennix\\ZEPOMonitor")";
        auto store = [&](const QByteArray& values) { return "{" + key + ": " + values + "}"; };

        QTest::newRow("no store") << QByteArray() << "COM13"
                                  << "" << QByteArray("{}")
                                  << QByteArray(R"({"ComPortInUse": "COM13"})");
        QTest::newRow("COM3") << store(R"({"ComPortInUse": "COM3"})") << "COM3"
                              << "COM3" << QByteArray(R"({"ComPortInUse": "COM3"})")
                              << QByteArray(R"({"ComPortInUse": "COM3"})");
        QTest::newRow("blanks around") << store(R"({"ComPortInUse": " COM3 "})") << "COM3"
                                       << " COM3 " << QByteArray(R"({"ComPortInUse": " COM3 "})")
                                       << QByteArray(R"({"ComPortInUse": "COM3"})");
        QTest::newRow("number") << store(R"({"ComPortInUse": 3})") << "COM13"
                                << "" << QByteArray("{}")
                                << QByteArray(R"({"ComPortInUse": "COM13"})");
        QTest::newRow("value missing")
            << store("{}") << ""
            << "" << QByteArray("{}") << QByteArray(R"({"ComPortInUse": ""})");
        QTest::newRow("custom name") << store(R"({"ComPortInUse": "ttyUSB0"})") << "ttyUSB0"
                                     << "ttyUSB0" << QByteArray(R"({"ComPortInUse": "ttyUSB0"})")
                                     << QByteArray(R"({"ComPortInUse": "ttyUSB0"})");
        QTest::newRow("other values dropped at closing")
            << store(R"({"ComPortInUse": "COM4", "Extra": "x"})") << "COM4"
            << "COM4" << QByteArray(R"({"ComPortInUse": "COM4", "Extra": "x"})")
            << QByteArray(R"({"ComPortInUse": "COM4"})");
        QTest::newRow("broken file")
            << QByteArray("{{{") << "COM13"
            << "" << QByteArray("{}") << QByteArray(R"({"ComPortInUse": "COM13"})");
    }
    void storedPortIsRestoredAndWrittenBack() {
        QFETCH(QByteArray, store);
        QFETCH(QString, port);
        QFETCH(QString, panel);
        QFETCH(QByteArray, keyAfterStart);
        QFETCH(QByteArray, keyAfterClose);
        WriteStore(store);

        TMainForm form;
        QCOMPARE(QString::fromLatin1(form.portSerial.CommPortToString(form.portSerial.Port())),
                 port);
        QCOMPARE(form.StatusPanel(1)->text(), panel);
        QVERIFY(StoredKeyExists());
        QCOMPARE(StoredKey(), QJsonDocument::fromJson(keyAfterStart).object());

        form.close();
        QCOMPARE(StoredKey(), QJsonDocument::fromJson(keyAfterClose).object());
    }

    void unwritableStoreNeitherStopsStartNorClosing() {
        WriteStore({});
        const QString directory = QFileInfo(SettingsStore::FilePath()).absolutePath();
        QDir(directory).removeRecursively();
        QFile blocker(directory); // a file where the store's directory belongs
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        {
            TMainForm form;
            form.show();
            QCOMPARE(form.portSerial.Port(), spCOM13);
            QVERIFY(form.close());
            QVERIFY(!form.isVisible());
        }
        QFile::remove(directory);
    }

    void windowStartsOnThePubxPageWithNineHundredBaud() {
        WriteStore({});
        TMainForm form;
        QCOMPARE(form.objectName(), QString("MainForm"));
        QCOMPARE(form.windowTitle(), QString("ZEPO ublox monitor"));
        QCOMPARE(form.size(), QSize(917, 602));
        QCOMPARE(form.pcZEPOMonitor->currentWidget()->objectName(), QString("tabUBX"));
        QStringList captions;
        for (int index = 0; index < form.pcZEPOMonitor->count(); ++index)
            captions << form.pcZEPOMonitor->tabText(index);
        // The specified pages first, then the added ones.
        QCOMPARE(captions, QStringList({"ComPort", "NMEA Standard", "NMEA PUBX", "UBX Protocol",
                                        "Configure"}));
        QCOMPARE(form.StatusPanel(0)->text(), QString("CommPort:"));
        QCOMPARE(form.StatusPanel(2)->text(), QString("Message:"));
        auto* rates = form.findChild<QListWidget*>("lstBaudRate");
        QVERIFY(rates);
        QCOMPARE(rates->selectedItems().size(), 1);
        QCOMPARE(rates->selectedItems().first()->text(), QString("9600"));
        auto* ports = form.findChild<QListWidget*>("lstPorts");
        QVERIFY(ports && ports->selectedItems().isEmpty());
        // The line settings reach the port only with Apply or Open.
        QCOMPARE(form.portSerial.BaudRate(), br004800);
        QCOMPARE(form.portSerial.Delay(), 1000u);
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
