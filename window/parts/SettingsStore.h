#pragma once
// The per-user settings store: keys addressed by their full path
// ("\SOFTWARE\Brennix\ZEPOMonitor") holding named, typed values, kept in
// $XDG_CONFIG_HOME/Brennix/registry.json (default ~/.config). Every change is
// written to disk at once, atomically, so a crash never leaves half a file;
// with lazy writing the changes wait for Flush() and go out as one save.
// A save that cannot be written whole (a full disk) keeps the old file.

#include <QJsonObject>
#include <QString>

class SettingsStore {
public:
    // Loads the store. A file that does not parse is moved aside as
    // registry.json.bad (registry.json.bad.1, .2 … when that name is taken)
    // and the store starts empty; loading never throws.
    explicit SettingsStore(bool lazyWrite = false);

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
    // Writes the changes held back by lazy writing. Throws when the file
    // cannot be written; the old file then stays as it was.
    void Flush();

private:
    void Changed();

    const bool lazyWrite_;
    bool unsaved_ = false;
    QJsonObject keys_;
    QString currentKey_;
};
