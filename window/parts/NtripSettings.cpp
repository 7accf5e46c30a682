#include "window/parts/NtripSettings.h"

#include "window/parts/SettingsStore.h"

#include <QFile>
#include <exception>

namespace {
int NumberOr(const QString& text, int fallback) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : fallback;
}
} // namespace

TNtripSettings RestoreNtripSettings() {
    TNtripSettings settings;
    SettingsStore store;
    try {
        if (!store.OpenKey(NtripKey, false))
            return settings;
        settings.Host = store.ReadString("Host");
        settings.Port = NumberOr(store.ReadString("Port"), settings.Port);
        settings.Tls = store.ReadString("Tls") == "1";
        settings.User = store.ReadString("User");
        settings.Password = store.ReadString("Password");
        settings.Mountpoint = store.ReadString("Mountpoint");
        settings.Version = NumberOr(store.ReadString("Version"), settings.Version) == 2 ? 2 : 1;
        settings.GgaSeconds = NumberOr(store.ReadString("GgaSeconds"), settings.GgaSeconds);
        settings.Position = store.ReadString("Position");
    } catch (const std::exception&) {
        return TNtripSettings{};
    }
    return settings;
}

void StoreNtripSettings(const TNtripSettings& settings) {
    SettingsStore store(true);
    store.OpenKey(NtripKey, true);
    store.WriteString("Host", settings.Host);
    store.WriteString("Port", QString::number(settings.Port));
    store.WriteString("Tls", settings.Tls ? "1" : "0");
    store.WriteString("User", settings.User);
    store.WriteString("Password", settings.Password);
    store.WriteString("Mountpoint", settings.Mountpoint);
    store.WriteString("Version", QString::number(settings.Version));
    store.WriteString("GgaSeconds", QString::number(settings.GgaSeconds));
    store.WriteString("Position", settings.Position);
    store.Flush();
    // The store holds a password now: for its owner's eyes only (later saves
    // keep the file's permissions).
    QFile::setPermissions(SettingsStore::FilePath(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
