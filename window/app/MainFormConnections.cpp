// The window's connections, in one place: what each page and part tells the
// others, where the port's events, the received chunks and messages go, and
// the echo of every write.

#include "recording/SessionHistory.h"
#include "window/app/MainForm.h"
#include "window/blocks/ErrorBox.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/MessageListModel.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/parts/AnswerFeed.h"
#include "window/parts/AskedRates.h"
#include "window/parts/BaudTasks.h"
#include "window/parts/LineLoad.h"
#include "window/parts/NtripControl.h"
#include "window/parts/PortWatcher.h"
#include "window/parts/ReceiveDisplay.h"
#include "window/parts/ReceiverFeed.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/SessionControl.h"
#include "window/parts/ShareControl.h"
#include "window/parts/UbxCommander.h"

#include <QDateTime>
#include <QLabel>
#include <QTabWidget>
#include <chrono>

void TMainForm::ConnectParts() {
    // The port page: the chosen port and what became of the connection in
    // the status bar; the port list follows the devices and each page change.
    connect(tabComPort, &TComPortPage::PortNameShown, panels_[1], &QLabel::setText);
    connect(tabComPort, &TComPortPage::PortStateShown, portState_, &QLabel::setText);
    connect(tabComPort, &TComPortPage::PortNameShown, this,
            [this] { ShowPortState(portSerial.IsConnected()); });
    connect(portWatcher_, &TPortWatcher::PortsChanged, this,
            Guarded(this, [this] { tabComPort->PortsChanged(); }));
    connect(pcZEPOMonitor, &QTabWidget::currentChanged, this,
            Guarded(this, [this] { tabComPort->RefreshPortList(); }));

    // What the UBX commands, the baud tasks and the session do shows on the
    // port page and in the status bar.
    connect(ubxCommander_, &TUbxCommander::Logged, tabComPort, &TComPortPage::Log);
    connect(baudTasks_, &TBaudTasks::MonitorRateChanged, tabComPort,
            &TComPortPage::ShowMonitorRate);
    connect(tabComPort, &TComPortPage::PortOpened, baudTasks_, &TBaudTasks::ForgetReceiver);
    connect(tabComPort, &TComPortPage::PortOpened, receiverIdentity_, &TReceiverIdentity::Forget);
    connect(sessionControl_, &TSessionControl::Logged, tabComPort, &TComPortPage::Log);
    connect(shareControl_, &TShareControl::Logged, tabComPort, &TComPortPage::Log);
    connect(ntripControl_, &TNtripControl::Logged, tabComPort, &TComPortPage::Log);
    connect(sessionControl_, &TSessionControl::StateShown, panels_[4], &QLabel::setText);
    connect(sessionControl_, &TSessionControl::CountsShown, panels_[5], &QLabel::setText);
    // A replay and the port after it each start on an empty Messages page
    // and receiver picture: replayed messages never mix with live ones.
    for (const auto startsAfresh : {&TSessionControl::ReplayLoaded, &TSessionControl::ReplayLeft})
        connect(sessionControl_, startsAfresh, this, Guarded(this, [this] {
                    messageList_->Clear();
                    receiverFeed_->StartAfresh();
                }));
    sessionControl_->Refresh();
}

void TMainForm::ConnectReceiving() {
    // The receive display takes the PUBX watch from its page and gives it its
    // watch lines; the NMEA watch shows in panel 3 (and on the NMEA Standard
    // page once built).
    receiveDisplay_->SetPubxWatch(tabUBX->PubxWatch());
    connect(tabUBX, &TNmeaPubxPage::PubxWatchChanged, receiveDisplay_,
            &TReceiveDisplay::SetPubxWatch);
    connect(receiveDisplay_, &TReceiveDisplay::DataArrived, tabComPort, &TComPortPage::FlashDataIn);
    connect(receiveDisplay_, &TReceiveDisplay::PubxWatchLine, tabUBX,
            &TNmeaPubxPage::ShowWatchLine);
    connect(receiveDisplay_, &TReceiveDisplay::NmeaWatchLine, panels_[3], &QLabel::setText);

    // The receive feed lists every message; it redraws the Receiver page and
    // the table of message types once they are built.
    connect(receiverFeed_, &TReceiverFeed::MessageListed, messageList_, &TMessageListModel::Add);

    // The rates the window asked of the receiver against those measured and
    // the line's load, judged at each redraw of the table of message types.
    connect(ubxCommander_, &TUbxCommander::Settled, this,
            [this](const TUBXPacket& command, const ubx::TCommandOutcome& outcome) {
                if (askedRates_->Settled(command, outcome))
                    lineLoad_->SetAsked(askedRates_->Hz(), std::chrono::steady_clock::now());
            });
    connect(receiverFeed_, &TReceiverFeed::TypesCounted, this,
            [this](const std::vector<TMessageTypeRow>& types) {
                lineLoad_->Measure(types, std::chrono::steady_clock::now());
                ShowLineWarnings(lineLoad_->Warnings());
            });

    // The answers come from the receive feed's framer: the port is framed once.
    // Guarded per message, so a failing handler never breaks off the framing.
    connect(receiverFeed_, &TReceiverFeed::MessageFramed, this,
            [this](const protocol::Message& message) {
                RunGuarded(this, [&] { answerFeed_->Receive(message); });
            });
}

// Until the page is built the receive display keeps its own view, ASCII with
// no NMEA watch and the output running, as the page starts.
void TMainForm::ConnectNmeaStandardPage(TNmeaStandardPage* page) {
    receiveDisplay_->SetView(page->View());
    receiveDisplay_->SetNmeaWatch(page->NmeaWatch());
    connect(page, &TNmeaStandardPage::ViewChanged, receiveDisplay_, &TReceiveDisplay::SetView);
    connect(page, &TNmeaStandardPage::NmeaWatchChanged, receiveDisplay_,
            &TReceiveDisplay::SetNmeaWatch);
    connect(page, &TNmeaStandardPage::StopOutputChanged, receiveDisplay_,
            &TReceiveDisplay::SetStopOutput);
    connect(page, &TNmeaStandardPage::StopOutputClicked, receiveDisplay_,
            &TReceiveDisplay::StopOutputClicked);
    connect(page, &TNmeaStandardPage::ShowCurrentClicked, receiveDisplay_,
            &TReceiveDisplay::ShowCurrent);
    connect(receiveDisplay_, &TReceiveDisplay::NmeaWatchLine, page,
            &TNmeaStandardPage::ShowWatchLine);
}

void TMainForm::BindPortEvents() {
    portSerial.OnSend = [this](TSerialPort*, const std::string& Buffer) { EchoSent(Buffer); };
    portSerial.OnReceive = [this](TSerialPort*, const std::string& Buffer) {
        RunGuarded(this, [&] { receiveDisplay_->Take(Buffer); });
        RunGuarded(this, [&] { receiverFeed_->Take(Buffer, portSerial.ChunkReadMarks()); });
        RunGuarded(this, [&] { MeasureLine(); });
        RunGuarded(this, [&] { history_->Append(QDateTime::currentMSecsSinceEpoch(), Buffer); });
    };
    portSerial.OnConnect = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] { receiverFeed_->Restart(); });
        lineLoad_->Restart(std::chrono::steady_clock::now());
        RunGuarded(this, [&] {
            sessionControl_->PortOpened();
            tabComPort->PortConnected(Port);
        });
        ShowPortState(Port);
    };
    // The port still counts as connected while its disconnect is reported.
    portSerial.OnDisconnect = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] {
            receiverFeed_->EndOfStream();
            lineLoad_->Restart(std::chrono::steady_clock::now());
            ShowLineWarnings({});
            tabComPort->PortDisconnected(Port);
        });
        ShowPortState(spNone);
    };
    portSerial.OnLinkUp = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] { tabComPort->LinkUp(Port); });
    };
    portSerial.OnDeviceLost = [this](TSerialPort*, TCommPort Port) {
        RunGuarded(this, [&] {
            tabComPort->DeviceLost(Port, QString::fromStdString(portSerial.DeviceLossReason()));
        });
    };
    portSerial.OnOverflow = [this](TSerialPort*, std::uint64_t DroppedBytes) {
        RunGuarded(this, [&] { tabComPort->Overflow(portSerial.IsConnected(), DroppedBytes); });
    };
    portSerial.OnLineStatusChange = [this](TSerialPort*, TLineStatusSet LineStatus) {
        RunGuarded(this, [&] { tabComPort->LineStatusChanged(LineStatus); });
    };
}

void TMainForm::EchoSent(const std::string& Buffer) {
    sessionControl_->Sent(Buffer);
    tabComPort->EchoSent(Buffer);
}
