// The port page's handlers: applying the settings, opening and closing the
// port, the port list, the connection log and the CFG-ANT frames.

#include "protocol/TransmitEcho.h"
#include "serial/NetworkSource.h"
#include "widgets/LedIndicator.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/RadioGroup.h"
#include "window/blocks/TextPane.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/SharePanel.h"
#include "window/parts/AutoReconnect.h"
#include "window/parts/PersistedPort.h"
#include "window/parts/RecentNetworkSources.h"
#include "window/parts/UbxCommander.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <stdexcept>
#include <utility>

namespace {
const QString NetworkSourceItem = QStringLiteral("Network source...");
const QString NetworkSourcePrompt =
    QStringLiteral("Receiver on the network:\n"
                   "tcp://HOST:PORT to connect to it, tcp-listen://:PORT to wait for it,\n"
                   "udp://:PORT to receive its datagrams (udp://:PORT@HOST:PORT to answer "
                   "HOST),\n"
                   "rfc2217://HOST:PORT to connect to a bridge that lets the line settings "
                   "set its serial line");
const QString NoLineSettings =
    QStringLiteral("Line settings do not apply to this network source; the bridge sets the "
                   "receiver's line (an rfc2217:// source takes them)");
// Where a control keeps its own tooltip while it shows NoLineSettings.
const char* const SerialToolTip = "serialToolTip";

QString SelectedText(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void SelectItem(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    if (!text.isEmpty() && !found.isEmpty())
        list->setCurrentItem(found.first());
}
} // namespace

void TComPortPage::Connect() {
    connect(btnApply, &QPushButton::clicked, this, Guarded(this, [this] { ApplyPortSettings(); }));
    connect(btnOpen, &QPushButton::clicked, this, Guarded(this, [this] { OpenPort(); }));
    connect(btnClose, &QPushButton::clicked, this, Guarded(this, [this] { ClosePort(); }));
    connect(btnRefesh, &QPushButton::clicked, this, Guarded(this, [this] { RefreshPortList(); }));
    connect(miRefreshPorts1, &QAction::triggered, this,
            Guarded(this, [this] { RefreshPortList(); }));
    connect(lstPorts, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { poplstPorts->popup(lstPorts->mapToGlobal(at)); });
    connect(lstPorts, &QListWidget::itemSelectionChanged, this,
            Guarded(this, [this] { PortChosen(); }));
    connect(cbAutoReconnect, &QCheckBox::toggled, this, [this](bool on) {
        autoReconnect_->SetEnabled(on);
        autoReconnect_->PortsChanged();
    });
    connect(btnPollCFG_ANT, &QPushButton::clicked, this,
            Guarded(this, [this] { SendAntennaFrame(CfgAntPollPacket()); }));
    connect(btnGetSetCFG_ANT, &QPushButton::clicked, this,
            Guarded(this, [this] { SendAntennaFrame(CfgAntSetPacket()); }));
}

QString TComPortPage::PortName(TCommPort port) const {
    return QString::fromLatin1(portSerial.CommPortToString(port));
}

void TComPortPage::RefreshPortList() {
    lstPorts->clear();
    const TCommPortSet present = GetExistingCommPorts();
    for (int number = 1; number <= 254; ++number) {
        if (!present.test(number))
            continue;
        const std::string name = CommPortToString(MakeCommPort(number));
        auto* item = new QListWidgetItem(QString::fromLatin1(name), lstPorts);
        item->setToolTip(QString::fromLatin1(DevicePathOfPort(name)));
    }
    for (const QString& source : RecentNetworkSources())
        (new QListWidgetItem(source, lstPorts))->setToolTip(source);
    auto* ask = new QListWidgetItem(NetworkSourceItem, lstPorts);
    ask->setToolTip("Type the address of a receiver on the network");
}

void TComPortPage::MatchLineSettingsToPort() {
    const std::string name = portSerial.CommPortToString(portSerial.Port());
    const bool network = IsNetworkSourceName(name) && !CarriesLineSettings(name);
    for (QWidget* control :
         std::initializer_list<QWidget*>{lstBaudRate, rbDataWidth, rbStopBits, gbEnable, rbParity,
                                         rbHwFlowControl, rbSwFlowControl}) {
        if (!control->property(SerialToolTip).isValid())
            control->setProperty(SerialToolTip, control->toolTip());
        control->setEnabled(!network);
        control->setToolTip(network ? NoLineSettings : control->property(SerialToolTip).toString());
    }
}

void TComPortPage::SelectBaudRate(const QString& rate) {
    SelectItem(lstBaudRate, rate);
}

void TComPortPage::ShowMonitorRate(std::int32_t rate) {
    SelectBaudRate(QString::number(rate));
    Log(QString("Monitor now at %1 baud").arg(rate));
}

void TComPortPage::SelectListedPort(const QString& name) {
    SelectItem(lstPorts, name);
}

void TComPortPage::ApplyPortSettings() {
    const QString rate = SelectedText(lstBaudRate);
    if (rate.isEmpty())
        throw std::runtime_error("Select a baud rate");
    portSerial.SetBaudRate(IntToBaudRate(rate.toInt()));
    portSerial.SetDataWidth(static_cast<TDataWidth>(rbDataWidth->ItemIndex()));
    portSerial.SetParity(static_cast<TParityBits>(rbParity->ItemIndex()));
    portSerial.SetStopBits(static_cast<TStopBits>(rbStopBits->ItemIndex()));
    portSerial.SetHwFlowControl(static_cast<THwFlowControl>(rbHwFlowControl->ItemIndex()));
    portSerial.SetSwFlowControl(static_cast<TSwFlowControl>(rbSwFlowControl->ItemIndex()));
    portSerial.SetEnableDTROnOpen(cbDTR->isChecked());
    portSerial.SetEnableRTSOnOpen(cbRTS->isChecked());
    // A device loses what is not read in time: it is never held back.
    portSerial.SetPacedByReader(false);
}

void TComPortPage::OpenPort() {
    autoReconnect_->Forget();
    emit PortStateShown({});
    ApplyPortSettings();
    portSerial.SetNeedSynchronization(true);
    portSerial.Open();
    emit PortOpened();
}

void TComPortPage::ClosePort() {
    autoReconnect_->Forget();
    lastLoss_.clear();
    emit PortStateShown({});
    portSerial.Close();
    ledDataIn->SetChecked(false);
}

TPortChoices TComPortPage::Choices() const {
    return {cbAutoReconnect->isChecked(), share_->Address(), share_->ClientsMaySend()};
}

void TComPortPage::SetChoices(const TPortChoices& choices) {
    cbAutoReconnect->setChecked(choices.autoReconnect);
    share_->SetAddress(choices.shareAddress);
    share_->SetClientsMaySend(choices.clientsMaySend);
}

void TComPortPage::ShowConnection(TCommPort connected) {
    btnClose->setEnabled(connected != spNone);
    // Open also moves an open connection to another port chosen in the list.
    btnOpen->setEnabled(connected == spNone || portSerial.Port() != connected);
}

void TComPortPage::FlashDataIn() {
    ledDataIn->SetChecked(!ledDataIn->Checked());
}

void TComPortPage::Log(const QString& line) {
    AppendLine(moComPort, line);
}

void TComPortPage::EchoSent(const std::string& bytes) {
    Log(QString::fromStdString(SendEchoLine(bytes)));
}

void TComPortPage::ShowBytesSent(std::uint32_t count) {
    lblNumSent->setText(QString::fromStdString(BytesSentCaption(count)));
}

void TComPortPage::SendAntennaFrame(const TUBXPacket& command) {
    commander_.Send(command, {}, [this](std::uint32_t count) { ShowBytesSent(count); });
}

void TComPortPage::PortChosen() {
    const QString chosen = SelectedText(lstPorts);
    if (chosen.isEmpty())
        return;
    if (chosen == NetworkSourceItem) {
        AskNetworkSource();
        return;
    }
    SetPortByName(portSerial, chosen.toStdString());
    MatchLineSettingsToPort();
    emit PortNameShown(PortName(portSerial.Port()));
}

void TComPortPage::AskNetworkSource() {
    const QString current = PortName(portSerial.Port());
    {
        // The list shows the port chosen until another source is given.
        const QSignalBlocker quiet(lstPorts);
        lstPorts->clearSelection();
        SelectListedPort(current);
    }
    bool given = false;
    const QString name =
        QInputDialog::getText(this, "Network source", NetworkSourcePrompt, QLineEdit::Normal,
                              IsNetworkSourceName(current.toStdString()) ? current : "tcp://",
                              &given)
            .trimmed();
    if (!given || name.isEmpty())
        return;
    std::string error;
    if (!ParseNetworkSource(name.toStdString(), error))
        throw std::runtime_error(error);
    RememberNetworkSource(name);
    {
        const QSignalBlocker quiet(lstPorts);
        RefreshPortList();
    }
    SelectListedPort(name);
}

void TComPortPage::PortConnected(TCommPort Port) {
    deviceLost_ = false;
    const bool network = IsNetworkSourceName(PortName(Port).toStdString());
    if (!autoReconnect_->Reopening()) {
        lastLoss_.clear();
        Log((network ? "Connecting to " : "Connected to ") + PortName(Port));
        return;
    }
    if (network)
        return; // told when its link stands
    lastLoss_.clear();
    const QString line = "Reconnected to " + PortName(Port);
    Log(line);
    emit PortStateShown(line);
}

void TComPortPage::LinkUp(TCommPort Port) {
    autoReconnect_->LinkUp();
    const bool again = !lastLoss_.isEmpty();
    lastLoss_.clear();
    const QString line = (again ? "Reconnected to " : "Connected to ") + PortName(Port);
    Log(line);
    if (again)
        emit PortStateShown(line);
}

void TComPortPage::PortDisconnected(TCommPort Port) {
    // A removed device was reported as such already.
    if (std::exchange(deviceLost_, false))
        return;
    Log("Disconnected from " + PortName(Port));
}

void TComPortPage::DeviceLost(TCommPort Port, const QString& reason) {
    deviceLost_ = true;
    const QString line = reason.isEmpty() ? PortName(Port) + " removed" : reason;
    if (line != std::exchange(lastLoss_, line)) {
        Log(line);
        emit PortStateShown(line);
    }
    ledDataIn->SetChecked(false);
    btnOpen->setEnabled(true);
    autoReconnect_->DeviceLost(Port);
}

void TComPortPage::Overflow(TCommPort Port, std::uint64_t DroppedBytes) {
    const QString line = PortName(Port) + QString(": %1 received bytes could not be kept (the "
                                                  "window fell behind)")
                                              .arg(DroppedBytes);
    Log(line);
    emit PortStateShown(line);
}

void TComPortPage::PortsChanged() {
    const QString chosen = SelectedText(lstPorts);
    {
        // The port chosen stays what it is: no click to report.
        const QSignalBlocker quiet(lstPorts);
        RefreshPortList();
        SelectListedPort(chosen);
    }
    autoReconnect_->PortsChanged();
}

void TComPortPage::LineStatusChanged(TLineStatusSet LineStatus) {
    QString line = "Line Change: ";
    const std::pair<TLineStatus, const char*> names[] = {
        {lsCTS, "CTS "}, {lsDSR, "DSR "}, {lsRING, "RING "}, {lsCD, "CD "}};
    for (const auto& [status, name] : names)
        if (LineStatus.Contains(status))
            line += name;
    Log(line);
}
