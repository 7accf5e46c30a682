#include "window/parts/PersistedPort.h"

#include "serial/SerialPort.h"
#include "window/parts/SettingsStore.h"

#include <exception>

void SetPortByName(TSerialPort& port, const std::string& name) {
    const TCommPort chosen = StringToCommPort(name);
    // A custom name must be known before the port can stand for it, or it
    // would be lost at the next closing.
    if (chosen == spCustom)
        port.SetCustomPortName(TrimPortName(name));
    port.SetPort(chosen);
}

QString RestorePort(TSerialPort& port) {
    SettingsStore BrennixReg;
    QString shown;
    if (BrennixReg.KeyExists(BrennixKey) && BrennixReg.OpenKey(BrennixKey, false)) {
        try {
            const QString stored = BrennixReg.ReadString(ComPortInUseValue);
            SetPortByName(port, stored.toLatin1().toStdString());
            shown = stored;
        } catch (const std::exception&) {
            BrennixReg.DeleteKey(BrennixKey);
        }
    }
    if (!BrennixReg.KeyExists(BrennixKey))
        BrennixReg.OpenKey(BrennixKey, true);
    return shown;
}

bool RestoreAutoReconnect() {
    SettingsStore BrennixReg;
    try {
        return !BrennixReg.OpenKey(BrennixKey, false) ||
               BrennixReg.ReadString(AutoReconnectValue) != "0";
    } catch (const std::exception&) {
        return true;
    }
}

void StorePort(const TSerialPort& port, bool autoReconnect) {
    // One save for the whole rewrite: a store that cannot be written keeps
    // its old key rather than losing it to the deletion.
    SettingsStore BrennixReg(true);
    BrennixReg.DeleteKey(BrennixKey);
    BrennixReg.OpenKey(BrennixKey, true);
    BrennixReg.WriteString(ComPortInUseValue,
                           QString::fromLatin1(port.CommPortToString(port.Port())));
    BrennixReg.WriteString(AutoReconnectValue, autoReconnect ? "1" : "0");
    BrennixReg.CloseKey();
    BrennixReg.Flush();
}
