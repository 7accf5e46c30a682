#include "window/app/MainForm.h"

#include "widgets/NumEdit.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/ConfigurePage.h"
#include "window/pages/HistoryPage.h"
#include "window/pages/MessagesPage.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/pages/ReceiverPage.h"
#include "window/pages/RecordPage.h"
#include "window/pages/UbxProtocolPage.h"
#include "window/parts/AnswerFeed.h"
#include "window/parts/AskedRates.h"
#include "window/parts/BaudTasks.h"
#include "window/parts/LineLoad.h"
#include "window/parts/PortWatcher.h"
#include "window/parts/ReceiveDisplay.h"
#include "window/parts/ReceiverFeed.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/SessionControl.h"
#include "window/parts/UbxCommander.h"
#include "window/parts/WindowSender.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    setWindowTitle(WindowCaption);
    resize(917, 602);
    const QRect designed(QPoint(960, 312), size());
    if (QScreen* screen = QGuiApplication::primaryScreen();
        screen && screen->availableGeometry().contains(designed))
        move(designed.topLeft());

    portSerial.SetPort(spCOM13);
    portSerial.SetDelay(1000);
    TNumEdit::SetErrorHandler(
        [this](const std::exception& error) { ShowErrorBox(this, error.what()); });

    CreateStatusBar();
    CreateServices();
    CreatePages();
    receiveDisplay_ = new TReceiveDisplay(this, moData);
    receiverFeed_ = new TReceiverFeed(this);
    answerFeed_ = std::make_unique<TAnswerFeed>(*ubxCommander_, *baudTasks_);
    askedRates_ = std::make_unique<TAskedRates>();
    lineLoad_ = std::make_unique<TLineLoad>();
    portWatcher_ = new TPortWatcher(this, MakeUdevMonitor());
    ConnectParts();
    ConnectReceiving();
    BindPortEvents();
    RunGuarded(this, [this] { FormCreate(); });
    ShowPortState(spNone);
}

TMainForm::~TMainForm() {
    // The handlers below reach into the pages: end the connection while they
    // still exist, then unbind them.
    portSerial.Close();
    // The session taps the port; the Record page drives the session.
    delete tabRecord;
    delete sessionControl_;
    portSerial.OnReceive = nullptr;
    portSerial.OnLineStatusChange = nullptr;
    portSerial.OnConnect = nullptr;
    portSerial.OnDisconnect = nullptr;
    portSerial.OnDeviceLost = nullptr;
    portSerial.OnLinkUp = nullptr;
    portSerial.OnOverflow = nullptr;
    portSerial.OnSend = nullptr;
    TNumEdit::SetErrorHandler(nullptr);
}

void TMainForm::CreateServices() {
    // The window's own sends never hold it: they go through the sender.
    sender_ = new TWindowSender(sbZEPOMonitor, portSerial,
                                [this](const std::string& Buffer) { EchoSent(Buffer); });
    ubxCommander_ = new TUbxCommander(this, portSerial);
    receiverIdentity_ = new TReceiverIdentity(this, *ubxCommander_);
    baudTasks_ = new TBaudTasks(this, *ubxCommander_, *receiverIdentity_, portSerial);
    sessionControl_ = new TSessionControl(this, portSerial);
}

void TMainForm::CreatePages() {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    pcZEPOMonitor = new QTabWidget(splitter);
    pcZEPOMonitor->setObjectName("pcZEPOMonitor");
    tabComPort = new TComPortPage(pcZEPOMonitor, portSerial, *ubxCommander_);
    tabNMEA = new TNmeaStandardPage(pcZEPOMonitor, *sender_);
    tabUBX = new TNmeaPubxPage(pcZEPOMonitor, *sender_);
    ts = new TUbxProtocolPage(pcZEPOMonitor, *ubxCommander_);
    pcZEPOMonitor->addTab(tabComPort, "ComPort");
    pcZEPOMonitor->addTab(tabNMEA, "NMEA Standard");
    pcZEPOMonitor->addTab(tabUBX, "NMEA PUBX");
    pcZEPOMonitor->addTab(ts, "UBX Protocol");
    tabReceiver = new TReceiverPage(pcZEPOMonitor);
    pcZEPOMonitor->addTab(tabReceiver, "Receiver");
    tabMessages = new TMessagesPage(pcZEPOMonitor);
    pcZEPOMonitor->addTab(tabMessages, "Messages");
    tabConfigure =
        new TConfigurePage(pcZEPOMonitor, *ubxCommander_, *baudTasks_, *receiverIdentity_);
    pcZEPOMonitor->addTab(tabConfigure, "Configure");
    tabRecord = new TRecordPage(pcZEPOMonitor, *sessionControl_);
    pcZEPOMonitor->addTab(tabRecord, "Record");
    tabHistory = new THistoryPage(pcZEPOMonitor);
    pcZEPOMonitor->addTab(tabHistory, "History");
    pcZEPOMonitor->setCurrentWidget(tabUBX);

    moData = MakeTextPane(splitter, "moData");
    QPalette palette = moData->palette();
    palette.setColor(QPalette::Base, ColorInactiveCaptionGradient);
    moData->setPalette(palette);

    splitter->addWidget(pcZEPOMonitor);
    splitter->addWidget(moData);
    splitter->setSizes({356, 221});
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);
}

void TMainForm::CreateStatusBar() {
    sbZEPOMonitor = new QStatusBar(this);
    sbZEPOMonitor->setObjectName("sbZEPOMonitor");
    setStatusBar(sbZEPOMonitor);
    const int widths[] = {70, 50, 55, 50, 0, 0};
    const char* texts[] = {"CommPort:", "", "Message:", "", "", ""};
    for (int index = 0; index < 6; ++index) {
        auto* panel = new QLabel(texts[index], sbZEPOMonitor);
        panel->setObjectName(index < 4 ? "sbZEPOMonitorPanel" + QString::number(index)
                                       : QString(index == 4 ? "pnlSession" : "pnlByteCounts"));
        panel->setMinimumWidth(widths[index]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        // The last panel takes the rest of the bar; a long watch line is cut
        // there instead of widening the window.
        if (index == 3)
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        if (index < 4)
            sbZEPOMonitor->addWidget(panel, index == 3 ? 1 : 0);
        else
            sbZEPOMonitor->addPermanentWidget(panel);
        panels_[index] = panel;
    }
    // What became of the connection: a device removed, a port reconnected.
    portState_ = new QLabel(sbZEPOMonitor);
    portState_->setObjectName("sbPortState");
    sbZEPOMonitor->addPermanentWidget(portState_);
    // The line cannot carry what the receiver is asked to send: beside the
    // watch line, cut to the room there (the whole text in its tool tip).
    lineWarning_ = new QLabel(sbZEPOMonitor);
    lineWarning_->setObjectName("sbLineWarning");
    lineWarning_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lineWarning_->setStyleSheet("QLabel { color: #a00000; }");
    lineWarning_->hide();
    sbZEPOMonitor->addWidget(lineWarning_, 2);
}
