#pragma once
// Reopens a port whose device went away (a USB cable pulled, a simulator
// stopped) as soon as it is present again under the same COM name, with the
// settings the component still holds. The device map gives a USB adapter
// its COM number by its /dev/serial/by-id name, so the same name means the
// same adapter; a virtual port comes back when it is announced again. A
// device that is present but not yet ready is tried again a few times. A
// network source has no list of present devices to come back to: it is tried
// again every few seconds for as long as it stays lost.

#include "serial/SerialTypes.h"

#include <QObject>
#include <QTimer>

class TSerialPort;

class TAutoReconnect : public QObject {
    Q_OBJECT
public:
    TAutoReconnect(QObject* parent, TSerialPort& port);

    void SetEnabled(bool on) { enabled_ = on; }
    // Remembers the port whose device went away.
    void DeviceLost(TCommPort port);
    // Nothing to wait for any more: the user opened or closed a port.
    void Forget();
    // Reopens the lost port if it is present again and still the port chosen.
    void PortsChanged();
    // True while the reopen runs, so its connection is logged as such.
    bool Reopening() const { return reopening_; }

private:
    void TryReopen();
    bool LostNetworkSource() const;

    TSerialPort& port_;
    bool enabled_ = true;
    bool reopening_ = false;
    TCommPort lost_ = spNone;
    int attemptsLeft_ = 0;
    QTimer retry_;
};
