#include "widgets/DeviationPlot.h"

#include "widgets/NiceSteps.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr double kMargin = 18;        // room for the compass letters
constexpr double kLeastExtent = 0.04; // metres: positions on the reference still get rings
constexpr int kRings = 4;             // about as many rings as the spread takes

struct KindLook {
    const char* Name;
    QColor Colour;
};
const std::array<KindLook, TDeviationPlot::KindCount> kKinds{{
    {"No fix", QColor(0x90, 0x90, 0x90)},
    {"2D", QColor(0xa0, 0x60, 0x30)},
    {"3D", QColor(0xd0, 0x30, 0x30)},
    {"DGNSS", QColor(0x1f, 0x6f, 0xd0)},
    {"RTK float", QColor(0xe0, 0x8a, 0x00)},
    {"RTK fixed", QColor(0x20, 0x9a, 0x40)},
    {"Dead reckoning", QColor(0x90, 0x40, 0xc0)},
}};

int KindIndex(int kind) {
    return kind >= 0 && kind < TDeviationPlot::KindCount ? kind : TDeviationPlot::NoFix;
}

QString Figure(double value, int digits) {
    return QString::number(value, 'g', digits);
}
} // namespace

QString TDeviationPlot::KindName(int kind) {
    return kKinds[KindIndex(kind)].Name;
}

QColor TDeviationPlot::KindColour(int kind) {
    return kKinds[KindIndex(kind)].Colour;
}

QString DistanceText(double metres) {
    if (metres >= 1000)
        return Figure(metres / 1000, 4) + " km";
    if (metres >= 1)
        return Figure(metres, 4) + " m";
    return Figure(metres * 100, 3) + " cm";
}

TDeviationPlot::TDeviationPlot(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    Rescale();
}

void TDeviationPlot::SetPoints(std::vector<TDeviationPoint> points) {
    points_ = std::move(points);
    Rescale();
    update();
}

// Rings at a round step, as many as reach past the farthest point.
void TDeviationPlot::Rescale() {
    double extent = kLeastExtent;
    for (const TDeviationPoint& point : points_)
        extent = std::max(extent, std::hypot(point.East, point.North));
    ringStep_ = NiceStep(extent / kRings);
    // A little room beyond the farthest point, so its dot is inside.
    radius_ = ringStep_ * std::ceil(extent * 1.02 / ringStep_);
}

QPointF TDeviationPlot::Centre() const {
    return QRectF(rect()).center();
}

double TDeviationPlot::RadiusPixels() const {
    return std::max(1.0, std::min(width(), height()) / 2.0 - kMargin);
}

QPointF TDeviationPlot::PixelOf(double east, double north) const {
    const double scale = RadiusPixels() / radius_;
    return Centre() + QPointF(east * scale, -north * scale);
}

QRectF TDeviationPlot::ScaleBarRect() const {
    const double length = ringStep_ * RadiusPixels() / radius_;
    return QRectF(8, height() - 10.0 - 3, length, 6);
}

void TDeviationPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawGrid(painter);
    DrawPoints(painter);
    DrawLegend(painter);
    DrawScaleBar(painter);
}

// The rings, each labelled with its distance towards the south-east, the
// north-south and east-west lines through the reference, and N and E.
void TDeviationPlot::DrawGrid(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = Centre();
    const double outer = RadiusPixels();
    const int rings = static_cast<int>(std::lround(radius_ / ringStep_));
    const QColor text = palette().color(QPalette::Text);
    for (int ring = 1; ring <= rings; ++ring) {
        const double radius = outer * ring / rings;
        painter.setPen(QPen(palette().color(QPalette::Mid), 1));
        painter.drawEllipse(centre, radius, radius);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(centre + QPointF(radius, radius) * M_SQRT1_2 + QPointF(2, -2),
                         DistanceText(ringStep_ * ring));
    }
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawLine(centre - QPointF(0, outer), centre + QPointF(0, outer));
    painter.drawLine(centre - QPointF(outer, 0), centre + QPointF(outer, 0));
    painter.setPen(text);
    painter.drawText(
        QRectF(centre.x() - kMargin / 2, centre.y() - outer - kMargin, kMargin, kMargin),
        Qt::AlignCenter, "N");
    painter.drawText(QRectF(centre.x() + outer, centre.y() - kMargin / 2, kMargin, kMargin),
                     Qt::AlignCenter, "E");
    painter.restore();
}

// A round dot per point, the kinds in the legend's order so the better
// fixes lie on top; thousands of points draw as one call per kind.
void TDeviationPlot::DrawPoints(QPainter& painter) const {
    if (points_.empty())
        return;
    std::array<QPolygonF, KindCount> dots;
    for (const TDeviationPoint& point : points_)
        dots[KindIndex(point.Kind)] << PixelOf(point.East, point.North);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int kind = 0; kind < KindCount; ++kind) {
        painter.setPen(QPen(KindColour(kind), kDotSize, Qt::SolidLine, Qt::RoundCap));
        painter.drawPoints(dots[kind]);
    }
    const TDeviationPoint& newest = points_.back();
    painter.setPen(QPen(palette().color(QPalette::Text), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(PixelOf(newest.East, newest.North), kDotSize, kDotSize);
    painter.restore();
}

// One line per kind drawn, with its count, in the top-left corner.
void TDeviationPlot::DrawLegend(QPainter& painter) const {
    std::array<std::size_t, KindCount> counts{};
    for (const TDeviationPoint& point : points_)
        ++counts[KindIndex(point.Kind)];
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const int lineHeight = fontMetrics().height();
    double y = 2 + lineHeight / 2.0;
    for (int kind = 0; kind < KindCount; ++kind) {
        if (counts[kind] == 0)
            continue;
        painter.setPen(Qt::NoPen);
        painter.setBrush(KindColour(kind));
        painter.drawEllipse(QPointF(8, y), kDotSize / 2 + 1, kDotSize / 2 + 1);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(16, y + fontMetrics().ascent() / 2.0 - 1),
                         QString("%1  %2").arg(KindName(kind)).arg(counts[kind]));
        y += lineHeight;
    }
    painter.restore();
}

// A bar one ring step long in the bottom-left corner, its length above it.
void TDeviationPlot::DrawScaleBar(QPainter& painter) const {
    const QRectF bar = ScaleBarRect();
    painter.save();
    painter.setPen(QPen(palette().color(QPalette::Text), 2));
    const double y = bar.center().y();
    painter.drawLine(QPointF(bar.left(), y), QPointF(bar.right(), y));
    painter.drawLine(QPointF(bar.left(), bar.top()), QPointF(bar.left(), bar.bottom()));
    painter.drawLine(QPointF(bar.right(), bar.top()), QPointF(bar.right(), bar.bottom()));
    painter.drawText(QPointF(bar.left(), bar.top() - 3), DistanceText(ringStep_));
    painter.restore();
}
