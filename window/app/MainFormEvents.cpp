// The main window's own events: start-up, closing, the port's state in the
// title and status bar, the line's load, and the choices the startup options
// make.

#include "window/app/MainForm.h"
#include "window/blocks/ErrorBox.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/ReceiverPage.h"
#include "window/parts/LineLoad.h"
#include "window/parts/PersistedPort.h"

#include <QCloseEvent>
#include <QLabel>
#include <iostream>
#include <stdexcept>

void TMainForm::ShowPortState(TCommPort connected) {
    const QString name = QString::fromLatin1(portSerial.CommPortToString(connected));
    tabComPort->ShowConnection(connected);
    if (connected != spNone)
        panels_[1]->setText(name);
    setWindowTitle(connected == spNone ? WindowCaption : WindowCaption + " - " + name + " open");
}

void TMainForm::MeasureLine() {
    static constexpr double kStopBits[] = {1, 1.5, 2};
    lineLoad_->SetLine(portSerial.BaudRateToInt(portSerial.BaudRate()),
                       BitsPerCharacter(5 + portSerial.DataWidth(), portSerial.Parity() != pbNone,
                                        kStopBits[portSerial.StopBits()]),
                       std::chrono::milliseconds(portSerial.Delay()));
    std::size_t from = 0;
    for (const ReadMark& read : portSerial.ChunkReadMarks()) {
        lineLoad_->Received(read.end - from, read.at.steady);
        from = read.end;
    }
}

void TMainForm::ShowLineWarnings(const QStringList& warnings) {
    const QString text = warnings.join("  ");
    if (text == lineWarning_->toolTip())
        return;
    lineWarnings_ = warnings;
    if (tabReceiver)
        tabReceiver->ShowLineWarning(warnings.join('\n'));
    lineWarning_->setText(text);
    lineWarning_->setToolTip(text);
    lineWarning_->setVisible(!text.isEmpty());
}

void TMainForm::ChoosePort(const QString& name) {
    SetPortByName(portSerial, name.toStdString());
    const QString chosen = QString::fromLatin1(portSerial.CommPortToString(portSerial.Port()));
    panels_[1]->setText(chosen);
    tabComPort->SelectListedPort(chosen);
    tabComPort->MatchLineSettingsToPort();
}

void TMainForm::ChooseBaudRate(const QString& rate) {
    tabComPort->SelectBaudRate(rate);
}

void TMainForm::OpenPort() {
    tabComPort->OpenPort();
}

void TMainForm::ShareAt(const QString& address) {
    tabComPort->ShareAt(address);
}

void TMainForm::FormCreate() {
    try {
        panels_[1]->setText(RestorePort(portSerial));
    } catch (const std::exception& error) {
        // Start-up goes on without the store; the port keeps its design value.
        std::cerr << "ZEPO Monitor: settings not restored: " << error.what() << '\n';
    }
    tabComPort->SetChoices(RestorePortChoices());
    tabComPort->RefreshPortList();
    tabComPort->MatchLineSettingsToPort();
    tabComPort->SelectBaudRate("9600");
}

void TMainForm::FormClose() {
    portSerial.Close();
    try {
        StorePort(portSerial, tabComPort->Choices());
    } catch (const std::exception& error) {
        // One box; the window closes all the same.
        throw std::runtime_error(std::string("Settings not saved. ") + error.what());
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    RunGuarded(this, [this] { FormClose(); });
    QMainWindow::closeEvent(event);
}
