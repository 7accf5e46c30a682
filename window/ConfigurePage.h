#pragma once
// The "Configure" page: the receiver's daily settings, each with a button
// that reads the current value where the receiver can say it, one that sets
// it, and a label where the receiver's answer shows. Its controls only; the
// handlers are the configure tasks (ConfigureTasks.h).

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class TConfigurePage : public QWidget {
    Q_OBJECT
public:
    explicit TConfigurePage(QWidget* parent);

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

private:
    QGroupBox* CreateBaudGroup();
    QGroupBox* CreateRateGroup();
    QGroupBox* CreateMessageGroup();
    QGroupBox* CreateConfigGroup();
    QGroupBox* CreateFirmwareGroup();
};
