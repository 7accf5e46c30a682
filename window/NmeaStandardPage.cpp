#include "window/NmeaStandardPage.h"

#include "window/Controls.h"
#include "window/RadioGroup.h"
#include "window/TextPane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QStringList NmeaWatchItems = {
    "    Watch Off",        "DTM DatumRef    p.47", "GBS SatFault    p.48", "GGA SysFix      p.49",
    "GLL Lat/Lon     p.50", "GNS FixData     p.52", "GRS RngRisidul  p.53", "GSA ActiveSats  p.54",
    "GST RangeError  p.55", "GSV SatsInView  p.56", "RMC RecomdMin   p.57", "TXT TextXmiss   p.58",
    "VTG Course      p.59", "ZDA Time/Date   p.60"};
} // namespace

TNmeaStandardPage::TNmeaStandardPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tabNMEA");
    pnlControls = new QFrame(this);
    pnlControls->setObjectName("pnlControls");
    SetBackground(pnlControls, ColorBtnShadow);
    edSentStr = MakeLineEdit(pnlControls, "edSentStr");
    btnSendStr = MakeButton(pnlControls, "btnSendStr", "Send String");
    edSentBytes = MakeLineEdit(pnlControls, "edSentBytes");
    edSentBytes->setToolTip("#byte1#byte2...");
    btnSendBytes = MakeButton(pnlControls, "btnSendBytes", "Send Bytes");
    rgMode = new TRadioGroup(pnlControls, "rgMode", "View",
                             {"ASCII", "Decimal", "Hexa", "NMEA", "UBX"}, 0);
    cbSkip = new QCheckBox("Stop Output", pnlControls);
    cbSkip->setObjectName("cbSkip");
    btnStep = MakeButton(pnlControls, "btnStep", "Show Current");
    cbNMEAWatch = MakeDropDown(pnlControls, "cbNMEAWatch", NmeaWatchItems, "Watch", true);
    moNMEAWatch = MakeTextPane(pnlControls, "moNMEAWatch");
    LayOut();
}

void TNmeaStandardPage::LayOut() {
    auto* sending = new QGridLayout;
    sending->addWidget(edSentStr, 0, 0);
    sending->addWidget(btnSendStr, 0, 1);
    sending->addWidget(edSentBytes, 1, 0);
    sending->addWidget(btnSendBytes, 1, 1);
    sending->setColumnMinimumWidth(0, 260);
    sending->setRowStretch(2, 1);

    auto* output = new QVBoxLayout;
    output->addWidget(cbSkip);
    output->addWidget(btnStep);
    output->addStretch();

    auto* watch = new QVBoxLayout;
    watch->addWidget(cbNMEAWatch);
    watch->addWidget(moNMEAWatch, 1);

    auto* panel = new QHBoxLayout(pnlControls);
    panel->addLayout(sending);
    panel->addWidget(rgMode);
    panel->addLayout(output);
    panel->addLayout(watch, 1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(pnlControls);
}
