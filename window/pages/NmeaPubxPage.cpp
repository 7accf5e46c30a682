#include "window/pages/NmeaPubxPage.h"

#include "protocol/NmeaSentence.h"
#include "widgets/NumSpin.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/SendableText.h"
#include "window/blocks/TextPane.h"
#include "window/parts/WindowSender.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The message id is the first three characters of the selection text.
constexpr int kMsgIdLength = 3;
// A $PUBX,40 sentence ends "*", two checksum digits, CR LF.
constexpr std::size_t kChecksumFromEnd = 4;

const QStringList SetNmeaItems = {
    "DTM DatumRef    p.47", "GBS SatFault    p.48", "GGA SysFix      p.49", "GLL Lat/Lon     p.50",
    "GNS FixData     p.52", "GRS RngResidul  p.53", "GSA ActiveSats  p.54", "GST RangeError  p.55",
    "GSV SatsInView  p.56", "RMC RecomdMin   p.57", "TXT TextXmiss   p.58", "VTG Course      p.59",
    "ZDA Time/Date   p.60"};

const QStringList PubxWatchItems = {
    "PUBX Message Watch Off", "$PUBX,00  UBX00 Lat/Lon Position Data",
    "$PUBX,03  UBX03 Satellite Status", "$PUBX,04  UBX04 Time of Day and Clock Info"};

// A 0/1 rate field: value 1, both limits enforced, one character.
TNumSpin* MakeRateSpin(QWidget* parent, const QString& name) {
    auto* spin = new TNumSpin(parent);
    spin->setObjectName(name);
    spin->SetMinValue(0);
    spin->SetMaxValue(1);
    spin->SetOptions(eoLimitMin | eoLimitMax);
    spin->SetIncrement(1);
    spin->setMaxLength(1);
    spin->SetStartDelay(500);
    spin->SetInterval(100);
    spin->SetValue(1);
    spin->setFixedSize(29, 22);
    return spin;
}

QFrame* MakePanel(QWidget* parent, const QString& name, const QColor& colour) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    SetBackground(panel, colour);
    return panel;
}
} // namespace

TNmeaPubxPage::TNmeaPubxPage(QWidget* parent, TWindowSender& sender)
    : QWidget(parent), sender_(sender) {
    setObjectName("tabUBX");
    CreateSetUBX40Panel();
    CreateControlsPanel();
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(pnlUBTop);
    page->addWidget(pnlUBXControls, 1);
    Connect();
}

void TNmeaPubxPage::Connect() {
    connect(btnSetUBX40, &QPushButton::clicked, this, Guarded(this, [this] { SetUBX40Clicked(); }));
    const std::pair<QPushButton*, std::string_view> polls[] = {{btnPollLatLon, kPubxPollLatLon},
                                                               {btnPolSatStat, kPubxPollSatStat},
                                                               {btnPollTime, kPubxPollTime}};
    for (const auto& [button, command] : polls)
        connect(button, &QPushButton::clicked, this,
                Guarded(this, [this, command] { SendPoll(command); }));
    connect(cbPUBXWatch, &QComboBox::currentTextChanged, this, &TNmeaPubxPage::PubxWatchChanged);
}

QString TNmeaPubxPage::PubxWatch() const {
    return cbPUBXWatch->currentText();
}

void TNmeaPubxPage::ShowWatchLine(const QString& line) {
    InsertFirstLine(moUBXWatch, line);
}

void TNmeaPubxPage::SetUBX40Clicked() {
    const std::string msgId = SendableText(cbSetNMEA->currentText().left(kMsgIdLength));
    const std::string sentence =
        BuildPubx40(msgId, ns3rddc->ValueAsInt(), ns4rus1->ValueAsInt(), ns5rus2->ValueAsInt(),
                    ns6rusb->ValueAsInt(), ns7rspi->ValueAsInt());
    sender_.SendString(sentence);
    edCKA_CKB->setText(QString::fromLatin1(sentence.substr(sentence.size() - kChecksumFromEnd, 2)));
}

void TNmeaPubxPage::SendPoll(std::string_view command) {
    sender_.SendString(std::string(command));
}

void TNmeaPubxPage::CreateSetUBX40Panel() {
    pnlUBTop = MakePanel(this, "pnlUBTop", ColorMoneyGreen);
    pnlSetUBX40 = MakePanel(pnlUBTop, "pnlSetUBX40", ColorMoneyGreen);
    btnSetUBX40 = MakeButton(pnlSetUBX40, "btnSetUBX40", "Set UBX40");
    lblSetNMEAOutputRate =
        MakeLabel(pnlSetUBX40, "lblSetNMEAOutputRate", "Set NMEA Output Rate p.86");
    cbSetNMEA = MakeDropDown(pnlSetUBX40, "cbSetNMEA", SetNmeaItems, "Select Target Message", true);
    ns3rddc = MakeRateSpin(pnlSetUBX40, "ns3rddc");
    ns4rus1 = MakeRateSpin(pnlSetUBX40, "ns4rus1");
    ns5rus2 = MakeRateSpin(pnlSetUBX40, "ns5rus2");
    ns6rusb = MakeRateSpin(pnlSetUBX40, "ns6rusb");
    ns7rspi = MakeRateSpin(pnlSetUBX40, "ns7rspi");
    lbl3rddc = MakeLabel(pnlSetUBX40, "lbl3rddc", "3.rddc");
    lbl4rus1 = MakeLabel(pnlSetUBX40, "lbl4rus1", "4.rus1");
    lbl5rus2 = MakeLabel(pnlSetUBX40, "lbl5rus2", "5.rus2");
    lbl6rusb = MakeLabel(pnlSetUBX40, "lbl6rusb", "6 rusb");
    lbl7rspi = MakeLabel(pnlSetUBX40, "lbl7rspi", "7.rspi");
    ne8res = new TNumEdit(pnlSetUBX40);
    ne8res->setObjectName("ne8res");
    ne8res->SetMaxValue(1);
    ne8res->SetValue(0);
    ne8res->setFixedWidth(29);
    ne8res->setEnabled(false);
    lblres = MakeLabel(pnlSetUBX40, "lblres", "8.res ");
    edCKA_CKB = MakeLineEdit(pnlSetUBX40, "edCKA_CKB");
    edCKA_CKB->setFixedWidth(40);
    lblcs = MakeLabel(pnlSetUBX40, "lblcs", "9.cs");

    auto* fields = new QHBoxLayout(pnlSetUBX40);
    fields->addWidget(WithLabelUnder(pnlSetUBX40, btnSetUBX40, lblSetNMEAOutputRate));
    fields->addWidget(cbSetNMEA, 0, Qt::AlignTop);
    const std::pair<QWidget*, QLabel*> columns[] = {
        {ns3rddc, lbl3rddc}, {ns4rus1, lbl4rus1}, {ns5rus2, lbl5rus2}, {ns6rusb, lbl6rusb},
        {ns7rspi, lbl7rspi}, {ne8res, lblres},    {edCKA_CKB, lblcs}};
    for (const auto& [control, label] : columns)
        fields->addWidget(WithLabelUnder(pnlSetUBX40, control, label));
    fields->addStretch();
    auto* top = new QHBoxLayout(pnlUBTop);
    top->addWidget(pnlSetUBX40, 1);
}

void TNmeaPubxPage::CreateControlsPanel() {
    pnlUBXControls = MakePanel(this, "pnlUBXControls", ColorMedGray);
    cbPUBXWatch = MakeDropDown(pnlUBXControls, "cbPUBXWatch", PubxWatchItems,
                               "Watch for PUBX messages", false);
    btnPollLatLon = MakeButton(pnlUBXControls, "btnPollLatLon", " Poll Lat/Lon");
    btnPolSatStat = MakeButton(pnlUBXControls, "btnPolSatStat", "Poll Sat Stat");
    btnPollTime = MakeButton(pnlUBXControls, "btnPollTime", " Poll Time of Day and Clock");
    edUBXSendBytes = MakeLineEdit(pnlUBXControls, "edUBXSendBytes", "edUBXSendBytes");
    moUBXWatch = MakeTextPane(pnlUBXControls, "moUBXWatch");

    auto* layout = new QGridLayout(pnlUBXControls);
    layout->addWidget(cbPUBXWatch, 0, 0, 1, 3);
    layout->addWidget(btnPollLatLon, 1, 0);
    layout->addWidget(btnPolSatStat, 1, 1);
    layout->addWidget(btnPollTime, 1, 2);
    layout->addWidget(edUBXSendBytes, 2, 0, 1, 3);
    layout->addWidget(moUBXWatch, 0, 3, 4, 1);
    layout->setColumnStretch(3, 1);
    layout->setRowStretch(3, 1);
}
