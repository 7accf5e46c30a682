#include "widgets/TrendGauge.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <utility>

TTrendGauge::TTrendGauge(QWidget* parent, double fullScale, double warning, double alarm)
    : QWidget(parent), fullScale_(fullScale), warning_(warning), alarm_(alarm) {}

void TTrendGauge::Add(double value, const QString& text) {
    history_.push_back(value);
    if (history_.size() > kHistory)
        history_.pop_front();
    text_ = text;
    stale_ = false;
    update();
}

void TTrendGauge::SetStale(bool stale) {
    if (std::exchange(stale_, stale) != stale)
        update();
}

QColor TTrendGauge::LevelColour(double value) const {
    if (stale_)
        return palette().color(QPalette::Dark);
    if (value >= alarm_)
        return QColor(200, 30, 30);
    return value >= warning_ ? QColor(230, 140, 0) : QColor(40, 160, 60);
}

void TTrendGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double barHeight = fontMetrics().height() + 4;
    const QRectF bar(0.5, 0.5, width() - 1.0, barHeight);
    const QRectF trend(0.5, barHeight + 3.5, width() - 1.0, height() - barHeight - 4.0);
    const QColor frame = palette().color(QPalette::Mid);
    painter.setPen(frame);
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(bar);
    painter.drawRect(trend);
    if (history_.empty())
        return;
    const auto share = [this](double value) { return std::clamp(value / fullScale_, 0.0, 1.0); };
    const double latest = history_.back();
    painter.setPen(Qt::NoPen);
    painter.setBrush(LevelColour(latest));
    painter.drawRect(
        QRectF(bar.left() + 1, bar.top() + 1, (bar.width() - 2) * share(latest), bar.height() - 2));
    painter.setPen(palette().color(stale_ ? QPalette::Dark : QPalette::Text));
    painter.drawText(bar, Qt::AlignCenter, text_);

    // One step per report across the whole width, so the line fills as the
    // history does.
    QPainterPath line;
    const double step = trend.width() / static_cast<double>(kHistory - 1);
    const double left = trend.right() - step * static_cast<double>(history_.size() - 1);
    for (std::size_t k = 0; k < history_.size(); ++k) {
        const QPointF point(left + step * static_cast<double>(k),
                            trend.bottom() - 1 - (trend.height() - 2) * share(history_[k]));
        if (k == 0)
            line.moveTo(point);
        else
            line.lineTo(point);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(stale_ ? palette().color(QPalette::Dark) : QColor(0, 90, 200), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(line);
}
