// The port page's handlers: applying the settings, opening and closing the
// port, the port list and the connection log.

#include "widgets/LedIndicator.h"
#include "window/AutoReconnect.h"
#include "window/ComPortPage.h"
#include "window/ErrorBox.h"
#include "window/RadioGroup.h"
#include "window/TextPane.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <stdexcept>
#include <utility>

namespace {
QString SelectedText(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}
} // namespace

void TComPortPage::Connect() {
    connect(btnApply, &QPushButton::clicked, this, Guarded(this, [this] { btnApplyClick(); }));
    connect(btnOpen, &QPushButton::clicked, this, Guarded(this, [this] { btnOpenClick(); }));
    connect(btnClose, &QPushButton::clicked, this, Guarded(this, [this] { btnCloseClick(); }));
    connect(btnRefesh, &QPushButton::clicked, this, Guarded(this, [this] { btnRefeshClick(); }));
    connect(miRefreshPorts1, &QAction::triggered, this,
            Guarded(this, [this] { miRefreshPorts1Click(); }));
    connect(lstPorts, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { poplstPorts->popup(lstPorts->mapToGlobal(at)); });
    connect(lstPorts, &QListWidget::itemSelectionChanged, this,
            Guarded(this, [this] { lstPortsClick(); }));
    connect(cbAutoReconnect, &QCheckBox::toggled, this, [this](bool on) {
        autoReconnect_->SetEnabled(on);
        autoReconnect_->PortsChanged();
    });
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
}

void TComPortPage::SelectBaudRate(const QString& rate) {
    const QList<QListWidgetItem*> found = lstBaudRate->findItems(rate, Qt::MatchExactly);
    if (!found.isEmpty())
        lstBaudRate->setCurrentItem(found.first());
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
}

void TComPortPage::btnOpenClick() {
    autoReconnect_->Forget();
    emit PortStateShown({});
    ApplyPortSettings();
    portSerial.SetNeedSynchronization(true);
    portSerial.Open();
}

void TComPortPage::btnCloseClick() {
    autoReconnect_->Forget();
    emit PortStateShown({});
    portSerial.Close();
    ledDataIn->SetChecked(false);
}

void TComPortPage::miRefreshPorts1Click() {
    lstPorts->clear();
    RefreshPortList();
}

void TComPortPage::lstPortsClick() {
    const QString chosen = SelectedText(lstPorts);
    if (chosen.isEmpty())
        return;
    portSerial.SetPort(StringToCommPort(chosen.toStdString()));
    emit PortNameShown(PortName(portSerial.Port()));
}

void TComPortPage::portSerialConnect(TCommPort Port) {
    deviceLost_ = false;
    if (!autoReconnect_->Reopening()) {
        AppendLine(moComPort, "Connected to " + PortName(Port));
        return;
    }
    const QString line = "Reconnected to " + PortName(Port);
    AppendLine(moComPort, line);
    emit PortStateShown(line);
}

void TComPortPage::portSerialDisconnect(TCommPort Port) {
    // A removed device was reported as such already.
    if (std::exchange(deviceLost_, false))
        return;
    AppendLine(moComPort, "Disconnected from " + PortName(Port));
}

void TComPortPage::portSerialDeviceLost(TCommPort Port) {
    deviceLost_ = true;
    const QString line = PortName(Port) + " removed";
    AppendLine(moComPort, line);
    emit PortStateShown(line);
    ledDataIn->SetChecked(false);
    btnOpen->setEnabled(true);
    autoReconnect_->DeviceLost(Port);
}

void TComPortPage::portSerialOverflow(TCommPort Port, std::uint64_t DroppedBytes) {
    const QString line = PortName(Port) + QString(": %1 received bytes could not be kept (the "
                                                  "window fell behind)")
                                              .arg(DroppedBytes);
    AppendLine(moComPort, line);
    emit PortStateShown(line);
}

void TComPortPage::PortsChanged() {
    const QString chosen = SelectedText(lstPorts);
    {
        // The port chosen stays what it is: no click to report.
        const QSignalBlocker quiet(lstPorts);
        RefreshPortList();
        const QList<QListWidgetItem*> found = lstPorts->findItems(chosen, Qt::MatchExactly);
        if (!chosen.isEmpty() && !found.isEmpty())
            lstPorts->setCurrentItem(found.first());
    }
    autoReconnect_->PortsChanged();
}

void TComPortPage::portSerialLineStatusChange(TLineStatusSet LineStatus) {
    QString line = "Line Change: ";
    const std::pair<TLineStatus, const char*> names[] = {
        {lsCTS, "CTS "}, {lsDSR, "DSR "}, {lsRING, "RING "}, {lsCD, "CD "}};
    for (const auto& [status, name] : names)
        if (LineStatus.Contains(status))
            line += name;
    AppendLine(moComPort, line);
}
