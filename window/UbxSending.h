#pragma once
// The UBX frame buttons: " Poll CFG-ANT" and "Get/Set CFG-ANT" on the
// "ComPort" page, "Poll CFG_PRT" and the composer's "Send" on the
// "UBX Protocol" page. Each sends its command through the commander, which
// follows it to its answer, and shows the count written in the bytes-sent
// label of the "ComPort" page.
//
// The composer: choosing class CFG or AID enables that class's id list (the
// other is disabled); "Send" writes the poll frame (no payload) of the chosen
// class and id and shows its length and checksum bytes in hexadecimal.

#include "protocol/UbxFrame.h"
#include "protocol/UbxVocabulary.h"

#include <QObject>
#include <optional>
#include <span>

class QComboBox;
class TComPortPage;
class TSerialPort;
class TUbxCommander;
class TUbxProtocolPage;

class TUbxSending : public QObject {
    Q_OBJECT
public:
    TUbxSending(TComPortPage* comPort, TUbxProtocolPage* page, TUbxCommander& commander);

    void btnPollCFG_ANTClick() { SendCommand(CfgAntPollPacket()); }
    void btnGetSetCFG_ANTClick() { SendCommand(CfgAntSetPacket()); }
    // Reads the receiver's port settings: the CFG-PRT poll (it once wrote
    // the CFG-ANT set frame and so changed the antenna settings instead).
    void btnPollCFG_PRTClick();
    void btnSendClick();
    void cbClassIDChange();

private:
    // A class's id list and the drop-down that offers it.
    struct TIdList {
        QComboBox* box;
        std::span<const TUbxVocabularyItem> ids;
    };
    const TUbxVocabularyItem* ChosenClass() const;
    // None for a class without an id list.
    std::optional<TIdList> IdListOf(const TUbxVocabularyItem& ubxClass) const;
    TUBXPacket ComposedPacket() const;
    void ShowFrameFields(const TBufToSend& frame);
    void SendCommand(const TUBXPacket& command);

    TComPortPage* comPort_;
    TUbxProtocolPage* page_;
    TUbxCommander& commander_;
};
