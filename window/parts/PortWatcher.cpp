#include "window/parts/PortWatcher.h"

#include "serial/VirtualPorts.h"

#include <QDir>
#include <QSocketNotifier>

namespace {
// Events of one plug-in arrive within a few milliseconds of each other.
constexpr int kSettleMs = 50;
} // namespace

TPortWatcher::TPortWatcher(QObject* parent, std::unique_ptr<TDeviceEventSource> usbDevices)
    : QObject(parent), usbDevices_(std::move(usbDevices)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &TPortWatcher::PortsChanged);
    if (usbDevices_ && usbDevices_->Descriptor() >= 0) {
        usbNotifier_ = new QSocketNotifier(usbDevices_->Descriptor(), QSocketNotifier::Read, this);
        connect(usbNotifier_, &QSocketNotifier::activated, this, [this] {
            if (usbDevices_->TakeEvents())
                settle_.start();
        });
    }
    WatchVirtualPorts();
    connect(&virtualPorts_, &QFileSystemWatcher::directoryChanged, this,
            [this] { settle_.start(); });
}

TPortWatcher::~TPortWatcher() = default;

void TPortWatcher::WatchVirtualPorts() {
    // The folder is made here if no port was announced yet, so that the
    // first announcement is seen too.
    const QString folder = QString::fromStdString(VirtualPortDirectory());
    QDir().mkpath(folder);
    virtualPorts_.addPath(folder);
}
