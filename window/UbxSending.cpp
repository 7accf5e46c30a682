#include "window/UbxSending.h"

#include "protocol/TransmitEcho.h"
#include "protocol/commands/CommandTracker.h"
#include "protocol/commands/HexBytes.h"
#include "protocol/commands/UbxCommands.h"
#include "widgets/NumEdit.h"
#include "window/ComPortPage.h"
#include "window/ErrorBox.h"
#include "window/UbxCommander.h"
#include "window/UbxProtocolPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

namespace {
const TUbxVocabularyItem* FindItem(std::span<const TUbxVocabularyItem> items,
                                   const QComboBox* box) {
    return FindUbxItem(items, box->currentText().toStdString());
}
// "PVT   $07": the id list entry of a message of the vocabulary.
QString IdCaption(const TUbxMessageType& type) {
    const std::string_view name = type.Name.substr(type.Name.find('-') + 1);
    return QString("%1 $%2")
        .arg(QString::fromLatin1(name.data(), name.size()), -5)
        .arg(type.Id, 2, 16, QChar('0'))
        .toUpper();
}

std::string FirstWord(const QComboBox* box) {
    return box->currentText().trimmed().section(' ', 0, 0).toStdString();
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
    for (QComboBox* box : {page->cbCFG, page->cbAID, page->cbMsgID})
        connect(box, &QComboBox::currentTextChanged, this, [this] { ShowComposed(); });
    connect(page->edPayload, &QLineEdit::textChanged, this, [this] { ShowComposed(); });
}

std::uint8_t TUbxSending::ChosenClassByte() const {
    if (const TUbxVocabularyItem* item = FindItem(UbxClasses(), page_->cbClassID))
        return item->Byte;
    try {
        return ParseHexByte(page_->cbClassID->currentText().toStdString(), "class");
    } catch (const EHexBytesError&) {
        throw std::runtime_error("Choose a UBX class in the Class ID list or type its byte in "
                                 "hex (\"06\").");
    }
}

std::uint8_t TUbxSending::ChosenId(std::uint8_t ubxClass) const {
    const TUbxVocabularyItem* classItem = FindItem(UbxClasses(), page_->cbClassID);
    const std::optional<TIdList> ids = classItem ? IdListOf(*classItem) : std::nullopt;
    QComboBox* box = ids ? ids->box : page_->cbMsgID;
    if (ids) {
        if (const TUbxVocabularyItem* id = FindItem(ids->ids, box))
            return id->Byte;
    } else {
        const std::string name = std::string(UbxClassName(ubxClass)) + "-" + FirstWord(box);
        if (const TUbxMessageType* type = FindUbxMessageType(name))
            return type->Id;
    }
    try {
        return ParseHexByte(box->currentText().toStdString(), "message id");
    } catch (const EHexBytesError&) {
        const std::string_view className = UbxClassName(ubxClass);
        throw std::runtime_error("Choose a message id of class " +
                                 (className.empty()
                                      ? QString::number(ubxClass, 16).toUpper().toStdString()
                                      : std::string(className)) +
                                 " in its list or type it in hex (\"07\").");
    }
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
    const TUbxVocabularyItem* chosen = FindItem(UbxClasses(), page_->cbClassID);
    const std::optional<TIdList> ids = chosen ? IdListOf(*chosen) : std::nullopt;
    for (QComboBox* box : {page_->cbCFG, page_->cbAID})
        box->setEnabled(ids && ids->box == box);
    // Any other class, named or typed, offers its ids from the vocabulary.
    page_->cbMsgID->setEnabled(!ids);
    QStringList captions;
    try {
        const std::uint8_t ubxClass = ChosenClassByte();
        for (const TUbxMessageType& type : UbxMessageTypes())
            if (type.Class == ubxClass)
                captions << IdCaption(type);
    } catch (const std::exception&) {
        // No class yet: no ids to offer.
    }
    const QString typed = page_->cbMsgID->currentText();
    page_->cbMsgID->clear();
    page_->cbMsgID->addItems(captions);
    page_->cbMsgID->setCurrentIndex(-1);
    page_->cbMsgID->setEditText(typed);
    ShowComposed();
}

void TUbxSending::ShowComposed() {
    try {
        const TBufToSend frame = BuildUbxFrame(ComposedPacket());
        ShowFrameFields(frame);
        page_->lblFrame->setText(
            QString("%1 (%2 bytes)")
                .arg(QString::fromStdString(FormatHexBytes(ToByteString(frame))).trimmed())
                .arg(frame.size()));
    } catch (const std::exception& error) {
        page_->lblFrame->setText(QString::fromStdString(error.what()));
    }
}

void TUbxSending::btnPollCFG_PRTClick() {
    SendCommand(ubx::CfgPrtPoll());
}

TUBXPacket TUbxSending::ComposedPacket() const {
    const std::uint8_t ubxClass = ChosenClassByte();
    const std::uint8_t id = ChosenId(ubxClass);
    constexpr std::size_t kMaxPayload = 65535;
    return MakeUbxPacket(ubxClass, id,
                         ParseHexBytes(page_->edPayload->text().toStdString(), kMaxPayload));
}

void TUbxSending::ShowFrameFields(const TBufToSend& frame) {
    const std::size_t size = frame.size();
    page_->neLength->SetValue(frame[4] | (frame[5] << 8));
    page_->neCK_A->SetValue(frame[size - 2]);
    page_->neCK_B->SetValue(frame[size - 1]);
}

void TUbxSending::ShowNoFrameFields() {
    for (TNumEdit* field : {page_->neLength, page_->neCK_A, page_->neCK_B})
        field->SetValue(0);
}

void TUbxSending::btnSendClick() {
    try {
        const TUBXPacket command = ComposedPacket();
        ShowFrameFields(BuildUbxFrame(command));
        SendCommand(command, [this](const ubx::TCommandOutcome& outcome) {
            page_->lblAnswer->setText(QString::fromStdString(outcome.Text()));
        });
    } catch (...) {
        // The fields describe the frame sent last; none went out this time.
        ShowNoFrameFields();
        throw;
    }
    page_->lblAnswer->setText("Waiting for the answer…");
}

void TUbxSending::SendCommand(const TUBXPacket& command, TUbxCommander::TOnSettled onSettled) {
    const std::uint32_t count = commander_.Send(command, std::move(onSettled));
    comPort_->lblNumSent->setText(QString::fromStdString(BytesSentCaption(count)));
}
