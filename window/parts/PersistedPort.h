#pragma once
// The one piece of state kept between runs: the port last used, stored as
// "ComPortInUse" under "\SOFTWARE\Brennix\ZEPOMonitor" in the settings store.

#include <QString>
#include <string>

class TSerialPort;

inline const QString BrennixKey = QStringLiteral("\\SOFTWARE\\Brennix\\ZEPOMonitor");
inline const QString ComPortInUseValue = QStringLiteral("ComPortInUse");
inline const QString AutoReconnectValue = QStringLiteral("AutoReconnect");

// Sets the port by its name: COM1 … COM254, or a device name (ttyUSB0,
// /dev/ttyACM0) that becomes the custom port name.
void SetPortByName(TSerialPort& port, const std::string& name);

// Start-up: sets the port from the stored text and returns that text as
// stored (blanks kept) for the status bar. A missing key or value leaves the
// key empty; an unreadable value deletes the key. The key exists afterwards.
// Throws only when the store cannot be written.
QString RestorePort(TSerialPort& port);

// Start-up: whether a port whose device came back is reopened: "0" stored
// turns it off, anything else (nothing stored included) leaves it on.
bool RestoreAutoReconnect();

// Closing: rewrites the key from scratch with the port's name and the
// reconnect choice, in one save. Throws when the store cannot be written;
// the file then keeps its old key.
void StorePort(const TSerialPort& port, bool autoReconnect);
