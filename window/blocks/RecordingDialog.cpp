#include "window/blocks/RecordingDialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>

QString AskRecordingPath(QWidget* parent, const QString& caption, const QString& namePrefix) {
    const QString suggested = QDir::home().filePath(
        namePrefix + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + ".ubx");
    return QFileDialog::getSaveFileName(
        parent, caption, suggested,
        "UBX recordings (*.ubx);;NMEA recordings (*.nmea);;All files (*)");
}
