// The device events of USB serial adapters, from udev's monitor: an event
// comes once udev has made the device node (and its /dev/serial/by-id link)
// or removed it.

#include "window/parts/PortWatcher.h"

#include <libudev.h>

namespace {
class TUdevMonitor : public TDeviceEventSource {
public:
    TUdevMonitor() : udev_(udev_new()) {
        if (udev_ == nullptr)
            return;
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (monitor_ == nullptr ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0) {
            Release();
        }
    }
    ~TUdevMonitor() override { Release(); }

    bool Ready() const { return monitor_ != nullptr; }
    int Descriptor() const override { return monitor_ ? udev_monitor_get_fd(monitor_) : -1; }

    bool TakeEvents() override {
        bool any = false;
        // The monitor's socket does not block: this ends when none is left.
        while (udev_device* device = udev_monitor_receive_device(monitor_)) {
            any = true;
            udev_device_unref(device);
        }
        return any;
    }

private:
    void Release() {
        if (monitor_ != nullptr)
            udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        if (udev_ != nullptr)
            udev_unref(udev_);
        udev_ = nullptr;
    }

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};
} // namespace

std::unique_ptr<TDeviceEventSource> MakeUdevMonitor() {
    auto monitor = std::make_unique<TUdevMonitor>();
    if (!monitor->Ready())
        return nullptr;
    return monitor;
}
