#pragma once
// The UBX frame buttons: " Poll CFG-ANT" and "Get/Set CFG-ANT" on the
// "ComPort" page, "Poll CFG_PRT" and the composer's "Send" on the
// "UBX Protocol" page. Each writes its frame with SendData and shows the
// count written in the bytes-sent label of the "ComPort" page.
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
class TUbxProtocolPage;

class TUbxSending : public QObject {
    Q_OBJECT
public:
    TUbxSending(TComPortPage* comPort, TUbxProtocolPage* page, TSerialPort& port);

    void btnPollCFG_ANTClick() { SendFrame(CfgAntPollFrame()); }
    // Shared by "Poll CFG_PRT" and "Get/Set CFG-ANT": both send CFG-ANT set.
    void btnPollCFG_PRTClick() { SendFrame(CfgAntSetFrame()); }
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
    TBufToSend ComposedFrame() const;
    void ShowFrameFields(const TBufToSend& frame);
    void SendFrame(const TBufToSend& frame);

    TComPortPage* comPort_;
    TUbxProtocolPage* page_;
    TSerialPort& portSerial;
};
