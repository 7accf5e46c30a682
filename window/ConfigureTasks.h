#pragma once
// The "Configure" page's settings tasks besides the baud rate: navigation
// rate (CFG-RATE), message rates (CFG-MSG, polled whenever a message is
// chosen), save, load and defaults (CFG-CFG with the chosen devices),
// restarts (CFG-RST) and the firmware version (MON-VER). Saving, loading,
// defaults and restarts ask first. Each shows the receiver's answer next to
// its buttons; polled values fill the fields.

#include "protocol/UbxFrame.h"

#include <QObject>

class QLabel;
class QString;
class TConfigurePage;
class TUbxCommander;

class TConfigureTasks : public QObject {
    Q_OBJECT
public:
    TConfigureTasks(TConfigurePage* page, TUbxCommander& commander);

    void btnPollRateClick();
    void btnSetRateClick();
    void btnPollMsgClick();
    void btnSetMsgClick();
    void btnPollVersionClick();

private:
    // Sends command after the user agreed to question; the outcome shows in
    // lblCfgAnswer.
    void ConfirmAndSend(const QString& question, const TUBXPacket& command);
    void SendShowingIn(QLabel* answer, const TUBXPacket& command);
    std::uint8_t DeviceMask() const;

    TConfigurePage* page_;
    TUbxCommander& commander_;
};
