// The main window's own events: start-up, closing, page changes, and the
// binding of the serial port's events to the pages' handlers.

#include "window/AnswerFeed.h"
#include "window/ComPortPage.h"
#include "window/ErrorBox.h"
#include "window/MainForm.h"
#include "window/PersistedPort.h"
#include "window/ReceiveDisplay.h"

#include <QCloseEvent>
#include <QLabel>
#include <iostream>

void TMainForm::BindPortEvents() {
    portSerial.OnReceive = [this](TSerialPort*, const std::string& Buffer) {
        RunGuarded(this, [&] { receiveDisplay->portSerialReceive(Buffer); });
        RunGuarded(this, [&] { answerFeed_->Receive(Buffer); });
    };
    portSerial.OnConnect = [this](TSerialPort*, TCommPort Port) {
        answerFeed_->Restart();
        RunGuarded(this, [&] { tabComPort->portSerialConnect(Port); });
    };
    portSerial.OnDisconnect = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] { tabComPort->portSerialDisconnect(Port); });
    };
    portSerial.OnLineStatusChange = [this](TSerialPort*, TLineStatusSet LineStatus) {
        RunGuarded(this, [&] { tabComPort->portSerialLineStatusChange(LineStatus); });
    };
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
