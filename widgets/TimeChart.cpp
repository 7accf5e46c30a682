#include "widgets/TimeChart.h"

#include "widgets/NiceSteps.h"

#include <QDateTime>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {
constexpr int kValueLines = 4; // about as many steps as the values span
constexpr double kRightMargin = 8;

// Round steps of the time axis, in seconds.
constexpr std::array<double, 18> kTimeSteps{1,   2,   5,    10,   15,   30,    60,    120,   300,
                                            600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};

QString TimeOfDay(double seconds, bool withSeconds) {
    const QDateTime at =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(seconds)) * 1000, Qt::UTC);
    return at.toString(withSeconds ? "HH:mm:ss" : "HH:mm");
}
} // namespace

TTimeChart::TTimeChart(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void TTimeChart::SetTitle(const QString& title) {
    title_ = title;
    update();
}

void TTimeChart::SetBaseline(std::optional<double> baseline) {
    baseline_ = baseline;
    Rescale();
    update();
}

void TTimeChart::SetSeries(std::vector<TTimeSeries> series, double start, double end) {
    series_ = std::move(series);
    start_ = start;
    end_ = std::max(end, start + 1);
    Rescale();
    update();
}

// The values in the span and the baseline, widened to round steps.
void TTimeChart::Rescale() {
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (const TTimeSeries& series : series_)
        for (const QPointF& point : series.Points)
            if (point.x() >= start_ && point.x() <= end_ && std::isfinite(point.y())) {
                low = std::min(low, point.y());
                high = std::max(high, point.y());
            }
    empty_ = low > high;
    if (empty_)
        low = high = baseline_.value_or(0);
    if (baseline_) {
        low = std::min(low, *baseline_);
        high = std::max(high, *baseline_);
    }
    if (high - low < 1e-9) {
        // A flat line: on the baseline it stands at the bottom, else in the middle.
        if (baseline_ && low == *baseline_)
            high = low + 1;
        else
            low -= 0.5, high += 0.5;
    }
    valueStep_ = NiceStep((high - low) / kValueLines);
    bottom_ = std::floor(low / valueStep_ + 1e-9) * valueStep_;
    top_ = std::ceil(high / valueStep_ - 1e-9) * valueStep_;
}

QString TTimeChart::ValueText(double value) const {
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(valueStep_) + 1e-9)));
    // No "-0" on the axis.
    return QString::number(std::abs(value) < valueStep_ / 2 ? 0.0 : value, 'f', decimals);
}

double TTimeChart::ScaleWidth() const {
    int widest = 0;
    for (double value = bottom_; value <= top_ + valueStep_ / 2; value += valueStep_)
        widest = std::max(widest, fontMetrics().horizontalAdvance(ValueText(value)));
    return widest + 8;
}

// Above the plot a line for the title and names, below it one for times.
QRectF TTimeChart::PlotArea() const {
    const double line = fontMetrics().height();
    const double left = ScaleWidth();
    return QRectF(left, line + 6, std::max(1.0, width() - left - kRightMargin),
                  std::max(1.0, height() - 2 * line - 10));
}

QPointF TTimeChart::PixelOf(double seconds, double value) const {
    const QRectF plot = PlotArea();
    return {plot.left() + plot.width() * (seconds - start_) / (end_ - start_),
            plot.bottom() - plot.height() * (value - bottom_) / (top_ - bottom_)};
}

// The smallest round step whose times fit side by side beneath the plot.
double TTimeChart::TimeStep() const {
    const double label = fontMetrics().horizontalAdvance("00:00:00") + 16;
    const double fitting = PlotArea().width() / label;
    for (const double step : kTimeSteps)
        if ((end_ - start_) / step <= fitting)
            return step;
    return kTimeSteps.back();
}

void TTimeChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawAxes(painter);
    painter.save();
    painter.setClipRect(PlotArea().adjusted(-1, -1, 1, 1));
    painter.setRenderHint(QPainter::Antialiasing);
    for (const TTimeSeries& series : series_)
        DrawSeries(painter, series);
    painter.restore();
    if (empty_) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(PlotArea(), Qt::AlignCenter, "No data in this span");
    }
    DrawHeading(painter);
}

// Lines at each value step with their figures on the left, and at each time
// step with the time of day beneath.
void TTimeChart::DrawAxes(QPainter& painter) const {
    const QRectF plot = PlotArea();
    const QColor grid = palette().color(QPalette::Midlight);
    const QColor text = palette().color(QPalette::Text);
    painter.save();
    for (double value = bottom_; value <= top_ + valueStep_ / 2; value += valueStep_) {
        const double y = PixelOf(start_, value).y();
        painter.setPen(grid);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(text);
        painter.drawText(QRectF(0, y - 8, plot.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                         ValueText(value));
    }
    const double step = TimeStep();
    const double half = fontMetrics().horizontalAdvance("00:00:00") / 2.0 + 4;
    for (double time = std::ceil(start_ / step) * step; time <= end_; time += step) {
        const double x = PixelOf(time, bottom_).x();
        painter.setPen(grid);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        // A time that would run off the chart's edge is left out.
        const QRectF label(x - half, plot.bottom() + 2, 2 * half, fontMetrics().height());
        if (label.left() < 0 || label.right() > width())
            continue;
        painter.setPen(text);
        painter.drawText(label, Qt::AlignCenter, TimeOfDay(time, step < 60));
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    painter.restore();
}

// The points in the span (and the last one before it, so the line enters
// from the left edge) as lines; per column of pixels only the first, the
// lowest, the highest and the last point are kept.
void TTimeChart::DrawSeries(QPainter& painter, const TTimeSeries& series) const {
    const QPen pen(series.Colour, 1.5);
    QPolygonF line;
    bool inColumn = false;
    double column = 0;
    QPointF first, low, high, last;
    const auto closeColumn = [&] {
        if (!inColumn)
            return;
        for (const QPointF& point : {first, low, high, last})
            if (line.isEmpty() || line.back() != point)
                line << point;
        inColumn = false;
    };
    const auto endLine = [&] {
        closeColumn();
        if (line.size() == 1) {
            painter.setPen(QPen(series.Colour, 3, Qt::SolidLine, Qt::RoundCap));
            painter.drawPoint(line.front());
        } else if (line.size() > 1) {
            painter.setPen(pen);
            painter.drawPolyline(line);
        }
        line.clear();
    };
    std::optional<double> previous;
    for (const QPointF& point : series.Points) {
        if (point.x() < start_ - kGapSeconds)
            continue;
        if (point.x() > end_)
            break;
        if (!std::isfinite(point.y()) || (previous && point.x() - *previous > kGapSeconds))
            endLine();
        if (!std::isfinite(point.y())) {
            previous.reset();
            continue;
        }
        previous = point.x();
        const QPointF pixel = PixelOf(point.x(), point.y());
        if (inColumn && std::floor(pixel.x()) == column) {
            if (pixel.y() < low.y())
                low = pixel;
            if (pixel.y() > high.y())
                high = pixel;
            last = pixel;
            continue;
        }
        closeColumn();
        inColumn = true;
        column = std::floor(pixel.x());
        first = low = high = last = pixel;
    }
    endLine();
}

// The title in bold, then each series' name in its colour behind a short
// line, as many as fit; an ellipsis says there are more.
void TTimeChart::DrawHeading(QPainter& painter) const {
    painter.save();
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::Text));
    const double baseline = 2 + fontMetrics().ascent();
    const double middle = 2 + fontMetrics().height() / 2.0;
    double x = 4;
    painter.drawText(QPointF(x, baseline), title_);
    x += QFontMetricsF(bold).horizontalAdvance(title_) + 14;
    painter.setFont(font());
    const double room = width() - kRightMargin;
    for (const TTimeSeries& series : series_) {
        const double entry = 18 + fontMetrics().horizontalAdvance(series.Name) + 12;
        if (x + entry > room) {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(QPointF(x, baseline), "…");
            break;
        }
        painter.setPen(QPen(series.Colour, 2));
        painter.drawLine(QPointF(x, middle), QPointF(x + 14, middle));
        painter.drawText(QPointF(x + 18, baseline), series.Name);
        x += entry;
    }
    painter.restore();
}
