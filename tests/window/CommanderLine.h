#pragma once
// The window's way of commanding a receiver without the window: a serial
// port opened on a (virtual) port, the UBX commander writing to it through a
// sender of its own, and the UBX frames it receives handed to the commander,
// as the window's receive feed does.

#include "protocol/framing/Framer.h"
#include "serial/SerialPort.h"
#include "window/parts/UbxCommander.h"
#include "window/parts/WindowSender.h"

#include <QStatusBar>

class CommanderLine {
public:
    // Opens port (announced as "COM<n>") at 115200 baud.
    explicit CommanderLine(TCommPort port);
    // Closes the port before what its receive handler uses is gone.
    ~CommanderLine();

    TSerialPort port;
    QStatusBar bar;
    TWindowSender sender{&bar, port, {}};
    TUbxCommander commander{nullptr, sender, port};

private:
    protocol::Framer framer_;
};
