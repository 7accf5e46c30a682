#include "window/MainForm.h"

#include "widgets/NumEdit.h"
#include "window/AnswerFeed.h"
#include "window/ComPortPage.h"
#include "window/ConfigurePage.h"
#include "window/Controls.h"
#include "window/ErrorBox.h"
#include "window/NmeaPubxPage.h"
#include "window/NmeaStandardPage.h"
#include "window/PersistedPort.h"
#include "window/ReceiveDisplay.h"
#include "window/TextPane.h"
#include "window/UbxProtocolPage.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    setWindowTitle("ZEPO ublox monitor");
    resize(917, 602);
    const QRect designed(QPoint(960, 312), size());
    if (QScreen* screen = QGuiApplication::primaryScreen();
        screen && screen->availableGeometry().contains(designed))
        move(designed.topLeft());

    portSerial.SetPort(spCOM13);
    portSerial.SetDelay(1000);
    TNumEdit::SetErrorHandler(
        [this](const std::exception& error) { ShowErrorBox(this, error.what()); });

    CreatePages();
    CreateStatusBar();
    receiveDisplay = new TReceiveDisplay(this, moData, panels_[3], tabComPort, tabNMEA, tabUBX);
    BindPortEvents();
    BindSending();
    connect(tabComPort, &TComPortPage::PortNameShown, panels_[1], &QLabel::setText);
    RunGuarded(this, [this] { FormCreate(); });
    connect(pcZEPOMonitor, &QTabWidget::currentChanged, this,
            Guarded(this, [this] { pcZEPOMonitorChange(); }));
}

TMainForm::~TMainForm() {
    // The handlers below reach into the pages: end the connection while they
    // still exist, then unbind them.
    portSerial.Close();
    portSerial.OnReceive = nullptr;
    portSerial.OnLineStatusChange = nullptr;
    portSerial.OnConnect = nullptr;
    portSerial.OnDisconnect = nullptr;
    portSerial.OnSend = nullptr;
    TNumEdit::SetErrorHandler(nullptr);
}

void TMainForm::CreatePages() {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    pcZEPOMonitor = new QTabWidget(splitter);
    pcZEPOMonitor->setObjectName("pcZEPOMonitor");
    tabComPort = new TComPortPage(pcZEPOMonitor, portSerial);
    tabNMEA = new TNmeaStandardPage(pcZEPOMonitor);
    tabUBX = new TNmeaPubxPage(pcZEPOMonitor);
    ts = new TUbxProtocolPage(pcZEPOMonitor);
    pcZEPOMonitor->addTab(tabComPort, "ComPort");
    pcZEPOMonitor->addTab(tabNMEA, "NMEA Standard");
    pcZEPOMonitor->addTab(tabUBX, "NMEA PUBX");
    pcZEPOMonitor->addTab(ts, "UBX Protocol");
    tabConfigure = new TConfigurePage(pcZEPOMonitor);
    pcZEPOMonitor->addTab(tabConfigure, "Configure");
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
    const int widths[] = {70, 50, 55, 50};
    const char* texts[] = {"CommPort:", "", "Message:", ""};
    for (int index = 0; index < 4; ++index) {
        auto* panel = new QLabel(texts[index], sbZEPOMonitor);
        panel->setObjectName("sbZEPOMonitorPanel" + QString::number(index));
        panel->setMinimumWidth(widths[index]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        // The last panel takes the rest of the bar; a long watch line is cut
        // there instead of widening the window.
        if (index == 3)
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        sbZEPOMonitor->addWidget(panel, index == 3 ? 1 : 0);
        panels_[index] = panel;
    }
}
