#include "window/pages/ReceiverPage.h"

#include "widgets/SignalChart.h"
#include "widgets/SkyPlot.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

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
    pictures->setStretchFactor(1, 2);
    pictures->setStretchFactor(2, 3);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(pictures);
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

QString FixTypeText(protocol::FixType type) {
    switch (type) {
    case protocol::FixType::NoFix:
        return "no fix";
    case protocol::FixType::DeadReckoning:
        return "dead reckoning";
    case protocol::FixType::Fix2D:
        return "2D";
    case protocol::FixType::Fix3D:
        return "3D";
    case protocol::FixType::GnssDeadReckoning:
        return "GNSS + dead reckoning";
    case protocol::FixType::TimeOnly:
        return "time only";
    }
    return {};
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
    if (fresh.Time && snapshot.Utc)
        pnlFix->SetValue("lbFixTime", UtcText(*snapshot.Utc));
    if (fresh.Position && snapshot.Position)
        ShowPosition(*snapshot.Position);
    if (fresh.Fix || fresh.Satellites)
        ShowFix(snapshot);
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
    if (fresh.Satellites)
        ShowSatellites(snapshot.Satellites);
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
    if (snapshot.Fix.Type)
        pnlFix->SetValue("lbFixType", FixTypeText(*snapshot.Fix.Type));
    if (!snapshot.Fix.Quality.empty())
        pnlFix->SetValue("lbFixQuality", QString::fromStdString(snapshot.Fix.Quality));
    const auto marked = std::count_if(snapshot.Satellites.begin(), snapshot.Satellites.end(),
                                      [](const auto& satellite) { return satellite.Used; });
    const int used =
        marked > 0 ? static_cast<int>(marked) : snapshot.Fix.SatellitesUsed.value_or(0);
    pnlFix->SetValue("lbFixSatellites",
                     QString("%1 / %2").arg(used).arg(snapshot.Satellites.size()));
}

void TReceiverPage::ShowSatellites(const std::vector<protocol::SatelliteInView>& satellites) {
    TSatelliteMarks marks;
    marks.reserve(satellites.size());
    for (const protocol::SatelliteInView& satellite : satellites) {
        const bool placed = satellite.AzimuthDeg && satellite.ElevationDeg;
        marks.push_back({Drawn(satellite.System), satellite.Number,
                         static_cast<double>(satellite.AzimuthDeg.value_or(0)),
                         placed ? *satellite.ElevationDeg : -1.0,
                         static_cast<double>(satellite.Cn0DbHz.value_or(0)), satellite.Used});
    }
    pbSky->SetSatellites(marks);
    pbSignals->SetSatellites(marks);
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
