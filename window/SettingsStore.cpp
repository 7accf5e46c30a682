#include "window/SettingsStore.h"

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

SettingsStore::SettingsStore() {
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
    const QString aside = FilePath() + ".bad";
    QFile::remove(aside);
    QFile::rename(FilePath(), aside);
}

bool SettingsStore::KeyExists(const QString& key) const {
    return keys_.value(key).isObject();
}

bool SettingsStore::OpenKey(const QString& key, bool canCreate) {
    if (!KeyExists(key)) {
        if (!canCreate)
            return false;
        keys_.insert(key, QJsonObject());
        Save();
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
    Save();
}

void SettingsStore::DeleteKey(const QString& key) {
    if (currentKey_ == key)
        currentKey_.clear();
    if (!keys_.contains(key))
        return;
    keys_.remove(key);
    Save();
}

void SettingsStore::Save() const {
    const QString path = FilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(keys_).toJson());
        if (file.commit())
            return;
    }
    throw std::runtime_error("Cannot write " + path.toStdString() + ": " +
                             file.errorString().toStdString());
}
