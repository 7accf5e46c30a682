#pragma once
// The state kept between runs under "\SOFTWARE\Brennix\ZEPOMonitor" in the
// settings store: the port last used ("ComPortInUse") and the port page's
// choices beside it.

#include <QString>
#include <string>

class TSerialPort;

inline const QString BrennixKey = QStringLiteral("\\SOFTWARE\\Brennix\\ZEPOMonitor");
inline const QString ComPortInUseValue = QStringLiteral("ComPortInUse");
inline const QString AutoReconnectValue = QStringLiteral("AutoReconnect");
inline const QString ShareAddressValue = QStringLiteral("ShareAddress");
inline const QString ShareClientsMaySendValue = QStringLiteral("ShareClientsMaySend");

// The port page's choices: whether a port whose device came back is
// reopened, the address to share the live stream at and whether clients may
// send to the receiver.
struct TPortChoices {
    bool autoReconnect = true;
    QString shareAddress = QStringLiteral("5000");
    bool clientsMaySend = false;
};

// Sets the port by its name: COM1 … COM254, or a device name (ttyUSB0,
// /dev/ttyACM0) that becomes the custom port name.
void SetPortByName(TSerialPort& port, const std::string& name);

// Start-up: sets the port from the stored text and returns that text as
// stored (blanks kept) for the status bar. A missing key or value leaves the
// key empty; an unreadable value deletes the key. The key exists afterwards.
// Throws only when the store cannot be written.
QString RestorePort(TSerialPort& port);

// Start-up: the stored choices. "0" stored turns reconnecting off, "1"
// lets clients send; what is missing or unreadable keeps its default.
TPortChoices RestorePortChoices();

// Closing: rewrites the key from scratch with the port's name and the
// choices, in one save. Throws when the store cannot be written;
// the file then keeps its old key.
void StorePort(const TSerialPort& port, const TPortChoices& choices);
