#include "window/app/MainForm.h"

#include "recording/SessionHistory.h"
#include "widgets/NumEdit.h"
#include "window/blocks/ErrorBox.h"
#include "window/pages/MessageListModel.h"
#include "window/pages/MessageText.h"
#include "window/pages/RecordPage.h"
#include "window/parts/AnswerFeed.h"
#include "window/parts/AskedRates.h"
#include "window/parts/BaudTasks.h"
#include "window/parts/ConfigDatabaseSession.h"
#include "window/parts/LineLoad.h"
#include "window/parts/NtripControl.h"
#include "window/parts/PortWatcher.h"
#include "window/parts/ReceiveDisplay.h"
#include "window/parts/ReceiverFeed.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/SessionControl.h"
#include "window/parts/ShareControl.h"
#include "window/parts/UbxCommander.h"
#include "window/parts/WindowSender.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>

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
    receiverFeed_ = new TReceiverFeed(this); // the Record page shows its fixes
    CreatePages();
    receiveDisplay_ = new TReceiveDisplay(this, moData);
    ntripControl_ = new TNtripControl(this, *sender_, portSerial, *receiverFeed_);
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
    delete ntripControl_;
    delete shareControl_;
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
    // Corrections from a caster are counted and recorded, not echoed.
    sender_ = new TWindowSender(
        sbZEPOMonitor, portSerial, [this](const std::string& Buffer) { EchoSent(Buffer); },
        [this](const std::string& Buffer) { sessionControl_->Sent(Buffer); });
    ubxCommander_ = new TUbxCommander(this, *sender_, portSerial);
    receiverIdentity_ = new TReceiverIdentity(this, *ubxCommander_);
    baudTasks_ = new TBaudTasks(this, *ubxCommander_, *receiverIdentity_, portSerial);
    configSession_ = new TConfigDatabaseSession(this, *ubxCommander_);
    sessionControl_ = new TSessionControl(this, portSerial);
    shareControl_ = new TShareControl(this, *sessionControl_, *sender_);
    messageList_ =
        new TMessageListModel(&MessageSummary, TMessageListModel::kDefaultCapacity, this);
    history_ = std::make_unique<SessionHistory>();
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
