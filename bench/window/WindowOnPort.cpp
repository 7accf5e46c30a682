#include "bench/window/WindowOnPort.h"

#include "window/ComPortPage.h"
#include "window/MainForm.h"
#include "window/NmeaStandardPage.h"
#include "window/RadioGroup.h"

#include <QListWidget>
#include <QPushButton>
#include <cstdlib>

void UseOffscreenWithoutDisplay() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

bool ChoosePort(TMainForm& form, const QString& name) {
    form.tabComPort->RefreshPortList();
    const auto found = form.tabComPort->lstPorts->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    form.tabComPort->lstPorts->setCurrentItem(found.first());
    return true;
}

void WithPortOpen(TMainForm& form, int view, const std::function<void(const std::string&)>& take,
                  const std::function<void()>& body) {
    const auto show = form.portSerial.OnReceive;
    form.portSerial.OnReceive = [&](TSerialPort* port, const std::string& chunk) {
        take(chunk);
        show(port, chunk);
    };
    form.tabNMEA->rgMode->SetItemIndex(view);
    form.tabComPort->btnOpen->click();
    body();
    form.tabComPort->btnClose->click();
    form.portSerial.OnReceive = show;
}
