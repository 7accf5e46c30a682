#pragma once
// The per-user settings store: keys addressed by their full path
// ("\SOFTWARE\Brennix\ZEPOMonitor") holding named, typed values, kept in
// $XDG_CONFIG_HOME/Brennix/registry.json (default ~/.config). Every change is
// written to disk at once, atomically, so a crash never leaves half a file.

#include <QJsonObject>
#include <QString>

class SettingsStore {
public:
    // Loads the store. A file that does not parse is moved aside as
    // registry.json.bad and the store starts empty; loading never throws.
    SettingsStore();

    // Where the store lives, read afresh from the environment.
    static QString FilePath();

    bool KeyExists(const QString& key) const;
    // Makes key the current key. Without canCreate a missing key is not
    // opened (false); with it, the key is created empty and written.
    bool OpenKey(const QString& key, bool canCreate);
    // A missing value reads as empty text; a value that is not a string throws.
    QString ReadString(const QString& name) const;
    void WriteString(const QString& name, const QString& value);
    // Deletes key with its values; closes it if it was the current key.
    void DeleteKey(const QString& key);
    void CloseKey() { currentKey_.clear(); }

private:
    void Save() const;

    QJsonObject keys_;
    QString currentKey_;
};
