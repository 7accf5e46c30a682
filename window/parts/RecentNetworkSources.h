#pragma once
// The network sources the user typed last (tcp://HOST:PORT …), newest first,
// kept in the settings store under "\SOFTWARE\Brennix\ZEPOMonitor\NetworkSources"
// so that the port list offers them again in the next run.

#include <QStringList>

// At most this many are kept.
inline constexpr int kRecentNetworkSources = 5;

// The sources kept; none when the store holds nothing readable.
QStringList RecentNetworkSources();

// Puts name first, dropping an older copy and the oldest beyond the limit.
// Throws when the store cannot be written.
void RememberNetworkSource(const QString& name);
