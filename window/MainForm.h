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
class TConfigurePage;
class TNmeaPubxPage;
class TNmeaStandardPage;
class TReceiveDisplay;
class TUbxCommander;
class TUbxProtocolPage;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Status bar panel 0 … 3.
    QLabel* StatusPanel(int index) const { return panels_.at(index); }

    TSerialPort portSerial;
    QTabWidget* pcZEPOMonitor;
    TComPortPage* tabComPort;
    TNmeaStandardPage* tabNMEA;
    TNmeaPubxPage* tabUBX;
    TUbxProtocolPage* ts;
    TConfigurePage* tabConfigure;
    QPlainTextEdit* moData;
    QStatusBar* sbZEPOMonitor;
    TReceiveDisplay* receiveDisplay;
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

    std::array<QLabel*, 4> panels_{};
    std::unique_ptr<TAnswerFeed> answerFeed_;
};
