// The main window's own events: start-up, closing, page changes, and the
// binding of the serial port's events to the pages' handlers.

#include "window/ComPortPage.h"
#include "window/ErrorBox.h"
#include "window/MainForm.h"
#include "window/PersistedPort.h"
#include "window/ReceiveDisplay.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <iostream>

void TMainForm::BindPortEvents() {
    portSerial.OnReceive = [this](TSerialPort*, const std::string& Buffer) {
        RunGuarded(this, [&] { receiveDisplay->portSerialReceive(Buffer); });
    };
    portSerial.OnConnect = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] { tabComPort->portSerialConnect(Port); });
        ShowPortState(Port);
    };
    // The port still counts as connected while its disconnect is reported.
    portSerial.OnDisconnect = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] { tabComPort->portSerialDisconnect(Port); });
        ShowPortState(spNone);
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
    tabComPort->RefreshPortList();
    tabComPort->SelectBaudRate("9600");
}

void TMainForm::FormClose() {
    portSerial.Close();
    try {
        StorePort(portSerial);
    } catch (const std::exception& error) {
        std::cerr << "ZEPO Monitor: port not stored: " << error.what() << '\n';
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    RunGuarded(this, [this] { FormClose(); });
    QMainWindow::closeEvent(event);
}

void TMainForm::pcZEPOMonitorChange() {
    tabComPort->RefreshPortList();
}
