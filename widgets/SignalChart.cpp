#include "widgets/SignalChart.h"

#include <QPainter>
#include <algorithm>
#include <tuple>

namespace {
constexpr double kScaleWidth = 30; // the dBHz figures left of the plot
constexpr double kGroupGap = 10;   // pixels between two constellations
constexpr double kMaxSlot = 22;

bool DrawnBefore(const TSatelliteMark& a, const TSatelliteMark& b) {
    return std::tuple(a.Constellation, a.Number, a.Band) <
           std::tuple(b.Constellation, b.Number, b.Band);
}

bool SameSatellite(const TSatelliteMark& a, const TSatelliteMark& b) {
    return a.Constellation == b.Constellation && a.Number == b.Number;
}

QString BandName(TSignalBand band) {
    static const char* const kNames[] = {"", "L1", "L2", "L5", "E6"};
    return kNames[static_cast<int>(band)];
}

// Each band past L1 a shade darker, so a satellite's bars tell apart.
QColor BandShade(const QColor& colour, TSignalBand band) {
    return band <= TSignalBand::L1 ? colour
                                   : colour.darker(100 + 45 * (static_cast<int>(band) - 1));
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

bool NewGroup(const TSatelliteMarks& satellites, std::size_t mark) {
    return mark > 0 && satellites[mark].Constellation != satellites[mark - 1].Constellation;
}
} // namespace

TSignalChart::TSignalChart(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void TSignalChart::SetSatellites(const TSatelliteMarks& satellites) {
    satellites_ = satellites;
    std::stable_sort(satellites_.begin(), satellites_.end(), DrawnBefore);
    slots_.clear();
    for (std::size_t mark = 0; mark < satellites_.size(); ++mark)
        if (mark > 0 && SameSatellite(satellites_[mark], satellites_[mark - 1]))
            ++slots_.back().Count;
        else
            slots_.push_back({mark, 1});
    update();
}

// Below the plot: a line for the numbers, a line for the group names.
QRectF TSignalChart::PlotArea() const {
    const double textHeight = fontMetrics().height();
    return QRectF(kScaleWidth, textHeight / 2, std::max(1.0, width() - kScaleWidth - 4),
                  std::max(1.0, height() - 2.5 * textHeight));
}

// A satellite with signals in several bands gets a wider place.
double TSignalChart::SlotWidth() const {
    if (slots_.empty())
        return kMaxSlot;
    std::size_t widest = 1;
    for (const TSlot& slot : slots_)
        widest = std::max(widest, slot.Count);
    const double gaps = kGroupGap * (GroupCount(satellites_) - 1);
    return std::clamp((PlotArea().width() - gaps) / slots_.size(), 1.0,
                      kMaxSlot * (widest > 1 ? 1.5 : 1.0));
}

double TSignalChart::SlotLeft(std::size_t slot) const {
    double left = PlotArea().left() + slot * SlotWidth();
    for (std::size_t before = 1; before <= slot; ++before)
        if (NewGroup(satellites_, slots_[before].First))
            left += kGroupGap;
    return left;
}

QRectF TSignalChart::BarAt(std::size_t slot, std::size_t mark) const {
    const QRectF plot = PlotArea();
    const double width = SlotWidth() * 0.7 / slots_[slot].Count;
    const double strength = std::clamp(satellites_[mark].Cn0, 0.0, kFullScale) / kFullScale;
    const double barHeight = plot.height() * strength;
    const double left = SlotLeft(slot) + SlotWidth() * 0.15 +
                        width * static_cast<double>(mark - slots_[slot].First);
    return QRectF(left, plot.bottom() - barHeight, width, barHeight);
}

QRectF TSignalChart::BarOf(TConstellation constellation, int number) const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        const TSatelliteMark& first = satellites_[slots_[slot].First];
        if (first.Constellation == constellation && first.Number == number)
            return BarAt(slot, slots_[slot].First);
    }
    return {};
}

QRectF TSignalChart::BarOf(TConstellation constellation, int number, TSignalBand band) const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot)
        for (std::size_t mark = slots_[slot].First; mark < slots_[slot].First + slots_[slot].Count;
             ++mark)
            if (satellites_[mark].Constellation == constellation &&
                satellites_[mark].Number == number && satellites_[mark].Band == band)
                return BarAt(slot, mark);
    return {};
}

void TSignalChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawScale(painter);
    DrawLegend(painter);
    const QRectF plot = PlotArea();
    const double textHeight = fontMetrics().height();
    const QColor text = palette().color(QPalette::Text);
    const QColor stale = palette().color(QPalette::Dark);
    std::size_t groupStart = 0;
    double numbersEnd = -kScaleWidth, namesEnd = -kScaleWidth;
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        const TSlot& place = slots_[slot];
        const TSatelliteMark& satellite = satellites_[place.First];
        const QColor colour = LookOf(satellite.Constellation).Colour;
        for (std::size_t mark = place.First; mark < place.First + place.Count; ++mark) {
            const TSatelliteMark& signal = satellites_[mark];
            const QColor bar = signal.Stale ? stale : BandShade(colour, signal.Band);
            QColor pale = bar;
            pale.setAlpha(60);
            painter.setPen(QPen(bar, 1));
            painter.setBrush(signal.Used ? bar : pale);
            painter.drawRect(BarAt(slot, mark));
        }

        const QRectF number(SlotLeft(slot), plot.bottom(), SlotWidth(), textHeight);
        painter.setPen(satellite.Stale ? stale : text);
        DrawUncrowded(painter, number, QString::number(satellite.Number), width(), numbersEnd);

        const bool lastOfGroup =
            slot + 1 == slots_.size() || NewGroup(satellites_, slots_[slot + 1].First);
        if (lastOfGroup) {
            const QRectF group(SlotLeft(groupStart), plot.bottom() + textHeight,
                               number.right() - SlotLeft(groupStart), textHeight);
            painter.setPen(colour);
            DrawUncrowded(painter, group, LookOf(satellite.Constellation).Name, width(), namesEnd);
            groupStart = slot + 1;
        }
    }
}

// The bands drawn, at the top right, each with a swatch of its shade.
void TSignalChart::DrawLegend(QPainter& painter) const {
    std::vector<TSignalBand> bands;
    for (const TSatelliteMark& mark : satellites_)
        if (mark.Band != TSignalBand::Any &&
            std::find(bands.begin(), bands.end(), mark.Band) == bands.end())
            bands.push_back(mark.Band);
    if (bands.size() < 2)
        return;
    std::sort(bands.begin(), bands.end());
    painter.save();
    const double textHeight = fontMetrics().height();
    double right = width() - 6;
    for (auto band = bands.rbegin(); band != bands.rend(); ++band) {
        const QString name = BandName(*band);
        const double nameWidth = fontMetrics().horizontalAdvance(name);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(right - nameWidth, 0, nameWidth, textHeight), Qt::AlignCenter,
                         name);
        const QColor shade = BandShade(QColor(150, 150, 150), *band);
        painter.setPen(shade);
        painter.setBrush(shade);
        painter.drawRect(QRectF(right - nameWidth - 12, textHeight / 2 - 4, 8, 8));
        right -= nameWidth + 22;
    }
    painter.restore();
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
