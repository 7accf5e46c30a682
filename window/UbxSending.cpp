#include "window/UbxSending.h"

#include "protocol/TransmitEcho.h"
#include "protocol/commands/UbxCommands.h"
#include "widgets/NumEdit.h"
#include "window/ComPortPage.h"
#include "window/ErrorBox.h"
#include "window/UbxCommander.h"
#include "window/UbxProtocolPage.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <stdexcept>

namespace {
const TUbxVocabularyItem* FindItem(std::span<const TUbxVocabularyItem> items,
                                   const QComboBox* box) {
    return FindUbxItem(items, box->currentText().toStdString());
}
} // namespace

TUbxSending::TUbxSending(TComPortPage* comPort, TUbxProtocolPage* page, TUbxCommander& commander)
    : QObject(page), comPort_(comPort), page_(page), commander_(commander) {
    for (TNumEdit* field : {page->neLength, page->neCK_A, page->neCK_B}) {
        field->SetDigitsHex(2);
        field->SetEditBase(ebHex);
        // The digit count takes effect at the next commit.
        field->SetValueAsHex(field->ValueAsHex().rightJustified(2, '0'));
    }
    connect(comPort->btnPollCFG_ANT, &QPushButton::clicked, this,
            Guarded(comPort, [this] { btnPollCFG_ANTClick(); }));
    connect(comPort->btnGetSetCFG_ANT, &QPushButton::clicked, this,
            Guarded(comPort, [this] { btnGetSetCFG_ANTClick(); }));
    connect(page->btnPollCFG_PRT, &QPushButton::clicked, this,
            Guarded(page, [this] { btnPollCFG_PRTClick(); }));
    connect(page->btnSend, &QPushButton::clicked, this, Guarded(page, [this] { btnSendClick(); }));
    connect(page->cbClassID, &QComboBox::currentTextChanged, this,
            Guarded(page, [this] { cbClassIDChange(); }));
}

const TUbxVocabularyItem* TUbxSending::ChosenClass() const {
    return FindItem(UbxClasses(), page_->cbClassID);
}

std::optional<TUbxSending::TIdList>
TUbxSending::IdListOf(const TUbxVocabularyItem& ubxClass) const {
    if (ubxClass.Name == "CFG")
        return TIdList{page_->cbCFG, UbxCfgIds()};
    if (ubxClass.Name == "AID")
        return TIdList{page_->cbAID, UbxAidIds()};
    return std::nullopt;
}

void TUbxSending::cbClassIDChange() {
    const TUbxVocabularyItem* chosen = ChosenClass();
    const std::optional<TIdList> ids = chosen ? IdListOf(*chosen) : std::nullopt;
    for (QComboBox* box : {page_->cbCFG, page_->cbAID})
        box->setEnabled(ids && ids->box == box);
}

void TUbxSending::btnPollCFG_PRTClick() {
    SendCommand(ubx::CfgPrtPoll());
}

TUBXPacket TUbxSending::ComposedPacket() const {
    const TUbxVocabularyItem* chosen = ChosenClass();
    if (!chosen)
        throw std::runtime_error("Choose a UBX class in the Class ID list.");
    const std::string name(chosen->Name);
    const std::optional<TIdList> ids = IdListOf(*chosen);
    if (!ids)
        throw std::runtime_error("Class " + name +
                                 " has no message id list here: choose class CFG or AID.");
    const TUbxVocabularyItem* id = FindItem(ids->ids, ids->box);
    if (!id)
        throw std::runtime_error("Choose a message id of class " + name + " in its list.");
    return MakeUbxPacket(chosen->Byte, id->Byte);
}

void TUbxSending::ShowFrameFields(const TBufToSend& frame) {
    const std::size_t size = frame.size();
    page_->neLength->SetValue(frame[4] | (frame[5] << 8));
    page_->neCK_A->SetValue(frame[size - 2]);
    page_->neCK_B->SetValue(frame[size - 1]);
}

void TUbxSending::btnSendClick() {
    const TUBXPacket command = ComposedPacket();
    ShowFrameFields(BuildUbxFrame(command));
    SendCommand(command);
}

void TUbxSending::SendCommand(const TUBXPacket& command) {
    const std::uint32_t count = commander_.Send(command);
    comPort_->lblNumSent->setText(QString::fromStdString(BytesSentCaption(count)));
}
