#pragma once
// The "UBX Protocol" page: the fields of a UBX frame with the receiver's
// class and message-id vocabulary, and the Poll CFG_PRT button. Its frames go
// through the UBX commander, which follows each to its answer.
//
// The composer: choosing class CFG or AID enables that class's id list, any
// other class the list of its ids from the vocabulary; a class or id may
// also be typed in hex ("0A"). The payload is typed in hex. The whole frame,
// its length and checksum show as they are composed; "Send" writes it, and
// the receiver's answer shows under it. Bad hex is refused, nothing sent.

#include "protocol/UbxFrame.h"
#include "protocol/UbxVocabulary.h"
#include "window/parts/UbxCommander.h"

#include <QWidget>
#include <cstdint>
#include <optional>
#include <span>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TNumEdit;

class TUbxProtocolPage : public QWidget {
    Q_OBJECT
public:
    TUbxProtocolPage(QWidget* parent, TUbxCommander& commander);

signals:
    // A frame of the page was written: count bytes.
    void FrameSent(std::uint32_t count);

private:
    void CreateComposer();
    void LayOutComposer();
    void Connect();

    // Reads the receiver's port settings: the CFG-PRT poll (it once wrote
    // the CFG-ANT set frame and so changed the antenna settings instead).
    void PollCFG_PRTClicked();
    void SendClicked();
    void ClassChosen();
    // Shows the frame being composed, or why there is none.
    void ShowComposed();

    // A class's id list and the drop-down that offers it.
    struct TIdList {
        QComboBox* box;
        std::span<const TUbxVocabularyItem> ids;
    };
    std::uint8_t ChosenClassByte() const;
    std::uint8_t ChosenId(std::uint8_t ubxClass) const;
    // None for a class without an id list.
    std::optional<TIdList> IdListOf(const TUbxVocabularyItem& ubxClass) const;
    TUBXPacket ComposedPacket() const;
    void ShowFrameFields(const TBufToSend& frame);
    void ShowNoFrameFields();
    void SendCommand(const TUBXPacket& command, TUbxCommander::TOnSettled onSettled = {});

    TUbxCommander& commander_;

    QPushButton* btnPollCFG_PRT;
    QLabel* lblSent;
    QGroupBox* gbPoll;
    TNumEdit* neSyncChar1;
    QLabel* lblSyncChar1;
    TNumEdit* neSynchChar2;
    QLabel* lblSyncChar2;
    QComboBox* cbClassID;
    QLabel* lblClassID;
    QLabel* lblSelectID;
    QComboBox* cbCFG;
    QLabel* lblIfCFG;
    QComboBox* cbAID;
    QLabel* lblIfAID;
    TNumEdit* neLength;
    QLabel* Label1;
    TNumEdit* neCK_A;
    QLabel* lbCk_A;
    TNumEdit* neCK_B;
    QLabel* lblCK_B;
    QPushButton* btnSend;
    // The composer's reach beyond the CFG and AID lists: the ids of every
    // other class, the payload in hex, the frame to be sent and the answer.
    QComboBox* cbMsgID;
    QLabel* lblIfOther;
    QLineEdit* edPayload;
    QLabel* lblPayloadHex;
    QLabel* lblFrame;
    QLabel* lblAnswer;
};
