#include "window/parts/PersistedPort.h"

#include "serial/SerialPort.h"
#include "window/parts/SettingsStore.h"

#include <exception>
#include <functional>

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

TPortChoices RestorePortChoices() {
    SettingsStore BrennixReg;
    TPortChoices choices;
    if (!BrennixReg.OpenKey(BrennixKey, false))
        return choices;
    // Each value on its own (a missing one reads as empty text): one
    // unreadable value loses only itself.
    const auto read = [&](const QString& value, const std::function<void(const QString&)>& use) {
        try {
            use(BrennixReg.ReadString(value));
        } catch (const std::exception&) {
        }
    };
    read(AutoReconnectValue, [&](const QString& text) { choices.autoReconnect = text != "0"; });
    read(ShareAddressValue, [&](const QString& text) {
        if (!text.trimmed().isEmpty())
            choices.shareAddress = text.trimmed();
    });
    read(ShareClientsMaySendValue,
         [&](const QString& text) { choices.clientsMaySend = text == "1"; });
    return choices;
}

void StorePort(const TSerialPort& port, const TPortChoices& choices) {
    // One save for the whole rewrite: a store that cannot be written keeps
    // its old key rather than losing it to the deletion.
    SettingsStore BrennixReg(true);
    BrennixReg.DeleteKey(BrennixKey);
    BrennixReg.OpenKey(BrennixKey, true);
    BrennixReg.WriteString(ComPortInUseValue,
                           QString::fromLatin1(port.CommPortToString(port.Port())));
    BrennixReg.WriteString(AutoReconnectValue, choices.autoReconnect ? "1" : "0");
    BrennixReg.WriteString(ShareAddressValue, choices.shareAddress);
    BrennixReg.WriteString(ShareClientsMaySendValue, choices.clientsMaySend ? "1" : "0");
    BrennixReg.CloseKey();
    BrennixReg.Flush();
}
