#pragma once
// The "ComPort" page: choice of port and line settings, Open/Close, the
// data-in LED, the connection log, the bytes-sent label, the two CFG-ANT
// buttons and the share panel. Its handlers copy the page into the window's serial port, log the
// connection and send the CFG-ANT frames through the UBX commander.

#include "protocol/UbxFrame.h"
#include "serial/SerialPort.h"
#include "window/parts/PersistedPort.h"

#include <QWidget>
#include <cstdint>
#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class TAutoReconnect;
class TLedIndicator;
class TRadioGroup;
class TShareControl;
class TSharePanel;
class TUbxCommander;

class TComPortPage : public QWidget {
    Q_OBJECT
public:
    TComPortPage(QWidget* parent, TSerialPort& port, TUbxCommander& commander,
                 TShareControl& share);

    // Refills the port list with the ports present, COM1 … COM254 by number,
    // then the network sources typed last and "Network source..." to type one.
    void RefreshPortList();
    // The line settings enabled for a serial port; for a network source
    // disabled, with a tooltip saying they do not apply.
    void MatchLineSettingsToPort();
    // Selects the item of the Baud Rate list whose text is rate.
    void SelectBaudRate(const QString& rate);
    // The monitor's port was moved to rate: selected in the list and logged.
    void ShowMonitorRate(std::int32_t rate);
    // Selects the port named in the list, when it is listed.
    void SelectListedPort(const QString& name);
    // Copies the page's controls into the port, in the order that the
    // data-width and stop-bits check relies on.
    void ApplyPortSettings();
    // "Open" and "Close" as clicked.
    void OpenPort();
    void ClosePort();

    // The choices kept between runs (window/parts/PersistedPort.h).
    TPortChoices Choices() const;
    void SetChoices(const TPortChoices& choices);

    // Open and Close enabled as they apply to the connection.
    void ShowConnection(TCommPort connected);
    // Shares the live stream at address ("[ADDRESS:]PORT") as "Share" does.
    void ShareAt(const QString& address);
    // A chunk arrived: the data-in LED changes.
    void FlashDataIn();
    // A line at the end of the connection log.
    void Log(const QString& line);
    // The echo of a write: its bytes in hex in the connection log.
    void EchoSent(const std::string& bytes);
    // "Bytes Sent: n" of the last UBX frame written.
    void ShowBytesSent(std::uint32_t count);

    // The port's events. A network source is "Connecting to" when opened
    // and connected once its link stands.
    void PortConnected(TCommPort Port);
    void LinkUp(TCommPort Port);
    void PortDisconnected(TCommPort Port);
    void LineStatusChanged(TLineStatusSet LineStatus);
    // The open port's device went away: logged and shown as reason ("tcp://
    // 192.0.2.7:4001: connection refused"), or "<port> removed" when the
    // device gave none; the page back to closed; the port reopens when it
    // comes back. A loss told already is not told again while the port is
    // being reopened (a network source tried every few seconds).
    void DeviceLost(TCommPort Port, const QString& reason = {});
    // The window fell so far behind the port that DroppedBytes received
    // bytes could not be kept: logged and shown in the status bar.
    void Overflow(TCommPort Port, std::uint64_t DroppedBytes);
    // The ports present have changed: refills the list, keeping the
    // selection where it still exists, and reopens a port that came back.
    void PortsChanged();

signals:
    // The name of the port chosen in the list, for the status bar.
    void PortNameShown(const QString& name);
    // What became of the connection ("COM5 removed", received bytes that
    // could not be kept), for the status bar;
    // empty when there is nothing to tell.
    void PortStateShown(const QString& state);
    // The user opened the chosen port with the page's settings.
    void PortOpened();

private:
    void CreateControls();
    void LayOut();
    void Connect();
    QString PortName(TCommPort port) const;
    void SendAntennaFrame(const TUBXPacket& command);
    void PortChosen();
    void AskNetworkSource();

    TSerialPort& portSerial;
    TUbxCommander& commander_;
    TAutoReconnect* autoReconnect_;
    // The next disconnect is that of a device already reported removed.
    bool deviceLost_ = false;
    // The loss told last, until a connection stands again.
    QString lastLoss_;

    QPushButton* btnOpen;
    QPushButton* btnClose;
    QPushButton* btnRefesh;
    QLabel* lblPort;
    QListWidget* lstPorts;
    QMenu* poplstPorts;
    QAction* miRefreshPorts1;
    QLabel* lblBaudRate;
    QListWidget* lstBaudRate;
    TRadioGroup* rbSwFlowControl;
    TRadioGroup* rbParity;
    TRadioGroup* rbDataWidth;
    TRadioGroup* rbHwFlowControl;
    TRadioGroup* rbStopBits;
    QGroupBox* gbEnable;
    QCheckBox* cbDTR;
    QCheckBox* cbRTS;
    QPushButton* btnApply;
    QPlainTextEdit* moComPort;
    QPushButton* btnPollCFG_ANT;
    QPushButton* btnGetSetCFG_ANT;
    QLabel* lblNumSent;
    TLedIndicator* ledDataIn;
    QCheckBox* cbAutoReconnect;
    TSharePanel* share_;
};
