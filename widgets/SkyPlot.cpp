#include "widgets/SkyPlot.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kMargin = 18; // room for the compass letters
constexpr double kMarkSize = 11;
} // namespace

TSkyPlot::TSkyPlot(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void TSkyPlot::SetSatellites(const TSatelliteMarks& satellites) {
    satellites_ = satellites;
    update();
}

QPointF TSkyPlot::Centre() const {
    return QRectF(rect()).center();
}

double TSkyPlot::HorizonRadius() const {
    return std::max(1.0, std::min(width(), height()) / 2.0 - kMargin);
}

QPointF TSkyPlot::PositionOf(double azimuth, double elevation) const {
    const double radius = HorizonRadius() * (90 - std::clamp(elevation, 0.0, 90.0)) / 90;
    const double angle = azimuth * std::numbers::pi / 180;
    return Centre() + QPointF(radius * std::sin(angle), -radius * std::cos(angle));
}

void TSkyPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawGrid(painter);
    for (const TSatelliteMark& satellite : satellites_) {
        if (satellite.Elevation < 0)
            continue;
        const QPointF at = PositionOf(satellite.Azimuth, satellite.Elevation);
        DrawMarkSymbol(painter, satellite.Constellation, at, kMarkSize, satellite.Used);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(at + QPointF(kMarkSize / 2 + 2, -kMarkSize / 2),
                         QString::number(satellite.Number));
    }
    DrawLegend(painter);
}

// Rings at the horizon, 30 and 60 degrees, the north-south and east-west
// lines, and the compass letters outside the horizon.
void TSkyPlot::DrawGrid(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    const QPointF centre = Centre();
    const double horizon = HorizonRadius();
    for (const double elevation : {0.0, 30.0, 60.0}) {
        const double radius = horizon * (90 - elevation) / 90;
        painter.drawEllipse(centre, radius, radius);
    }
    painter.drawLine(PositionOf(0, 0), PositionOf(180, 0));
    painter.drawLine(PositionOf(90, 0), PositionOf(270, 0));
    painter.setPen(palette().color(QPalette::Text));
    const struct {
        double Azimuth;
        const char* Letter;
    } compass[] = {{0, "N"}, {90, "E"}, {180, "S"}, {270, "W"}};
    const double letterRadius = horizon + kMargin / 2;
    for (const auto& point : compass) {
        const double angle = point.Azimuth * std::numbers::pi / 180;
        const QPointF at =
            centre + QPointF(letterRadius * std::sin(angle), -letterRadius * std::cos(angle));
        painter.drawText(QRectF(at.x() - kMargin / 2, at.y() - kMargin / 2, kMargin, kMargin),
                         Qt::AlignCenter, point.Letter);
    }
    painter.restore();
}

// One line per constellation present, in the top-left corner.
void TSkyPlot::DrawLegend(QPainter& painter) const {
    bool present[kConstellationCount] = {};
    for (const TSatelliteMark& satellite : satellites_)
        present[static_cast<int>(satellite.Constellation)] = true;
    const int lineHeight = fontMetrics().height();
    double y = 2 + lineHeight / 2.0;
    for (int index = 0; index < kConstellationCount; ++index) {
        if (!present[index])
            continue;
        const auto constellation = static_cast<TConstellation>(index);
        DrawMarkSymbol(painter, constellation, QPointF(8, y), 8, true);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(16, y + fontMetrics().ascent() / 2.0 - 1),
                         LookOf(constellation).Name);
        y += lineHeight;
    }
}
