#pragma once
// The "ComPort" page: choice of port and line settings, Open/Close, the
// data-in LED, the connection log and the two CFG-ANT buttons. Its handlers
// copy the page into the window's serial port and log the connection.

#include "serial/SerialPort.h"

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class TAutoReconnect;
class TLedIndicator;
class TRadioGroup;

class TComPortPage : public QWidget {
    Q_OBJECT
public:
    TComPortPage(QWidget* parent, TSerialPort& port);

    // Refills lstPorts with the ports present, COM1 … COM254 by number.
    void RefreshPortList();
    // Selects the item of lstBaudRate whose text is rate.
    void SelectBaudRate(const QString& rate);
    // Copies the page's controls into the port, in the order that the
    // data-width and stop-bits check relies on.
    void ApplyPortSettings();

    void btnApplyClick() { ApplyPortSettings(); }
    void btnOpenClick();
    void btnCloseClick();
    void btnRefeshClick() { RefreshPortList(); }
    void miRefreshPorts1Click();
    void lstPortsClick();
    void portSerialConnect(TCommPort Port);
    void portSerialDisconnect(TCommPort Port);
    void portSerialLineStatusChange(TLineStatusSet LineStatus);
    // The open port's device went away: logged and shown as "<port> removed",
    // the page back to closed; the port reopens when it comes back.
    void portSerialDeviceLost(TCommPort Port);
    // The window fell so far behind the port that DroppedBytes received
    // bytes could not be kept: logged and shown in the status bar.
    void portSerialOverflow(TCommPort Port, std::uint64_t DroppedBytes);
    // The ports present have changed: refills the list, keeping the
    // selection where it still exists, and reopens a port that came back.
    void PortsChanged();

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

signals:
    // The name of the port chosen in the list, for the status bar.
    void PortNameShown(const QString& name);
    // What became of the connection ("COM5 removed", received bytes that
    // could not be kept), for the status bar;
    // empty when there is nothing to tell.
    void PortStateShown(const QString& state);

private:
    void CreateControls();
    void LayOut();
    void Connect();
    QString PortName(TCommPort port) const;

    TSerialPort& portSerial;
    TAutoReconnect* autoReconnect_;
    // The next disconnect is that of a device already reported removed.
    bool deviceLost_ = false;
};
