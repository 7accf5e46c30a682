#pragma once
// The main window: the four pages, the data pane, the status bar and the
// window's serial port, whose events it binds to the pages' handlers. It
// restores the port last used at start-up and stores it again at closing.

#include "serial/SerialPort.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QLabel;
class TAnswerFeed;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QTabWidget;
class TBaudTasks;
class TComPortPage;
class THistoryPage;
class TConfigurePage;
class TNmeaPubxPage;
class TPortWatcher;
class TNmeaStandardPage;
class TReceiveDisplay;
class TMessagesPage;
class TReceiverFeed;
class TReceiverPage;
class TRecordPage;
class TSessionControl;
class TUbxCommander;
class TUbxProtocolPage;
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

    TSerialPort portSerial;
    QTabWidget* pcZEPOMonitor;
    TComPortPage* tabComPort;
    TNmeaStandardPage* tabNMEA;
    TNmeaPubxPage* tabUBX;
    TUbxProtocolPage* ts;
    TReceiverPage* tabReceiver;
    TMessagesPage* tabMessages;
    QPlainTextEdit* moData;
    QStatusBar* sbZEPOMonitor;
    TReceiveDisplay* receiveDisplay;
    TWindowSender* sender;
    TPortWatcher* portWatcher;
    TRecordPage* tabRecord;
    TSessionControl* sessionControl;
    TReceiverFeed* receiverFeed;
    TConfigurePage* tabConfigure;
    THistoryPage* tabHistory;
    TUbxCommander* ubxCommander;
    TBaudTasks* baudTasks;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreatePages();
    void CreateStatusBar();
    void BindPortEvents();
    void BindSending();
    void FormCreate();
    void FormClose();
    void pcZEPOMonitorChange();
    // Shows whether a port is open: Open and Close enabled as they apply,
    // the port in use in status panel 1 and in the title.
    void ShowPortState(TCommPort connected);

    std::array<QLabel*, 6> panels_{};
    QLabel* portState_ = nullptr;
    std::unique_ptr<TAnswerFeed> answerFeed_;
};
