#include "widgets/SkyPlot.h"

#include "widgets/SkyLabels.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kMargin = 18; // room for the compass letters

// The constellations of satellites, in the legend's order.
std::vector<TConstellation> Present(const TSatelliteMarks& satellites) {
    bool present[kConstellationCount] = {};
    for (const TSatelliteMark& satellite : satellites)
        present[static_cast<int>(satellite.Constellation)] = true;
    std::vector<TConstellation> constellations;
    for (int index = 0; index < kConstellationCount; ++index)
        if (present[index])
            constellations.push_back(static_cast<TConstellation>(index));
    return constellations;
}
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

// The labels' boxes are as high as a digit, so they pack closely; the text
// sits on the box's bottom line.
std::vector<std::optional<QRectF>> TSkyPlot::LabelRects() const {
    const QFontMetricsF metrics(font());
    std::vector<TLabelRequest> requests;
    for (const TSatelliteMark& satellite : satellites_)
        if (satellite.Elevation >= 0)
            requests.push_back({PositionOf(satellite.Azimuth, satellite.Elevation),
                                QSizeF(metrics.horizontalAdvance(QString::number(satellite.Number)),
                                       metrics.capHeight() + 2)});
    std::vector<QRectF> taken = CompassRects();
    taken.push_back(LegendRect());
    const auto placed = PlaceLabels(requests, kMarkSize, QRectF(rect()), taken);
    std::vector<std::optional<QRectF>> labels;
    auto next = placed.begin();
    for (const TSatelliteMark& satellite : satellites_)
        labels.push_back(satellite.Elevation >= 0 ? *next++ : std::nullopt);
    return labels;
}

void TSkyPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawGrid(painter);
    const QColor stale = palette().color(QPalette::Dark);
    const auto labels = LabelRects();
    for (std::size_t index = 0; index < satellites_.size(); ++index) {
        const TSatelliteMark& satellite = satellites_[index];
        if (satellite.Elevation < 0)
            continue;
        DrawMarkSymbol(painter, satellite.Constellation,
                       PositionOf(satellite.Azimuth, satellite.Elevation), kMarkSize,
                       satellite.Used, satellite.Stale ? stale : QColor());
        if (!labels[index])
            continue;
        painter.setPen(satellite.Stale ? stale : palette().color(QPalette::Text));
        painter.drawText(QPointF(labels[index]->left(), labels[index]->bottom() - 1),
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
    const auto letters = CompassRects();
    const char* const names[] = {"N", "E", "S", "W"};
    for (std::size_t index = 0; index < letters.size(); ++index)
        painter.drawText(letters[index], Qt::AlignCenter, names[index]);
    painter.restore();
}

// North, east, south and west, outside the horizon.
std::vector<QRectF> TSkyPlot::CompassRects() const {
    const double letterRadius = HorizonRadius() + kMargin / 2;
    std::vector<QRectF> letters;
    for (const double azimuth : {0.0, 90.0, 180.0, 270.0}) {
        const double angle = azimuth * std::numbers::pi / 180;
        const QPointF at =
            Centre() + QPointF(letterRadius * std::sin(angle), -letterRadius * std::cos(angle));
        letters.emplace_back(at.x() - kMargin / 2, at.y() - kMargin / 2, kMargin, kMargin);
    }
    return letters;
}

// One line per constellation present, in the top-left corner.
void TSkyPlot::DrawLegend(QPainter& painter) const {
    const int lineHeight = fontMetrics().height();
    double y = 2 + lineHeight / 2.0;
    for (const TConstellation constellation : Present(satellites_)) {
        DrawMarkSymbol(painter, constellation, QPointF(8, y), 8, true);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(16, y + fontMetrics().ascent() / 2.0 - 1),
                         LookOf(constellation).Name);
        y += lineHeight;
    }
}

QRectF TSkyPlot::LegendRect() const {
    double width = 0;
    const auto constellations = Present(satellites_);
    for (const TConstellation constellation : constellations)
        width =
            std::max<double>(width, fontMetrics().horizontalAdvance(LookOf(constellation).Name));
    return QRectF(0, 0, 16 + width + 2, 2 + fontMetrics().height() * double(constellations.size()));
}
