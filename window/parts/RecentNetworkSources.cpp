#include "window/parts/RecentNetworkSources.h"

#include "window/parts/PersistedPort.h"
#include "window/parts/SettingsStore.h"

namespace {
const QString SourcesKey = BrennixKey + QStringLiteral("\\NetworkSources");
const QString RecentValue = QStringLiteral("Recent");
} // namespace

QStringList RecentNetworkSources() {
    SettingsStore store;
    try {
        if (!store.OpenKey(SourcesKey, false))
            return {};
        return store.ReadString(RecentValue)
            .split('\n', Qt::SkipEmptyParts)
            .mid(0, kRecentNetworkSources);
    } catch (const std::exception&) {
        return {};
    }
}

void RememberNetworkSource(const QString& name) {
    QStringList recent = RecentNetworkSources();
    recent.removeAll(name);
    recent.prepend(name);
    SettingsStore store;
    store.OpenKey(SourcesKey, true);
    store.WriteString(RecentValue, recent.mid(0, kRecentNetworkSources).join('\n'));
}
