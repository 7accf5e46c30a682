// The window's sending: the handlers of the send buttons on every page and
// the echo of each write in the port log.

#include "window/AnswerFeed.h"
#include "window/BaudTasks.h"
#include "window/ComPortPage.h"
#include "window/ConfigureTasks.h"
#include "window/ErrorBox.h"
#include "window/MainForm.h"
#include "window/NmeaPubxSending.h"
#include "window/NmeaStandardSending.h"
#include "window/ReceiverFeed.h"
#include "window/SessionControl.h"
#include "window/TransmitEcho.h"
#include "window/UbxCommander.h"
#include "window/UbxSending.h"
#include "window/WindowSender.h"

void TMainForm::BindSending() {
    const auto echo = [this](const std::string& Buffer) {
        sessionControl->Sent(Buffer);
        portSerialSend(tabComPort->moComPort, Buffer);
    };
    portSerial.OnSend = [echo](TSerialPort*, const std::string& Buffer) { echo(Buffer); };
    // The window's own sends never hold it: they go through the sender.
    sender = new TWindowSender(sbZEPOMonitor, portSerial, echo);
    // Each is owned by its page.
    new TNmeaStandardSending(tabNMEA, *sender);
    new TNmeaPubxSending(tabUBX, *sender);
    ubxCommander = new TUbxCommander(this, portSerial, tabComPort->moComPort);
    new TUbxSending(tabComPort, ts, *ubxCommander);
    new TConfigureTasks(tabConfigure, *ubxCommander);
    baudTasks = new TBaudTasks(tabConfigure, tabComPort, *ubxCommander, portSerial);
    answerFeed_ = std::make_unique<TAnswerFeed>(*ubxCommander, *baudTasks);
    // The answers come from the receive feed's framer: the port is framed once.
    // Guarded per message, so a failing handler never breaks off the framing.
    connect(receiverFeed, &TReceiverFeed::MessageFramed, this,
            [this](const protocol::Message& message) {
                RunGuarded(this, [&] { answerFeed_->Receive(message); });
            });
}
