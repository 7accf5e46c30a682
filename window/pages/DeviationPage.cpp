#include "window/pages/DeviationPage.h"

#include "widgets/DeviationPlot.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/PacedRedraw.h"
#include "window/blocks/PositionText.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {
// The window's span in seconds, by TDeviationPage::Window.
constexpr double kWindowSeconds[] = {60, 5 * 60, 15 * 60, 60 * 60};

static_assert(static_cast<int>(protocol::FixKind::DeadReckoning) == TDeviationPlot::DeadReckoning);

const struct {
    const char* Name;
    const char* Caption;
} kStatistics[] = {
    {"lbDeviationCount", "Fixes"},
    {"lbDeviationCep50", "CEP50"},
    {"lbDeviationCep95", "CEP95"},
    {"lbDeviation2Drms", "2DRMS"},
    {"lbDeviationMax", "Largest error"},
    {"lbDeviationHeightMean", "Height MSL, mean"},
    {"lbDeviationHeightStdDev", "Height, std. deviation"},
    {"lbDeviationMeanLatitude", "Mean latitude"},
    {"lbDeviationMeanLongitude", "Mean longitude"},
};

QString Metres(double metres) {
    return QString::number(metres, 'f', 3) + " m";
}

// A typed number within low and high; empty text is nothing where allowed.
std::optional<double> Typed(const QLineEdit* edit, double low, double high, bool optional,
                            const char* complaint) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty() && optional)
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high)
        throw std::runtime_error(complaint);
    return value;
}
} // namespace

TDeviationPage::TDeviationPage(QWidget* parent, const protocol::PositionHistory& fixes)
    : QWidget(parent), fixes_(fixes), redraw_(new TPacedRedraw(
                                          this, [this] { Draw(); }, kRedrawMs)) {
    setObjectName("tabDeviation");
    LayOut();
    const auto changed = [this] { FixesChanged(); };
    connect(cbDeviationWindow, &QComboBox::currentIndexChanged, this, changed);
    connect(reference_, &QButtonGroup::idToggled, this, changed);
    for (QLineEdit* edit : {edDeviationLatitude, edDeviationLongitude, edDeviationHeight})
        connect(edit, &QLineEdit::textChanged, this, changed);
    connect(btnDeviationClear, &QPushButton::clicked, this, [this] { Clear(); });
    connect(btnDeviationUseMean, &QPushButton::clicked, this, Guarded(this, [this] { UseMean(); }));
}

void TDeviationPage::LayOut() {
    pbDeviation = new TDeviationPlot(this);
    pbDeviation->setObjectName("pbDeviation");
    cbDeviationWindow = new QComboBox(this);
    cbDeviationWindow->setObjectName("cbDeviationWindow");
    cbDeviationWindow->addItems(
        {"Last minute", "Last 5 minutes", "Last 15 minutes", "Last 60 minutes", "Everything"});
    cbDeviationWindow->setCurrentIndex(wLast15Minutes);
    btnDeviationClear = MakeButton(this, "btnDeviationClear", "Clear");

    auto* windowRow = new QHBoxLayout;
    windowRow->addWidget(new QLabel("Fixes of", this));
    windowRow->addWidget(cbDeviationWindow, 1);
    windowRow->addWidget(btnDeviationClear);

    // The plot takes the room; the controls and statistics stand at its right.
    auto* column = new QVBoxLayout;
    column->addLayout(windowRow);
    column->addWidget(MakeReferenceBox());
    column->addWidget(MakeStatisticsBox());
    column->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(pbDeviation, 1);
    layout->addLayout(column);
}

QWidget* TDeviationPage::MakeReferenceBox() {
    auto* box = new QGroupBox("Reference", this);
    rbDeviationMean = new QRadioButton("Mean of the shown fixes", box);
    rbDeviationMean->setObjectName("rbDeviationMean");
    rbDeviationTyped = new QRadioButton("This position:", box);
    rbDeviationTyped->setObjectName("rbDeviationTyped");
    rbDeviationBase = new QRadioButton("The base station (RTCM 1005/1006)", box);
    rbDeviationBase->setObjectName("rbDeviationBase");
    reference_ = new QButtonGroup(box);
    reference_->addButton(rbDeviationMean, rcMean);
    reference_->addButton(rbDeviationTyped, rcTyped);
    reference_->addButton(rbDeviationBase, rcBase);
    rbDeviationMean->setChecked(true);
    edDeviationLatitude = MakeLineEdit(box, "edDeviationLatitude");
    edDeviationLatitude->setPlaceholderText("degrees, south negative");
    edDeviationLongitude = MakeLineEdit(box, "edDeviationLongitude");
    edDeviationLongitude->setPlaceholderText("degrees, west negative");
    edDeviationHeight = MakeLineEdit(box, "edDeviationHeight");
    edDeviationHeight->setPlaceholderText("metres MSL, may be empty");
    btnDeviationUseMean = MakeButton(box, "btnDeviationUseMean", "Take the mean");
    btnDeviationUseMean->setToolTip("Fixes the reference at the mean of the shown fixes");
    lbDeviationReferenceError = MakeLabel(box, "lbDeviationReferenceError", "");
    lbDeviationReferenceError->setWordWrap(true);
    lbDeviationReferenceError->setStyleSheet("QLabel { color: #a00000; }");
    lbDeviationReferenceError->hide();

    auto* typed = new QFormLayout;
    typed->addRow("Latitude", edDeviationLatitude);
    typed->addRow("Longitude", edDeviationLongitude);
    typed->addRow("Height", edDeviationHeight);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(rbDeviationMean);
    layout->addWidget(rbDeviationTyped);
    layout->addLayout(typed);
    layout->addWidget(btnDeviationUseMean, 0, Qt::AlignRight);
    layout->addWidget(rbDeviationBase);
    layout->addWidget(lbDeviationReferenceError);
    return box;
}

QWidget* TDeviationPage::MakeStatisticsBox() {
    auto* box = new QGroupBox("Statistics of the shown fixes", this);
    auto* layout = new QFormLayout(box);
    for (const auto& row : kStatistics) {
        QLabel* value = MakeLabel(box, row.Name, "");
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addRow(row.Caption, value);
    }
    return box;
}

void TDeviationPage::FixesChanged() {
    redraw_->Changed();
}

void TDeviationPage::ShowBase(const std::optional<protocol::BaseStation>& base) {
    std::optional<protocol::ReferencePoint> place;
    if (base && base->Place)
        place = protocol::ReferencePoint{base->Place->LatitudeDeg, base->Place->LongitudeDeg};
    const auto same = [](const protocol::ReferencePoint& a, const protocol::ReferencePoint& b) {
        return a.Latitude == b.Latitude && a.Longitude == b.Longitude;
    };
    if (place.has_value() == base_.has_value() && (!place || same(*place, *base_)))
        return;
    base_ = place;
    if (reference_->checkedId() == rcBase)
        FixesChanged();
}

void TDeviationPage::Redraw() {
    redraw_->Now();
}

void TDeviationPage::Clear() {
    if (!fixes_.empty())
        clearedAt_ = fixes_[fixes_.size() - 1].UtcSeconds;
    Redraw();
}

void TDeviationPage::UseMean() {
    if (!shown_)
        throw std::runtime_error("There are no fixes to take the mean of yet");
    edDeviationLatitude->setText(QString::number(shown_->Mean.Latitude, 'f', 9));
    edDeviationLongitude->setText(QString::number(shown_->Mean.Longitude, 'f', 9));
    edDeviationHeight->setText(
        shown_->Mean.HeightMsl ? QString::number(*shown_->Mean.HeightMsl, 'f', 3) : QString());
    rbDeviationTyped->setChecked(true);
}

protocol::ReferencePoint TDeviationPage::TypedReference() const {
    protocol::ReferencePoint reference;
    reference.Latitude =
        *Typed(edDeviationLatitude, -90, 90, false,
               "Type the reference latitude in degrees, from -90 to 90 (south negative)");
    reference.Longitude =
        *Typed(edDeviationLongitude, -180, 180, false,
               "Type the reference longitude in degrees, from -180 to 180 (west negative)");
    reference.HeightMsl =
        Typed(edDeviationHeight, -1000, 100000, true,
              "Type the reference height in metres above mean sea level, or leave it empty");
    return reference;
}

std::optional<protocol::ReferencePoint> TDeviationPage::ChosenReference() const {
    if (reference_->checkedId() == rcTyped)
        return TypedReference();
    if (reference_->checkedId() != rcBase)
        return std::nullopt;
    if (!base_)
        throw std::runtime_error("The receiver has sent no base station position (RTCM 1005 or "
                                 "1006) yet");
    return base_;
}

// The window's fixes back from the newest, none from before Clear.
protocol::PositionHistory::Range TDeviationPage::Shown() const {
    if (fixes_.empty())
        return fixes_.All();
    const double newest = fixes_[fixes_.size() - 1].UtcSeconds;
    double from = -std::numeric_limits<double>::infinity();
    const int window = cbDeviationWindow->currentIndex();
    if (window >= 0 && window < wEverything)
        from = newest - kWindowSeconds[window];
    if (clearedAt_)
        from = std::max(from, std::nextafter(*clearedAt_, std::numeric_limits<double>::infinity()));
    return fixes_.Since(from);
}

void TDeviationPage::Draw() {
    // The fixes started over (a replay): an earlier Clear no longer applies.
    if (clearedAt_ && (fixes_.empty() || fixes_[fixes_.size() - 1].UtcSeconds < *clearedAt_))
        clearedAt_.reset();
    std::optional<protocol::ReferencePoint> reference;
    lbDeviationReferenceError->hide();
    try {
        reference = ChosenReference();
    } catch (const std::runtime_error& error) {
        lbDeviationReferenceError->setText(error.what());
        lbDeviationReferenceError->show();
        pbDeviation->SetPoints({});
        ShowStatistics(std::nullopt);
        return;
    }
    const protocol::PositionHistory::Range shown = Shown();
    std::optional<protocol::DeviationStatistics> statistics;
    std::vector<TDeviationPoint> points;
    if (!shown.empty()) {
        statistics = protocol::DeviationsOf(shown, reference);
        points.reserve(shown.size());
        for (const protocol::FixRecord& fix : shown) {
            const protocol::EastNorth at = protocol::EastNorthOf(fix, statistics->Reference);
            points.push_back({at.East, at.North, static_cast<int>(fix.Kind)});
        }
    }
    pbDeviation->SetPoints(std::move(points));
    ShowStatistics(statistics);
}

void TDeviationPage::ShowStatistics(
    const std::optional<protocol::DeviationStatistics>& statistics) {
    shown_ = statistics && statistics->Count > 0 ? statistics : std::nullopt;
    const auto set = [this](const char* name, const QString& text) {
        findChild<QLabel*>(name)->setText(text);
    };
    for (const auto& row : kStatistics)
        set(row.Name, "");
    set("lbDeviationCount", QString::number(shown_ ? shown_->Count : 0));
    if (!shown_)
        return;
    set("lbDeviationCep50", Metres(shown_->Cep50M));
    set("lbDeviationCep95", Metres(shown_->Cep95M));
    set("lbDeviation2Drms", Metres(shown_->TwoDrmsM));
    set("lbDeviationMax", Metres(shown_->MaxHorizontalM));
    if (shown_->HeightMeanM) {
        QString height = Metres(*shown_->HeightMeanM);
        if (shown_->Reference.HeightMsl && reference_->checkedId() == rcTyped)
            height += QString(" (%1%2 m from the reference)")
                          .arg(*shown_->HeightMeanM >= *shown_->Reference.HeightMsl ? "+" : "")
                          .arg(*shown_->HeightMeanM - *shown_->Reference.HeightMsl, 0, 'f', 3);
        set("lbDeviationHeightMean", height);
    }
    if (shown_->HeightStdDevM)
        set("lbDeviationHeightStdDev", Metres(*shown_->HeightStdDevM));
    set("lbDeviationMeanLatitude", LatitudeText(shown_->Mean.Latitude, 8, TAngleStyle::Decimal));
    set("lbDeviationMeanLongitude", LongitudeText(shown_->Mean.Longitude, 8, TAngleStyle::Decimal));
}
