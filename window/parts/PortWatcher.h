#pragma once
// Tells the window at once when the ports present change: USB serial devices
// plugged in or pulled out (events of the kernel's device manager) and
// virtual ports announced or withdrawn (links appearing in the ports folder).
// A burst of events (one device brings several) gives one notice.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <memory>

class QSocketNotifier;

// Where device events come from: libudev's monitor in the program, a fake in
// tests.
class TDeviceEventSource {
public:
    virtual ~TDeviceEventSource() = default;
    // Readable while events wait.
    virtual int Descriptor() const = 0;
    // Takes every waiting event; true when one was about a serial device.
    virtual bool TakeEvents() = 0;
};

// The monitor of serial (tty) devices; null when udev cannot be reached.
std::unique_ptr<TDeviceEventSource> MakeUdevMonitor();

class TPortWatcher : public QObject {
    Q_OBJECT
public:
    // usbDevices may be null: then only virtual ports are watched.
    TPortWatcher(QObject* parent, std::unique_ptr<TDeviceEventSource> usbDevices);
    ~TPortWatcher() override;

signals:
    void PortsChanged();

private:
    void WatchVirtualPorts();

    std::unique_ptr<TDeviceEventSource> usbDevices_;
    QSocketNotifier* usbNotifier_ = nullptr;
    QFileSystemWatcher virtualPorts_;
    QTimer settle_;
};
