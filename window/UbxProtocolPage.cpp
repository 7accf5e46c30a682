#include "window/UbxProtocolPage.h"

#include "widgets/NumEdit.h"
#include "window/Controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QStringList ClassItems = {"NAV 01  p.157", "RXM 02  p.173", "INF 04  p.148", "ACK 05  p.94",
                                "CFG 06  p.107", "MON 0A  p.151", "AID 0B  p.95",  "TIM 0D  p.175"};

const QStringList CfgItems = {
    "ANT   $13 p.107", "DAT   $06 p.110", "GNSS  $3E p.112", "INF   $02 p.113", "ITFM  $39 p.115",
    "MSG   $01 p.116", "NAV5  $24 p.117", "NAVX5 $23 p.119", "NMEA  $17 p.121", "PM2   $3B p.127",
    "PRT   $00 p.129", "RATE  $08 p.138", "RINV  $34 p.139", "RXM   $11 p.141", "SBAS  $16 p.142",
    "TPS   $31 p.144", "USB   $1B p.146"};

const QStringList AidItems = {"ALM   $30 p.95", "DATA  $10 p.101", "EPH   $31 p.101",
                              "HUI   $02 p.103", "INI   $01 p.104"};

// A frame field; without editorEnabled typing is refused (the arrow keys step).
TNumEdit* MakeFrameField(QWidget* parent, const QString& name, double value, int maxLength,
                         bool editorEnabled = false) {
    auto* field = new TNumEdit(parent);
    field->setObjectName(name);
    field->SetValue(value);
    field->SetEditorEnabled(editorEnabled);
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    field->setFixedWidth(40);
    return field;
}
} // namespace

TUbxProtocolPage::TUbxProtocolPage(QWidget* parent) : QWidget(parent) {
    setObjectName("ts");
    btnPollCFG_PRT = MakeButton(this, "btnPollCFG_PRT", "Poll CFG_PRT");
    lblSent = MakeLabel(this, "lblSent", "lblSent");
    gbPoll = new QGroupBox("Poll", this);
    gbPoll->setObjectName("gbPoll");
    CreateComposer();
    LayOutComposer();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPollCFG_PRT);
    buttons->addWidget(lblSent);
    buttons->addStretch();
    auto* page = new QVBoxLayout(this);
    page->addLayout(buttons);
    page->addWidget(gbPoll);
    page->addStretch();
}

void TUbxProtocolPage::CreateComposer() {
    neSyncChar1 = MakeFrameField(gbPoll, "neSyncChar1", 181, 0);
    lblSyncChar1 = MakeLabel(gbPoll, "lblSyncChar1", "p.88");
    neSynchChar2 = MakeFrameField(gbPoll, "neSynchChar2", 98, 0, true);
    neSynchChar2->setEnabled(false);
    lblSyncChar2 = MakeLabel(gbPoll, "lblSyncChar2", "p.88");
    cbClassID = MakeDropDown(gbPoll, "cbClassID", ClassItems, " Class ID", true);
    lblClassID = MakeLabel(gbPoll, "lblClassID", " p.90");
    lblSelectID = MakeLabel(gbPoll, "lblSelectID", " Select ID");
    cbCFG = MakeDropDown(gbPoll, "cbCFG", CfgItems, "ANT   $13 p.107", true);
    cbCFG->setEnabled(false);
    lblIfCFG = MakeLabel(gbPoll, "lblIfCFG", "If CFG");
    cbAID = MakeDropDown(gbPoll, "cbAID", AidItems, "ALM  $30 p.95", true);
    cbAID->setEnabled(false);
    lblIfAID = MakeLabel(gbPoll, "lblIfAID", "if AID");
    neLength = MakeFrameField(gbPoll, "neLength", 0, 2);
    Label1 = MakeLabel(gbPoll, "Label1", "Payload");
    neCK_A = MakeFrameField(gbPoll, "neCK_A", 0, 2);
    lbCk_A = MakeLabel(gbPoll, "lbCk_A", "Ck_A");
    neCK_B = MakeFrameField(gbPoll, "neCK_B", 0, 2);
    lblCK_B = MakeLabel(gbPoll, "lblCK_B", "Ck_B");
    btnSend = MakeButton(gbPoll, "btnSend", "Send");
}

void TUbxProtocolPage::LayOutComposer() {
    auto* classLabels = new QHBoxLayout;
    classLabels->addWidget(lblClassID);
    classLabels->addWidget(lblSelectID);
    auto* classColumn = new QVBoxLayout;
    classColumn->addWidget(cbClassID);
    classColumn->addLayout(classLabels);

    auto* idLists = new QGridLayout;
    idLists->addWidget(lblIfCFG, 0, 0);
    idLists->addWidget(cbCFG, 0, 1);
    idLists->addWidget(lblIfAID, 1, 0);
    idLists->addWidget(cbAID, 1, 1);

    auto* fields = new QHBoxLayout(gbPoll);
    fields->addWidget(WithLabelUnder(gbPoll, neSyncChar1, lblSyncChar1), 0, Qt::AlignTop);
    fields->addWidget(WithLabelUnder(gbPoll, neSynchChar2, lblSyncChar2), 0, Qt::AlignTop);
    fields->addLayout(classColumn);
    fields->addLayout(idLists);
    fields->addWidget(WithLabelUnder(gbPoll, neLength, Label1), 0, Qt::AlignTop);
    fields->addWidget(WithLabelUnder(gbPoll, neCK_A, lbCk_A), 0, Qt::AlignTop);
    fields->addWidget(WithLabelUnder(gbPoll, neCK_B, lblCK_B), 0, Qt::AlignTop);
    fields->addWidget(btnSend, 0, Qt::AlignTop);
    fields->addStretch();
}
