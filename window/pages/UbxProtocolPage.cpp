#include "window/pages/UbxProtocolPage.h"

#include "protocol/UbxVocabulary.h"
#include "widgets/NumEdit.h"
#include "window/blocks/Controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The captions of one of the UBX vocabulary's page lists.
QStringList Captions(std::span<const TUbxVocabularyItem> items) {
    QStringList captions;
    for (const auto& item : items)
        captions << QString::fromLatin1(item.Caption.data(), qsizetype(item.Caption.size()));
    return captions;
}

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

TUbxProtocolPage::TUbxProtocolPage(QWidget* parent, TUbxCommander& commander)
    : QWidget(parent), commander_(commander) {
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
    Connect();
}

void TUbxProtocolPage::CreateComposer() {
    neSyncChar1 = MakeFrameField(gbPoll, "neSyncChar1", 181, 0);
    lblSyncChar1 = MakeLabel(gbPoll, "lblSyncChar1", "p.88");
    neSynchChar2 = MakeFrameField(gbPoll, "neSynchChar2", 98, 0, true);
    neSynchChar2->setEnabled(false);
    lblSyncChar2 = MakeLabel(gbPoll, "lblSyncChar2", "p.88");
    cbClassID = MakeDropDown(gbPoll, "cbClassID", Captions(UbxClasses()), " Class ID", true);
    lblClassID = MakeLabel(gbPoll, "lblClassID", " p.90");
    lblSelectID = MakeLabel(gbPoll, "lblSelectID", " Select ID");
    cbCFG = MakeDropDown(gbPoll, "cbCFG", Captions(UbxCfgIds()), "ANT   $13 p.107", true);
    cbCFG->setEnabled(false);
    lblIfCFG = MakeLabel(gbPoll, "lblIfCFG", "If CFG");
    cbAID = MakeDropDown(gbPoll, "cbAID", Captions(UbxAidIds()), "ALM  $30 p.95", true);
    cbAID->setEnabled(false);
    lblIfAID = MakeLabel(gbPoll, "lblIfAID", "if AID");
    cbMsgID = MakeDropDown(gbPoll, "cbMsgID", {}, "", true);
    cbMsgID->setEnabled(false);
    lblIfOther = MakeLabel(gbPoll, "lblIfOther", "other");
    // Four digits: a payload may be longer than 255 bytes.
    neLength = MakeFrameField(gbPoll, "neLength", 0, 4);
    Label1 = MakeLabel(gbPoll, "Label1", "Payload");
    neCK_A = MakeFrameField(gbPoll, "neCK_A", 0, 2);
    lbCk_A = MakeLabel(gbPoll, "lbCk_A", "Ck_A");
    neCK_B = MakeFrameField(gbPoll, "neCK_B", 0, 2);
    lblCK_B = MakeLabel(gbPoll, "lblCK_B", "Ck_B");
    btnSend = MakeButton(gbPoll, "btnSend", "Send");
    edPayload = MakeLineEdit(gbPoll, "edPayload");
    edPayload->setPlaceholderText("01 02 0A or 01020A");
    // Room for the largest payload written "0x00, " a byte, so that a paste
    // too long is refused as such rather than cut to an odd digit count.
    edPayload->setMaxLength(6 * 65536 + 6);
    lblPayloadHex = MakeLabel(gbPoll, "lblPayloadHex", "Payload (hex)");
    lblFrame = MakeLabel(gbPoll, "lblFrame", "");
    lblFrame->setFont(FixedPitchFont());
    lblFrame->setWordWrap(true);
    lblFrame->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblAnswer = MakeLabel(gbPoll, "lblAnswer", "");
    lblAnswer->setWordWrap(true);
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
    idLists->addWidget(lblIfOther, 2, 0);
    idLists->addWidget(cbMsgID, 2, 1);

    auto* fields = new QHBoxLayout;
    fields->addWidget(WithLabelUnder(gbPoll, neSyncChar1, lblSyncChar1), 0, Qt::AlignTop);
    fields->addWidget(WithLabelUnder(gbPoll, neSynchChar2, lblSyncChar2), 0, Qt::AlignTop);
    fields->addLayout(classColumn);
    fields->addLayout(idLists);
    fields->addWidget(WithLabelUnder(gbPoll, neLength, Label1), 0, Qt::AlignTop);
    fields->addWidget(WithLabelUnder(gbPoll, neCK_A, lbCk_A), 0, Qt::AlignTop);
    fields->addWidget(WithLabelUnder(gbPoll, neCK_B, lblCK_B), 0, Qt::AlignTop);
    fields->addWidget(btnSend, 0, Qt::AlignTop);
    fields->addStretch();

    auto* payload = new QHBoxLayout;
    payload->addWidget(lblPayloadHex);
    payload->addWidget(edPayload, 1);
    auto* composer = new QVBoxLayout(gbPoll);
    composer->addLayout(fields);
    composer->addLayout(payload);
    composer->addWidget(lblFrame);
    composer->addWidget(lblAnswer);
}
