// The "UBX Protocol" page's handlers: the composer and the frames it sends.

#include "protocol/TransmitEcho.h"
#include "protocol/commands/CommandTracker.h"
#include "protocol/commands/HexBytes.h"
#include "protocol/commands/UbxCommands.h"
#include "widgets/NumEdit.h"
#include "window/blocks/ErrorBox.h"
#include "window/pages/UbxProtocolPage.h"

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

void TUbxProtocolPage::Connect() {
    for (TNumEdit* field : {neLength, neCK_A, neCK_B}) {
        field->SetDigitsHex(2);
        field->SetEditBase(ebHex);
        // The digit count takes effect at the next commit.
        field->SetValueAsHex(field->ValueAsHex().rightJustified(2, '0'));
    }
    connect(btnPollCFG_PRT, &QPushButton::clicked, this,
            Guarded(this, [this] { PollCFG_PRTClicked(); }));
    connect(btnSend, &QPushButton::clicked, this, Guarded(this, [this] { SendClicked(); }));
    connect(cbClassID, &QComboBox::currentTextChanged, this,
            Guarded(this, [this] { ClassChosen(); }));
    for (QComboBox* box : {cbCFG, cbAID, cbMsgID})
        connect(box, &QComboBox::currentTextChanged, this, [this] { ShowComposed(); });
    connect(edPayload, &QLineEdit::textChanged, this, [this] { ShowComposed(); });
}

std::uint8_t TUbxProtocolPage::ChosenClassByte() const {
    if (const TUbxVocabularyItem* item = FindItem(UbxClasses(), cbClassID))
        return item->Byte;
    try {
        return ParseHexByte(cbClassID->currentText().toStdString(), "class");
    } catch (const EHexBytesError&) {
        throw std::runtime_error("Choose a UBX class in the Class ID list or type its byte in "
                                 "hex (\"06\").");
    }
}

std::uint8_t TUbxProtocolPage::ChosenId(std::uint8_t ubxClass) const {
    const TUbxVocabularyItem* classItem = FindItem(UbxClasses(), cbClassID);
    const std::optional<TIdList> ids = classItem ? IdListOf(*classItem) : std::nullopt;
    QComboBox* box = ids ? ids->box : cbMsgID;
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

std::optional<TUbxProtocolPage::TIdList>
TUbxProtocolPage::IdListOf(const TUbxVocabularyItem& ubxClass) const {
    if (ubxClass.Name == "CFG")
        return TIdList{cbCFG, UbxCfgIds()};
    if (ubxClass.Name == "AID")
        return TIdList{cbAID, UbxAidIds()};
    return std::nullopt;
}

void TUbxProtocolPage::ClassChosen() {
    const TUbxVocabularyItem* chosen = FindItem(UbxClasses(), cbClassID);
    const std::optional<TIdList> ids = chosen ? IdListOf(*chosen) : std::nullopt;
    for (QComboBox* box : {cbCFG, cbAID})
        box->setEnabled(ids && ids->box == box);
    // Any other class, named or typed, offers its ids from the vocabulary.
    cbMsgID->setEnabled(!ids);
    QStringList captions;
    try {
        const std::uint8_t ubxClass = ChosenClassByte();
        for (const TUbxMessageType& type : UbxMessageTypes())
            if (type.Class == ubxClass)
                captions << IdCaption(type);
    } catch (const std::exception&) {
        // No class yet: no ids to offer.
    }
    const QString typed = cbMsgID->currentText();
    cbMsgID->clear();
    cbMsgID->addItems(captions);
    cbMsgID->setCurrentIndex(-1);
    cbMsgID->setEditText(typed);
    ShowComposed();
}

void TUbxProtocolPage::ShowComposed() {
    try {
        const TBufToSend frame = BuildUbxFrame(ComposedPacket());
        ShowFrameFields(frame);
        lblFrame->setText(
            QString("%1 (%2 bytes)")
                .arg(QString::fromStdString(FormatHexBytes(ToByteString(frame))).trimmed())
                .arg(frame.size()));
    } catch (const std::exception& error) {
        lblFrame->setText(QString::fromStdString(error.what()));
    }
}

void TUbxProtocolPage::PollCFG_PRTClicked() {
    SendCommand(ubx::CfgPrtPoll());
}

TUBXPacket TUbxProtocolPage::ComposedPacket() const {
    const std::uint8_t ubxClass = ChosenClassByte();
    const std::uint8_t id = ChosenId(ubxClass);
    constexpr std::size_t kMaxPayload = 65535;
    return MakeUbxPacket(ubxClass, id, ParseHexBytes(edPayload->text().toStdString(), kMaxPayload));
}

void TUbxProtocolPage::ShowFrameFields(const TBufToSend& frame) {
    const std::size_t size = frame.size();
    neLength->SetValue(frame[4] | (frame[5] << 8));
    neCK_A->SetValue(frame[size - 2]);
    neCK_B->SetValue(frame[size - 1]);
}

void TUbxProtocolPage::ShowNoFrameFields() {
    for (TNumEdit* field : {neLength, neCK_A, neCK_B})
        field->SetValue(0);
}

void TUbxProtocolPage::SendClicked() {
    try {
        const TUBXPacket command = ComposedPacket();
        ShowFrameFields(BuildUbxFrame(command));
        SendCommand(command, [this](const ubx::TCommandOutcome& outcome) {
            lblAnswer->setText(OutcomeText(outcome));
        });
    } catch (...) {
        // The fields describe the frame sent last; none went out this time.
        ShowNoFrameFields();
        throw;
    }
    lblAnswer->setText("Waiting for the answer…");
}

void TUbxProtocolPage::SendCommand(const TUBXPacket& command, TUbxCommander::TOnSettled onSettled) {
    commander_.Send(command, std::move(onSettled),
                    [this](std::uint32_t count) { emit FrameSent(count); });
}
