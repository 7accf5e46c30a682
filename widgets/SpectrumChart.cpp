#include "widgets/SpectrumChart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr double kScaleWidth = 34;  // the dB figures left of the plot
constexpr double kTickSpacing = 70; // the fewest pixels between frequency figures
constexpr double kLevelStepDb = 10;

double FloorTo(double value, double step) {
    return std::floor(value / step) * step;
}
double CeilTo(double value, double step) {
    return std::ceil(value / step) * step;
}
} // namespace

TSpectrumChart::TSpectrumChart(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setMouseTracking(true);
}

void TSpectrumChart::SetSpectrum(const QString& title, std::vector<QPointF> points) {
    title_ = title;
    points_ = std::move(points);
    if (!points_.empty()) {
        const auto [low, high] =
            std::minmax_element(points_.begin(), points_.end(),
                                [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
        lowDb_ = FloorTo(low->y(), kLevelStepDb);
        highDb_ = std::max(lowDb_ + kLevelStepDb, CeilTo(high->y(), kLevelStepDb));
    }
    update();
}

void TSpectrumChart::SetMarkers(std::vector<TFrequencyMarker> markers) {
    markers_ = std::move(markers);
    update();
}

void TSpectrumChart::SetStale(bool stale) {
    if (std::exchange(stale_, stale) != stale)
        update();
}

// A line for the title and one for the markers' names above the plot; one
// for the frequency figures below it.
QRectF TSpectrumChart::PlotArea() const {
    const double textHeight = fontMetrics().height();
    return QRectF(kScaleWidth, 2 * textHeight + 2, std::max(1.0, width() - kScaleWidth - 8),
                  std::max(1.0, height() - 3.5 * textHeight - 2));
}

double TSpectrumChart::XOf(double MHz) const {
    const QRectF plot = PlotArea();
    if (points_.size() < 2)
        return plot.left();
    const double low = points_.front().x(), high = points_.back().x();
    return plot.left() + plot.width() * (MHz - low) / (high - low);
}

double TSpectrumChart::MHzAt(double x) const {
    const QRectF plot = PlotArea();
    if (points_.size() < 2)
        return 0;
    const double low = points_.front().x(), high = points_.back().x();
    return low + (high - low) * (x - plot.left()) / plot.width();
}

double TSpectrumChart::YOf(double db) const {
    const QRectF plot = PlotArea();
    return plot.bottom() - plot.height() * (db - lowDb_) / (highDb_ - lowDb_);
}

std::optional<double> TSpectrumChart::LevelAt(double MHz) const {
    if (points_.empty())
        return std::nullopt;
    const auto nearest =
        std::min_element(points_.begin(), points_.end(), [MHz](const QPointF& a, const QPointF& b) {
            return std::abs(a.x() - MHz) < std::abs(b.x() - MHz);
        });
    return nearest->y();
}

QString TSpectrumChart::CursorText() const {
    if (!cursorX_)
        return {};
    const double MHz = MHzAt(*cursorX_);
    const std::optional<double> level = LevelAt(MHz);
    if (!level)
        return {};
    return QString("%1 MHz, %2 dB").arg(MHz, 0, 'f', 2).arg(*level, 0, 'f', 1);
}

void TSpectrumChart::mouseMoveEvent(QMouseEvent* event) {
    const QRectF plot = PlotArea();
    const double x = event->position().x();
    const bool over = points_.size() >= 2 && x >= plot.left() && x <= plot.right();
    cursorX_ = over ? std::optional<double>(x) : std::nullopt;
    update();
}

void TSpectrumChart::leaveEvent(QEvent*) {
    cursorX_.reset();
    update();
}

void TSpectrumChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF plot = PlotArea();
    const QColor text = palette().color(stale_ ? QPalette::Dark : QPalette::Text);
    painter.setPen(text);
    painter.drawText(QRectF(kScaleWidth + 8, 0, plot.width() - 8, fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignVCenter, title_);
    DrawGrid(painter, plot);
    if (points_.size() < 2)
        return;
    DrawMarkers(painter, plot);
    QPainterPath line;
    line.moveTo(XOf(points_.front().x()), YOf(points_.front().y()));
    for (const QPointF& point : points_)
        line.lineTo(XOf(point.x()), YOf(point.y()));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(stale_ ? palette().color(QPalette::Dark) : QColor(0, 90, 200), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.setClipRect(plot.adjusted(0, -1, 0, 1));
    painter.drawPath(line);
    painter.setClipping(false);
    DrawCursor(painter, plot);
}

// Lines every 10 dB with their figures on the left; frequency figures below
// at a round step that leaves them room.
void TSpectrumChart::DrawGrid(QPainter& painter, const QRectF& plot) const {
    painter.save();
    const QColor grid = palette().color(QPalette::Midlight);
    const QColor text = palette().color(QPalette::Text);
    for (double db = lowDb_; db <= highDb_ + 0.01; db += kLevelStepDb) {
        const double y = YOf(db);
        painter.setPen(grid);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(text);
        painter.drawText(QRectF(0, y - 8, kScaleWidth - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(db, 'f', 0));
    }
    painter.setPen(grid);
    painter.drawRect(plot);
    if (points_.size() >= 2) {
        const double low = points_.front().x(), high = points_.back().x();
        double step = 1;
        for (const double candidate : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0}) {
            step = candidate;
            if (plot.width() * step / (high - low) >= kTickSpacing)
                break;
        }
        const double textHeight = fontMetrics().height();
        for (double MHz = CeilTo(low, step); MHz <= high; MHz += step) {
            const double x = XOf(MHz);
            painter.setPen(grid);
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            painter.setPen(text);
            painter.drawText(
                QRectF(x - kTickSpacing / 2, plot.bottom() + 2, kTickSpacing, textHeight),
                Qt::AlignCenter, QString::number(MHz, 'f', 0));
        }
        // The units in the corners the scales leave free.
        painter.drawText(QRectF(0, plot.bottom() + 2, kScaleWidth - 4, textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, "MHz");
        painter.drawText(QRectF(0, 0, kScaleWidth - 4, textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, "dB");
    }
    painter.restore();
}

// Dashed lines at the markers in range, their names above the plot where
// they find room, the markers listed first first.
void TSpectrumChart::DrawMarkers(QPainter& painter, const QRectF& plot) const {
    painter.save();
    const QColor colour(190, 90, 0);
    const double textHeight = fontMetrics().height();
    std::vector<QRectF> names;
    for (const TFrequencyMarker& marker : markers_) {
        const double x = XOf(marker.MHz);
        if (x < plot.left() || x > plot.right())
            continue;
        painter.setPen(QPen(colour, 1, Qt::DashLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        const double width = fontMetrics().horizontalAdvance(marker.Name);
        QRectF name(x - width / 2, plot.top() - textHeight - 1, width, textHeight);
        name.moveLeft(std::clamp(name.left(), 0.0, std::max(0.0, this->width() - width)));
        if (std::any_of(names.begin(), names.end(), [&](const QRectF& drawn) {
                return drawn.adjusted(-4, 0, 4, 0).intersects(name);
            }))
            continue; // crowded: the line stays, its name is left out
        painter.setPen(colour);
        painter.drawText(name, Qt::AlignCenter, marker.Name);
        names.push_back(name);
    }
    painter.restore();
}

void TSpectrumChart::DrawCursor(QPainter& painter, const QRectF& plot) const {
    const QString text = CursorText();
    if (text.isEmpty())
        return;
    painter.save();
    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
    painter.drawLine(QPointF(*cursorX_, plot.top()), QPointF(*cursorX_, plot.bottom()));
    const double width = fontMetrics().horizontalAdvance(text) + 8;
    const double height = fontMetrics().height() + 4;
    QRectF box(*cursorX_ + 6, plot.top() + 4, width, height);
    if (box.right() > plot.right())
        box.moveRight(*cursorX_ - 6);
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(palette().color(QPalette::ToolTipBase));
    painter.drawRect(box);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}
