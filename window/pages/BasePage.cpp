#include "window/pages/BasePage.h"

#include "protocol/decoding/Geodetic.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/PositionText.h"
#include "window/blocks/RadioGroup.h"
#include "window/parts/ReceiverIdentity.h"
#include "window/parts/UbxCommander.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <memory>

namespace {

constexpr std::uint8_t kClassNav = 0x01, kIdNavSvin = 0x3B;

QDoubleSpinBox* MakeDoubleSpin(QWidget* parent, const QString& name, double low, double high,
                               int decimals, double value, const QString& suffix) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setObjectName(name);
    spin->setDecimals(decimals);
    spin->setRange(low, high);
    spin->setValue(value);
    spin->setSuffix(suffix);
    return spin;
}

// The position fields as latitude, longitude, height or as ECEF X, Y, Z:
// caption, range, decimals (0.1 mm, or 1e-9 degrees) and unit.
struct TPositionField {
    const char* Caption;
    double Low, High;
    int Decimals;
    const char* Suffix;
};
constexpr TPositionField kLlhFields[] = {{"Latitude", -90, 90, 9, "°"},
                                         {"Longitude", -180, 180, 9, "°"},
                                         {"Height (ellipsoid)", -2000, 100000, 4, " m"}};
constexpr TPositionField kEcefFields[] = {
    {"ECEF X", -7e6, 7e6, 4, " m"}, {"ECEF Y", -7e6, 7e6, 4, " m"}, {"ECEF Z", -7e6, 7e6, 4, " m"}};

// "surveying", "valid", "valid, still surveying", "not surveying".
QString SurveyState(const protocol::SurveyIn& survey) {
    if (survey.Valid)
        return survey.Active ? "valid, still surveying" : "valid";
    return survey.Active ? "surveying" : "not surveying";
}

} // namespace

TBasePage::TBasePage(QWidget* parent, TUbxCommander& commander, TReceiverIdentity& identity,
                     TValuePanel::Clock clock)
    : QWidget(parent), commander_(commander), identity_(identity) {
    setObjectName("tabBase");
    auto* page = new QGridLayout(this);
    page->addWidget(CreateModeGroup(), 0, 0);
    page->addWidget(CreateSurveyGroup(std::move(clock)), 0, 1);
    page->addWidget(CreateRtcmGroup(), 1, 0, 1, 2);
    page->setRowStretch(2, 1);
    connect(btnSendBaseMode, &QPushButton::clicked, this,
            Guarded(this, [this] { SendModeClicked(); }));
    connect(btnEnableRtcm, &QPushButton::clicked, this,
            Guarded(this, [this] { EnableRtcmClicked(); }));
}

QGroupBox* TBasePage::CreateModeGroup() {
    auto* group = new QGroupBox("Base position", this);
    group->setObjectName("gbBaseMode");
    rgBaseMode = new TRadioGroup(group, "rgBaseMode", "Found by",
                                 {"Survey-in", "Fixed position", "Not a base"}, 0);
    spSurveyDuration = new QSpinBox(group);
    spSurveyDuration->setObjectName("spSurveyDuration");
    spSurveyDuration->setRange(1, 86400 * 7);
    spSurveyDuration->setValue(300);
    spSurveyDuration->setSuffix(" s");
    spSurveyAccuracy = MakeDoubleSpin(group, "spSurveyAccuracy", 0.001, 100, 3, 2.0, " m");
    cbPositionKind = new QComboBox(group);
    cbPositionKind->setObjectName("cbPositionKind");
    cbPositionKind->addItems({"Latitude, longitude, height", "ECEF X, Y, Z"});
    spFixedAccuracy = MakeDoubleSpin(group, "spFixedAccuracy", 0.0001, 100, 4, 0.1, " m");
    btnSendBaseMode = MakeButton(group, "btnSendBaseMode", "Send");
    lblBaseModeAnswer = MakeAnswerLabel(group, "lblBaseModeAnswer");

    auto* form = new QFormLayout;
    form->addRow("Shortest survey-in", spSurveyDuration);
    form->addRow("Survey-in accuracy", spSurveyAccuracy);
    form->addRow("Fixed position as", cbPositionKind);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        lblPosition[axis] = new QLabel(group);
        spPosition[axis] = new QDoubleSpinBox(group);
        spPosition[axis]->setObjectName("spPosition" + QString::number(axis));
        form->addRow(lblPosition[axis], spPosition[axis]);
    }
    form->addRow("Fixed position accuracy", spFixedAccuracy);
    const auto showKind = [this](int kind) {
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const TPositionField& field = (kind == 0 ? kLlhFields : kEcefFields)[axis];
            lblPosition[axis]->setText(field.Caption);
            spPosition[axis]->setDecimals(field.Decimals);
            spPosition[axis]->setRange(field.Low, field.High);
            spPosition[axis]->setSuffix(field.Suffix);
        }
    };
    showKind(0);
    connect(cbPositionKind, &QComboBox::currentIndexChanged, this, showKind);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(rgBaseMode);
    layout->addLayout(form);
    layout->addWidget(btnSendBaseMode, 0, Qt::AlignLeft);
    layout->addWidget(lblBaseModeAnswer);
    return group;
}

QGroupBox* TBasePage::CreateSurveyGroup(TValuePanel::Clock clock) {
    auto* group = new QGroupBox("Survey-in (NAV-SVIN)", this);
    group->setObjectName("gbSurvey");
    pnlSurvey = new TValuePanel(group, std::move(clock));
    pnlSurvey->setObjectName("pnlSurvey");
    pnlSurvey->AddRow("lbSvinState", "State");
    pnlSurvey->AddRow("lbSvinDuration", "Duration");
    pnlSurvey->AddRow("lbSvinObservations", "Observations");
    pnlSurvey->AddRow("lbSvinAccuracy", "Mean accuracy");
    pnlSurvey->AddRow("lbSvinPosition", "Mean position");
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(pnlSurvey);
    layout->addStretch(1);
    return group;
}

QGroupBox* TBasePage::CreateRtcmGroup() {
    auto* group = new QGroupBox("RTCM output", this);
    group->setObjectName("gbRtcmOutput");
    auto* ports = new QHBoxLayout;
    for (std::size_t port = 0; port < spRtcmRate.size(); ++port) {
        const QString portName = ubx::kMsgRatePorts[port];
        spRtcmRate[port] = new QSpinBox(group);
        spRtcmRate[port]->setObjectName("spRtcmRate" + portName);
        spRtcmRate[port]->setRange(0, 255);
        spRtcmRate[port]->setValue(portName == "UART1" ? 1 : 0);
        ports->addWidget(WithLabelUnder(group, spRtcmRate[port],
                                        MakeLabel(group, "lblRtcmRate" + portName, portName)));
    }
    ports->addStretch(1);
    btnEnableRtcm = MakeButton(group, "btnEnableRtcm", "Enable RTCM output");
    lblRtcmAnswer = MakeAnswerLabel(group, "lblRtcmAnswer");
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(new QLabel("1005, 1074, 1084, 1094, 1124 and 1230, once per this many "
                                 "solutions on each port (0 = off); the survey-in's NAV-SVIN "
                                 "goes out on the same ports",
                                 group));
    layout->addLayout(ports);
    layout->addWidget(btnEnableRtcm, 0, Qt::AlignLeft);
    layout->addWidget(lblRtcmAnswer);
    return group;
}

ubx::TBaseSettings TBasePage::Settings() const {
    constexpr ubx::TBaseMode kModes[] = {ubx::TBaseMode::SurveyIn, ubx::TBaseMode::Fixed,
                                         ubx::TBaseMode::Disabled};
    ubx::TBaseSettings settings;
    settings.mode = kModes[rgBaseMode->ItemIndex()];
    settings.surveyMinDurationS = static_cast<std::uint32_t>(spSurveyDuration->value());
    settings.surveyAccuracyLimitM = spSurveyAccuracy->value();
    settings.llh = cbPositionKind->currentIndex() == 0;
    for (std::size_t axis = 0; axis < 3; ++axis)
        settings.position[axis] = spPosition[axis]->value();
    settings.fixedAccuracyM = spFixedAccuracy->value();
    return settings;
}

ubx::TMessageRates TBasePage::PortRates() const {
    ubx::TMessageRates rates{};
    for (std::size_t port = 0; port < spRtcmRate.size(); ++port)
        rates[port] = static_cast<std::uint8_t>(spRtcmRate[port]->value());
    return rates;
}

void TBasePage::SendModeClicked() {
    const ubx::TBaseSettings settings = Settings();
    ubx::TMessageRates svinRates{};
    for (std::size_t port = 0; port < svinRates.size(); ++port)
        svinRates[port] = PortRates()[port] > 0 ? 1 : 0;
    const bool survey = settings.mode == ubx::TBaseMode::SurveyIn;
    try {
        // Both forms check the values alike: a mistake shows before anything goes out.
        const TUBXPacket legacy = ubx::CfgTmode3(settings);
        const TUBXPacket database = ubx::TmodeValSet(settings);
        identity_.WhenKnown([=, this](const ubx::TReceiverGeneration& receiver) {
            const bool keys = receiver.configurationDatabase;
            std::vector<std::pair<QString, TUBXPacket>> commands = {
                {"Base position", keys ? database : legacy}};
            if (survey)
                commands.push_back(
                    {"NAV-SVIN output", keys ? ubx::MessageRateValSet("NAV-SVIN", svinRates)
                                             : ubx::CfgMsgSet({kClassNav, kIdNavSvin, svinRates})});
            SendAll(lblBaseModeAnswer, commands);
        });
    } catch (const ubx::EConfigError& error) {
        lblBaseModeAnswer->setText(QString::fromStdString(error.what()) + ".");
    }
}

void TBasePage::EnableRtcmClicked() {
    const ubx::TMessageRates rates = PortRates();
    identity_.WhenKnown([this, rates](const ubx::TReceiverGeneration& receiver) {
        std::vector<std::pair<QString, TUBXPacket>> commands;
        if (receiver.configurationDatabase)
            commands.push_back(
                {"RTCM 1005, 1074, 1084, 1094, 1124, 1230", ubx::RtcmOutputValSet(rates)});
        else
            for (const int type : ubx::kBaseRtcmTypes)
                commands.push_back({"RTCM " + QString::number(type), ubx::CfgMsgRtcm(type, rates)});
        SendAll(lblRtcmAnswer, commands);
    });
}

void TBasePage::SendAll(QLabel* answer,
                        const std::vector<std::pair<QString, TUBXPacket>>& commands) {
    auto lines = std::make_shared<QStringList>();
    for (const auto& [what, command] : commands)
        *lines << what + ": waiting for the answer…";
    answer->setText(lines->join('\n'));
    for (int index = 0; index < static_cast<int>(commands.size()); ++index) {
        const QString what = commands[static_cast<std::size_t>(index)].first;
        commander_.Send(commands[static_cast<std::size_t>(index)].second,
                        [answer, lines, index, what](const ubx::TCommandOutcome& outcome) {
                            (*lines)[index] = what + ": " + OutcomeText(outcome);
                            answer->setText(lines->join('\n'));
                        });
    }
}

void TBasePage::Show(const protocol::ReceiverSnapshot& snapshot,
                     const TReceiverFeed::TFresh& fresh) {
    if (fresh.Survey && snapshot.Corrections.Survey) {
        const protocol::SurveyIn& survey = *snapshot.Corrections.Survey;
        pnlSurvey->SetValue("lbSvinState", SurveyState(survey));
        pnlSurvey->SetValue("lbSvinDuration", QString("%1 s").arg(survey.DurationS));
        pnlSurvey->SetValue("lbSvinObservations", QString::number(survey.Observations));
        pnlSurvey->SetValue("lbSvinAccuracy", QString::number(survey.MeanAccuracyM, 'f', 4) + " m");
        if (const auto place =
                protocol::EcefToGeodetic(survey.MeanXM, survey.MeanYM, survey.MeanZM))
            pnlSurvey->SetValue(
                "lbSvinPosition",
                LatitudeText(place->LatitudeDeg, 9, TAngleStyle::Decimal) + "  " +
                    LongitudeText(place->LongitudeDeg, 9, TAngleStyle::Decimal) + "  " +
                    QString::number(place->HeightEllipsoidM.value_or(0), 'f', 4) + " m");
    }
    pnlSurvey->MarkStale();
}
