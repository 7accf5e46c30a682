#include "window/ReceiverPage.h"

#include "widgets/SignalChart.h"
#include "widgets/SkyPlot.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

TReceiverPage::TReceiverPage(QWidget* parent, TValuePanel::Clock clock) : QWidget(parent) {
    setObjectName("tabReceiver");
    LayOut(std::move(clock));
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
