#pragma once
// The one piece of state kept between runs: the port last used, stored as
// "ComPortInUse" under "\SOFTWARE\Brennix\ZEPOMonitor" in the settings store.

#include <QString>
#include <string>

class TSerialPort;

inline const QString BrennixKey = QStringLiteral("\\SOFTWARE\\Brennix\\ZEPOMonitor");
inline const QString ComPortInUseValue = QStringLiteral("ComPortInUse");

// Sets the port by its name: COM1 … COM254, or a device name (ttyUSB0,
// /dev/ttyACM0) that becomes the custom port name.
void SetPortByName(TSerialPort& port, const std::string& name);

// Start-up: sets the port from the stored text and returns that text as
// stored (blanks kept) for the status bar. A missing key or value leaves the
// key empty; an unreadable value deletes the key. The key exists afterwards.
// Throws only when the store cannot be written.
QString RestorePort(TSerialPort& port);

// Closing: rewrites the key from scratch with the port's name. Throws when
// the store cannot be written.
void StorePort(const TSerialPort& port);
