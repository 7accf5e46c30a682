// The window's sending: the handlers of the send buttons on every page and
// the echo of each write in the port log.

#include "window/AnswerFeed.h"
#include "window/BaudTasks.h"
#include "window/ComPortPage.h"
#include "window/ConfigureTasks.h"
#include "window/MainForm.h"
#include "window/NmeaPubxSending.h"
#include "window/NmeaStandardSending.h"
#include "window/TransmitEcho.h"
#include "window/UbxCommander.h"
#include "window/UbxSending.h"

void TMainForm::BindSending() {
    portSerial.OnSend = [this](TSerialPort*, const std::string& Buffer) {
        portSerialSend(tabComPort->moComPort, Buffer);
    };
    // Each is owned by its page.
    new TNmeaStandardSending(tabNMEA, portSerial);
    new TNmeaPubxSending(tabUBX, portSerial);
    ubxCommander = new TUbxCommander(this, portSerial, tabComPort->moComPort);
    new TUbxSending(tabComPort, ts, *ubxCommander);
    new TConfigureTasks(tabConfigure, *ubxCommander);
    baudTasks = new TBaudTasks(tabConfigure, tabComPort, *ubxCommander, portSerial);
    answerFeed_ = std::make_unique<TAnswerFeed>(*ubxCommander, *baudTasks);
}
