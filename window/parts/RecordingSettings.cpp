#include "window/parts/RecordingSettings.h"

#include "window/parts/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

namespace {
const QString FolderValue = QStringLiteral("Folder");
const QString TextLogValue = QStringLiteral("TextLog");

// The stored text; empty when it is missing or unreadable.
QString Read(const QString& name) {
    SettingsStore store;
    try {
        return store.OpenKey(RecordingKey, false) ? store.ReadString(name) : QString();
    } catch (const std::exception&) {
        return QString();
    }
}

void Write(const QString& name, const QString& value) {
    SettingsStore store;
    store.OpenKey(RecordingKey, true);
    store.WriteString(name, value);
}
} // namespace

QString RestoreRecordingFolder() {
    const QString folder = Read(FolderValue);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void StoreRecordingFolderOf(const QString& path) {
    Write(FolderValue, QFileInfo(path).absolutePath());
}

bool RestoreTextLog() {
    return Read(TextLogValue) == "1";
}

void StoreTextLog(bool on) {
    Write(TextLogValue, on ? "1" : "0");
}
