#include "window/pages/ComPortPage.h"

#include "widgets/LedIndicator.h"
#include "window/blocks/Controls.h"
#include "window/blocks/RadioGroup.h"
#include "window/blocks/TextPane.h"
#include "window/pages/SharePanel.h"
#include "window/parts/AutoReconnect.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QStringList BaudRates = {"75",     "110",    "134",    "150",   "300",    "600",
                               "1200",   "1800",   "2400",   "4800",  "7200",   "9600",
                               "14400",  "19200",  "38400",  "57600", "115200", "128000",
                               "230400", "256000", "460800", "921600"};

QListWidget* MakeList(QWidget* parent, const QString& name, const QString& hint) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setToolTip(hint);
    list->setFixedWidth(70);
    return list;
}

QVBoxLayout* LabelledList(QLabel* label, QListWidget* list) {
    auto* column = new QVBoxLayout;
    column->addWidget(label);
    column->addWidget(list, 1);
    return column;
}

QStringList DesignPortItems() {
    QStringList items;
    for (int number = 1; number <= 20; ++number)
        items << "COM" + QString::number(number);
    return items;
}
} // namespace

TComPortPage::TComPortPage(QWidget* parent, TSerialPort& port, TUbxCommander& commander,
                           TShareControl& share)
    : QWidget(parent), portSerial(port), commander_(commander),
      share_(new TSharePanel(this, share)) {
    setObjectName("tabComPort");
    CreateControls();
    LayOut();
    Connect();
}

void TComPortPage::CreateControls() {
    btnOpen = MakeButton(this, "btnOpen", "Open");
    btnClose = MakeButton(this, "btnClose", "Close");
    btnRefesh = MakeButton(this, "btnRefesh", "Refesh");
    lblPort = MakeLabel(this, "lblPort", "Port");
    lstPorts = MakeList(this, "lstPorts", "Port");
    lstPorts->addItems(DesignPortItems());
    lstPorts->setContextMenuPolicy(Qt::CustomContextMenu);
    // A network source's address keeps its scheme and port in the narrow list.
    lstPorts->setTextElideMode(Qt::ElideMiddle);
    poplstPorts = new QMenu(lstPorts);
    poplstPorts->setObjectName("poplstPorts");
    miRefreshPorts1 = poplstPorts->addAction("Refresh");
    miRefreshPorts1->setObjectName("miRefreshPorts1");
    lblBaudRate = MakeLabel(this, "lblBaudRate", "Baud Rate");
    lstBaudRate = MakeList(this, "lstBaudRate", "Baud Rate");
    lstBaudRate->addItems(BaudRates);
    SelectBaudRate("9600");
    rbSwFlowControl =
        new TRadioGroup(this, "rbSwFlowControl", "Software Flow Control", {"None", "XON/XOFF"}, 0);
    rbParity =
        new TRadioGroup(this, "rbParity", "Parity", {"None", "Odd", "Even", "Mark", "Space"}, 0);
    rbDataWidth = new TRadioGroup(this, "rbDataWidth", "Data Width (Byte Size)",
                                  {"5 bits", "6 bits", "7 bits", "8 bits"}, 3);
    rbHwFlowControl = new TRadioGroup(this, "rbHwFlowControl", "Hardware Flow Control",
                                      {"None", "DTR/DSR", "RTS/CTS"}, 0);
    rbStopBits = new TRadioGroup(this, "rbStopBits", "Stop Bits", {"1", "1.5", "2"}, 0);
    gbEnable = new QGroupBox("Enable", this);
    gbEnable->setObjectName("gbEnable");
    cbDTR = new QCheckBox("DTR", gbEnable);
    cbDTR->setObjectName("cbDTR");
    cbRTS = new QCheckBox("RTS", gbEnable);
    cbRTS->setObjectName("cbRTS");
    btnApply = MakeButton(this, "btnApply", "Apply Settings");
    moComPort = MakeLogPane(this, "moComPort");
    // Wide enough for the echo of a 12-byte frame, the CFG-ANT set.
    FitColumns(moComPort, 48);
    btnPollCFG_ANT = MakeButton(this, "btnPollCFG_ANT", " Poll CFG-ANT");
    btnGetSetCFG_ANT = MakeButton(this, "btnGetSetCFG_ANT", "Get/Set CFG-ANT");
    lblNumSent = MakeLabel(this, "lblNumSent", "lblSent");
    // " Data In", lamp left of the caption, an indicator that clicks do not switch.
    ledDataIn = new TLedIndicator(this);
    ledDataIn->setObjectName("ledDataIn");
    ledDataIn->SetCaption(" Data In");
    ledDataIn->SetMode(mIndicator);
    ledDataIn->SetFrequency(ff1Hz);
    ledDataIn->SetLED_Position(lpLeft);
    ledDataIn->SetSpacing(5);
    cbAutoReconnect = new QCheckBox("Reconnect", this);
    cbAutoReconnect->setObjectName("cbAutoReconnect");
    cbAutoReconnect->setToolTip("Reopen the port when its device comes back");
    cbAutoReconnect->setChecked(true);
    autoReconnect_ = new TAutoReconnect(this, portSerial);
}

void TComPortPage::LayOut() {
    auto* enableLayout = new QVBoxLayout(gbEnable);
    enableLayout->addWidget(cbDTR);
    enableLayout->addWidget(cbRTS);
    enableLayout->addStretch();

    // Three narrow columns of settings leave the port log room for a whole
    // echo line of a UBX frame.
    auto* lists = new QVBoxLayout;
    lists->addLayout(LabelledList(lblPort, lstPorts), 1);
    lists->addLayout(LabelledList(lblBaudRate, lstBaudRate), 2);
    auto* settings = new QGridLayout;
    settings->setVerticalSpacing(2);
    settings->addLayout(lists, 0, 0, 3, 1);
    settings->addWidget(rbDataWidth, 0, 1);
    settings->addWidget(rbStopBits, 1, 1);
    settings->addWidget(gbEnable, 2, 1);
    settings->addWidget(rbParity, 0, 2);
    settings->addWidget(rbHwFlowControl, 1, 2);
    settings->addWidget(rbSwFlowControl, 2, 2);

    auto* connection = new QHBoxLayout;
    for (QWidget* control : {btnOpen, btnClose, btnApply, btnRefesh})
        connection->addWidget(control);
    connection->addWidget(cbAutoReconnect);
    auto* frames = new QHBoxLayout;
    frames->addWidget(ledDataIn);
    frames->addStretch();
    for (QWidget* control :
         std::initializer_list<QWidget*>{lblNumSent, btnPollCFG_ANT, btnGetSetCFG_ANT})
        frames->addWidget(control);
    auto* log = new QVBoxLayout;
    log->addLayout(connection);
    log->addLayout(frames);
    log->addWidget(moComPort, 1);
    log->addWidget(share_);

    auto* page = new QHBoxLayout(this);
    page->addLayout(settings);
    page->addLayout(log, 1);
}

void TComPortPage::ShareAt(const QString& address) {
    share_->ShareAt(address);
}
