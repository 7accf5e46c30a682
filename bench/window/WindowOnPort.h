#pragma once
// What the window benchmarks share: a window on a virtual port, the port
// chosen in its list, and runs with the port open in a chosen view while the
// benchmark sees every chunk before the window does.

#include "serial/SerialPort.h"

#include <QString>
#include <functional>
#include <string>

class TMainForm;

// Without a display the window runs offscreen.
void UseOffscreenWithoutDisplay();

// Reads "[--seconds N] [--rate N]" into seconds (at least 1) and rate (at
// least lowestRate); false, with the usage said, for anything else.
bool ReadSecondsAndRate(int argc, char** argv, const char* program, int& seconds, long& rate,
                        long lowestRate);

// Selects name in the window's port list; false when it is not listed.
bool ChoosePort(TMainForm& form, const QString& name);

// Opens the port chosen in view (the index of "View") until destroyed; every
// chunk goes to take, then to the window.
class PortOpenInView {
public:
    PortOpenInView(TMainForm& form, int view, std::function<void(const std::string&)> take);
    ~PortOpenInView();
    PortOpenInView(const PortOpenInView&) = delete;
    PortOpenInView& operator=(const PortOpenInView&) = delete;

private:
    TMainForm& form_;
    TSerialPort::TSendReceiveEvent show_;
};

// Opens the port in view, runs body and closes the port; every chunk goes
// to take, then to the window.
void WithPortOpen(TMainForm& form, int view, const std::function<void(const std::string&)>& take,
                  const std::function<void()>& body);
