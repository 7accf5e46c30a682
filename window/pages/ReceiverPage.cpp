#include "window/pages/ReceiverPage.h"

#include "widgets/SignalChart.h"
#include "widgets/SkyPlot.h"
#include "window/blocks/Controls.h"
#include "window/blocks/SatelliteTableModel.h"

#include <QCheckBox>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

TReceiverPage::TReceiverPage(QWidget* parent, TValuePanel::Clock clock) : QWidget(parent) {
    setObjectName("tabReceiver");
    LayOut(std::move(clock));
    connect(cbFixDms, &QCheckBox::toggled, this, &TReceiverPage::AngleStyleChanged);
}

void TReceiverPage::LayOut(TValuePanel::Clock clock) {
    pnlFix = new TValuePanel(this, std::move(clock));
    pnlFix->setObjectName("pnlFix");
    const struct {
        const char* Name;
        const char* Caption;
    } rows[] = {
        {"lbFixTime", "UTC"},
        {"lbFixLatitude", "Latitude"},
        {"lbFixLongitude", "Longitude"},
        {"lbFixHeightMsl", "Height MSL"},
        {"lbFixHeightEllipsoid", "Height ellipsoid"},
        {"lbFixType", "Fix"},
        {"lbFixQuality", "NMEA quality"},
        {"lbFixRtk", "RTK"},
        {"lbFixRtcm", "RTCM taken in"},
        {"lbFixSatellites", "Satellites used / in view"},
        {"lbFixDop", "DOP"},
        {"lbFixSpeed", "Speed, course"},
        {"lbFixAccuracy", "Accuracy"},
        {"lbFixAge", "Age"},
    };
    for (const auto& row : rows)
        pnlFix->AddRow(row.Name, row.Caption);
    cbFixDms = new QCheckBox("Degrees, minutes, seconds", this);
    cbFixDms->setObjectName("cbFixDms");

    pbSky = new TSkyPlot(this);
    pbSky->setObjectName("pbSky");
    pbSignals = new TSignalChart(this);
    pbSignals->setObjectName("pbSignals");
    satelliteRows_ = new TSatelliteTableModel(this);
    tvSatellites =
        MakeSortedTable(this, "tvSatellites", satelliteRows_, TSatelliteTableModel::SortRole,
                        TSatelliteTableModel::colConstellation);

    // On top the fix panel as wide as it needs, the sky plot about as wide as
    // the row is high, and the signal chart taking the extra width; the
    // satellite table below them across the page. Extra height goes to both.
    auto* fixColumn = new QWidget(this);
    auto* fixLayout = new QVBoxLayout(fixColumn);
    fixLayout->setContentsMargins(0, 0, 0, 0);
    fixLayout->addWidget(pnlFix);
    fixLayout->addWidget(cbFixDms);
    fixLayout->addStretch(1);

    auto* pictures = new QSplitter(Qt::Horizontal, this);
    pictures->addWidget(fixColumn);
    pictures->addWidget(pbSky);
    pictures->addWidget(pbSignals);
    pictures->setStretchFactor(0, 0);
    pictures->setStretchFactor(1, 0);
    pictures->setStretchFactor(2, 1);

    auto* pictureAndTable = new QSplitter(Qt::Vertical, this);
    pictureAndTable->addWidget(pictures);
    pictureAndTable->addWidget(tvSatellites);
    pictureAndTable->setStretchFactor(0, 3);
    pictureAndTable->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    lbLineWarning = MakeWarningLabel(this, "lbLineWarning");
    layout->addWidget(lbLineWarning);
    layout->addWidget(pictureAndTable);
}

TAngleStyle TReceiverPage::AngleStyle() const {
    return cbFixDms->isChecked() ? TAngleStyle::DegreesMinutesSeconds : TAngleStyle::Decimal;
}

namespace {
QString Number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString Optional(const QString& caption, const std::optional<double>& value, int decimals,
                 const QString& unit = {}) {
    return value ? caption + " " + Number(*value, decimals) + unit : QString();
}

QString Joined(const QStringList& parts) {
    QStringList shown = parts;
    shown.removeAll(QString());
    return shown.join("  ");
}

QString UtcText(const protocol::UtcTime& utc) {
    QString text;
    if (utc.Year && utc.Month && utc.Day)
        text = QString("%1-%2-%3 ")
                   .arg(*utc.Year, 4, 10, QChar('0'))
                   .arg(*utc.Month, 2, 10, QChar('0'))
                   .arg(*utc.Day, 2, 10, QChar('0'));
    if (utc.Hour && utc.Minute && utc.Second)
        text += QString("%1:%2:%3")
                    .arg(*utc.Hour, 2, 10, QChar('0'))
                    .arg(*utc.Minute, 2, 10, QChar('0'))
                    .arg(*utc.Second, 6, 'f', 3, QChar('0'));
    return text;
}

TConstellation Drawn(protocol::Constellation system);

TSignalBand BandOf(protocol::RfBand band) {
    switch (band) {
    case protocol::RfBand::L1:
        return TSignalBand::L1;
    case protocol::RfBand::L2:
        return TSignalBand::L2;
    case protocol::RfBand::L5:
        return TSignalBand::L5;
    case protocol::RfBand::E6:
        return TSignalBand::E6;
    default:
        return TSignalBand::Any;
    }
}

// A bar per band of each satellite: the strongest of its signals there
// (GPS L2 CL and CM, Galileo E1 C and B share one).
TSatelliteMarks SignalMarks(const std::vector<protocol::SignalInView>& signalsInView, bool stale) {
    TSatelliteMarks marks;
    for (const protocol::SignalInView& signal : signalsInView) {
        const TConstellation constellation = Drawn(signal.System);
        const TSignalBand band = BandOf(signal.Band);
        const auto same = std::find_if(marks.begin(), marks.end(), [&](const TSatelliteMark& mark) {
            return mark.Constellation == constellation && mark.Number == signal.Number &&
                   mark.Band == band;
        });
        TSatelliteMark& mark = same != marks.end() ? *same : marks.emplace_back();
        mark.Constellation = constellation;
        mark.Number = signal.Number;
        mark.Band = band;
        mark.Cn0 = std::max(mark.Cn0, static_cast<double>(signal.Cn0DbHz));
        mark.Used = mark.Used || signal.Used;
        mark.Stale = stale;
    }
    return marks;
}

TConstellation Drawn(protocol::Constellation system) {
    switch (system) {
    case protocol::Constellation::Gps:
        return TConstellation::Gps;
    case protocol::Constellation::Glonass:
        return TConstellation::Glonass;
    case protocol::Constellation::Galileo:
        return TConstellation::Galileo;
    case protocol::Constellation::BeiDou:
        return TConstellation::BeiDou;
    case protocol::Constellation::Qzss:
        return TConstellation::Qzss;
    case protocol::Constellation::Sbas:
        return TConstellation::Sbas;
    default:
        return TConstellation::Other;
    }
}
} // namespace

void TReceiverPage::Show(const protocol::ReceiverSnapshot& snapshot,
                         const TReceiverFeed::TFresh& fresh) {
    // Without a fix, what depends on it is shown as the last known, greyed.
    const bool fixLost = snapshot.Fix.Type == protocol::FixType::NoFix;
    if (fresh.Time && snapshot.Utc)
        pnlFix->SetValue("lbFixTime", UtcText(*snapshot.Utc));
    if (fresh.Fix || fresh.Satellites)
        ShowFix(snapshot);
    const bool signalsChanged = SignalsChanged(snapshot, fresh);
    ShowCorrections(snapshot, fresh);
    if (fresh.Satellites || SatellitesAged(snapshot.Satellites))
        ShowSatellites(snapshot.Satellites);
    else if (signalsChanged)
        pbSignals->SetSatellites(drawnSignals_.first ? SignalMarks(signals_, drawnSignals_.second)
                                                     : satelliteMarks_);
    if (fixLost) {
        for (const char* name :
             {"lbFixLatitude", "lbFixLongitude", "lbFixHeightMsl", "lbFixHeightEllipsoid",
              "lbFixRtk", "lbFixDop", "lbFixSpeed", "lbFixAccuracy"})
            pnlFix->Expire(name);
        ShowAge();
        pnlFix->MarkStale();
        return;
    }
    if (fresh.Position && snapshot.Position)
        ShowPosition(*snapshot.Position);
    if (fresh.Dop)
        pnlFix->SetValue("lbFixDop", Joined({Optional("H", snapshot.Dop.Horizontal, 2),
                                             Optional("V", snapshot.Dop.Vertical, 2),
                                             Optional("P", snapshot.Dop.Position, 2)}));
    if (fresh.Motion)
        pnlFix->SetValue("lbFixSpeed", Joined({Optional("", snapshot.Motion.SpeedMps, 2, " m/s"),
                                               Optional("", snapshot.Motion.CourseDeg, 1, "°")}));
    if (fresh.Accuracy)
        pnlFix->SetValue("lbFixAccuracy",
                         Joined({Optional("H", snapshot.Accuracy.HorizontalM, 2, " m"),
                                 Optional("V", snapshot.Accuracy.VerticalM, 2, " m")}));
    if (fresh.Position || fresh.Fix)
        fixAt_ = pnlFix->Now();
    ShowAge();
    pnlFix->MarkStale();
}

void TReceiverPage::ShowPosition(const protocol::Position& position) {
    position_ = position;
    pnlFix->SetValue("lbFixLatitude", LatitudeText(position.LatitudeDeg, 7, AngleStyle()));
    pnlFix->SetValue("lbFixLongitude", LongitudeText(position.LongitudeDeg, 7, AngleStyle()));
    if (position.HeightMslM)
        pnlFix->SetValue("lbFixHeightMsl", Number(*position.HeightMslM, 3) + " m");
    if (position.HeightEllipsoidM)
        pnlFix->SetValue("lbFixHeightEllipsoid", Number(*position.HeightEllipsoidM, 3) + " m");
}

// Satellites used: counted from the satellites marked used (GSA, NAV-SAT)
// where any are, for GGA's count stops at 12 on many receivers.
void TReceiverPage::ShowFix(const protocol::ReceiverSnapshot& snapshot) {
    if (const std::string fix = protocol::FixText(snapshot.Fix); !fix.empty())
        pnlFix->SetValue("lbFixType", QString::fromStdString(fix));
    if (!snapshot.Fix.Quality.empty())
        pnlFix->SetValue("lbFixQuality", QString::fromStdString(snapshot.Fix.Quality));
    const auto marked = std::count_if(snapshot.Satellites.begin(), snapshot.Satellites.end(),
                                      [](const auto& satellite) { return satellite.Used; });
    const int used = snapshot.Fix.Type == protocol::FixType::NoFix ? 0
                     : marked > 0                                  ? static_cast<int>(marked)
                                  : snapshot.Fix.SatellitesUsed.value_or(0);
    const auto inView = static_cast<int>(snapshot.Satellites.size());
    // More used than the receiver reports in view is no count to show as current.
    if (snapshot.SatellitesReported && used > inView)
        pnlFix->Expire("lbFixSatellites");
    else
        pnlFix->SetValue("lbFixSatellites", QString("%1 / %2").arg(used).arg(inView));
}

namespace {
QString DistanceText(double metres) {
    return std::abs(metres) < 1000 ? Number(metres, 3) + " m" : Number(metres / 1000, 3) + " km";
}

// "RTK fixed, baseline 1.234 km, corrections 0.8 s old"; "no corrections,
// the last 42.0 s ago".
QString RtkLine(const protocol::ReceiverSnapshot& snapshot) {
    const protocol::CorrectionState& corrections = snapshot.Corrections;
    const std::string state = protocol::RtkText(snapshot.Fix);
    QStringList parts = {QString::fromStdString(state)};
    if (corrections.Baseline)
        parts << "baseline " + DistanceText(corrections.Baseline->LengthM);
    if (corrections.AgeS)
        parts << (state == "no corrections"
                      ? "the last " + Number(*corrections.AgeS, 1) + " s ago"
                      : "corrections " + Number(*corrections.AgeS, 1) + " s old");
    return parts.join(", ");
}

// "118 used, 2 not used, 1 CRC failed, station 12".
QString RtcmLine(const protocol::CorrectionState& corrections) {
    QStringList parts = {QString("%1 used").arg(corrections.Used)};
    if (corrections.NotUsed > 0)
        parts << QString("%1 not used").arg(corrections.NotUsed);
    parts << QString("%1 CRC failed").arg(corrections.CrcFailed);
    if (corrections.ReferenceStation)
        parts << QString("station %1").arg(*corrections.ReferenceStation);
    return parts.join(", ");
}
} // namespace

void TReceiverPage::ShowCorrections(const protocol::ReceiverSnapshot& snapshot,
                                    const TReceiverFeed::TFresh& fresh) {
    if (fresh.Fix || fresh.Corrections)
        pnlFix->SetValue("lbFixRtk", RtkLine(snapshot));
    if (fresh.Corrections && snapshot.Corrections.Taken > 0)
        pnlFix->SetValue("lbFixRtcm", RtcmLine(snapshot.Corrections));
}

// True when satellites went stale or away since they were last drawn.
bool TReceiverPage::SatellitesAged(const std::vector<protocol::TrackedSatellite>& satellites) {
    const auto stale = std::count_if(satellites.begin(), satellites.end(),
                                     [](const auto& satellite) { return satellite.Stale; });
    const std::pair<std::size_t, std::size_t> drawn(satellites.size(), stale);
    return std::exchange(drawnSatellites_, drawn) != drawn;
}

void TReceiverPage::ShowSatellites(const std::vector<protocol::TrackedSatellite>& satellites) {
    SatellitesAged(satellites);
    TSatelliteMarks marks;
    marks.reserve(satellites.size());
    for (const protocol::TrackedSatellite& satellite : satellites) {
        const bool placed = satellite.AzimuthDeg && satellite.ElevationDeg;
        marks.push_back({Drawn(satellite.System), satellite.Number,
                         static_cast<double>(satellite.AzimuthDeg.value_or(0)),
                         placed ? *satellite.ElevationDeg : -1.0,
                         static_cast<double>(satellite.Cn0DbHz.value_or(0)), satellite.Used,
                         satellite.Stale});
    }
    pbSky->SetSatellites(marks);
    pbSignals->SetSatellites(drawnSignals_.first ? SignalMarks(signals_, drawnSignals_.second)
                                                 : marks);
    satelliteRows_->SetSatellites(satellites);
    satelliteMarks_ = std::move(marks);
}

bool TReceiverPage::SignalsChanged(const protocol::ReceiverSnapshot& snapshot,
                                   const TReceiverFeed::TFresh& fresh) {
    const auto now = pnlFix->Now();
    if (fresh.Signals && snapshot.Health.Signals) {
        signals_ = *snapshot.Health.Signals;
        signalsAt_ = now;
    }
    const std::chrono::duration<double> age =
        signalsAt_ ? now - *signalsAt_ : std::chrono::duration<double>::max();
    const std::pair<bool, bool> drawn(age.count() < protocol::TrackedSatellite::kGoneSeconds,
                                      age.count() >= protocol::TrackedSatellite::kStaleSeconds);
    return std::exchange(drawnSignals_, drawn) != drawn || (fresh.Signals && drawn.first);
}

void TReceiverPage::ShowAge() {
    if (!fixAt_)
        return;
    const std::chrono::duration<double> age = pnlFix->Now() - *fixAt_;
    pnlFix->SetValue("lbFixAge", Number(age.count(), 1) + " s");
}

void TReceiverPage::AngleStyleChanged() {
    if (!position_)
        return;
    pnlFix->Rewrite("lbFixLatitude", LatitudeText(position_->LatitudeDeg, 7, AngleStyle()));
    pnlFix->Rewrite("lbFixLongitude", LongitudeText(position_->LongitudeDeg, 7, AngleStyle()));
}

void TReceiverPage::ShowLineWarning(const QString& text) {
    lbLineWarning->setText(text);
    lbLineWarning->setVisible(!text.isEmpty());
}
