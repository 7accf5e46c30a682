#include "window/blocks/RecordingDialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>

namespace {
const QString kUbxFilter = QStringLiteral("UBX recordings (*.ubx)");
const QString kNmeaFilter = QStringLiteral("NMEA recordings (*.nmea)");
const QString kAllFilter = QStringLiteral("All files (*)");
} // namespace

QString AskRecordingPath(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& namePrefix, const QString& suffix) {
    const QString suggested = QDir(folder).filePath(
        namePrefix + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + "." + suffix);
    QString filter = suffix == "nmea" ? kNmeaFilter : kUbxFilter;
    return QFileDialog::getSaveFileName(
        parent, caption, suggested, kUbxFilter + ";;" + kNmeaFilter + ";;" + kAllFilter, &filter);
}

QString AskRecordingToOpen(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, "Open recording", folder,
                                        "Recordings (*.ubx *.nmea *.log *.txt);;" + kAllFilter);
}
