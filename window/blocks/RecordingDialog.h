#pragma once
// The file dialogs of recordings: where to write received bytes, suggesting
// a name with the date and time, "zepo-20260101-120000.ubx", which
// recording to replay, and where to export a track. All open in the folder
// given.

#include <QString>

class QWidget;

// The chosen path, as the user typed it; empty when the user cancelled. The
// suggested name ends in suffix ("ubx", "nmea"), whose filter is chosen.
QString AskRecordingPath(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& namePrefix, const QString& suffix);

// The recording chosen to replay; empty when the user cancelled.
QString AskRecordingToOpen(QWidget* parent, const QString& folder);

// Where to write a track, "zepo-track-20260101-120000.gpx" suggested; a name
// typed without ".gpx" or ".kml" gets that of the chosen filter. Empty when
// the user cancelled.
QString AskTrackPath(QWidget* parent, const QString& folder);
