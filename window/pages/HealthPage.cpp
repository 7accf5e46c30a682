#include "window/pages/HealthPage.h"

#include "widgets/SpectrumChart.h"
#include "widgets/TrendGauge.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/SignalTableModel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {
constexpr double kAgcFullCount = 8191; // MON-RF's and MON-HW's agcCnt range

// The GNSS bands drawn over each spectrum, the main ones named first.
const std::vector<TFrequencyMarker>& BandMarkers() {
    static const std::vector<TFrequencyMarker> markers = {
        {"L1/E1/B1C", 1575.42}, {"L2", 1227.60}, {"L5/E5a", 1176.45}, {"E5b", 1207.14},
        {"B1I", 1561.098},      {"G1", 1602.0},  {"G2", 1246.0}};
    return markers;
}

QProgressBar* MakeLoadBar(QWidget* parent, const QString& name, const QString& format) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setFormat(format);
    bar->setMinimumWidth(90);
    return bar;
}

// One text when every block says the same, else each block's after its number.
QString PerBlock(const std::vector<protocol::RfBlockStatus>& blocks,
                 const std::function<QString(const protocol::RfBlockStatus&)>& text) {
    QStringList texts, numbered;
    for (const protocol::RfBlockStatus& block : blocks) {
        texts << text(block);
        numbered << QString("%1: %2").arg(block.Block).arg(texts.back());
    }
    texts.removeDuplicates();
    return texts.size() <= 1 ? texts.join("") : numbered.join(", ");
}
} // namespace

THealthPage::THealthPage(QWidget* parent, TUbxCommander& commander, TReceiverIdentity& identity,
                         TValuePanel::Clock clock)
    : QWidget(parent), commander_(commander), identity_(identity) {
    setObjectName("tabHealth");
    LayOut(std::move(clock));
}

void THealthPage::LayOut(TValuePanel::Clock clock) {
    pnlHealth = new TValuePanel(this, std::move(clock));
    pnlHealth->setObjectName("pnlHealth");
    const struct {
        const char* Name;
        const char* Caption;
    } rows[] = {
        {"lbAntenna", "Antenna"},
        {"lbJamming", "Jamming"},
        {"lbNoise", "Noise per ms"},
        {"lbCpu", "Receiver CPU"},
        {"lbMemory", "Memory"},
        {"lbTemperature", "Temperature"},
        {"lbSignalCount", "Signals used"},
    };
    for (const auto& row : rows)
        pnlHealth->AddRow(row.Name, row.Caption);

    // Left: the values and the buttons.
    auto* valueColumn = new QWidget(this);
    auto* valueLayout = new QVBoxLayout(valueColumn);
    valueLayout->setContentsMargins(0, 0, 0, 0);
    valueLayout->addWidget(pnlHealth);
    valueLayout->addWidget(MakeButtons());
    valueLayout->addStretch(1);

    // Middle: a row of gauges per RF block, the CPU's, and the ports' loads.
    auto* gauges = new QWidget(this);
    gaugeGrid_ = new QGridLayout(gauges);
    gaugeGrid_->setContentsMargins(4, 0, 4, 0);
    gaugeGrid_->addWidget(new QLabel("Jamming indicator", gauges), 0, 1, Qt::AlignCenter);
    gaugeGrid_->addWidget(new QLabel("Gain control", gauges), 0, 2, Qt::AlignCenter);
    auto* loads = new QGroupBox("Load", this);
    ggCpu = new TTrendGauge(loads, 100, 80, 95);
    ggCpu->setObjectName("ggCpu");
    portGrid_ = new QGridLayout(loads);
    portGrid_->addWidget(new QLabel("Receiver CPU", loads), 0, 0);
    portGrid_->addWidget(ggCpu, 0, 1, 1, 3);
    auto* middle = new QWidget(this);
    auto* middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    middleLayout->addWidget(gauges);
    middleLayout->addWidget(loads);
    middleLayout->addStretch(1);

    // Right: the spectra, one under the other.
    auto* spectra = new QWidget(this);
    spectrumColumn_ = new QVBoxLayout(spectra);
    spectrumColumn_->setContentsMargins(0, 0, 0, 0);

    // The spectra, which come with the first report, take most of the width
    // whenever they come.
    auto* top = new QWidget(this);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(valueColumn, 0);
    topLayout->addWidget(middle, 2);
    topLayout->addWidget(spectra, 3);

    signalRows_ = new TSignalTableModel(this);
    tvSignals = MakeSortedTable(this, "tvSignals", signalRows_, TSignalTableModel::SortRole,
                                TSignalTableModel::colConstellation);
    auto* topAndTable = new QSplitter(Qt::Vertical, this);
    topAndTable->addWidget(top);
    topAndTable->addWidget(tvSignals);
    topAndTable->setStretchFactor(0, 3);
    topAndTable->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    lbHealthWarning = MakeWarningLabel(this, "lbHealthWarning");
    layout->addWidget(lbHealthWarning);
    layout->addWidget(topAndTable);
}

QWidget* THealthPage::MakeButtons() {
    auto* box = new QGroupBox("Health messages, once a second on this port", this);
    auto* layout = new QGridLayout(box);
    btnHealthOn = new QPushButton("Enable", box);
    btnHealthOn->setObjectName("btnHealthOn");
    btnHealthOff = new QPushButton("Disable", box);
    btnHealthOff->setObjectName("btnHealthOff");
    lblHealthAnswer = new QLabel(box);
    lblHealthAnswer->setObjectName("lblHealthAnswer");
    lblHealthAnswer->setWordWrap(true);
    lblHealthAnswer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(btnHealthOn, 0, 0);
    layout->addWidget(btnHealthOff, 0, 1);
    layout->addWidget(lblHealthAnswer, 1, 0, 1, 2);
    connect(btnHealthOn, &QPushButton::clicked, this, Guarded(this, [this] { SendRates(true); }));
    connect(btnHealthOff, &QPushButton::clicked, this, Guarded(this, [this] { SendRates(false); }));
    return box;
}

void THealthPage::Show(const protocol::ReceiverSnapshot& snapshot,
                       const TReceiverFeed::TFresh& fresh) {
    const protocol::ReceiverHealth& health = snapshot.Health;
    const auto now = pnlHealth->Now();
    // A MON-HW beside MON-RF refreshes none of the blocks shown.
    const bool blocksFresh =
        health.RfBlocks &&
        std::exchange(rfBlockReports_, health.RfBlockReports) != health.RfBlockReports;
    const std::pair<bool, TReport> reports[] = {{fresh.Spectra && health.Spectra, Spectra},
                                                {blocksFresh, RfBlocks},
                                                {fresh.Comms && health.Comms, Comms},
                                                {fresh.System && health.System, System},
                                                {fresh.Signals && health.Signals, Signals}};
    for (const auto& [refreshed, report] : reports)
        if (refreshed)
            reportedAt_[report] = now;
    if (fresh.Spectra && health.Spectra)
        ShowSpectra(*health.Spectra);
    if (blocksFresh)
        ShowRfBlocks(*health.RfBlocks);
    if (fresh.Comms && health.Comms)
        ShowComms(*health.Comms);
    if (fresh.System && health.System)
        ShowSystem(*health.System);
    if (fresh.Signals && health.Signals)
        ShowSignals(*health.Signals);
    ShowWarnings(health, fresh);
    MarkStale();
}

void THealthPage::ShowRfBlocks(const std::vector<protocol::RfBlockStatus>& blocks) {
    pnlHealth->SetValue("lbAntenna", PerBlock(blocks, AntennaText));
    pnlHealth->SetValue("lbJamming", PerBlock(blocks, [](const auto& block) {
                            return JammingText(block.Jamming);
                        }));
    pnlHealth->SetValue("lbNoise", PerBlock(blocks, [](const auto& block) {
                            return QString::number(block.NoisePerMs);
                        }));
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const protocol::RfBlockStatus& block = blocks[k];
        TBlockGauges& gauges = GaugesOf(k);
        const auto center = centersMHz_.find(block.Block);
        gauges.Name->setText(RfBlockName(block.Block, center == centersMHz_.end()
                                                          ? std::nullopt
                                                          : std::optional(center->second)));
        gauges.Jamming->Add(block.JammingIndicator,
                            QString("%1 of 255").arg(block.JammingIndicator));
        const double agcPercent = 100.0 * block.AgcCount / kAgcFullCount;
        gauges.Agc->Add(agcPercent, QString("%1 %").arg(agcPercent, 0, 'f', 0));
    }
}

THealthPage::TBlockGauges& THealthPage::GaugesOf(std::size_t block) {
    while (blockGauges_.size() <= block) {
        const int row = static_cast<int>(blockGauges_.size()) + 1;
        QWidget* parent = gaugeGrid_->parentWidget();
        TBlockGauges gauges{new QLabel(parent), new TTrendGauge(parent, 255, 50, 150),
                            new TTrendGauge(parent, 100, 101, 101)};
        gauges.Jamming->setObjectName(QString("ggJamming%1").arg(row - 1));
        gauges.Agc->setObjectName(QString("ggAgc%1").arg(row - 1));
        gaugeGrid_->addWidget(gauges.Name, row, 0);
        gaugeGrid_->addWidget(gauges.Jamming, row, 1);
        gaugeGrid_->addWidget(gauges.Agc, row, 2);
        blockGauges_.push_back(gauges);
    }
    return blockGauges_[block];
}

void THealthPage::ShowSpectra(const std::vector<protocol::RfSpectrum>& spectra) {
    for (std::size_t k = 0; k < spectra.size(); ++k) {
        const protocol::RfSpectrum& spectrum = spectra[k];
        if (spectra_.size() <= k) {
            auto* chart = new TSpectrumChart(spectrumColumn_->parentWidget());
            chart->setObjectName(QString("pbSpectrum%1").arg(k));
            chart->SetMarkers(BandMarkers());
            spectrumColumn_->addWidget(chart);
            spectra_.push_back(chart);
        }
        const int block = static_cast<int>(k);
        centersMHz_[block] = spectrum.CenterHz / 1e6;
        std::vector<QPointF> points;
        points.reserve(protocol::RfSpectrum::kPoints);
        for (int point = 0; point < protocol::RfSpectrum::kPoints; ++point)
            points.emplace_back(spectrum.PointHz(point) / 1e6,
                                spectrum.LevelsDb[static_cast<std::size_t>(point)]);
        spectra_[k]->SetSpectrum(QString("%1, PGA gain %2 dB")
                                     .arg(RfBlockName(block, centersMHz_[block]))
                                     .arg(spectrum.PgaGainDb),
                                 std::move(points));
    }
}

void THealthPage::ShowComms(const protocol::CommsReport& comms) {
    for (const protocol::PortTraffic& port : comms.Ports) {
        TPortBars& bars = BarsOf(port.PortId);
        bars.Tx->setValue(std::clamp(port.TxUsagePercent, 0, 100));
        bars.Rx->setValue(std::clamp(port.RxUsagePercent, 0, 100));
        bars.Details->setText(QString("peak TX %1 %, RX %2 %; %3 B waiting; %4 overruns")
                                  .arg(port.TxPeakUsagePercent)
                                  .arg(port.RxPeakUsagePercent)
                                  .arg(port.TxPendingBytes)
                                  .arg(port.Overruns));
    }
}

THealthPage::TPortBars& THealthPage::BarsOf(int portId) {
    auto found = portBars_.find(portId);
    if (found != portBars_.end())
        return found->second;
    QWidget* parent = portGrid_->parentWidget();
    const QString name = PortName(portId);
    TPortBars bars{new QLabel(name, parent), MakeLoadBar(parent, "pbTx" + name, "TX %p %"),
                   MakeLoadBar(parent, "pbRx" + name, "RX %p %"), new QLabel(parent)};
    bars.Details->setObjectName("lbPort" + name);
    const int row = portGrid_->rowCount();
    portGrid_->addWidget(bars.Name, row, 0);
    portGrid_->addWidget(bars.Tx, row, 1);
    portGrid_->addWidget(bars.Rx, row, 2);
    portGrid_->addWidget(bars.Details, row + 1, 1, 1, 3);
    return portBars_.emplace(portId, bars).first->second;
}

void THealthPage::ShowSystem(const protocol::SystemLoad& load) {
    pnlHealth->SetValue("lbCpu",
                        QString("%1 % (peak %2 %)").arg(load.CpuPercent).arg(load.CpuPeakPercent));
    pnlHealth->SetValue(
        "lbMemory",
        QString("%1 % (peak %2 %)").arg(load.MemoryPercent).arg(load.MemoryPeakPercent));
    pnlHealth->SetValue("lbTemperature", QString("%1 °C").arg(load.TemperatureC));
    ggCpu->Add(load.CpuPercent, QString("%1 %").arg(load.CpuPercent));
}

void THealthPage::ShowSignals(const std::vector<protocol::SignalInView>& signalsInView) {
    signalRows_->SetSignals(signalsInView);
    const auto used = std::count_if(signalsInView.begin(), signalsInView.end(),
                                    [](const auto& signal) { return signal.Used; });
    pnlHealth->SetValue("lbSignalCount",
                        QString("%1 of %2 tracked").arg(used).arg(signalsInView.size()));
}

void THealthPage::ShowWarnings(const protocol::ReceiverHealth& health,
                               const TReceiverFeed::TFresh& fresh) {
    const auto unlessStale = [this](TReport report, const auto& value) {
        return IsStale(report) ? std::nullopt : value;
    };
    const QString text = warnings_
                             .Of(unlessStale(RfBlocks, health.RfBlocks),
                                 unlessStale(Comms, health.Comms), fresh.Comms, centersMHz_)
                             .join('\n');
    if (lbHealthWarning->text() != text)
        lbHealthWarning->setText(text);
    lbHealthWarning->setVisible(!text.isEmpty());
}

bool THealthPage::IsStale(TReport report) const {
    const auto& at = reportedAt_[report];
    return !at || pnlHealth->Now() - *at > TValuePanel::kStaleAfter;
}

// The pictures of each report grey out with it; the value column greys its
// own rows.
void THealthPage::MarkStale() {
    pnlHealth->MarkStale();
    for (TSpectrumChart* chart : spectra_)
        chart->SetStale(IsStale(Spectra));
    for (TBlockGauges& gauges : blockGauges_) {
        gauges.Jamming->SetStale(IsStale(RfBlocks));
        gauges.Agc->SetStale(IsStale(RfBlocks));
    }
    ggCpu->SetStale(IsStale(System));
    for (auto& [id, bars] : portBars_)
        for (QWidget* widget : {static_cast<QWidget*>(bars.Tx), static_cast<QWidget*>(bars.Rx),
                                static_cast<QWidget*>(bars.Details)})
            widget->setEnabled(!IsStale(Comms));
    signalRows_->SetStale(IsStale(Signals));
}
