#pragma once
// The "Base" page: makes the receiver a base station for RTK rovers. It
// says how the base finds its position, a survey-in (shortest time and the
// accuracy to reach) or a position typed in (latitude, longitude and height,
// or ECEF), sent as CFG-TMODE3 to older receivers and as the CFG-TMODE keys
// to generation 9+ receivers, with NAV-SVIN turned on so the survey shows
// live; and it turns on the RTCM 3 messages a rover needs (1005, 1074, 1084,
// 1094, 1124, 1230) at the rates chosen per port, through CFG-MSG or the
// CFG-MSGOUT keys. Each command's answer shows beside its button.

#include "protocol/commands/BaseStation.h"
#include "protocol/state/ReceiverState.h"
#include "widgets/ValuePanel.h"
#include "window/parts/ReceiverFeed.h"

#include <QWidget>
#include <array>

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class TRadioGroup;
class TReceiverIdentity;
class TUbxCommander;

class TBasePage : public QWidget {
    Q_OBJECT
public:
    TBasePage(QWidget* parent, TUbxCommander& commander, TReceiverIdentity& identity,
              TValuePanel::Clock clock = &std::chrono::steady_clock::now);

    // Shows the survey-in the receiver last reported; stale values grey.
    void Show(const protocol::ReceiverSnapshot& snapshot, const TReceiverFeed::TFresh& fresh);

private:
    QGroupBox* CreateModeGroup();
    QGroupBox* CreateSurveyGroup(TValuePanel::Clock clock);
    QGroupBox* CreateRtcmGroup();
    ubx::TBaseSettings Settings() const;
    ubx::TMessageRates PortRates() const;
    void SendModeClicked();
    void EnableRtcmClicked();
    // Sends each command, listing its outcome as a line of answer.
    void SendAll(QLabel* answer, const std::vector<std::pair<QString, TUBXPacket>>& commands);

    TUbxCommander& commander_;
    TReceiverIdentity& identity_;

    TRadioGroup* rgBaseMode;
    QSpinBox* spSurveyDuration;
    QDoubleSpinBox* spSurveyAccuracy;
    QComboBox* cbPositionKind;
    std::array<QLabel*, 3> lblPosition{};
    std::array<QDoubleSpinBox*, 3> spPosition{};
    QDoubleSpinBox* spFixedAccuracy;
    QPushButton* btnSendBaseMode;
    QLabel* lblBaseModeAnswer;
    TValuePanel* pnlSurvey;
    std::array<QSpinBox*, 5> spRtcmRate{};
    QPushButton* btnEnableRtcm;
    QLabel* lblRtcmAnswer;
};
