// Start-up and closing of the main window with the port kept in the settings
// store: each stored form of the value and what the window makes of it, a
// store that cannot be written (a full disk) and corrupt files kept aside;
// the command line that chooses and opens a port at start-up.

#include "tests/protocol/StreamBytes.h"
#include "tests/support/NamedControl.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "tests/window/ModalBoxCatcher.h"
#include "tests/window/WindowTestSupport.h"
#include "widgets/ValuePanel.h"
#include "window/app/MainForm.h"
#include "window/app/StartupOptions.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ChartsPage.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/DeviationPage.h"
#include "window/pages/HistoryModel.h"
#include "window/pages/HistoryPage.h"
#include "window/pages/MessagesPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/pages/ReceiverPage.h"
#include "window/parts/PersistedPort.h"
#include "window/parts/ReceiverFeed.h"
#include "window/parts/SettingsStore.h"

#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

namespace {
QByteArray FileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Leaves no room for more in the store's folder: a small tmpfs mounted there
// and filled up by fill(), or, where mounting is not allowed, a file size
// limit of the test process. Undone when it goes away.
class FullDisk {
public:
    explicit FullDisk(const QString& folder) : folder_(folder) {
        QDir().mkpath(folder);
        mounted_ = mount("tmpfs", qPrintable(folder), "tmpfs", 0, "size=64k") == 0;
        getrlimit(RLIMIT_FSIZE, &saved_);
    }
    ~FullDisk() {
        if (mounted_)
            umount2(qPrintable(folder_), MNT_DETACH);
        setrlimit(RLIMIT_FSIZE, &saved_);
    }
    void fill() {
        if (!mounted_) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved_;
            small.rlim_cur = 16;
            setrlimit(RLIMIT_FSIZE, &small);
            return;
        }
        QFile filler(folder_ + "/filler");
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (filler.write(QByteArray(512, 'x')) > 0) {
            }
    }

private:
    QString folder_;
    bool mounted_ = false;
    rlimit saved_{};
};
} // namespace

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
        QJsonObject stored = StoredKey();
        QCOMPARE(stored.take(AutoReconnectValue), QJsonValue("1"));
        QCOMPARE(stored.take(ShareAddressValue), QJsonValue("5000"));
        QCOMPARE(stored.take(ShareClientsMaySendValue), QJsonValue("0"));
        QCOMPARE(stored, QJsonDocument::fromJson(keyAfterClose).object());
    }

    // Each run starts with what the last one ended with.
    void portPageChoicesAreKeptBetweenRuns() {
        WriteStore({});
        const auto reconnect = [](TMainForm& form) {
            return Named<QCheckBox>(form, "cbAutoReconnect");
        };
        const auto address = [](TMainForm& form) {
            return Named<QLineEdit>(form, "edShareAddress");
        };
        const auto maySend = [](TMainForm& form) { return Named<QCheckBox>(form, "cbShareSend"); };
        const std::pair<bool, QString> choices[] = {{false, "0.0.0.0:5001"}, {true, "5002"}};
        for (const auto& [choice, shareAt] : choices) {
            TMainForm form;
            QVERIFY(reconnect(form)->isChecked() != choice);
            QVERIFY(maySend(form)->isChecked() == choice);
            reconnect(form)->setChecked(choice);
            maySend(form)->setChecked(!choice);
            address(form)->setText(shareAt);
            form.close();
            QCOMPARE(StoredKey().value(AutoReconnectValue), QJsonValue(choice ? "1" : "0"));
            TMainForm next;
            QCOMPARE(address(next)->text(), shareAt);
        }
    }

    void fullDiskKeepsTheOldStoreAndSaysSoOnce() {
        const QString folder = QFileInfo(SettingsStore::FilePath()).absolutePath();
        const QByteArray old = R"({"\\SOFTWARE\\Brennix\\ZEPOMonitor": {"ComPortInUse": "COM3"}})";
        auto full = std::make_unique<FullDisk>(folder);
        WriteStore(old);
        full->fill();
        {
            TMainForm form;
            form.show();
            QCOMPARE(form.portSerial.Port(), MakeCommPort(3));
            form.portSerial.SetPort(MakeCommPort(4));
            ModalBoxCatcher catcher;
            QVERIFY(form.close());
            QVERIFY(!form.isVisible());
            QCOMPARE(catcher.boxes().size(), size_t(1));
            QVERIFY2(catcher.boxes()[0].text.startsWith("Settings not saved. Cannot write"),
                     qPrintable(catcher.boxes()[0].text));
        }
        QCOMPARE(FileContent(SettingsStore::FilePath()), old);
        full.reset();
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
            ModalBoxCatcher catcher;
            QVERIFY(form.close());
            QVERIFY(!form.isVisible());
            QCOMPARE(catcher.boxes().size(), size_t(1));
        }
        QFile::remove(directory);
    }

    void everyCorruptFileIsKeptAside() {
        const QString path = SettingsStore::FilePath();
        WriteStore({});
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QList<QByteArray> corrupt = {"{{{", "[1,", "not json"};
        for (const QByteArray& content : corrupt) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
            TMainForm form;
        }
        QCOMPARE(FileContent(path + ".bad"), corrupt[0]);
        QCOMPARE(FileContent(path + ".bad.1"), corrupt[1]);
        QCOMPARE(FileContent(path + ".bad.2"), corrupt[2]);
    }

    void windowStartsOnThePubxPageWithNineHundredBaud() {
        WriteStore({});
        TMainForm form;
        QCOMPARE(form.objectName(), QString("MainForm"));
        QCOMPARE(form.windowTitle(), QString("ZEPO ublox monitor"));
        QCOMPARE(form.size(), QSize(917, 602));
        QCOMPARE(Named<QTabWidget>(form, "pcZEPOMonitor")->currentWidget()->objectName(),
                 QString("tabUBX"));
        QStringList captions;
        const auto* pages = Named<QTabWidget>(form, "pcZEPOMonitor");
        for (int index = 0; index < pages->count(); ++index)
            captions << pages->tabText(index);
        // The four specified pages come first; pages added later follow them.
        QCOMPARE(captions.mid(0, 4),
                 QStringList({"ComPort", "NMEA Standard", "NMEA PUBX", "UBX Protocol"}));
        QCOMPARE(form.StatusPanel(0)->text(), QString("CommPort:"));
        QCOMPARE(form.StatusPanel(2)->text(), QString("Message:"));
        QCOMPARE(form.StatusPanel(5)->text(), QString("RX: 0  TX: 0"));
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

    // The window opens with only the pages it needs; one built when its tab
    // is first shown holds all that was received before.
    void pagesBuiltWhenFirstShownHoldWhatCameBefore() {
        WriteStore({});
        TMainForm form;
        QVERIFY(!form.findChild<TMessagesPage*>() && !form.findChild<THistoryPage*>() &&
                !form.findChild<TReceiverPage*>() && !form.findChild<TNmeaStandardPage*>() &&
                !form.findChild<TDeviationPage*>() && !form.findChild<TChartsPage*>());
        const std::string gga = NmeaLine("GPGGA,120000.00,4404.1,N,12118.8,W,1,05,0.9,10,M,0,M,,");
        form.portSerial.OnReceive(&form.portSerial, gga + gga);
        PartOf<TReceiverFeed>(form)->Redraw();
        auto* pages = Named<QTabWidget>(form, "pcZEPOMonitor");
        for (int index = 0; index < pages->count(); ++index)
            pages->setCurrentIndex(index);
        QVERIFY(form.findChild<TMessagesPage*>() && form.findChild<THistoryPage*>() &&
                form.findChild<TReceiverPage*>());
        QCOMPARE(Named<TMessagesPage>(form, "tabMessages")->Messages().rowCount(), 2);
        QCOMPARE(Named<QTableWidget>(form, "tvMessageTypes")->item(0, 1)->text(), QString("2"));
        QCOMPARE(Named<THistoryPage>(form, "tabHistory")->Model().rowCount(), 2);
        QCOMPARE(Named<TValuePanel>(form, "pnlFix")->Value("lbFixSatellites").section(' ', 0, 0),
                 QString("5"));
    }

    void commandLineIsReadOrRefusedWithAReason_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baudRate");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("none") << QStringList() << ""
                              << "" << false << "";
        QTest::newRow("all") << QStringList{"--port", "COM7", "--baud=115200", "--open"} << "COM7"
                             << "115200" << true << "";
        QTest::newRow("device") << QStringList{"--port", " /dev/ttyACM0 "} << "/dev/ttyACM0"
                                << "" << false << "";
        QTest::newRow("network source")
            << QStringList{"--port", "tcp://127.0.0.1:4001", "--open"} << "tcp://127.0.0.1:4001"
            << "" << true << "";
        QTest::newRow("network source without port")
            << QStringList{"--port", "tcp://gps"} << ""
            << "" << false << "--port tcp://gps: expected HOST:PORT";
        QTest::newRow("open alone") << QStringList{"--open"} << ""
                                    << "" << true << "";
        QTest::newRow("rate off the list") << QStringList{"--baud", "9601"} << ""
                                           << "" << false << "--baud needs a rate";
        QTest::newRow("rate not a number") << QStringList{"--baud", "fast"} << ""
                                           << "" << false << "not \"fast\"";
        QTest::newRow("blank port") << QStringList{"--port", " "} << ""
                                    << "" << false << "--port needs a port name";
        QTest::newRow("port without option") << QStringList{"COM3"} << ""
                                             << "" << false << "--port NAME";
        QTest::newRow("unknown") << QStringList{"--verbose"} << ""
                                 << "" << false << "verbose";
        QTest::newRow("value missing") << QStringList{"--port"} << ""
                                       << "" << false << "port";
        QTest::newRow("share") << QStringList{"--serve", "0.0.0.0:5000"} << ""
                               << "" << false << "";
        QTest::newRow("share without port") << QStringList{"--serve", "gps"} << ""
                                            << "" << false << "--serve \"gps\" is not";
    }
    void commandLineIsReadOrRefusedWithAReason() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, refusal);
        QCommandLineParser parser;
        DescribeStartupOptions(parser);
        try {
            const TStartupOptions options =
                ReadStartupOptions(parser, QStringList{"zepo-monitor"} + arguments);
            QVERIFY2(refusal.isEmpty(), "accepted");
            QTEST(options.port, "port");
            QTEST(options.baudRate, "baudRate");
            QTEST(options.open, "open");
        } catch (const EStartupUsage& error) {
            QVERIFY2(!refusal.isEmpty() && QString(error.what()).contains(refusal), error.what());
        }
    }

    void startupOpensTheChosenPortOrShowsWhyNot() {
        PtyPeer peer;
        peer.announce("COM7");
        std::unique_ptr<TMainForm> form = ShowFreshWindow();
        QVERIFY(form);
        ApplyStartupOptions(*form, {"COM7", "115200", true, {}});
        QCOMPARE(form->portSerial.IsConnected(), MakeCommPort(7));
        QCOMPARE(form->portSerial.BaudRate(), br115200);
        QCOMPARE(form->StatusPanel(1)->text(), QString("COM7"));
        QCOMPARE(Named<QListWidget>(*form, "lstPorts")->currentItem()->text(), QString("COM7"));
        QCOMPARE(PaneLines(Named<QPlainTextEdit>(*form, "moComPort")).constLast(),
                 QString("Connected to COM7"));
        Named<TComPortPage>(*form, "tabComPort")->ClosePort();

        ModalBoxCatcher boxes;
        ApplyStartupOptions(*form, {"ttyZEPO9", "", true, {}});
        QVERIFY(boxes.waitFor(1));
        QVERIFY(boxes.boxes().front().text.startsWith("Cannot connect to ttyZEPO9 ."));
        QCOMPARE(form->portSerial.IsConnected(), spNone);
        QCOMPARE(form->StatusPanel(1)->text(), QString("ttyZEPO9"));
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
