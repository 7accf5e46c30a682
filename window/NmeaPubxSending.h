#pragma once
// The sending half of the "NMEA PUBX" page: "Set UBX40" composes the
// $PUBX,40 rate command from the chosen message and the five rate fields and
// shows its checksum in "9.cs"; the three buttons send the fixed PUBX polls.
// "edUBXSendBytes" has no operation.

#include "protocol/NmeaSentence.h"

#include <QObject>
#include <string_view>

class TNmeaPubxPage;
class TWindowSender;

class TNmeaPubxSending : public QObject {
    Q_OBJECT
public:
    TNmeaPubxSending(TNmeaPubxPage* page, TWindowSender& sender);

    void btnSetUBX40Click();
    void btnPollLatLonClick() { SendPoll(kPubxPollLatLon); }
    void btnPolSatStatClick() { SendPoll(kPubxPollSatStat); }
    void btnPollTimeClick() { SendPoll(kPubxPollTime); }

private:
    void SendPoll(std::string_view command);

    TNmeaPubxPage* page_;
    TWindowSender& sender_;
};
