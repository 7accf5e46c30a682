#pragma once
// The NTRIP page's fields kept between runs, the password among them, under
// "\SOFTWARE\Brennix\ZEPOMonitor\Ntrip" in the settings store, which only
// its owner may then read. They are written nowhere else.

#include <QString>

inline const QString NtripKey = QStringLiteral("\\SOFTWARE\\Brennix\\ZEPOMonitor\\Ntrip");

struct TNtripSettings {
    QString Host;
    int Port = 2101;
    bool Tls = false; // the caster speaks NTRIP over TLS
    QString User;
    QString Password;
    QString Mountpoint;
    int Version = 1;     // NTRIP 1 or 2
    int GgaSeconds = 10; // 0: no GGA to the caster
    QString Position;    // typed "latitude, longitude[, height]"; empty: the receiver's fix
};

// What was stored; the defaults where nothing (readable) is.
TNtripSettings RestoreNtripSettings();
// Throws when the store cannot be written.
void StoreNtripSettings(const TNtripSettings& settings);
