#pragma once
// Reopens a port whose device went away (a USB cable pulled, a simulator
// stopped) as soon as it is present again under the same COM name, with the
// settings the component still holds. The device map gives a USB adapter
// its COM number by its /dev/serial/by-id name, so the same name means the
// same adapter; a virtual port comes back when it is announced again. A
// device that is present but not yet ready is tried again a few times. A
// network source has no list of present devices to come back to: it is tried
// again after 1 s, then twice as long after each failure up to 30 s, for as
// long as it stays lost; a link that came up starts the waits afresh.

#include "serial/SerialTypes.h"

#include <QObject>
#include <QTimer>

class TSerialPort;

// How long to wait before trying a network source again after so many
// failures in a row: 1 s, 2 s, 4 s … up to 30 s.
int NetworkRetryMs(int failures);

class TAutoReconnect : public QObject {
    Q_OBJECT
public:
    TAutoReconnect(QObject* parent, TSerialPort& port);

    void SetEnabled(bool on) { enabled_ = on; }
    // Remembers the port whose device went away.
    void DeviceLost(TCommPort port);
    // A network source's link came up.
    void LinkUp();
    // Nothing to wait for any more: the user opened or closed a port.
    void Forget();
    // Reopens the lost port if it is present again and still the port chosen.
    void PortsChanged();
    // True while the reopen runs, so its connection is logged as such.
    bool Reopening() const { return reopening_; }

private:
    void TryReopen();
    void RetryNetworkLater();
    bool LostNetworkSource() const;

    TSerialPort& port_;
    bool enabled_ = true;
    bool reopening_ = false;
    TCommPort lost_ = spNone;
    int attemptsLeft_ = 0;
    int networkFailures_ = 0; // since the link was last up
    QTimer retry_;
};
