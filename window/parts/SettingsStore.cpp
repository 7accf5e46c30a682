#include "window/parts/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <stdexcept>

QString SettingsStore::FilePath() {
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty())
        configHome = QDir::homePath() + "/.config";
    return configHome + "/Brennix/registry.json";
}

namespace {
// Moves a corrupt file aside to the first of registry.json.bad,
// registry.json.bad.1, … that is free: an earlier copy is never overwritten.
void KeepAside(const QString& path) {
    QString aside = path + ".bad";
    for (int number = 1; QFile::exists(aside); ++number)
        aside = path + ".bad." + QString::number(number);
    QFile::rename(path, aside);
}
} // namespace

SettingsStore::SettingsStore(bool lazyWrite) : lazyWrite_(lazyWrite) {
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    file.close();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error == QJsonParseError::NoError && document.isObject()) {
        keys_ = document.object();
        return;
    }
    KeepAside(FilePath());
}

bool SettingsStore::KeyExists(const QString& key) const {
    return keys_.value(key).isObject();
}

bool SettingsStore::OpenKey(const QString& key, bool canCreate) {
    if (!KeyExists(key)) {
        if (!canCreate)
            return false;
        keys_.insert(key, QJsonObject());
        Changed();
    }
    currentKey_ = key;
    return true;
}

QString SettingsStore::ReadString(const QString& name) const {
    if (currentKey_.isEmpty())
        throw std::runtime_error("No settings key is open");
    const QJsonValue value = keys_.value(currentKey_).toObject().value(name);
    if (value.isUndefined())
        return QString();
    if (!value.isString())
        throw std::runtime_error("Invalid data type for '" + name.toStdString() + "'");
    return value.toString();
}

void SettingsStore::WriteString(const QString& name, const QString& value) {
    if (currentKey_.isEmpty())
        throw std::runtime_error("No settings key is open");
    QJsonObject values = keys_.value(currentKey_).toObject();
    values.insert(name, value);
    keys_.insert(currentKey_, values);
    Changed();
}

void SettingsStore::DeleteKey(const QString& key) {
    if (currentKey_ == key)
        currentKey_.clear();
    if (!keys_.contains(key))
        return;
    keys_.remove(key);
    Changed();
}

void SettingsStore::Changed() {
    unsaved_ = true;
    if (!lazyWrite_)
        Flush();
}

void SettingsStore::Flush() {
    if (!unsaved_)
        return;
    const QString path = FilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    const QByteArray content = QJsonDocument(keys_).toJson();
    // commit() renames the temporary file over the old one even after a
    // failed write (a full disk), so every byte must be out before it runs;
    // otherwise the temporary file is dropped and the old file stays.
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush() &&
        file.commit()) {
        unsaved_ = false;
        return;
    }
    const QString reason = file.errorString();
    file.cancelWriting();
    throw std::runtime_error("Cannot write " + path.toStdString() + ": " + reason.toStdString());
}
