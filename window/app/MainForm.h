#pragma once
// The main window: the pages, the data pane, the status bar and the window's
// serial port with the parts that work on it (receive display and feed,
// sender, UBX commander, baud tasks, session control). Each page keeps its
// controls and handlers; the window makes the connections between them and
// binds the port's events. It restores the port last used at start-up and
// stores it again at closing. The pages no one needs at start-up are built
// when first shown; the list of messages and the session history they show
// are the window's, so they hold what came before.

#include "serial/SerialPort.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QStatusBar;
class QTabWidget;
class TAnswerFeed;
class TAskedRates;
class TBaudTasks;
class TComPortPage;
class SessionHistory;
class TConfigDatabaseSession;
class TLineLoad;
class TMessageListModel;
class TNmeaPubxPage;
class TNmeaStandardPage;
class TNtripControl;
class TPortWatcher;
class TReceiveDisplay;
class TReceiverFeed;
class TReceiverIdentity;
class TReceiverPage;
class TRecordPage;
class TSessionControl;
class TShareControl;
class TUbxCommander;
class TWindowSender;

// The window's caption; while a port is open the title names it as well.
inline const QString WindowCaption = QStringLiteral("ZEPO ublox monitor");

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Status bar panel 0 … 3, then the session's state (4) and the byte
    // counters (5).
    QLabel* StatusPanel(int index) const { return panels_.at(index); }
    // The connection's state after a device went or came back.
    QLabel* PortState() const { return portState_; }

    // The port named (COMn or a device path) chosen as in the port list, the
    // baud rate chosen in its list, and "Open" pressed.
    void ChoosePort(const QString& name);
    void ChooseBaudRate(const QString& rate);
    void OpenPort();
    // Shares the live stream at address as the page's "Share" does.
    void ShareAt(const QString& address);

    TSerialPort portSerial;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateServices();
    void CreatePages();
    // A tab whose page build makes when the tab is first shown.
    void AddLazyPage(const QString& caption, std::function<QWidget*(QWidget* parent)> build);
    void CreateStatusBar();
    void ConnectParts();
    void ConnectReceiving();
    void ConnectNmeaStandardPage(TNmeaStandardPage* page);
    void BindPortEvents();
    // A write's bytes: counted by the session, echoed in the port log.
    void EchoSent(const std::string& Buffer);
    // The reads of the chunk being delivered count towards the line's load.
    void MeasureLine();
    // On the Receiver page and in the status bar; none hides the warning.
    void ShowLineWarnings(const QStringList& warnings);
    void FormCreate();
    void FormClose();
    // Shows whether a port is open: Open and Close enabled as they apply,
    // the port in use in status panel 1 and in the title.
    void ShowPortState(TCommPort connected);

    QTabWidget* pcZEPOMonitor = nullptr;
    TComPortPage* tabComPort = nullptr;
    TNmeaPubxPage* tabUBX = nullptr;
    TReceiverPage* tabReceiver = nullptr; // once built
    TRecordPage* tabRecord = nullptr;
    QPlainTextEdit* moData = nullptr;
    QStatusBar* sbZEPOMonitor = nullptr;
    std::array<QLabel*, 6> panels_{};
    QLabel* portState_ = nullptr;
    QLabel* lineWarning_ = nullptr;

    TWindowSender* sender_ = nullptr;
    TUbxCommander* ubxCommander_ = nullptr;
    TReceiverIdentity* receiverIdentity_ = nullptr;
    TConfigDatabaseSession* configSession_ = nullptr;
    TBaudTasks* baudTasks_ = nullptr;
    TSessionControl* sessionControl_ = nullptr;
    // Fed by the session's tap; goes before it.
    TShareControl* shareControl_ = nullptr;
    TReceiveDisplay* receiveDisplay_ = nullptr;
    TReceiverFeed* receiverFeed_ = nullptr;
    // Writes a caster's corrections through the sender.
    TNtripControl* ntripControl_ = nullptr;
    TPortWatcher* portWatcher_ = nullptr;
    std::unique_ptr<TAnswerFeed> answerFeed_;
    // What the window asked of the receiver, and whether the line carries it.
    std::unique_ptr<TAskedRates> askedRates_;
    std::unique_ptr<TLineLoad> lineLoad_;
    QStringList lineWarnings_;
    TMessageListModel* messageList_ = nullptr;
    std::unique_ptr<SessionHistory> history_;
};
