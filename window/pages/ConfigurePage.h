#pragma once
// The "Configure" page: the receiver's daily settings, each with a button
// that reads the current value where the receiver can say it, one that sets
// it, and a label where the receiver's answer shows: the baud rate (through
// the baud tasks), navigation rate (CFG-RATE), message rates (CFG-MSG,
// polled whenever a message is chosen), save, load and defaults (CFG-CFG
// with the chosen devices), restarts (CFG-RST) and the firmware version
// (MON-VER). On a receiver with a configuration database the rates go
// through its keys instead (CFG-VALGET, CFG-VALSET): the receiver is asked
// for MON-VER before the first task, and the page says what it found.
// Saving, loading, defaults and restarts ask first; polled values fill the
// fields.

#include "protocol/UbxFrame.h"
#include "protocol/commands/DatabaseSettings.h"
#include "protocol/commands/UbxCommands.h"

#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TBaudTasks;
class TReceiverIdentity;
class TUbxCommander;

class TConfigurePage : public QWidget {
    Q_OBJECT
public:
    TConfigurePage(QWidget* parent, TUbxCommander& commander, TBaudTasks& baudTasks,
                   TReceiverIdentity& identity);

protected:
    // The chosen message's rates are read as the page shows, so they are the
    // receiver's, not zeros.
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* CreateBaudGroup();
    QGroupBox* CreateRateGroup();
    QGroupBox* CreateMessageGroup();
    QGroupBox* CreateConfigGroup();
    QGroupBox* CreateFirmwareGroup();
    void Connect();
    void ConnectBaudTasks();

    void PollRateClicked();
    void SetRateClicked();
    void PollMsgClicked();
    void SetMsgClicked();
    void PollVersionClicked();
    // Sends command after the user agreed to question; the outcome shows in
    // lblCfgAnswer.
    void ConfirmAndSend(const QString& question, const TUBXPacket& command);
    // Save, load or defaults on the chosen devices; refused while none is chosen.
    void ConfirmOnDevicesAndSend(const QString& question, ubx::TCfgAction action);
    void SendShowingIn(QLabel* answer, const TUBXPacket& command);
    void ShowPortRates(const ubx::TMessageRates& rates);
    void ShowingConfigError(QLabel* answer, const std::function<void()>& task);
    std::uint8_t DeviceMask() const;

    TUbxCommander& commander_;
    TBaudTasks& baudTasks_;
    TReceiverIdentity& identity_;

    // Which receiver answers, and in which messages it is configured.
    QLabel* lblReceiver;

    // Receiver baud rate and the baud search.
    QGroupBox* gbBaud;
    QComboBox* cbReceiverBaud;
    QPushButton* btnPollPort;
    QPushButton* btnSetBaud;
    QLabel* lblBaudAnswer;
    QPushButton* btnFindBaud;
    QLabel* lblFindBaud;
    // Navigation rate.
    QGroupBox* gbNavRate;
    QSpinBox* spMeasRate;
    QSpinBox* spNavRate;
    QPushButton* btnPollRate;
    QPushButton* btnSetRate;
    QLabel* lblRateAnswer;
    // Message rates, one per output port.
    QGroupBox* gbMsgRate;
    QComboBox* cbMessage;
    std::array<QSpinBox*, 6> spPortRate{};
    QPushButton* btnPollMsg;
    QPushButton* btnSetMsg;
    QLabel* lblMsgAnswer;
    // Save, load, defaults and restarts.
    QGroupBox* gbConfig;
    QCheckBox* cbDevBBR;
    QCheckBox* cbDevFlash;
    QCheckBox* cbDevEEPROM;
    QCheckBox* cbDevSPIFlash;
    QPushButton* btnSaveCfg;
    QPushButton* btnLoadCfg;
    QPushButton* btnDefaultCfg;
    QPushButton* btnHotStart;
    QPushButton* btnWarmStart;
    QPushButton* btnColdStart;
    QLabel* lblCfgAnswer;
    // Firmware version.
    QGroupBox* gbFirmware;
    QPushButton* btnPollVersion;
    QPlainTextEdit* moVersion;
};
