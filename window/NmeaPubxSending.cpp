#include "window/NmeaPubxSending.h"

#include "widgets/NumSpin.h"
#include "window/ErrorBox.h"
#include "window/NmeaPubxPage.h"
#include "window/SendableText.h"
#include "window/WindowSender.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The message id is the first three characters of the selection text.
constexpr int kMsgIdLength = 3;
// A $PUBX,40 sentence ends "*", two checksum digits, CR LF.
constexpr std::size_t kChecksumFromEnd = 4;
} // namespace

TNmeaPubxSending::TNmeaPubxSending(TNmeaPubxPage* page, TWindowSender& sender)
    : QObject(page), page_(page), sender_(sender) {
    connect(page->btnSetUBX40, &QPushButton::clicked, this,
            Guarded(page, [this] { btnSetUBX40Click(); }));
    connect(page->btnPollLatLon, &QPushButton::clicked, this,
            Guarded(page, [this] { btnPollLatLonClick(); }));
    connect(page->btnPolSatStat, &QPushButton::clicked, this,
            Guarded(page, [this] { btnPolSatStatClick(); }));
    connect(page->btnPollTime, &QPushButton::clicked, this,
            Guarded(page, [this] { btnPollTimeClick(); }));
}

void TNmeaPubxSending::btnSetUBX40Click() {
    const std::string msgId = SendableText(page_->cbSetNMEA->currentText().left(kMsgIdLength));
    const std::string sentence = BuildPubx40(
        msgId, page_->ns3rddc->ValueAsInt(), page_->ns4rus1->ValueAsInt(),
        page_->ns5rus2->ValueAsInt(), page_->ns6rusb->ValueAsInt(), page_->ns7rspi->ValueAsInt());
    sender_.SendString(sentence);
    page_->edCKA_CKB->setText(
        QString::fromLatin1(sentence.substr(sentence.size() - kChecksumFromEnd, 2)));
}

void TNmeaPubxSending::SendPoll(std::string_view command) {
    sender_.SendString(std::string(command));
}
