#pragma once
// The UBX frame buttons: " Poll CFG-ANT" and "Get/Set CFG-ANT" on the
// "ComPort" page, "Poll CFG_PRT" and the composer's "Send" on the
// "UBX Protocol" page. Each sends its command through the commander, which
// follows it to its answer, and shows the count written in the bytes-sent
// label of the "ComPort" page.
//
// The composer: choosing class CFG or AID enables that class's id list, any
// other class the list of its ids from the vocabulary; a class or id may
// also be typed in hex ("0A"). The payload is typed in hex. The whole frame,
// its length and checksum show as they are composed; "Send" writes it, and
// the receiver's answer shows under it. Bad hex is refused, nothing sent.

#include "protocol/UbxFrame.h"
#include "protocol/UbxVocabulary.h"
#include "window/UbxCommander.h"

#include <QObject>
#include <optional>
#include <span>

class QComboBox;
class TComPortPage;
class TSerialPort;
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
    // Shows the frame being composed, or why there is none.
    void ShowComposed();

private:
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

    TComPortPage* comPort_;
    TUbxProtocolPage* page_;
    TUbxCommander& commander_;
};
