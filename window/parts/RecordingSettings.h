#pragma once
// The recording choices kept between runs: the folder the file dialogs last
// used and whether a text log goes beside a recording. They live under a key
// of their own, "\SOFTWARE\Brennix\ZEPOMonitor\Recording" in the settings
// store, because the port's key is rewritten whole at each closing.

#include <QString>

inline const QString RecordingKey = QStringLiteral("\\SOFTWARE\\Brennix\\ZEPOMonitor\\Recording");

// The folder last used; the home folder when none is kept or it is gone.
QString RestoreRecordingFolder();
// Keeps the folder of path. Throws when the store cannot be written.
void StoreRecordingFolderOf(const QString& path);

// Whether a text log goes beside a recording; off when nothing is kept.
bool RestoreTextLog();
// Throws when the store cannot be written.
void StoreTextLog(bool on);
