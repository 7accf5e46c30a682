#include "bench/window/WindowOnPort.h"

#include "tests/support/NamedControl.h"
#include "window/app/MainForm.h"
#include "window/blocks/RadioGroup.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/NmeaStandardPage.h"

#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

void UseOffscreenWithoutDisplay() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

bool ReadSecondsAndRate(int argc, char** argv, const char* program, int& seconds, long& rate,
                        long lowestRate) {
    for (int k = 1; k < argc; ++k) {
        const std::string name = argv[k];
        if (name == "--seconds" && k + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++k]));
        } else if (name == "--rate" && k + 1 < argc) {
            rate = std::max(lowestRate, std::atol(argv[++k]));
        } else {
            std::fprintf(stderr, "Usage: %s [--seconds N] [--rate N]\n", program);
            return false;
        }
    }
    return true;
}

bool ChoosePort(TMainForm& form, const QString& name) {
    Named<TComPortPage>(form, "tabComPort")->RefreshPortList();
    const auto found = Named<QListWidget>(form, "lstPorts")->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    Named<QListWidget>(form, "lstPorts")->setCurrentItem(found.first());
    return true;
}

PortOpenInView::PortOpenInView(TMainForm& form, int view,
                               std::function<void(const std::string&)> take)
    : form_(form), show_(form.portSerial.OnReceive) {
    form.portSerial.OnReceive = [show = show_, take = std::move(take)](TSerialPort* port,
                                                                       const std::string& chunk) {
        take(chunk);
        show(port, chunk);
    };
    Named<TRadioGroup>(form, "rgMode")->SetItemIndex(view);
    Named<QPushButton>(form, "btnOpen")->click();
}

PortOpenInView::~PortOpenInView() {
    Named<QPushButton>(form_, "btnClose")->click();
    form_.portSerial.OnReceive = show_;
}

void WithPortOpen(TMainForm& form, int view, const std::function<void(const std::string&)>& take,
                  const std::function<void()>& body) {
    const PortOpenInView open(form, view, take);
    body();
}
