#include "window/pages/ConfigurePage.h"

#include "protocol/commands/OutputMessages.h"
#include "protocol/commands/RateProbe.h"
#include "protocol/commands/UbxCommands.h"
#include "window/blocks/Controls.h"
#include "window/blocks/TextPane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

namespace {

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& caption) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    return group;
}

QSpinBox* MakeSpin(QWidget* parent, const QString& name, int low, int high, int value) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(low, high);
    spin->setValue(value);
    return spin;
}

QCheckBox* MakeCheck(QWidget* parent, const QString& name, const QString& caption) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    check->setChecked(true);
    return check;
}

} // namespace

TConfigurePage::TConfigurePage(QWidget* parent, TUbxCommander& commander, TBaudTasks& baudTasks,
                               TReceiverIdentity& identity)
    : QWidget(parent), commander_(commander), baudTasks_(baudTasks), identity_(identity) {
    setObjectName("tabConfigure");
    auto* page = new QGridLayout(this);
    lblReceiver = MakeAnswerLabel(this, "lblReceiver");
    page->addWidget(lblReceiver, 0, 0, 1, 2);
    page->addWidget(CreateBaudGroup(), 1, 0);
    page->addWidget(CreateRateGroup(), 1, 1);
    page->addWidget(CreateMessageGroup(), 2, 0);
    page->addWidget(CreateConfigGroup(), 2, 1);
    page->addWidget(CreateFirmwareGroup(), 3, 0, 1, 2);
    page->setRowStretch(3, 1);
    Connect();
    ConnectBaudTasks();
}

QGroupBox* TConfigurePage::CreateBaudGroup() {
    gbBaud = MakeGroup(this, "gbBaud", "Receiver baud rate");
    cbReceiverBaud = new QComboBox(gbBaud);
    cbReceiverBaud->setObjectName("cbReceiverBaud");
    std::vector<std::int32_t> ascending = LikelyReceiverRates();
    std::sort(ascending.begin(), ascending.end());
    for (std::int32_t rate : ascending)
        cbReceiverBaud->addItem(QString::number(rate), rate);
    cbReceiverBaud->setCurrentText("9600");
    btnPollPort = MakeButton(gbBaud, "btnPollPort", "Poll");
    btnSetBaud = MakeButton(gbBaud, "btnSetBaud", "Set");
    lblBaudAnswer = MakeAnswerLabel(gbBaud, "lblBaudAnswer");
    btnFindBaud = MakeButton(gbBaud, "btnFindBaud", "Find Baud");
    lblFindBaud = MakeAnswerLabel(gbBaud, "lblFindBaud");

    auto* layout = new QGridLayout(gbBaud);
    layout->addWidget(cbReceiverBaud, 0, 0);
    layout->addWidget(btnPollPort, 0, 1);
    layout->addWidget(btnSetBaud, 0, 2);
    layout->addWidget(lblBaudAnswer, 1, 0, 1, 3);
    layout->addWidget(btnFindBaud, 2, 0);
    layout->addWidget(lblFindBaud, 3, 0, 1, 3);
    return gbBaud;
}

QGroupBox* TConfigurePage::CreateRateGroup() {
    gbNavRate = MakeGroup(this, "gbNavRate", "Navigation rate");
    spMeasRate = MakeSpin(gbNavRate, "spMeasRate", 25, 65535, 1000);
    spMeasRate->setSuffix(" ms");
    spNavRate = MakeSpin(gbNavRate, "spNavRate", 1, 127, 1);
    btnPollRate = MakeButton(gbNavRate, "btnPollRate", "Poll");
    btnSetRate = MakeButton(gbNavRate, "btnSetRate", "Set");
    lblRateAnswer = MakeAnswerLabel(gbNavRate, "lblRateAnswer");

    auto* layout = new QGridLayout(gbNavRate);
    layout->addWidget(new QLabel("Measurement period", gbNavRate), 0, 0);
    layout->addWidget(spMeasRate, 0, 1);
    layout->addWidget(btnPollRate, 0, 2);
    layout->addWidget(new QLabel("Measurements per solution", gbNavRate), 1, 0);
    layout->addWidget(spNavRate, 1, 1);
    layout->addWidget(btnSetRate, 1, 2);
    layout->addWidget(lblRateAnswer, 2, 0, 1, 3);
    return gbNavRate;
}

QGroupBox* TConfigurePage::CreateMessageGroup() {
    gbMsgRate = MakeGroup(this, "gbMsgRate", "Message rates");
    cbMessage = new QComboBox(gbMsgRate);
    cbMessage->setObjectName("cbMessage");
    for (const TOutputMessage& message : OutputMessages())
        cbMessage->addItem(QString::fromLatin1(message.Name.data(), message.Name.size()));
    btnPollMsg = MakeButton(gbMsgRate, "btnPollMsg", "Poll");
    btnSetMsg = MakeButton(gbMsgRate, "btnSetMsg", "Set");
    lblMsgAnswer = MakeAnswerLabel(gbMsgRate, "lblMsgAnswer");

    auto* layout = new QGridLayout(gbMsgRate);
    layout->addWidget(cbMessage, 0, 0, 1, 2);
    layout->addWidget(btnPollMsg, 0, 2);
    layout->addWidget(btnSetMsg, 0, 3);
    auto* ports = new QHBoxLayout;
    for (std::size_t port = 0; port < spPortRate.size(); ++port) {
        const QString portName = ubx::kMsgRatePorts[port];
        spPortRate[port] =
            MakeSpin(gbMsgRate, "spPortRate" + QString(portName).remove(' '), 0, 255, 0);
        QLabel* label = MakeLabel(gbMsgRate, "lblPortRate" + QString::number(port), portName);
        ports->addWidget(WithLabelUnder(gbMsgRate, spPortRate[port], label));
    }
    layout->addLayout(ports, 1, 0, 1, 4);
    layout->addWidget(lblMsgAnswer, 2, 0, 1, 4);
    return gbMsgRate;
}

QGroupBox* TConfigurePage::CreateConfigGroup() {
    gbConfig = MakeGroup(this, "gbConfig", "Configuration");
    cbDevBBR = MakeCheck(gbConfig, "cbDevBBR", "Battery-backed RAM");
    cbDevFlash = MakeCheck(gbConfig, "cbDevFlash", "Flash");
    cbDevEEPROM = MakeCheck(gbConfig, "cbDevEEPROM", "EEPROM");
    cbDevSPIFlash = MakeCheck(gbConfig, "cbDevSPIFlash", "SPI flash");
    btnSaveCfg = MakeButton(gbConfig, "btnSaveCfg", "Save");
    btnLoadCfg = MakeButton(gbConfig, "btnLoadCfg", "Load");
    btnDefaultCfg = MakeButton(gbConfig, "btnDefaultCfg", "Defaults");
    btnHotStart = MakeButton(gbConfig, "btnHotStart", "Hot Start");
    btnWarmStart = MakeButton(gbConfig, "btnWarmStart", "Warm Start");
    btnColdStart = MakeButton(gbConfig, "btnColdStart", "Cold Start");
    lblCfgAnswer = MakeAnswerLabel(gbConfig, "lblCfgAnswer");

    auto* layout = new QGridLayout(gbConfig);
    layout->addWidget(cbDevBBR, 0, 0);
    layout->addWidget(cbDevFlash, 0, 1);
    layout->addWidget(cbDevEEPROM, 0, 2);
    layout->addWidget(cbDevSPIFlash, 0, 3);
    layout->addWidget(btnSaveCfg, 1, 0);
    layout->addWidget(btnLoadCfg, 1, 1);
    layout->addWidget(btnDefaultCfg, 1, 2);
    layout->addWidget(btnHotStart, 2, 0);
    layout->addWidget(btnWarmStart, 2, 1);
    layout->addWidget(btnColdStart, 2, 2);
    layout->addWidget(lblCfgAnswer, 3, 0, 1, 4);
    return gbConfig;
}

QGroupBox* TConfigurePage::CreateFirmwareGroup() {
    gbFirmware = MakeGroup(this, "gbFirmware", "Firmware");
    btnPollVersion = MakeButton(gbFirmware, "btnPollVersion", "Poll MON-VER");
    moVersion = MakeTextPane(gbFirmware, "moVersion");
    auto* layout = new QHBoxLayout(gbFirmware);
    layout->addWidget(btnPollVersion, 0, Qt::AlignTop);
    layout->addWidget(moVersion, 1);
    return gbFirmware;
}
