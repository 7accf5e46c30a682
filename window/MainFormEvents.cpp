// The main window's own events: start-up, closing, page changes, and the
// binding of the serial port's events to the pages' handlers.

#include "window/ComPortPage.h"
#include "window/ErrorBox.h"
#include "window/HistoryPage.h"
#include "window/MainForm.h"
#include "window/PersistedPort.h"
#include "window/ReceiveDisplay.h"
#include "window/ReceiverFeed.h"
#include "window/SessionControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <iostream>
#include <stdexcept>

void TMainForm::BindPortEvents() {
    portSerial.OnReceive = [this](TSerialPort*, const std::string& Buffer) {
        RunGuarded(this, [&] { receiveDisplay->portSerialReceive(Buffer); });
        RunGuarded(this, [&] { receiverFeed->Take(Buffer); });
        RunGuarded(this, [&] { tabHistory->Take(Buffer); });
    };
    portSerial.OnConnect = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] { receiverFeed->Restart(); });
        RunGuarded(this, [&] {
            sessionControl->PortOpened();
            tabComPort->portSerialConnect(Port);
        });
        ShowPortState(Port);
    };
    // The port still counts as connected while its disconnect is reported.
    portSerial.OnDisconnect = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] {
            receiverFeed->EndOfStream();
            tabComPort->portSerialDisconnect(Port);
        });
        ShowPortState(spNone);
    };
    portSerial.OnDeviceLost = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] { tabComPort->portSerialDeviceLost(Port); });
    };
    portSerial.OnOverflow = [this](TSerialPort*, std::uint64_t DroppedBytes) {
        RunGuarded(this,
                   [&] { tabComPort->portSerialOverflow(portSerial.IsConnected(), DroppedBytes); });
    };
    portSerial.OnLineStatusChange = [this](TSerialPort*, TLineStatusSet LineStatus) {
        RunGuarded(this, [&] { tabComPort->portSerialLineStatusChange(LineStatus); });
    };
}

void TMainForm::ShowPortState(TCommPort connected) {
    const QString name = QString::fromLatin1(portSerial.CommPortToString(connected));
    tabComPort->btnClose->setEnabled(connected != spNone);
    // Open also moves an open connection to another port chosen in the list.
    tabComPort->btnOpen->setEnabled(connected == spNone || portSerial.Port() != connected);
    if (connected != spNone)
        panels_[1]->setText(name);
    setWindowTitle(connected == spNone ? WindowCaption : WindowCaption + " - " + name + " open");
}

void TMainForm::FormCreate() {
    try {
        panels_[1]->setText(RestorePort(portSerial));
    } catch (const std::exception& error) {
        // Start-up goes on without the store; the port keeps its design value.
        std::cerr << "ZEPO Monitor: settings not restored: " << error.what() << '\n';
    }
    tabComPort->cbAutoReconnect->setChecked(RestoreAutoReconnect());
    tabComPort->RefreshPortList();
    tabComPort->SelectBaudRate("9600");
}

void TMainForm::FormClose() {
    portSerial.Close();
    try {
        StorePort(portSerial, tabComPort->cbAutoReconnect->isChecked());
    } catch (const std::exception& error) {
        // One box; the window closes all the same.
        throw std::runtime_error(std::string("Settings not saved. ") + error.what());
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    RunGuarded(this, [this] { FormClose(); });
    QMainWindow::closeEvent(event);
}

void TMainForm::pcZEPOMonitorChange() {
    tabComPort->RefreshPortList();
}
