#include "window/blocks/RecordingDialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>

namespace {
const QString kUbxFilter = QStringLiteral("UBX recordings (*.ubx)");
const QString kNmeaFilter = QStringLiteral("NMEA recordings (*.nmea)");
const QString kAllFilter = QStringLiteral("All files (*)");
const QString kGpxFilter = QStringLiteral("GPX tracks (*.gpx)");
const QString kKmlFilter = QStringLiteral("KML tracks (*.kml)");

QString SuggestedName(const QString& folder, const QString& prefix, const QString& suffix) {
    return QDir(folder).filePath(prefix + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") +
                                 "." + suffix);
}
} // namespace

QString AskRecordingPath(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& namePrefix, const QString& suffix) {
    const QString suggested = SuggestedName(folder, namePrefix, suffix);
    QString filter = suffix == "nmea" ? kNmeaFilter : kUbxFilter;
    return QFileDialog::getSaveFileName(
        parent, caption, suggested, kUbxFilter + ";;" + kNmeaFilter + ";;" + kAllFilter, &filter);
}

QString AskRecordingToOpen(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, "Open recording", folder,
                                        "Recordings (*.ubx *.nmea *.log *.txt);;" + kAllFilter);
}

QString AskTrackPath(QWidget* parent, const QString& folder) {
    QString filter = kGpxFilter;
    QString path = QFileDialog::getSaveFileName(parent, "Export track to",
                                                SuggestedName(folder, "zepo-track-", "gpx"),
                                                kGpxFilter + ";;" + kKmlFilter, &filter);
    if (!path.isEmpty() && !path.endsWith(".gpx", Qt::CaseInsensitive) &&
        !path.endsWith(".kml", Qt::CaseInsensitive))
        path += filter == kKmlFilter ? ".kml" : ".gpx";
    return path;
}
