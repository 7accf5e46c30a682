#pragma once
// The file dialog that asks where to write received bytes, suggesting a
// name in the home folder with the date and time, "zepo-20260101-120000.ubx".

#include <QString>

class QWidget;

// The chosen path; empty when the user cancelled.
QString AskRecordingPath(QWidget* parent, const QString& caption, const QString& namePrefix);
