#include "widgets/SignalChart.h"

#include <QPainter>
#include <algorithm>

namespace {
constexpr double kScaleWidth = 30; // the dBHz figures left of the plot
constexpr double kGroupGap = 10;   // pixels between two constellations
constexpr double kMaxSlot = 22;

bool DrawnBefore(const TSatelliteMark& a, const TSatelliteMark& b) {
    if (a.Constellation != b.Constellation)
        return a.Constellation < b.Constellation;
    return a.Number < b.Number;
}

// Writes text centred over area, kept left of end, unless it would run into
// the text written before it on the same line, which ends at right: a
// crowded chart leaves some numbers out rather than printing them over one
// another.
void DrawUncrowded(QPainter& painter, const QRectF& area, const QString& text, double end,
                   double& right) {
    const double width = painter.fontMetrics().horizontalAdvance(text);
    QRectF at(area.center().x() - width / 2, area.top(), width, area.height());
    if (at.right() > end)
        at.moveRight(end);
    if (at.left() < right + 3)
        return;
    painter.drawText(at, Qt::AlignCenter | Qt::TextDontClip, text);
    right = at.right();
}

std::size_t GroupCount(const TSatelliteMarks& satellites) {
    std::size_t groups = 0;
    for (std::size_t index = 0; index < satellites.size(); ++index)
        if (index == 0 || satellites[index].Constellation != satellites[index - 1].Constellation)
            ++groups;
    return groups;
}
} // namespace

TSignalChart::TSignalChart(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void TSignalChart::SetSatellites(const TSatelliteMarks& satellites) {
    satellites_ = satellites;
    std::stable_sort(satellites_.begin(), satellites_.end(), DrawnBefore);
    update();
}

// Below the plot: a line for the numbers, a line for the group names.
QRectF TSignalChart::PlotArea() const {
    const double textHeight = fontMetrics().height();
    return QRectF(kScaleWidth, textHeight / 2, std::max(1.0, width() - kScaleWidth - 4),
                  std::max(1.0, height() - 2.5 * textHeight));
}

double TSignalChart::SlotWidth() const {
    if (satellites_.empty())
        return kMaxSlot;
    const double gaps = kGroupGap * (GroupCount(satellites_) - 1);
    return std::clamp((PlotArea().width() - gaps) / satellites_.size(), 1.0, kMaxSlot);
}

double TSignalChart::SlotLeft(std::size_t index) const {
    double left = PlotArea().left() + index * SlotWidth();
    for (std::size_t before = 1; before <= index; ++before)
        if (satellites_[before].Constellation != satellites_[before - 1].Constellation)
            left += kGroupGap;
    return left;
}

QRectF TSignalChart::BarAt(std::size_t index) const {
    const QRectF plot = PlotArea();
    const double slot = SlotWidth();
    const double strength = std::clamp(satellites_[index].Cn0, 0.0, kFullScale) / kFullScale;
    const double barHeight = plot.height() * strength;
    return QRectF(SlotLeft(index) + slot * 0.15, plot.bottom() - barHeight, slot * 0.7, barHeight);
}

QRectF TSignalChart::BarOf(TConstellation constellation, int number) const {
    for (std::size_t index = 0; index < satellites_.size(); ++index)
        if (satellites_[index].Constellation == constellation &&
            satellites_[index].Number == number)
            return BarAt(index);
    return {};
}

void TSignalChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawScale(painter);
    const QRectF plot = PlotArea();
    const double textHeight = fontMetrics().height();
    const QColor text = palette().color(QPalette::Text);
    const QColor stale = palette().color(QPalette::Dark);
    std::size_t groupStart = 0;
    double numbersEnd = -kScaleWidth, namesEnd = -kScaleWidth;
    for (std::size_t index = 0; index < satellites_.size(); ++index) {
        const TSatelliteMark& satellite = satellites_[index];
        const QColor colour = LookOf(satellite.Constellation).Colour;
        const QColor bar = satellite.Stale ? stale : colour;
        QColor pale = bar;
        pale.setAlpha(60);
        painter.setPen(QPen(bar, 1));
        painter.setBrush(satellite.Used ? bar : pale);
        painter.drawRect(BarAt(index));

        const QRectF slot(SlotLeft(index), plot.bottom(), SlotWidth(), textHeight);
        painter.setPen(satellite.Stale ? stale : text);
        DrawUncrowded(painter, slot, QString::number(satellite.Number), width(), numbersEnd);

        const bool lastOfGroup = index + 1 == satellites_.size() ||
                                 satellites_[index + 1].Constellation != satellite.Constellation;
        if (lastOfGroup) {
            const QRectF group(SlotLeft(groupStart), plot.bottom() + textHeight,
                               slot.right() - SlotLeft(groupStart), textHeight);
            painter.setPen(colour);
            DrawUncrowded(painter, group, LookOf(satellite.Constellation).Name, width(), namesEnd);
            groupStart = index + 1;
        }
    }
}

// Lines every 10 dBHz with their figures on the left.
void TSignalChart::DrawScale(QPainter& painter) const {
    const QRectF plot = PlotArea();
    painter.save();
    for (int level = 0; level <= kFullScale; level += 10) {
        const double y = plot.bottom() - plot.height() * level / kFullScale;
        painter.setPen(palette().color(QPalette::Midlight));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(0, y - 8, kScaleWidth - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(level));
    }
    painter.restore();
}
