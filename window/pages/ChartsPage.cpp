#include "window/pages/ChartsPage.h"

#include "widgets/TimeChart.h"
#include "window/blocks/PacedRedraw.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {
constexpr double kSpanSeconds[] = {5 * 60, 15 * 60, 60 * 60}; // by TChartsPage::Span
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// The colours of picked satellites, handed out in turn.
const std::array<QColor, 10> kPickColours{{
    QColor(0x1f, 0x6f, 0xd0),
    QColor(0xd0, 0x30, 0x30),
    QColor(0x20, 0x9a, 0x40),
    QColor(0xe0, 0x8a, 0x00),
    QColor(0x90, 0x40, 0xc0),
    QColor(0x00, 0xa0, 0xa8),
    QColor(0xa0, 0x60, 0x30),
    QColor(0xe0, 0x40, 0xa0),
    QColor(0x60, 0x80, 0x20),
    QColor(0x40, 0x40, 0x90),
}};

enum Chart { chCn0, chSatellites, chDop, chHeight, chSpeed, chAccuracy };

double ValueOf(const std::optional<float>& value) {
    return value ? *value : kNone;
}
double ValueOf(const std::optional<double>& value) {
    return value ? *value : kNone;
}

template <typename Value>
TTimeSeries FixSeries(const QString& name, const QColor& colour,
                      protocol::PositionHistory::Range fixes, Value value) {
    TTimeSeries series{name, colour, {}};
    series.Points.reserve(fixes.size());
    for (const protocol::FixRecord& fix : fixes)
        series.Points.emplace_back(fix.UtcSeconds, value(fix));
    return series;
}

TTimeSeries SignalSeries(const QString& name, const QColor& colour,
                         const std::vector<protocol::TimedValue>& values) {
    TTimeSeries series{name, colour, {}};
    series.Points.reserve(values.size());
    for (const protocol::TimedValue& value : values)
        series.Points.emplace_back(value.UtcSeconds, value.Value);
    return series;
}

QString NameOf(const protocol::SatelliteId& satellite) {
    return QString("%1 %2")
        .arg(QString::fromLatin1(protocol::ConstellationName(satellite.System)))
        .arg(satellite.Number);
}

// The first colour no picked satellite has; once all are taken, in turn.
int FreeColour(const std::map<protocol::SatelliteId, int>& picked) {
    const int colours = static_cast<int>(kPickColours.size());
    for (int index = 0; index < colours; ++index)
        if (std::none_of(picked.begin(), picked.end(),
                         [index](const auto& entry) { return entry.second == index; }))
            return index;
    return static_cast<int>(picked.size()) % colours;
}

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}
} // namespace

TChartsPage::TChartsPage(QWidget* parent, const protocol::PositionHistory& fixes,
                         const protocol::SignalHistory& signalHistory)
    : QWidget(parent), fixes_(fixes), signals_(signalHistory), redraw_(new TPacedRedraw(
                                                             this, [this] { Draw(); }, kRedrawMs)) {
    setObjectName("tabCharts");
    LayOut();
    connect(cbChartsSpan, &QComboBox::currentIndexChanged, this, [this] { DataChanged(); });
    connect(lstChartsSatellites, &QListWidget::itemChanged, this, &TChartsPage::PickChanged);
}

void TChartsPage::LayOut() {
    cbChartsSpan = new QComboBox(this);
    cbChartsSpan->setObjectName("cbChartsSpan");
    cbChartsSpan->addItems({"Last 5 minutes", "Last 15 minutes", "Last 60 minutes"});
    lstChartsSatellites = new QListWidget(this);
    lstChartsSatellites->setObjectName("lstChartsSatellites");
    lstChartsSatellites->setMaximumWidth(140);

    auto* side = new QVBoxLayout;
    side->addWidget(cbChartsSpan);
    side->addWidget(new QLabel("C/N0 of", this));
    side->addWidget(lstChartsSatellites, 1);

    // C/N0 across the top, the other charts two by two beneath.
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    grid->addWidget(AddChart("chCn0", "C/N0 (dBHz)", true), 0, 0, 1, 2);
    grid->addWidget(AddChart("chSatellites", "Satellites", true), 1, 0);
    grid->addWidget(AddChart("chDop", "DOP", true), 1, 1);
    grid->addWidget(AddChart("chHeight", "Height MSL (m)", false), 2, 0);
    grid->addWidget(AddChart("chSpeed", "Speed (m/s)", true), 2, 1);
    grid->addWidget(AddChart("chAccuracy", "Horizontal accuracy (m)", true), 3, 0);
    for (int row = 0; row < 4; ++row)
        grid->setRowStretch(row, 1);
    grid->setRowStretch(0, 2);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(side);
    layout->addLayout(grid, 1);
}

TTimeChart* TChartsPage::AddChart(const char* name, const QString& title, bool fromZero) {
    auto* chart = new TTimeChart(this);
    chart->setObjectName(name);
    chart->SetTitle(title);
    if (fromZero)
        chart->SetBaseline(0);
    charts_.push_back(chart);
    return chart;
}

void TChartsPage::DataChanged() {
    redraw_->Changed();
}

void TChartsPage::Redraw() {
    redraw_->Now();
}

// The span ends at the newest epoch of the fixes or the signals.
void TChartsPage::Draw() {
    double end = -std::numeric_limits<double>::infinity();
    if (!fixes_.empty())
        end = fixes_[fixes_.size() - 1].UtcSeconds;
    if (const std::optional<double> newest = signals_.Newest())
        end = std::max(end, *newest);
    if (!std::isfinite(end))
        end = 0;
    const double start = end - kSpanSeconds[std::max(0, cbChartsSpan->currentIndex())];
    const auto fixes = fixes_.Since(start);
    ListSatellites(signals_.SatellitesSince(start));

    const QColor text = palette().color(QPalette::Text);
    std::vector<TTimeSeries> cn0{SignalSeries(QString("Strongest %1, mean").arg(kStrongest), text,
                                              signals_.StrongestMeanSince(kStrongest, start))};
    for (const auto& [satellite, colour] : picked_)
        cn0.push_back(SignalSeries(NameOf(satellite), kPickColours[colour],
                                   signals_.Cn0Since(satellite, start)));
    charts_[chCn0]->SetSeries(std::move(cn0), start, end);
    charts_[chSatellites]->SetSeries({FixSeries("Used", kPickColours[0], fixes,
                                                [](const protocol::FixRecord& fix) {
                                                    return fix.SatellitesUsed >= 0
                                                               ? fix.SatellitesUsed
                                                               : kNone;
                                                }),
                                      SignalSeries("In view", text, signals_.InViewSince(start))},
                                     start, end);
    charts_[chDop]->SetSeries(
        {FixSeries("HDOP", kPickColours[0], fixes,
                   [](const protocol::FixRecord& fix) { return ValueOf(fix.Hdop); }),
         FixSeries("PDOP", kPickColours[1], fixes,
                   [](const protocol::FixRecord& fix) { return ValueOf(fix.Pdop); })},
        start, end);
    charts_[chHeight]->SetSeries(
        {FixSeries("Height MSL", kPickColours[2], fixes,
                   [](const protocol::FixRecord& fix) { return ValueOf(fix.HeightMsl); })},
        start, end);
    charts_[chSpeed]->SetSeries(
        {FixSeries("Speed", kPickColours[4], fixes,
                   [](const protocol::FixRecord& fix) { return ValueOf(fix.SpeedMps); })},
        start, end);
    charts_[chAccuracy]->SetSeries({FixSeries("Horizontal", kPickColours[3], fixes,
                                              [](const protocol::FixRecord& fix) {
                                                  return ValueOf(fix.HorizontalAccuracyM);
                                              })},
                                   start, end);
}

// The satellites in view during the span, each ticked and in its colour
// where picked; rebuilt only when they change.
void TChartsPage::ListSatellites(const std::vector<protocol::SatelliteId>& satellites) {
    if (satellites == listed_)
        return;
    listed_ = satellites;
    const QSignalBlocker quiet(lstChartsSatellites);
    lstChartsSatellites->clear();
    for (const protocol::SatelliteId& satellite : listed_) {
        auto* item = new QListWidgetItem(NameOf(satellite), lstChartsSatellites);
        const auto picked = picked_.find(satellite);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(picked != picked_.end() ? Qt::Checked : Qt::Unchecked);
        item->setIcon(Swatch(picked != picked_.end() ? kPickColours[picked->second]
                                                     : QColor(Qt::transparent)));
    }
}

void TChartsPage::PickChanged(QListWidgetItem* item) {
    const int row = lstChartsSatellites->row(item);
    if (row < 0 || row >= static_cast<int>(listed_.size()))
        return;
    const protocol::SatelliteId& satellite = listed_[static_cast<std::size_t>(row)];
    QColor colour = Qt::transparent;
    if (item->checkState() == Qt::Checked) {
        const int index = FreeColour(picked_);
        picked_[satellite] = index;
        colour = kPickColours[index];
    } else {
        picked_.erase(satellite);
    }
    const QSignalBlocker quiet(lstChartsSatellites);
    item->setIcon(Swatch(colour));
    // On the next tick: a redraw now could rebuild the list under the item.
    DataChanged();
}
